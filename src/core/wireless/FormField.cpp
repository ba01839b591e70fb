#include "FormField.h"

#include "text/NumberScan.h"

QString FormField::IntegerMessage() {
    return QStringLiteral("Please enter an integer.");
}

QString FormField::RangeMessage(int min, int max) {
    return QStringLiteral("Please enter an integer between %1 and %2.").arg(min).arg(max);
}

QString FormField::LengthMessage(int limit) {
    return QStringLiteral("Please enter no more than %1 characters.").arg(limit);
}

bool FormField::ParseInteger(const QString& typed, int* value) {
    // The whole entry is the number: "12a" is no integer here, unlike a "%d" read.
    const QString trimmed = typed.trimmed();
    const NumberScan::Number n = NumberScan::Scan(trimmed);
    return n.end == trimmed.size() && n.ToInt(value);
}

bool FormField::Check(FieldKind kind, int limit, int min, int max, const QString& typed,
                      int* number, QString* message) {
    switch (kind) {
    case FieldKind::Text:
        if (limit > 0 && typed.size() > limit) {
            if (message)
                *message = LengthMessage(limit);
            return false;
        }
        return true;
    case FieldKind::Integer:
        if (!ParseInteger(typed, number)) {
            if (message)
                *message = IntegerMessage();
            return false;
        }
        if (*number < min || *number > max) {
            if (message)
                *message = RangeMessage(min, max);
            return false;
        }
        return true;
    case FieldKind::Radio:
    case FieldKind::Check:
        if (!ParseInteger(typed, number))
            *number = -1;
        return true;
    case FieldKind::Combo:
    case FieldKind::ReadOnly:
        return true;
    }
    return true;
}
