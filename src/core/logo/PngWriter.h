#pragma once

#include <QByteArray>
#include <QtGlobal>

// A PNG encoder for the view's composite, without Qt's image codecs: kvuctl writes the
// preview with it and so loads neither QtGui nor the codec module. The pixels are
// 0x??RRGGBB, rows one after another, and are written opaque (the alpha byte is ignored,
// as a QImage of Format_RGB32 ignores it). A picture of at most 256 colours (the composite
// of a logo: white, black and the red outline) becomes a palette PNG of 1, 2, 4 or 8 bits
// a pixel, anything else 8-bit RGB. Empty bytes for an empty or oversized picture.
namespace PngWriter {

QByteArray Encode(const quint32* pixels, int width, int height);

// The CRC-32 of PNG chunks and zip files (polynomial 0xEDB88320), continued from `crc`.
quint32 Crc32(const char* data, qsizetype size, quint32 crc = 0);

} // namespace PngWriter
