#pragma once

#include <QColor>
#include <QIcon>
#include <QImage>

// The frame's icons, drawn in code so they stay sharp at any size and need no image
// plugin: the application icon, the module badges and the frame's own toolbar buttons.
namespace Icons {
QIcon Application();
// The application icon painted afresh at `size` pixels square (the desktop's icon files).
QImage ApplicationImage(int size);
// A module's toolbar button: a coloured badge with the module's letters.
QIcon Badge(const QColor& color, const QString& text);
// New, Open, Save, Cut, Copy, Paste, Print and About.
QIcon ForCommand(int id);
} // namespace Icons
