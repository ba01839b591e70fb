#pragma once

#include "ConvertedPicture.h"

#include <QByteArray>
#include <QString>
#include <QStringList>

class CSourceBitmap;
class CSurface;

// Pictures beyond BMP, and the composite as a PNG: the parts of the logo module that need
// Qt's image codecs, kept out of the core (which links Qt Core and Serial Port only).
namespace LogoPictureIo {

// Whether the bytes begin like a PNG or a JPEG file: those are converted, everything
// else goes to the bitmap reader as it is.
bool IsConvertible(const QByteArray& head);

// A PNG or JPEG file's bytes as a 24-bit bitmap: transparent parts laid on white, grey,
// palette and alpha pictures converted like colour ones, pictures larger than 1024 x 768
// scaled down to fit with their aspect ratio kept.
Converted ConvertToBitmap(const QByteArray& file);

// A PNG or JPEG of up to 16384 pixels a side (a camera photo, a scan) can be tens of
// megabytes; nothing larger is read.
constexpr qint64 kMaxPictureFileBytes = 256 * 1024 * 1024;

// What CSourceBitmap::Read does, for a BMP, PNG or JPEG file at `path`. `status` gets the
// conversion's status text (scaled, or why it failed), if any.
struct PictureRead {
    bool opened = false; // false: the file could not be read at all (see detail)
    QString detail;
    QString status;
    QStringList texts; // the reader's warnings and error, or the conversion's error
    QString Message() const { return texts.join(QString()); }
};
PictureRead ReadPicture(const QString& path, CSourceBitmap& bmp);

// The composite as PNG bytes, and written to a file through the checked writer.
QByteArray CompositePng(const CSurface& composite);
bool WriteCompositePng(const CSurface& composite, const QString& path, QString* detail);

} // namespace LogoPictureIo
