#pragma once

#include <QByteArray>
#include <QString>

// Reading the radio module's batch reply by position, and the quoting of text arguments.
//
// The module echoes each query and answers it with the answer prefix (the query name
// without "AT*", and a colon), the value, then CR LF "OK" CR LF, so that between the end
// of one value and the echo of the next query ("AT*" and its name) stand exactly nine
// characters. The searches take the first occurrence in the whole reply; nothing here
// reads outside the reply, whatever positions they find.
namespace AtReply {
// CR LF "OK" CR LF "AT*": what stands between a value and the next echo's name.
constexpr int kTrailer = 9;

// One answer of a batch: its prefix ("AGLN:"), the next query's echo ("AGLC?", or null
// for the last answer) and whether the value stands between double quotes.
struct Rule {
    const char* prefix;
    const char* nextEcho;
    bool quoted;
};

enum class Found {
    Missing, // the prefix is not in the reply: the field stays, the ok flag too
    Failed,  // the answer has no "OK" before the next echo: the field stays, ok cleared
    Value,   // the value was taken
};

// The reply as text: the bytes up to the first zero byte, which ends it.
QByteArray UpToZero(const QByteArray& bytes);

// The extraction rule: with l the position of the prefix and m that of the next echo,
// the value starts after the prefix (and the opening quote); its check segment has the
// length m - l from there; the value ends at the trailer (and the closing quote) before
// the echo. A quoted value is decoded.
Found Extract(const QByteArray& reply, const Rule& rule, QString* value);
// Extract for a settings parser: true when a value was taken; a failed check clears *ok.
bool Take(const QByteArray& reply, const Rule& rule, QString* value, bool* ok);
// The check segment alone, for the answers read in their own way.
bool CheckSegment(const QByteArray& reply, const Rule& rule, QByteArray* value);

// `count` characters right after `prefix` (fewer when the reply ends sooner); false when
// the prefix does not occur.
bool FixedLength(const QByteArray& reply, const char* prefix, int count, QString* value);

// A value's first character read as a decimal digit, or -1.
int FirstDigit(const QString& value);
// A value read as "%d" does: blanks, a sign and digits; false when it does not start with
// a number or the number does not fit 32 bits.
bool ReadDecimal(const QString& value, int* number);

// A text argument as the module takes it: between double quotes, with the double quote,
// the backslash and the control characters written as backslash and two hexadecimal
// digits (\22, \5C, \0D), so that a typed text can never end the argument or the command
// early. Characters beyond Latin-1 become '?'.
QByteArray Quote(const QString& text);
// The inverse for a value read back (without its quotes): \XX becomes that character;
// a backslash not followed by two hexadecimal digits stays as it is.
QString Unquote(const QByteArray& value);
} // namespace AtReply
