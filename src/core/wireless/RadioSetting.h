#pragma once

#include "AtConnection.h"
#include "AtReply.h"
#include "FormField.h"
#include "text/CodePage.h"

#include <QByteArray>
#include <QStringList>
#include <QVector>
#include <vector>

// One table per radio page, one row per setting: the Read batch, the reading of each
// answer, the set commands with their checks, kvuctl's options, its help, its JSON and
// its --verify all come from these rows, so a setting is spelled once.

// How a setting is taken from the module's answer.
enum class ReadAs {
    Never,   // never read back (the WLAN key and its index)
    Text,    // the text as it stands; `length` > 0 takes only that many characters
    Quoted,  // a text between double quotes; an unquoted answer is of no use
    Decimal, // a number read as "%d"; an answer that is no number is of no use
    Button,  // a digit numbering the radio buttons from 1; one with no button is of no use
    Digit,   // the first character as a digit, a non-digit read as 0
};

// How it goes into its set command.
enum class WriteAs {
    Never,          // read-only: the module's address and version
    Text,           // as it stands; a text that would end the command early is refused
    Quoted,         // between double quotes, escaped
    FirstCharacter, // the digit of a "digit = meaning" combo ("1 = Managed" sends 1)
    Number,         // the field's number in decimal
    Button,         // the radio index plus 1: the module numbers the buttons from 1
};

// What kvuctl's JSON gives for it.
enum class JsonAs {
    Text,   // a string
    Number, // a number (a text field that holds no decimal number stays a string)
    Choice, // {"value": number, "text": the page's text for it, null when it has none}
    Flag,   // true or false
};

template <class Form> struct TRadioSetting {
    const char* key;     // kvuctl's JSON key and option (with '-' for '_')
    const char* label;   // the page's name for it, in messages
    const char* command; // the module's command ("AT*AGLN"); its query adds "?"
    int part;            // the setting's argument in the command, from 0
    int fieldId;         // the page's control: its kind, range check and member
    ReadAs read;
    WriteAs write;
    JsonAs json;
    int length = 0;                // ReadAs::Text: the characters taken (0: all)
    int commandLimit = 0;          // the longest command the module takes, CR included (0: any)
    const char* group = nullptr;   // the command's name in messages when it carries several
    const char* choices = nullptr; // JsonAs::Choice: the page's texts, '|' between them,
    int firstChoice = 0;           // the value of the first
    bool secret = false;           // never shown in status lines or messages
    const char* value = nullptr;   // kvuctl's name for an option value other than T or N
};

