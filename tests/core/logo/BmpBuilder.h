#pragma once

#include <QByteArray>
#include <QtGlobal>
#include <functional>

// Writes BMP files byte by byte for the tests: a 14-byte file header, a 40-byte
// information header, a colour table and the rows bottom row first, every field
// overridable so that a test can make the file lie.
struct BmpBuilder {
    QByteArray signature = "BM";
    qint64 fileSize = -1; // -1: the real size
    quint16 reserved1 = 0, reserved2 = 0;
    qint64 offBits = -1; // -1: right after the colour table
    quint32 infoSize = 40;
    qint32 width = 4, height = 2;
    quint16 planes = 1, bitCount = 24;
    quint32 compression = 0;
    qint32 sizeImage = 0;
    quint32 clrUsed = 0, clrImportant = 0;
    int paletteEntries = -1; // -1: what the depth takes
    QByteArray palette;      // when empty: entry i is (i, i, i)
    // Pixel (x, y) from the top as blue, green, red (24 bits) or as an index (others).
    std::function<quint32(int, int)> pixel = [](int, int) { return 0xFFFFFFu; };
    int rowsWritten = -1;  // -1: all rows
    bool placeRows = true; // false: the file ends after the colour table
    bool topDown = false;  // rows top row first, the height stated negative

    static int StoredRowBytes(int width, int bits) {
        const int bitsPerRow = width * bits;
        return (bitsPerRow + 31) / 32 * 4;
    }
    static void Put16(QByteArray& a, quint16 v) {
        a.append(char(v & 0xFF));
        a.append(char(v >> 8));
    }
    static void Put32(QByteArray& a, quint32 v) {
        for (int i = 0; i < 4; ++i)
            a.append(char((v >> (8 * i)) & 0xFF));
    }
    static void Put32At(QByteArray& a, int at, quint32 v) {
        for (int i = 0; i < 4; ++i)
            a[at + i] = char((v >> (8 * i)) & 0xFF);
    }
    int Entries() const {
        if (paletteEntries >= 0)
            return paletteEntries;
        return bitCount == 1 ? 2 : bitCount == 4 ? 16 : bitCount == 8 ? 256 : 0;
    }
    QByteArray Row(int y) const {
        const int w = width < 0 ? 0 : width;
        QByteArray row(StoredRowBytes(w, bitCount), '\0');
        for (int x = 0; x < w; ++x) {
            const quint32 v = pixel(x, y);
            switch (bitCount) {
            case 24:
                row[3 * x] = char(v & 0xFF);
                row[3 * x + 1] = char((v >> 8) & 0xFF);
                row[3 * x + 2] = char((v >> 16) & 0xFF);
                break;
            case 8:
                row[x] = char(v);
                break;
            case 4:
                row[x / 2] = char(row[x / 2] | ((v & 0x0F) << (x % 2 ? 0 : 4)));
                break;
            case 1:
                if (v & 1)
                    row[x / 8] = char(row[x / 8] | (0x80 >> (x % 8)));
                break;
            }
        }
        return row;
    }
    QByteArray Build() const {
        QByteArray table = palette;
        if (table.isEmpty()) {
            for (int i = 0; i < Entries(); ++i)
                table.append(char(i)).append(char(i)).append(char(i)).append('\0');
        }
        QByteArray pixels;
        const int rows = height < 0 ? 0 : height;
        const int written = rowsWritten < 0 ? rows : rowsWritten;
        for (int r = 0; r < written; ++r)
            pixels += Row(topDown ? r : rows - 1 - r);
        const qint64 off = offBits >= 0 ? offBits : 14 + 40 + table.size();
        QByteArray head = signature;
        const qint64 total = off + pixels.size();
        Put32(head, quint32(fileSize >= 0 ? fileSize : total));
        Put16(head, reserved1);
        Put16(head, reserved2);
        Put32(head, quint32(off));
        Put32(head, infoSize);
        Put32(head, quint32(width));
        Put32(head, quint32(topDown ? -height : height));
        Put16(head, planes);
        Put16(head, bitCount);
        Put32(head, compression);
        Put32(head, quint32(sizeImage));
        Put32(head, 2835);
        Put32(head, 2835);
        Put32(head, clrUsed);
        Put32(head, clrImportant);
        QByteArray file = head + table;
        if (!placeRows) {
            if (fileSize < 0)
                Put32At(file, 2, quint32(file.size()));
            return file;
        }
        // Rows at an offset inside the headers or the table overwrite what is there.
        if (file.size() < off)
            file.append(QByteArray(int(off - file.size()), '\0'));
        if (file.size() < off + pixels.size())
            file.append(QByteArray(int(off + pixels.size() - file.size()), '\0'));
        file.replace(int(off), int(pixels.size()), pixels);
        if (fileSize < 0)
            Put32At(file, 2, quint32(file.size()));
        return file;
    }
};
