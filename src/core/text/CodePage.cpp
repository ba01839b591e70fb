#include "CodePage.h"

namespace {
// 0x80 to 0x9F of code page 1252; 0 marks the five unassigned positions, which map to the
// C1 control of the same value as Windows does.
const char16_t kHigh[32] = {
    0x20AC, 0,      0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0,      0x017D, 0,      0,      0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0,      0x017E, 0x0178,
};

QChar ByteToChar(quint8 b) {
    if (b >= 0x80 && b <= 0x9F && kHigh[b - 0x80])
        return QChar(kHigh[b - 0x80]);
    return QChar(b);
}

char CharToByte(QChar c) {
    const char16_t u = c.unicode();
    if (u < 0x80 || (u >= 0xA0 && u <= 0xFF))
        return char(u);
    for (int i = 0; i < 32; ++i) {
        if (kHigh[i] ? kHigh[i] == u : u == 0x80 + i)
            return char(0x80 + i);
    }
    return '?';
}
} // namespace

QByteArray CodePage::ToBytes(const QString& text) {
    QByteArray out;
    out.reserve(text.size());
    for (QChar c : text)
        out += CharToByte(c);
    return out;
}

QString CodePage::FromBytes(const char* bytes, int count) {
    QString out;
    out.reserve(count);
    for (int i = 0; i < count; ++i)
        out += ByteToChar(quint8(bytes[i]));
    return out;
}

QString CodePage::FromBytes(const QByteArray& bytes) {
    return FromBytes(bytes.constData(), int(bytes.size()));
}
