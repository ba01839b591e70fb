#include "PngWriter.h"

#include <array>
#include <cstring>
#include <memory>
#include <vector>

namespace PngWriter {
namespace {

// Eight tables: the CRC advances eight bytes a step, which keeps a
// megabyte-sized IDAT of a true-colour picture from costing milliseconds.
using CrcTables = std::array<std::array<quint32, 256>, 8>;

CrcTables MakeCrcTables() {
    CrcTables t{};
    for (quint32 n = 0; n < 256; ++n) {
        quint32 c = n;
        for (int k = 0; k < 8; ++k)
            c = (c & 1) ? 0xEDB88320u ^ (c >> 1) : c >> 1;
        t[0][n] = c;
    }
    for (quint32 n = 0; n < 256; ++n)
        for (size_t k = 1; k < t.size(); ++k)
            t[k][n] = (t[k - 1][n] >> 8) ^ t[0][t[k - 1][n] & 0xFF];
    return t;
}

const CrcTables& Tables() {
    static const CrcTables tables = MakeCrcTables();
    return tables;
}

void PutBigEndian(QByteArray& out, quint32 v) {
    const char b[4] = {char(v >> 24), char(v >> 16), char(v >> 8), char(v)};
    out.append(b, 4);
}

// Length, type, data, and the CRC of type and data.
void PutChunk(QByteArray& out, const char type[4], const char* data, qsizetype size) {
    PutBigEndian(out, quint32(size));
    const qsizetype start = out.size();
    out.append(type, 4);
    out.append(data, size);
    PutBigEndian(out, Crc32(out.constData() + start, size + 4));
}

constexpr quint32 kRgb = 0x00FFFFFFu;

// The picture's colours in order of first appearance, or false beyond 256. A hash of
// 1024 table, and the last colour remembered: the composite is runs of one colour.
struct Palette {
    std::vector<quint32> colours;
    std::array<qint16, 1024> table;
    quint32 lastColour = 0;
    int lastIndex = -1;

    Palette() { table.fill(-1); }

    static size_t Hash(quint32 c) { return ((c * 0x9E3779B1u) >> 22) & 1023; }

