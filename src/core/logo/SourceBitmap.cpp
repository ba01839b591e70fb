#include "SourceBitmap.h"

#include "files/FileAccess.h"

#include <QFile>

#include <algorithm>
#include <cstring>

const char* const CSourceBitmap::kOpenFailed = "Failed to open a file for read.";

// A read position over a file that, like a file, hands out fewer bytes than asked at its
// end and never anything beyond it.
class CReadCursor {
public:
    virtual ~CReadCursor() = default;
    // Copies up to `count` bytes to `to`; returns how many were there.
    virtual qint64 Read(void* to, qint64 count) = 0;
    // A seek past the end leaves every later read empty.
    virtual void Seek(quint32 offset) = 0;
    virtual qint64 Size() const = 0;
};

namespace {
// The bytes of a file already in memory.
class CBytesCursor : public CReadCursor {
public:
    explicit CBytesCursor(const QByteArray& bytes)
        : m_data(bytes.constData()), m_size(bytes.size()) {}
    qint64 Read(void* to, qint64 count) override {
        const qint64 left = m_size - m_pos;
        const qint64 n = std::max<qint64>(0, std::min(count, left));
        if (n > 0)
            std::memcpy(to, m_data + m_pos, size_t(n));
        m_pos += n;
        return n;
    }
    void Seek(quint32 offset) override { m_pos = std::min<qint64>(offset, m_size); }
    qint64 Size() const override { return m_size; }

private:
    const char* m_data;
    qint64 m_size;
    qint64 m_pos = 0;
};

// An open file, read straight into the caller's memory: the rows go from the page cache
// into the store in one copy, with no copy of the whole file on the way. A read error is
// taken as the end of the file (the reader then says what it could not read).
class CFileCursor : public CReadCursor {
public:
    explicit CFileCursor(QFile& file) : m_file(file), m_size(file.size()) {}
    qint64 Read(void* to, qint64 count) override {
        const qint64 n =
            count > 0 && m_pos < m_size ? m_file.read(static_cast<char*>(to), count) : 0;
        if (n <= 0)
            return 0;
        m_pos += n;
        return n;
    }
    void Seek(quint32 offset) override {
        m_pos = std::min<qint64>(offset, m_size);
        if (!m_file.seek(m_pos))
            m_pos = m_size;
    }
    qint64 Size() const override { return m_size; }

private:
    QFile& m_file;
    qint64 m_size;
    qint64 m_pos = 0;
};

quint16 U16(const quint8* p) {
    return quint16(p[0] | (p[1] << 8));
}
quint32 U32(const quint8* p) {
    return quint32(p[0]) | (quint32(p[1]) << 8) | (quint32(p[2]) << 16) | (quint32(p[3]) << 24);
}
qint32 S32(const quint8* p) {
    return qint32(U32(p));
}
quint8 Upper(quint8 c) {
    return c >= 'a' && c <= 'z' ? quint8(c - 'a' + 'A') : c;
}
} // namespace

CSourceBitmap::CSourceBitmap() : m_pixels(size_t(kMaxHeight) * kStoreRowBytes) {}

int CSourceBitmap::RowBytes(int width, int bitsPerPixel) {
    switch (bitsPerPixel) {
    case 1:
        return ((width + 7) / 8 + 3) / 4 * 4;
    case 4:
        return ((width + 1) / 2 + 3) / 4 * 4;
    case 8:
        return (width + 3) / 4 * 4;
    default:
        return (3 * width + 3) / 4 * 4;
    }
}

CSourceBitmap::ReadReport CSourceBitmap::Read(const QString& path) {
    m_bLoaded = 0;
    ReadReport report;
    // Devices, FIFOs and folders are refused before they are opened (a FIFO would block).
    if (FileAccess::IsNonRegular(path)) {
        report.openDetail = FileAccess::NotRegularText(path);
        return report;
    }
    QFile file(path);
    // Unbuffered: each read goes from the system straight into the store.
    if (!file.open(QIODevice::ReadOnly | QIODevice::Unbuffered)) {
        report.openDetail = file.errorString();
        return report;
    }
    return ReadFile(file);
}

CSourceBitmap::ReadReport CSourceBitmap::ReadFile(QFile& file) {
    m_bLoaded = 0;
    if (file.size() > kMaxFileBytes) {
        ReadReport report;
        report.openDetail = QStringLiteral("larger than %1 bytes").arg(kMaxFileBytes);
        return report;
    }
    CFileCursor in(file);
    return ReadFrom(in);
}

CSourceBitmap::ReadReport CSourceBitmap::ReadBytes(const QByteArray& file) {
    CBytesCursor in(file);
    return ReadFrom(in);
}

