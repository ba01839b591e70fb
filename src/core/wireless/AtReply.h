#pragma once

#include <QByteArray>
#include <QMap>
#include <QString>
#include <QStringList>

// Reading the radio module's replies, and the quoting of text arguments.
//
// The module echoes each command as it received it (the CR included) and answers on lines
// of their own: a query with CR LF, "*" NAME ":" VALUE, CR LF "OK" CR LF; a set command
// with CR LF "OK" CR LF, or "ERROR" where it refuses. Everything is taken from the start
// of a line, and an answer counts only when its own "OK" line follows it: a stored name
// "BOOK" or "AGLC:5", or the echo of a command, can never stand for another answer or
// for a verdict. Texts travel in the printer's code page.
namespace AtReply {
// The reply as text: the bytes up to the first zero byte, which ends it.
QByteArray UpToZero(const QByteArray& bytes);

// The answers of a batch reply that came with their "OK": for each answered query (its
// name as sent, "AT*AGLN"), the value as it stood after the colon, quotes included. A
// query answered "ERROR", with no answer line, with no "OK" after it, or cut off by the
// end of the reply is not in it. A quoted value may hold line ends; they do not end it.
QMap<QString, QByteArray> Answers(const QByteArray& reply, const QStringList& queries);

// The module's verdict on one set command: the first line after the echo that is "OK" or
// "ERROR" on its own.
enum class Verdict { None, Ok, Error };
Verdict SetVerdict(const QByteArray& reply);

// An unquoted value as text.
QString Plain(const QByteArray& value);
// A value between double quotes, decoded; false when it is not quoted.
bool Quoted(const QByteArray& value, QString* text);

// A value's first character read as a decimal digit, or -1.
int FirstDigit(const QString& value);
// A value read as "%d" does: blanks, a sign and digits; false when it does not start with
// a number or the number does not fit 32 bits.
bool ReadDecimal(const QString& value, int* number);

// A text argument as the module takes it: between double quotes, with the double quote,
// the backslash and the control characters written as backslash and two hexadecimal
// digits (\22, \5C, \0D), so that a typed text can never end the argument or the command
// early. The other characters go in the printer's code page (see Carries).
QByteArray Quote(const QString& text);
// The inverse for a value read back (without its quotes): \XX becomes that byte; a
// backslash not followed by two hexadecimal digits stays as it is.
QString Unquote(const QByteArray& value);

// True when the printer's code page holds every character of `text`; otherwise false,
// with the first character it cannot carry.
bool Carries(const QString& text, QChar* refused = nullptr);

// What a Read took into a form: the queries whose answers were taken, the settings they
// gave (by their keys in the form's table), the settings that got no usable answer (by
// their labels on the page), and notes on values taken that the page cannot hold as they
// are.
struct Taken {
    QStringList answered;
    QStringList given;
    QStringList missing;
    QStringList notes;
};

// A form's parse of one Read reply: hands out each query's answer and keeps the account.
class CTaking {
public:
    using Labels = QString (*)(const QString& query);
    CTaking(const QByteArray& reply, const QStringList& queries, Labels label);

    // The answer to `query`. False when it was not sent, or was sent and got no answer
    // with its "OK" (then the setting is named as missing).
    bool Get(const char* query, QByteArray* value);
    // The answer was taken into the form, or it was there but of no use.
    void Took(const char* query) { m_taken.answered << QLatin1String(query); }
    void Gave(const char* key) { m_taken.given << QLatin1String(key); }
    void Unusable(const char* query) { m_taken.missing << m_label(QLatin1String(query)); }
    // A text taken that is longer than the page's edit allows: the page shows it whole
    // and a Write refuses it until it is shortened, so it is never sent cut.
    void CheckLength(const char* query, const QString& text, int limit);

    const Taken& Result() const { return m_taken; }

private:
    QMap<QString, QByteArray> m_answers;
    QStringList m_queries;
    Labels m_label;
    Taken m_taken;
};
} // namespace AtReply
