#include "AtReply.h"

#include <limits>

namespace {
const char* const kOk = "OK";

int HexDigit(char c) {
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    return -1;
}

// reply.mid(start, length) with both ends kept inside the reply.
QByteArray Slice(const QByteArray& reply, qsizetype start, qsizetype length) {
    if (length <= 0 || start < 0 || start >= reply.size())
        return {};
    return reply.mid(start, qMin(length, reply.size() - start));
}
} // namespace

QByteArray AtReply::UpToZero(const QByteArray& bytes) {
    const qsizetype zero = bytes.indexOf('\0');
    return zero < 0 ? bytes : bytes.left(zero);
}

bool AtReply::CheckSegment(const QByteArray& reply, const Rule& rule, QByteArray* value) {
    const qsizetype l = reply.indexOf(rule.prefix);
    if (l < 0)
        return false;
    const qsizetype prefixLength = qstrlen(rule.prefix);
    const qsizetype start = l + prefixLength + (rule.quoted ? 1 : 0);
    const qsizetype m = rule.nextEcho ? reply.indexOf(rule.nextEcho) : -1;
    // The check segment counts its length from the prefix but starts at the value, so it
    // reaches a few characters past the next echo; without a next echo it is empty.
    const QByteArray segment = Slice(reply, start, m - l);
    if (!segment.contains(kOk))
        return false;
    if (value) {
        const qsizetype length = m - l - prefixLength - kTrailer - (rule.quoted ? 2 : 0);
        *value = Slice(reply, start, length);
    }
    return true;
}

AtReply::Found AtReply::Extract(const QByteArray& reply, const Rule& rule, QString* value) {
    if (!reply.contains(rule.prefix))
        return Found::Missing;
    QByteArray raw;
    if (!CheckSegment(reply, rule, &raw))
        return Found::Failed;
    *value = rule.quoted ? Unquote(raw) : QString::fromLatin1(raw);
    return Found::Value;
}

bool AtReply::FixedLength(const QByteArray& reply, const char* prefix, int count, QString* value) {
    const qsizetype l = reply.indexOf(prefix);
    if (l < 0)
        return false;
    *value = QString::fromLatin1(Slice(reply, l + qstrlen(prefix), count));
    return true;
}

int AtReply::FirstDigit(const QString& value) {
    if (value.isEmpty() || !value[0].isDigit() || value[0].unicode() > '9')
        return -1;
    return value[0].unicode() - '0';
}

bool AtReply::ReadDecimal(const QString& value, int* number) {
    int i = 0;
    while (i < value.size() && (value[i] == QLatin1Char(' ') || value[i] == QLatin1Char('\t')))
        ++i;
    bool negative = false;
    if (i < value.size() && (value[i] == QLatin1Char('-') || value[i] == QLatin1Char('+')))
        negative = value[i++] == QLatin1Char('-');
    qint64 n = 0;
    int digits = 0;
    for (; i < value.size() && value[i] >= QLatin1Char('0') && value[i] <= QLatin1Char('9'); ++i) {
        n = n * 10 + (value[i].unicode() - '0');
        // Beyond 32 bits "%d" has no defined result; such a value is not taken.
        if (n > qint64(std::numeric_limits<int>::max()) + 1)
            return false;
        ++digits;
    }
    if (digits == 0)
        return false;
    if (negative)
        n = -n;
    if (n > std::numeric_limits<int>::max() || n < std::numeric_limits<int>::min())
        return false;
    *number = int(n);
    return true;
}

QByteArray AtReply::Quote(const QString& text) {
    QByteArray out("\"");
    for (QChar c : text) {
        const ushort u = c.unicode();
        if (u == '"' || u == '\\' || u < 0x20 || u == 0x7F)
            out += '\\' + QByteArray::number(u, 16).toUpper().rightJustified(2, '0');
        else
            out += u <= 0xFF ? char(u) : '?';
    }
    return out + '"';
}

QString AtReply::Unquote(const QByteArray& value) {
    QString out;
    for (qsizetype i = 0; i < value.size(); ++i) {
        if (value[i] == '\\' && i + 2 < value.size()) {
            const int high = HexDigit(value[i + 1]);
            const int low = HexDigit(value[i + 2]);
            if (high >= 0 && low >= 0) {
                out += QChar(high * 16 + low);
                i += 2;
                continue;
            }
        }
        out += QChar(uchar(value[i]));
    }
    return out;
}

bool AtReply::Take(const QByteArray& reply, const Rule& rule, QString* value, bool* ok) {
    const Found found = Extract(reply, rule, value);
    if (found == Found::Failed)
        *ok = false;
    return found == Found::Value;
}