namespace RadioSettings {
template <class Form> using Rows = std::vector<TRadioSetting<Form>>;

template <class Form> const typename Form::Field& FieldOf(const TRadioSetting<Form>& row) {
    return *Form::FindField(row.fieldId);
}

// The rows of one command, in part order.
template <class Form> Rows<Form> RowsOf(const Rows<Form>& rows, const QString& command) {
    Rows<Form> of;
    for (const auto& r : rows) {
        if (command == QLatin1String(r.command))
            of.push_back(r);
    }
    return of;
}

// The texts of a setting's choices, in the order of their values.
template <class Form> QStringList Choices(const TRadioSetting<Form>& row) {
    return row.choices ? QString::fromLatin1(row.choices).split(QLatin1Char('|')) : QStringList();
}
// The same by the setting's page control.
template <class Form> QStringList Choices(const Rows<Form>& rows, int fieldId) {
    for (const auto& r : rows) {
        if (r.fieldId == fieldId)
            return Choices(r);
    }
    return {};
}

// The commands in table order, each once: those that are read, or those that are written.
template <class Form> QStringList Commands(const Rows<Form>& rows, bool read) {
    QStringList commands;
    for (const auto& r : rows) {
        const bool takes = read ? r.read != ReadAs::Never : r.write != WriteAs::Never;
        if (takes && !commands.contains(QLatin1String(r.command)))
            commands << QLatin1String(r.command);
    }
    return commands;
}

// A command's name in messages: its group's, else its one (or last) setting's.
template <class Form> QString Label(const Rows<Form>& rows, const QString& command) {
    QString label = command;
    for (const auto& r : rows) {
        if (command == QLatin1String(r.command))
            label = QLatin1String(r.group ? r.group : r.label);
    }
    return label;
}

// The setting as text, as kvuctl prints it and --verify compares it: the text a command
// carries, a radio group's button index.
template <class Form> QString Shown(const Form& form, const TRadioSetting<Form>& row) {
    const auto& field = FieldOf(row);
    if (field.number)
        return QString::number(form.*(field.number));
    const QString& text = form.*(field.text);
    return row.write == WriteAs::FirstCharacter ? text.left(1) : text;
}

// Takes one setting from its part of the answer; false when the part is of no use.
template <class Form>
bool TakePart(Form& form, const TRadioSetting<Form>& row, const QByteArray& raw,
              const QString& part, AtReply::CTaking& taking) {
    const auto& field = FieldOf(row);
    switch (row.read) {
    case ReadAs::Never:
        return true;
    case ReadAs::Text: {
        const QString text = row.length > 0 ? part.left(row.length) : part;
        form.*(field.text) = text;
        taking.CheckLength(row.command, text, field.limit);
        return true;
    }
    case ReadAs::Quoted: {
        QString text;
        if (!AtReply::Quoted(raw, &text))
            return false;
        form.*(field.text) = text;
        taking.CheckLength(row.command, text, field.limit);
        return true;
    }
    case ReadAs::Decimal: {
        int number = 0;
        if (!AtReply::ReadDecimal(part, &number))
            return false;
        form.*(field.number) = number;
        return true;
    }
    case ReadAs::Button: {
        const int digit = AtReply::FirstDigit(part);
        if (digit < 1 || digit > field.max + 1)
            return false;
        form.*(field.number) = digit - 1;
        return true;
    }
    case ReadAs::Digit:
        form.*(field.number) = qMax(0, AtReply::FirstDigit(part));
        return true;
    }
    return true;
}

// Fills the form from a Read reply to `queries`: each command's answer, cut into its
// parts by the form (Form::Parts), goes into its settings. The result names the queries
// answered and the keys of the settings the reply gave.
template <class Form>
AtReply::Taken Parse(Form& form, const Rows<Form>& rows, const QByteArray& reply,
                     const QStringList& queries) {
    AtReply::CTaking taking(reply, queries, &Form::Label);
    for (const QString& command : Commands(rows, true)) {
        const QByteArray name = command.toLatin1();
        QByteArray raw;
        if (!taking.Get(name.constData(), &raw))
            continue;
        const Rows<Form> of = RowsOf(rows, command);
        const QString value = AtReply::Plain(raw);
        const QStringList parts = of.size() == 1 ? QStringList{value} : Form::Parts(command, value);
        bool usable = true;
        for (const auto& r : of)
            usable = TakePart(form, r, raw, parts.value(r.part), taking) && usable;
        if (!usable) {
            taking.Unusable(name.constData());
            continue;
        }
        taking.Took(name.constData());
        for (const auto& r : of)
            taking.Gave(r.key);
    }
    return taking.Result();
}

// One setting's argument as its command carries it.
template <class Form> QByteArray Argument(const Form& form, const TRadioSetting<Form>& row) {
    const auto& field = FieldOf(row);
    switch (row.write) {
    case WriteAs::Never:
        break;
    case WriteAs::Text:
        return CodePage::ToBytes(form.*(field.text));
    case WriteAs::Quoted:
        return AtReply::Quote(form.*(field.text));
    case WriteAs::FirstCharacter:
        return CodePage::ToBytes((form.*(field.text)).left(1));
    case WriteAs::Number:
        return QByteArray::number(form.*(field.number));
    case WriteAs::Button:
        return QByteArray::number(form.*(field.number) + 1);
    }
    return {};
}

// The set commands in table order. False, with a message naming the setting, when a
// value does not fit its command; then nothing may be sent.
template <class Form>
bool Build(const Form& form, const Rows<Form>& rows, QVector<QByteArray>* commands,
           QString* refusal) {
    // Texts first: an unquoted one that could end its command, or one holding a
    // character the printer's code page cannot carry.
    for (const auto& r : rows) {
        if (r.write != WriteAs::Text && r.write != WriteAs::FirstCharacter &&
            r.write != WriteAs::Quoted)
            continue;
        const QString& text = form.*(FieldOf(r).text);
        const QString label = QLatin1String(r.label);
        if (r.write != WriteAs::Quoted && !CAtConnection::IsPlain(text, label, refusal))
            return false;
        if (!CAtConnection::Carried(text, label, refusal))
            return false;
    }
    QVector<QByteArray> built;
    for (const QString& command : Commands(rows, false)) {
        QByteArray arguments;
        int limit = 0;
        for (const auto& r : RowsOf(rows, command)) {
            arguments += (r.part > 0 ? "," : "") + Argument(form, r);
            limit = qMax(limit, r.commandLimit);
        }
        const QByteArray name = command.toLatin1();
        built << CAtConnection::SetCommand(name.constData(), arguments);
        if (limit > 0 && !CAtConnection::Fits(built.last(), limit, Label(rows, command), refusal))
            return false;
    }
    // A Read may bring in a number the range check would refuse; it is not sent on.
    for (const auto& r : rows) {
        const auto& field = FieldOf(r);
        if (r.write == WriteAs::Never || field.kind != FieldKind::Integer)
            continue;
        const int n = form.*(field.number);
        if (n < field.min || n > field.max) {
            if (refusal)
                *refusal = QStringLiteral("%1 must lie between %2 and %3 to be written; it is %4. "
                                          "Nothing was sent.")
                               .arg(QLatin1String(r.label))
                               .arg(field.min)
                               .arg(field.max)
                               .arg(n);
            return false;
        }
    }
    *commands = built;
    return true;
}

// A set command as status lines and messages show it: a secret argument as "***".
template <class Form> QString Masked(const Rows<Form>& rows, const QByteArray& command) {
    const qsizetype equals = command.indexOf('=');
    const QString shown = CodePage::FromBytes(command);
    if (equals < 0)
        return shown;
    QList<int> secret;
    for (const auto& r : RowsOf(rows, QString::fromLatin1(command.left(equals)))) {
        if (r.secret)
            secret << r.part;
    }
    if (secret.isEmpty())
        return shown;
    // The arguments: a quoted text runs to its closing quote (a quote inside it travels
    // as \22), so a comma within it does not split it.
    QByteArray out = command.left(equals + 1);
    int part = 0;
    qsizetype at = equals + 1;
    while (at < command.size()) {
        qsizetype end = at;
        if (command[at] == '"') {
            const qsizetype close = command.indexOf('"', at + 1);
            end = close < 0 ? command.size() : close + 1;
        }
        while (end < command.size() && command[end] != ',' && command[end] != '\r')
            ++end;
        out += secret.contains(part) ? QByteArray("\"***\"") : command.mid(at, end - at);
        if (end < command.size())
            out += command[end];
        at = end + 1;
        ++part;
    }
    return CodePage::FromBytes(out);
}
} // namespace RadioSettings
