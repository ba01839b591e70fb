#pragma once

#include <QByteArray>
#include <QString>

// The command text notation: ordinary characters stand for themselves, a caret and a
// character for a control byte (^[ is ESC), and \x with one or two hexadecimal digits for
// any byte. Plus the reverse forms in which the program shows bytes to the user.
namespace Notation {
constexpr int kMaxScanned = 100;

// The bytes that the text denotes. The scan stops at the first line feed, at the end,
// or after 100 characters; an unfinished sequence at the end gives nothing.
QByteArray Parse(const QByteArray& text);
// The same for typed text, taken as single-byte characters.
QByteArray Parse(const QString& text);

// A numeric attribute in the Last Command box: "%s\x%02X" and "%s\x%02X\x%02X".
QString ByteCommand(const QString& prefix, int value);
QString WordCommand(const QString& prefix, int value);

// Received bytes as the receive monitor shows them.
QString MonitorForm(const QByteArray& bytes);

// Text from a file shown on one line that nothing can take over: control bytes as caret
// pairs (ESC as ^[, CR as ^M), DEL and the code page's unassigned positions as \xNN,
// so that a terminal or a label shows the text instead of obeying it. Ordinary characters,
// and notation the text already holds, stand for themselves.
QString VisibleForm(const QString& text);
} // namespace Notation