CSourceBitmap::ReadReport CSourceBitmap::ReadFrom(CReadCursor& in) {
    m_bLoaded = 0;
    m_bTopDown = false;
    ReadReport report;
    report.opened = true;
    QStringList& texts = report.texts;
    auto say = [&](const char* text) { texts << QString::fromLatin1(text); };

    quint8 fh[kFileHeaderSize];
    if (in.Read(fh, kFileHeaderSize) < kFileHeaderSize) {
        say("Premature EOF while reading Bitmap File Header.\n");
        return report;
    }
    bfType = quint16(Upper(fh[0]) | (Upper(fh[1]) << 8));
    bfSize = U32(fh + 2);
    bfReserved1 = U16(fh + 6);
    bfReserved2 = U16(fh + 8);
    bfOffBits = U32(fh + 10);
    if (bfType != quint16('B' | ('M' << 8))) {
        say("Error: The file is not a Bitmap File.\n");
        return report;
    }
    if (qint64(bfSize) != in.Size())
        say("Warning: The file size field is incorrect.\n");
    if (bfReserved1 != 0)
        say("Warning: Reserved1 is not 0.\n");
    if (bfReserved2 != 0)
        say("Warning: Reserved2 is not 0.\n");
    if (qint64(bfOffBits) >= in.Size())
        say("Warning: The file offset field is incorrect.\n");

    // The information header is read as 40 bytes whatever its size field says.
    quint8 ih[kInfoHeaderSize];
    if (in.Read(ih, kInfoHeaderSize) < kInfoHeaderSize) {
        say("Premature EOF while reading Bitmap Info Header.\n");
        return report;
    }
    biSize = U32(ih);
    biWidth = S32(ih + 4);
    biHeight = S32(ih + 8);
    biPlanes = U16(ih + 12);
    biBitCount = U16(ih + 14);
    biCompression = U32(ih + 16);
    biSizeImage = S32(ih + 20);
    biXPelsPerMeter = S32(ih + 24);
    biYPelsPerMeter = S32(ih + 28);
    biClrUsed = U32(ih + 32);
    biClrImportant = U32(ih + 36);
    if (biSize != kInfoHeaderSize) {
        say("Error: Bitmap Info Header size is incorrect.\n");
        return report;
    }
    // A negative width would make a negative row size; it is refused as a width that
    // does not fit rather than read with.
    if (biWidth > kMaxWidth || biWidth < 0) {
        say("Sorry: Bitmap width too large.\n");
        return report;
    }
    // A negative height is a picture stored top row first; its height is the magnitude
    // (compared without negating, which has no answer for INT32_MIN).
    if (biHeight > kMaxHeight || biHeight < -kMaxHeight) {
        say("Sorry: Bitmap height too large.\n");
        return report;
    }
    if (biPlanes != 1) {
        say("Error: Bitmap Planes must be 1.\n");
        return report;
    }
    if (biBitCount != 1 && biBitCount != 4 && biBitCount != 8 && biBitCount != 24) {
        say("Error: Bitmap colors must be 1, 4, 8, or 24 bits.\n");
        return report;
    }
    if (biCompression != 0) {
        say("Sorry: We don't handle compressed files at this time.\n");
        return report;
    }

    // From here on the height is the number of rows, whichever way they are stored, so
    // that everything that shows or uses it sees a positive height.
    m_bTopDown = biHeight < 0;
    if (m_bTopDown)
        biHeight = -biHeight;
    m_nRowBytes = RowBytes(biWidth, biBitCount);
    const qint32 computed = qint32(qint64(m_nRowBytes) * biHeight);
    if (biSizeImage != 0 && biSizeImage != computed)
        say("Warning: Image size field contradicts w, h, c. Using our own.\n");
    biSizeImage = computed;
    if (biClrUsed != 0)
        say("Warning: Ignoring non-zero color used field.\n");
    if (biClrImportant != 0)
        say("Warning: Ignoring non-zero color important field.\n");

    // The colour table follows the 40-byte header directly; its size follows the depth
    // alone, never the colours-used field.
    m_nPaletteEntries = biBitCount == 1 ? 2 : biBitCount == 4 ? 16 : biBitCount == 8 ? 256 : 0;
    if (m_nPaletteEntries > 0) {
        quint8 table[256 * 4];
        const qint64 want = 4 * qint64(m_nPaletteEntries);
        const qint64 got = in.Read(table, want);
        for (qint64 i = 0; i < got / 4; ++i)
            m_palette[size_t(i)] =
                RgbQuad{table[4 * i], table[4 * i + 1], table[4 * i + 2], table[4 * i + 3]};
        if (got < want) {
            say("Premature EOF while reading RGBQuad.\n");
            return report;
        }
    }

    in.Seek(bfOffBits);
    // The whole store is cleared; only rows an earlier read wrote can be other than zero.
    std::fill(m_pixels.begin(), m_pixels.begin() + size_t(kStoreRowBytes) * size_t(m_nDirtyRows),
              quint8(0));
    m_nDirtyRows = biHeight;
    if (!ReadRows(in)) {
        say("Premature EOF while reading a Bitmap row.\n");
        return report;
    }
    m_bLoaded = 1;
    return report;
}

bool CSourceBitmap::ReadRows(CReadCursor& in) {
    const int rows = std::max(biHeight, 0);
    const size_t rowBytes = size_t(m_nRowBytes);
    const size_t stride = size_t(kStoreRowBytes);
    if (rows == 0 || rowBytes == 0)
        return true;
    // All rows in one read, as they lie in the file, at the start of the store; then each
    // moved to its place. Read row by row, the system calls took longer than the copying.
    const qint64 want = qint64(rowBytes) * rows;
    const qint64 got = std::max<qint64>(in.Read(m_pixels.data(), want), 0);
    // File row i (with what there was of a row cut short) goes to store row i: rows are
    // spread from the last, whose place lies furthest from where it was read, so that no
    // row is overwritten before it is moved. The bytes between the rows are cleared.
    const int present =
        int(std::min<qint64>(rows, (got + qint64(rowBytes) - 1) / qint64(rowBytes)));
    for (int i = present - 1; i >= 0; --i) {
        const size_t length = std::min<size_t>(rowBytes, size_t(got) - size_t(i) * rowBytes);
        quint8* to = StoreRow(i);
        if (i > 0 && stride != rowBytes)
            std::memmove(to, m_pixels.data() + size_t(i) * rowBytes, length);
        std::memset(to + length, 0, stride - length);
    }
    // The file holds the bottom row first, or the top row first when it said so.
    if (!m_bTopDown) {
        for (int i = 0, j = rows - 1; i < j; ++i, --j)
            std::swap_ranges(StoreRow(i), StoreRow(i) + stride, StoreRow(j));
    }
    return got == want;
}
