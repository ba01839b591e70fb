#include "AtReply.h"

#include "text/CodePage.h"
#include "text/NumberScan.h"

#include <limits>

namespace {

bool IsLineEnd(char c) {
    return c == '\r' || c == '\n';
}

// The end of the line that starts at `from`: the next CR or LF, or the reply's end.
qsizetype LineEnd(const QByteArray& reply, qsizetype from) {
    qsizetype i = from;
    while (i < reply.size() && !IsLineEnd(reply[i]))
        ++i;
    return i;
}

// The end of an answer's value that starts at `from`. A text argument stands between
// double quotes at the start of the value or after a comma, and the module writes a
// quote inside it as \22, so the next quote closes it: line ends within it belong to the
// text. An unclosed quote runs to the reply's end.
qsizetype ValueEnd(const QByteArray& reply, qsizetype from) {
    qsizetype i = from;
    bool argumentStart = true;
    while (i < reply.size() && !IsLineEnd(reply[i])) {
        if (argumentStart && reply[i] == '"') {
            const qsizetype close = reply.indexOf('"', i + 1);
            if (close < 0)
                return reply.size();
            i = close + 1;
            argumentStart = false;
            continue;
        }
        argumentStart = reply[i] == ',';
        ++i;
    }
    return i;
}
} // namespace

QByteArray AtReply::UpToZero(const QByteArray& bytes) {
    const qsizetype zero = bytes.indexOf('\0');
    return zero < 0 ? bytes : bytes.left(zero);
}

QMap<QString, QByteArray> AtReply::Answers(const QByteArray& reply, const QStringList& queries) {
    // The names as the answers carry them: the query without "AT*".
    QMap<QByteArray, QString> names;
    for (const QString& query : queries) {
        const QByteArray q = query.toLatin1();
        names.insert(q.startsWith("AT*") ? q.mid(3) : q, query);
    }
    QMap<QString, QByteArray> answers;
    QByteArray echoed; // the query whose echo came last, until its verdict
    QString pending;   // the query whose answer line came, waiting for its "OK"
    QByteArray value;
    qsizetype at = 0;
    while (at < reply.size()) {
        if (IsLineEnd(reply[at])) {
            ++at;
            continue;
        }
        const qsizetype end = LineEnd(reply, at);
        const QByteArray line = reply.mid(at, end - at);
        if (line.startsWith("AT")) {
            // An echo: the next answer must be this query's.
            echoed = line.startsWith("AT*") && line.endsWith('?') ? line.mid(3).chopped(1)
                                                                  : QByteArray("?");
            pending.clear();
            at = end;
            continue;
        }
        if (line == "OK" || line == "ERROR") {
            if (line == "OK" && !pending.isEmpty() && !answers.contains(pending))
                answers.insert(pending, value);
            pending.clear();
            echoed.clear();
            at = end;
            continue;
        }
        // An answer line: "*" (or nothing), the name, ":" and the value.
        const qsizetype nameStart = line.startsWith('*') ? 1 : 0;
        const qsizetype colon = line.indexOf(':', nameStart);
        const QByteArray name = colon > nameStart ? line.mid(nameStart, colon - nameStart) : "";
        pending.clear();
        if (!name.isEmpty() && names.contains(name) && (echoed.isEmpty() || echoed == name)) {
            const qsizetype valueStart = at + colon + 1;
            const qsizetype valueEnd = ValueEnd(reply, valueStart);
            pending = names.value(name);
            value = reply.mid(valueStart, valueEnd - valueStart);
            at = valueEnd;
            continue;
        }
        // Any other line: nothing of an answer, and it breaks the one before from its OK.
        at = end;
    }
    return answers;
}

AtReply::Verdict AtReply::SetVerdict(const QByteArray& reply) {
    qsizetype at = 0;
    // The echo runs up to the command's own CR.
    if (reply.startsWith("AT"))
        at = LineEnd(reply, 0);
    while (at < reply.size()) {
        if (IsLineEnd(reply[at])) {
            ++at;
            continue;
        }
        const qsizetype end = LineEnd(reply, at);
        const QByteArray line = reply.mid(at, end - at);
        if (line == "OK")
            return Verdict::Ok;
        if (line == "ERROR")
            return Verdict::Error;
        at = end;
    }
    return Verdict::None;
}

QString AtReply::Plain(const QByteArray& value) {
    return CodePage::FromBytes(value);
}

bool AtReply::Quoted(const QByteArray& value, QString* text) {
    if (value.size() < 2 || !value.startsWith('"') || !value.endsWith('"'))
        return false;
    *text = Unquote(value.mid(1, value.size() - 2));
    return true;
}

int AtReply::FirstDigit(const QString& value) {
    if (value.isEmpty() || !value[0].isDigit() || value[0].unicode() > '9')
        return -1;
    return value[0].unicode() - '0';
}

bool AtReply::ReadDecimal(const QString& value, int* number) {
    // Beyond 32 bits "%d" has no defined result; such a value is not taken.
    return NumberScan::Scan(value).ToInt(number);
}

QByteArray AtReply::Quote(const QString& text) {
    QByteArray out("\"");
    for (const char b : CodePage::ToBytes(text)) {
        const uchar u = uchar(b);
        if (u == '"' || u == '\\' || u < 0x20 || u == 0x7F)
            out += '\\' + QByteArray::number(u, 16).toUpper().rightJustified(2, '0');
        else
            out += b;
    }
    return out + '"';
}

QString AtReply::Unquote(const QByteArray& value) {
    QByteArray bytes;
    for (qsizetype i = 0; i < value.size(); ++i) {
        if (value[i] == '\\' && i + 2 < value.size()) {
            const int high = NumberScan::HexDigit(uchar(value[i + 1]));
            const int low = NumberScan::HexDigit(uchar(value[i + 2]));
            if (high >= 0 && low >= 0) {
                bytes += char(high * 16 + low);
                i += 2;
                continue;
            }
        }
        bytes += value[i];
    }
    return CodePage::FromBytes(bytes);
}

bool AtReply::Carries(const QString& text, QChar* refused) {
    for (QChar c : text) {
        if (CodePage::FromBytes(CodePage::ToBytes(QString(c))) != QString(c)) {
            if (refused)
                *refused = c;
            return false;
        }
    }
    return true;
}

AtReply::CTaking::CTaking(const QByteArray& reply, const QStringList& queries, Labels label)
    : m_answers(Answers(reply, queries)), m_queries(queries), m_label(label) {}

bool AtReply::CTaking::Get(const char* query, QByteArray* value) {
    const QString name = QLatin1String(query);
    if (!m_queries.contains(name))
        return false;
    const auto it = m_answers.constFind(name);
    if (it == m_answers.constEnd()) {
        m_taken.missing << m_label(name);
        return false;
    }
    *value = *it;
    return true;
}

void AtReply::CTaking::CheckLength(const char* query, const QString& text, int limit) {
    if (limit > 0 && text.size() > limit)
        m_taken.notes << QStringLiteral("%1 as the module holds it has %2 characters; the page "
                                        "takes at most %3. It is shown whole, and Write refuses "
                                        "it until it is shortened.")
                             .arg(m_label(QLatin1String(query)))
                             .arg(text.size())
                             .arg(limit);
}
