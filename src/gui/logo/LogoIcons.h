#pragma once

#include <QIcon>

// The Logo Download module's toolbar buttons.
namespace LogoIcons {
QIcon TestFeed();
QIcon TestPrint();
QIcon FlashSlot(int slot);
QIcon PrintSlot(int slot);
} // namespace LogoIcons
