#pragma once

#include <QString>

// The numeric fields of the Custom Attributes page: texts turned into numbers only when
// needed, -1 standing for a blank field.
namespace NumberField {
// A decimal number read from the start of the text as "%d" scanning does (leading white
// space, an optional sign, digits; the rest ignored): -1 when there is none, 0 for a
// negative number, the maximum for a larger one.
int ReadClampedNumber(const QString& text, int maximum);
// The empty text for -1, else the decimal value.
QString FormatNumber(int value);

// The clean-up when the user leaves a field: blanks removed, the number clamped. Returns
// false when the text holds no number; *message is then the text to show and the field
// is emptied.
bool ValidateNumberField(QString* text, int maximum, QString* message);
} // namespace NumberField
