#pragma once

#include <QString>

// The symbolic link tarvo3-sim --link makes to its device, so that a fixed path reaches
// the printer whatever pseudo-terminal it got. Only a link to a pseudo-terminal (one a
// simulator made, perhaps left behind by a run that was killed) is ever replaced or
// removed: a file or anything else at the path is the user's and stays as it is.
namespace DeviceLink {
// Makes the link at `path` to `device`; false with the reason when something else is
// there or the link cannot be made.
bool Make(const QString& path, const QString& device, QString* error);
// Removes the link at `path` if it still leads to `device`.
void Remove(const QString& path, const QString& device);
} // namespace DeviceLink
