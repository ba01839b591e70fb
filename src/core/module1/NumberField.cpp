#include "NumberField.h"

namespace {
bool IsScanSpace(QChar c) {
    return c == QLatin1Char(' ') || c == QLatin1Char('\t') || c == QLatin1Char('\n') ||
           c == QLatin1Char('\v') || c == QLatin1Char('\f') || c == QLatin1Char('\r');
}
} // namespace

int NumberField::ReadClampedNumber(const QString& text, int maximum) {
    int i = 0;
    while (i < text.size() && IsScanSpace(text[i]))
        ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == QLatin1Char('+') || text[i] == QLatin1Char('-'))) {
        negative = text[i] == QLatin1Char('-');
        ++i;
    }
    const int firstDigit = i;
    qint64 value = 0;
    while (i < text.size() && text[i] >= QLatin1Char('0') && text[i] <= QLatin1Char('9')) {
        // Past any field's maximum the exact value no longer matters.
        if (value <= 0x7FFFFFFF)
            value = value * 10 + (text[i].unicode() - '0');
        ++i;
    }
    if (i == firstDigit)
        return -1;
    if (negative && value != 0)
        return 0;
    return value > maximum ? maximum : int(value);
}

QString NumberField::FormatNumber(int value) {
    return value == -1 ? QString() : QString::number(value);
}

bool NumberField::ValidateNumberField(QString* text, int maximum, QString* message) {
    QString compact = *text;
    compact.remove(QLatin1Char(' '));
    if (compact.isEmpty()) {
        *text = compact;
        return true;
    }
    const int value = ReadClampedNumber(compact, maximum);
    if (value == -1) {
        if (message)
            *message = QStringLiteral("Invalid value \"%1\"").arg(compact);
        text->clear();
        return false;
    }
    *text = QString::number(value);
    return true;
}
