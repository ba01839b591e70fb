#pragma once

#include <QList>
#include <QString>

class QJsonValue;

// One key of what a command prints with --json: where it stands ("ports[].output.rate":
// the key rate of the object under output in each element of the array ports; "[]" alone
// for the elements of an array that is the whole output), its type (string, integer,
// number, boolean, object, array, null, or several of them joined by '|'; a trailing '?'
// when the key is not always there) and
// what it holds; "map" is an object whose keys are data (a recipe's values), not checked.
// The manual page lists these, and the tests check the JSON against them,
// so the two cannot tell different stories.
struct CJsonField {
    QString path;
    QString type;
    QString text;
};
using CJsonShape = QList<CJsonField>;

// Another shape a command prints in a case of its own (`when`: "with --dry-run").
struct CJsonCase {
    QString when;
    CJsonShape shape;
};

namespace JsonShape {
// What every command with --json prints on stdout when it fails without a result of its
// own: {"exit": N, "error": "..."} (stderr has the message too).
CJsonShape Error();
// The summary of a command run on one or several ports, with the fields of each port's
// own result under ports[].output (none: the key is left out).
CJsonShape Summary(const CJsonShape& output);
// The failure object as text, one line.
QString ErrorText(int exitCode, const QString& error);

// Whether `value` has the shape: every key it holds is listed with the type it has, and
// every key listed without '?' is there. The first difference in `problem`.
bool Matches(const QJsonValue& value, const CJsonShape& shape, QString* problem);
} // namespace JsonShape
