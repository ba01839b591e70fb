#pragma once

#include <QIcon>
#include <QImage>

// The program's icons, drawn in code so they stay sharp at any size and need no image
// plugin: the application icon and the toolbar's module, logo and slot buttons.
namespace Icons {
QIcon Application();
// The application icon painted afresh at `size` pixels square (the desktop's icon files).
QImage ApplicationImage(int size);
// The toolbar button of a module (1 to 6).
QIcon Module(int module);
// New, Open, Save, Cut, Copy, Paste, Print, About, Test Feed and Test Print.
QIcon ForCommand(int id);
QIcon FlashSlot(int slot);
QIcon PrintSlot(int slot);
} // namespace Icons
