#pragma once

#include <QString>

// One control of a settings page as the page's data exchange sees it: its control ID,
// what kind of value it holds, its range check, and the form member it fills. The radio
// pages list their controls in data-exchange order, so the page, kvuctl and the tests
// take typed texts into the fields by the same rules.
enum class FieldKind {
    Text,     // an edit; `limit` is the most characters it takes (0: no limit)
    Integer,  // an edit holding a decimal integer between `min` and `max`
    Combo,    // a drop-down combo with an edit field: the field is its text
    ReadOnly, // a read-only edit the page fills from a Read
    Radio,    // a radio group: the index of the checked button, -1 for none
    Check,    // a check box: 0 or 1
};

template <class Form> struct TFormField {
    int id;
    FieldKind kind;
    int limit;
    int min;
    int max;
    QString Form::*text;
    int Form::*number;
};

namespace FormField {
// The framework's range-check texts.
QString IntegerMessage();               // "Please enter an integer."
QString RangeMessage(int min, int max); // "Please enter an integer between %1 and %2."
QString LengthMessage(int limit);       // "Please enter no more than %1 characters."

// Reads a typed integer as the data exchange does: blanks around it and a sign are
// allowed, anything else (or a number beyond 32 bits) is not an integer.
bool ParseInteger(const QString& typed, int* value);

// Checks a typed text for a Text or Integer field; on failure gives the message.
bool Check(FieldKind kind, int limit, int min, int max, const QString& typed, int* number,
           QString* message);

// Takes a typed text into its field; a failed check leaves the field as it was.
template <class Form>
bool Take(Form& form, const TFormField<Form>& field, const QString& typed, QString* message) {
    int number = 0;
    if (!Check(field.kind, field.limit, field.min, field.max, typed, &number, message))
        return false;
    if (field.kind == FieldKind::Integer || field.kind == FieldKind::Radio ||
        field.kind == FieldKind::Check)
        form.*(field.number) = number;
    else
        form.*(field.text) = typed;
    return true;
}

// The text a field shows in its control.
template <class Form> QString Show(const Form& form, const TFormField<Form>& field) {
    if (field.number)
        return QString::number(form.*(field.number));
    return form.*(field.text);
}
} // namespace FormField
