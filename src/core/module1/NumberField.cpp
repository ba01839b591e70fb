#include "NumberField.h"

#include "text/NumberScan.h"

int NumberField::ReadClampedNumber(const QString& text, int maximum) {
    const NumberScan::Number n = NumberScan::Scan(text);
    if (!n.found)
        return -1;
    // A negative entry reads as 0, one past the field's maximum as the maximum.
    return int(n.Clamped(0, maximum));
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
