#pragma once

#include <QString>

// KVU's port table: the names COM1 to COM20, each standing for a device of this computer.
namespace PortNames {
constexpr int kPortCount = 20;
// COM1 for index 0.
inline QString ComName(int index) {
    return QStringLiteral("COM%1").arg(index + 1);
}
} // namespace PortNames
