#include "Notation.h"

#include "text/CodePage.h"

namespace {
enum class State { Normal, AfterCaret, AfterBackslash, AfterX, AfterFirstDigit };

// The value of a hexadecimal digit after upper-casing a to z, or -1.
int HexValue(quint8 c) {
    if (c >= 'a' && c <= 'z')
        c = quint8(c - 0x20);
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'A' && c <= 'F')
        return c - 0x37;
    return -1;
}
} // namespace

QByteArray Notation::Parse(const QByteArray& text) {
    QByteArray out;
    State state = State::Normal;
    int value = 0;
    const int end = int(qMin<qsizetype>(text.size(), kMaxScanned));
    int i = 0;
    while (i < end) {
        const quint8 c = quint8(text[i]);
        if (c == '\n')
            break;
        bool again = false; // examine this character once more, in the new state
        switch (state) {
        case State::Normal:
            if (c == '^')
                state = State::AfterCaret;
            else if (c == '\\')
                state = State::AfterBackslash;
            else
                out += char(c);
            break;
        case State::AfterCaret:
            if (c >= 0x40 && c <= 0x5F)
                out += char(c - 0x40);
            else if (c >= 0x60 && c <= 0x7F)
                out += char(c - 0x60);
            else
                out += char(c);
            state = State::Normal;
            break;
        case State::AfterBackslash:
            if (c == 'x' || c == 'X') {
                value = 0;
                state = State::AfterX;
            } else {
                out += char(c);
                state = State::Normal;
            }
            break;
        case State::AfterX: {
            const int d = HexValue(c);
            if (d >= 0) {
                value = d;
                state = State::AfterFirstDigit;
            } else {
                state = State::Normal; // the backslash and x give nothing
                again = true;
            }
            break;
        }
        case State::AfterFirstDigit: {
            const int d = HexValue(c);
            if (d >= 0) {
                out += char(value * 16 + d);
            } else {
                out += char(value);
                again = true;
            }
            state = State::Normal;
            break;
        }
        }
        if (!again)
            ++i;
    }
    return out;
}

QByteArray Notation::Parse(const QString& text) {
    return Parse(CodePage::ToBytes(text));
}

// A byte as backslash, x and two upper-case hexadecimal digits.
static QString HexByte(int value) {
    return QStringLiteral("\\x") +
           QStringLiteral("%1").arg(value & 0xFF, 2, 16, QLatin1Char('0')).toUpper();
}

QString Notation::ByteCommand(const QString& prefix, int value) {
    return prefix + HexByte(value);
}

QString Notation::WordCommand(const QString& prefix, int value) {
    return prefix + HexByte(value) + HexByte(value >> 8);
}

QString Notation::MonitorForm(const QByteArray& bytes) {
    QString out;
    for (char ch : bytes) {
        const quint8 b = quint8(ch);
        if (b == 0x0D || b == 0x0A)
            out += QChar(b);
        else if (b < 0x20)
            out += QLatin1Char('^') + QChar(b + 0x40);
        else if (b < 0x80)
            out += QChar(b);
        else
            out += HexByte(b);
    }
    return out;
}

QString Notation::VisibleForm(const QString& text) {
    QString out;
    out.reserve(text.size());
    for (QChar c : text) {
        const char16_t u = c.unicode();
        if (u < 0x20)
            out += QLatin1Char('^') + QChar(u + 0x40);
        else if (u == 0x7F || (u >= 0x80 && u <= 0x9F))
            out += HexByte(quint8(u));
        else
            out += c;
    }
    return out;
}
