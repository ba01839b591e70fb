#pragma once

#include <QByteArrayView>
#include <QStringView>
#include <QtGlobal>

// Numbers read the way the C library's scanning reads "%d" or "%x": leading white space
// skipped, an optional sign, for base 16 an optional 0x, then the digits up to the first
// other character ("12a" is 12). What to do with a value out of range differs by caller
// (a field clamps it, a printer's reply keeps the low 32 bits as the scan did, a radio
// reply refuses it), so the scan gives the digits' value and leaves that choice to them.
namespace NumberScan {

struct Number {
    bool found = false; // at least one digit
    bool negative = false;
    // The digits' value, held at 2^63 once it passes it (no field comes near).
    quint64 magnitude = 0;
    // The digits' value modulo 2^32, which is what a 32-bit conversion keeps.
    quint32 low32 = 0;
    // The index just past the last digit (or where the scan stopped without one).
    int end = 0;

    // The signed value, clamped to [min, max].
    qint64 Clamped(qint64 min, qint64 max) const;
    // The signed value when it fits in an int.
    bool ToInt(int* value) const;
};

Number Scan(QStringView text, int base = 10);
Number Scan(QByteArrayView text, int base = 10);

// The C library's white space: blank, tab, line feed, vertical tab, form feed, return.
bool IsScanSpace(char32_t c);
// 0 to 15 for a hexadecimal digit, else -1.
int HexDigit(char32_t c);

} // namespace NumberScan
