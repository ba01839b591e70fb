#pragma once

#include <QByteArray>
#include <QString>

// Reading and writing the files users hand to KVU (projects, exports, pictures, text to
// send) so that no file can hang the program, exhaust its memory or lose what was there.
namespace FileAccess {

enum class ReadResult { Ok, CannotOpen, NotRegular, TooLarge };

// Reads a whole regular file of at most `maxBytes`. Devices, FIFOs, sockets and folders are
// refused before they are opened: opening a FIFO blocks until a writer comes, and a device
// such as /dev/zero reports size 0 while it never ends. What is read is capped, not what the
// file system reports. `detail` gets a short reason for the user.
ReadResult ReadRegularFile(const QString& path, qint64 maxBytes, QByteArray* bytes,
                           QString* detail = nullptr);

// Whether `path` is something other than a regular file (or a link to one): such a target
// is never replaced or read as a document.
bool IsNonRegular(const QString& path);

// Replaces the file at `path` with `bytes`: written to a temporary file beside it, every
// write and the final flush checked, synced, then renamed over the old file, so that on any
// failure the old file stays as it was. Where no temporary file can be made beside it (a
// writable file in a folder the user cannot write to) the file is written in place.
// Something that is not a regular file is never replaced.
bool WriteFileSafely(const QString& path, const QByteArray& bytes, QString* detail = nullptr);

// As WriteFileSafely, for a file the user can make again at once (a preview): the same
// temporary file and rename, so a failure still leaves the old file as it was, but no wait
// for the disk, which costs a short command more than all its work.
bool WriteRegenerableFile(const QString& path, const QByteArray& bytes,
                          QString* detail = nullptr);

// The reason given when a path is not a regular file.
QString NotRegularText(const QString& path);

} // namespace FileAccess
