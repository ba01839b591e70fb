#include "NumberScan.h"

#include <limits>

namespace {
constexpr quint64 kHeld = quint64(1) << 63;

char32_t Code(QChar c) {
    return c.unicode();
}
char32_t Code(char c) {
    return uchar(c);
}

template <class Text> NumberScan::Number ScanText(const Text& text, int base) {
    NumberScan::Number n;
    const int size = int(text.size());
    auto at = [&](int i) { return Code(text[i]); };
    int i = 0;
    while (i < size && NumberScan::IsScanSpace(at(i)))
        ++i;
    if (i < size && (at(i) == U'+' || at(i) == U'-'))
        n.negative = at(i++) == U'-';
    if (base == 16 && i + 2 < size && at(i) == U'0' && (at(i + 1) == U'x' || at(i + 1) == U'X') &&
        NumberScan::HexDigit(at(i + 2)) >= 0)
        i += 2;
    for (; i < size; ++i) {
        const int digit = NumberScan::HexDigit(at(i));
        if (digit < 0 || digit >= base)
            break;
        n.found = true;
        n.low32 = n.low32 * quint32(base) + quint32(digit);
        if (n.magnitude < kHeld)
            n.magnitude = qMin(kHeld, n.magnitude * quint64(base) + quint64(digit));
    }
    n.end = i;
    return n;
}
} // namespace

namespace NumberScan {

qint64 Number::Clamped(qint64 min, qint64 max) const {
    const qint64 value =
        negative ? -qint64(qMin(magnitude, kHeld - 1)) : qint64(qMin(magnitude, kHeld - 1));
    return qBound(min, value, max);
}

bool Number::ToInt(int* value) const {
    if (!found)
        return false;
    const qint64 limit = negative ? qint64(std::numeric_limits<int>::max()) + 1
                                  : qint64(std::numeric_limits<int>::max());
    if (magnitude > quint64(limit))
        return false;
    *value = int(negative ? -qint64(magnitude) : qint64(magnitude));
    return true;
}

Number Scan(QStringView text, int base) {
    return ScanText(text, base);
}

Number Scan(QByteArrayView text, int base) {
    return ScanText(text, base);
}

bool IsScanSpace(char32_t c) {
    return c == U' ' || c == U'\t' || c == U'\n' || c == U'\v' || c == U'\f' || c == U'\r';
}

int HexDigit(char32_t c) {
    if (c >= U'0' && c <= U'9')
        return int(c - U'0');
    if (c >= U'a' && c <= U'f')
        return int(c - U'a') + 10;
    if (c >= U'A' && c <= U'F')
        return int(c - U'A') + 10;
    return -1;
}

} // namespace NumberScan
