#pragma once

#include "ZeroedBuffer.h"
#include <QByteArray>
#include <QString>
#include <QStringList>
#include <QtGlobal>

#include <array>

class QFile;
class CReadCursor;

// The picture opened from a BMP file (a 14-byte file header, a 40-byte information
// header, the colour table, the pixel rows). The rows are kept exactly as stored in the
// file, padding included, turned the right way up: row 0 is the top row of the picture.
class CSourceBitmap {
public:
    static constexpr int kMaxWidth = 1024;
    static constexpr int kMaxHeight = 768;
    static constexpr int kStoreRowBytes = 3 * kMaxWidth; // the widest 24-bit row
    static constexpr int kFileHeaderSize = 14;
    static constexpr int kInfoHeaderSize = 40;
    // Nothing larger is read: the largest picture KVU takes needs about 2.4 MB; a file
    // many times that is a picture KVU cannot use, or not a picture at all.
    static constexpr qint64 kMaxFileBytes = 16 * 1024 * 1024;

    struct RgbQuad {
        quint8 blue = 0, green = 0, red = 0, reserved = 0;
    };

    // What one read found: whether the file could be read at all, and the warnings and
    // the error met, in order, each text ending in its line break.
    struct ReadReport {
        bool opened = false;
        QString openDetail; // why it could not be read (a folder, a device, too large)
        QStringList texts;
        QString Message() const { return texts.join(QString()); }
    };

    static const char* const kOpenFailed; // "Failed to open a file for read."

    CSourceBitmap();
    virtual ~CSourceBitmap() = default;

    // Reads the file at `path`. m_bLoaded is 0 from the start and 1 only when every row
    // was read; the report lists what the user is told.
    ReadReport Read(const QString& path);
    // The same on a file already open for reading (unbuffered is best: the rows are read
    // straight into the store).
    ReadReport ReadFile(QFile& file);
    // The same on the bytes of a file already in memory.
    ReadReport ReadBytes(const QByteArray& file);

    // The stored size of one row, padded to a multiple of 4 bytes.
    static int RowBytes(int width, int bitsPerPixel);

    const quint8* Row(int y) const { return m_pixels.data() + size_t(kStoreRowBytes) * size_t(y); }

    quint16 bfType = 0;
    quint32 bfSize = 0;
    quint16 bfReserved1 = 0;
    quint16 bfReserved2 = 0;
    quint32 bfOffBits = 0;
    quint32 biSize = 0;
    qint32 biWidth = 0;
    qint32 biHeight = 0; // after a read, the number of rows (a top-down file states it negative)
    quint16 biPlanes = 0;
    quint16 biBitCount = 0;
    quint32 biCompression = 0;
    qint32 biSizeImage = 0;
    qint32 biXPelsPerMeter = 0;
    qint32 biYPelsPerMeter = 0;
    quint32 biClrUsed = 0;
    quint32 biClrImportant = 0;
    int m_nRowBytes = 0;
    std::array<RgbQuad, 256> m_palette{};
    int m_nPaletteEntries = 0;
    CZeroedBuffer<quint8> m_pixels; // kMaxHeight rows of kStoreRowBytes
    int m_bLoaded = 0;
    bool m_bTopDown = false; // the file stored its rows top row first

private:
    ReadReport ReadFrom(CReadCursor& in);
    // The pixel rows from the cursor's position into the store; false when the file ended
    // first (what there was stays in the store).
    bool ReadRows(CReadCursor& in);
    // Only the reader writes the store, so that it knows which rows it has written.
    quint8* StoreRow(int y) { return m_pixels.data() + size_t(kStoreRowBytes) * size_t(y); }
    int m_nDirtyRows = 0; // the store rows that may hold bytes of an earlier read
};