    // The colour's index, added when new; -1 when it would be the 257th.
    int IndexOf(quint32 c) {
        if (c == lastColour && lastIndex >= 0)
            return lastIndex;
        size_t h = Hash(c);
        while (table[h] >= 0 && colours[size_t(table[h])] != c)
            h = (h + 1) & 1023;
        if (table[h] < 0) {
            if (colours.size() == 256)
                return -1;
            table[h] = qint16(colours.size());
            colours.push_back(c);
        }
        lastColour = c;
        lastIndex = table[h];
        return lastIndex;
    }
};

// Each row is filter byte 0 (none) and the packed indices, leftmost pixel in the top bits.
bool PaletteRows(const quint32* pixels, int width, int height, Palette& palette, QByteArray& rows) {
    // First the indices, one byte each; the bit depth is known only at the end.
    const size_t count = size_t(width) * size_t(height);
    std::unique_ptr<quint8[]> index(new quint8[count]);
    for (size_t i = 0; i < count; ++i) {
        const int k = palette.IndexOf(pixels[i] & kRgb);
        if (k < 0)
            return false;
        index[i] = quint8(k);
    }
    const size_t n = palette.colours.size();
    const int depth = n <= 2 ? 1 : n <= 4 ? 2 : n <= 16 ? 4 : 8;
    const qsizetype rowBytes = (qsizetype(width) * depth + 7) / 8;
    rows = QByteArray((rowBytes + 1) * height, Qt::Uninitialized);
    char* out = rows.data();
    for (int y = 0; y < height; ++y) {
        *out++ = 0;
        const quint8* in = index.get() + size_t(width) * size_t(y);
        if (depth == 8) {
            std::memcpy(out, in, size_t(width));
            out += width;
            continue;
        }
        unsigned acc = 0;
        int bits = 0;
        for (int x = 0; x < width; ++x) {
            acc = (acc << depth) | in[x];
            bits += depth;
            if (bits == 8) {
                *out++ = char(acc);
                acc = 0;
                bits = 0;
            }
        }
        // The last byte of a row is filled up with zero bits.
        if (bits > 0)
            *out++ = char(acc << (8 - bits));
    }
    return true;
}

// Each row is filter byte 2 (up: each byte less the one above it) and the RGB bytes. The
// colour part of the composite is a picture; against the row above it deflates to a
// seventh of the plain bytes, and faster.
QByteArray RgbRows(const quint32* pixels, int width, int height) {
    QByteArray rows((qsizetype(width) * 3 + 1) * height, Qt::Uninitialized);
    char* out = rows.data();
    for (int y = 0; y < height; ++y) {
        *out++ = 2;
        const quint32* in = pixels + size_t(width) * size_t(y);
        const quint32* above = y > 0 ? in - width : nullptr;
        for (int x = 0; x < width; ++x) {
            const quint32 p = in[x], q = above ? above[x] : 0;
            *out++ = char(quint8((p >> 16) - (q >> 16)));
            *out++ = char(quint8((p >> 8) - (q >> 8)));
            *out++ = char(quint8(p - q));
        }
    }
    return rows;
}

} // namespace

quint32 Crc32(const char* data, qsizetype size, quint32 crc) {
    const CrcTables& t = Tables();
    const auto* p = reinterpret_cast<const quint8*>(data);
    crc = ~crc;
    while (size >= 8) {
        const quint32 a =
            crc ^ (quint32(p[0]) | quint32(p[1]) << 8 | quint32(p[2]) << 16 | quint32(p[3]) << 24);
        crc = t[7][a & 0xFF] ^ t[6][(a >> 8) & 0xFF] ^ t[5][(a >> 16) & 0xFF] ^ t[4][a >> 24] ^
              t[3][p[4]] ^ t[2][p[5]] ^ t[1][p[6]] ^ t[0][p[7]];
        p += 8;
        size -= 8;
    }
    while (size-- > 0)
        crc = t[0][(crc ^ *p++) & 0xFF] ^ (crc >> 8);
    return ~crc;
}

QByteArray Encode(const quint32* pixels, int width, int height) {
    // PNG allows 2^31 - 1 a side; a row of RGB must also fit a QByteArray comfortably.
    if (!pixels || width <= 0 || height <= 0 || width > (1 << 24) || height > (1 << 24) ||
        qint64(width) * height > (qint64(1) << 28))
        return {};
    Palette palette;
    QByteArray rows;
    const bool indexed = PaletteRows(pixels, width, height, palette, rows);
    if (!indexed)
        rows = RgbRows(pixels, width, height);
    // qCompress puts the uncompressed size before the zlib stream; IDAT holds the stream.
    // A true-colour picture at the fastest level: the default takes three times as long
    // for a file a sixth smaller.
    const QByteArray compressed = qCompress(rows, indexed ? -1 : 1);
    if (compressed.size() <= 4)
        return {};

    const size_t n = palette.colours.size();
    const char depth = !indexed ? 8 : n <= 2 ? 1 : n <= 4 ? 2 : n <= 16 ? 4 : 8;
    QByteArray header;
    PutBigEndian(header, quint32(width));
    PutBigEndian(header, quint32(height));
    // Bit depth, colour type (3 palette, 2 RGB), deflate, adaptive filtering, no interlace.
    const char rest[5] = {depth, char(indexed ? 3 : 2), 0, 0, 0};
    header.append(rest, 5);

    QByteArray png;
    png.reserve(compressed.size() + 3 * 256 + 64);
    png.append("\x89PNG\r\n\x1A\n", 8);
    PutChunk(png, "IHDR", header.constData(), header.size());
    if (indexed) {
        QByteArray entries;
        for (quint32 c : palette.colours) {
            const char rgb[3] = {char(c >> 16), char(c >> 8), char(c)};
            entries.append(rgb, 3);
        }
        PutChunk(png, "PLTE", entries.constData(), entries.size());
    }
    PutChunk(png, "IDAT", compressed.constData() + 4, compressed.size() - 4);
    PutChunk(png, "IEND", nullptr, 0);
    return png;
}

} // namespace PngWriter
