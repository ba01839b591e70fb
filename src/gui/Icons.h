#pragma once

#include <QIcon>

// The program's icons, drawn in code so they stay sharp at any size and need no image
// plugin: the application icon and the toolbar's module, logo and slot buttons.
namespace Icons {
QIcon Application();
} // namespace Icons
