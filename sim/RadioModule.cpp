#include "RadioModule.h"

namespace {
const int kMaxLine = 512;

QString Quote(const QString& text) {
    QString out = QStringLiteral("\"");
    for (QChar c : text) {
        if (c == QLatin1Char('"'))
            out += QLatin1String("\\22");
        else if (c == QLatin1Char('\\'))
            out += QLatin1String("\\5C");
        else
            out += c;
    }
    return out + QLatin1Char('"');
}

bool IsIpv4(const QString& text) {
    const QStringList parts = text.split(QLatin1Char('.'));
    if (parts.size() != 4)
        return false;
    for (const QString& part : parts) {
        bool ok = false;
        const int v = part.toInt(&ok);
        if (!ok || part.isEmpty() || part.size() > 3 || v < 0 || v > 255)
            return false;
    }
    return true;
}
} // namespace

CRadioModule::CRadioModule(Kind kind) : m_kind(kind) {
    using A = Arg;
    const A quoted16{A::Quoted, 0, 16}, quoted32{A::Quoted, 0, 32};
    if (kind == Kind::Bluetooth) {
        Define("AILBA", {{A::Plain, 0, 0}}, {"0012F3004A21"}, true);
        Define("AILVI", {{A::Plain, 0, 0}}, {"cB-OEMSPA33i 3.1.2"}, true);
        Define("AGLN", {{A::Quoted, 0, 240}}, {"BT Printer"});
        Define("AGLC", {{A::Int, 0, 16777215}}, {"263808"});
        Define("AGFP", {quoted16}, {"0"});
        Define("AGDM", {{A::Int, 1, 3}}, {"3"});
        Define("AMPM", {{A::Int, 1, 3}}, {"2"});
        Define("AGSM", {{A::Int, 1, 2}}, {"1"});
    } else {
        Define("AILBA", {{A::Plain, 0, 0}}, {"0012F3A1B2C4"}, true);
        Define("AILVI", {{A::Plain, 0, 0}}, {"cB-OWS451 2.0.4"}, true);
        Define("AGSSID", {quoted32}, {"WLAN Printer"});
        Define("AGCH", {{A::Int, 0, 14}}, {"0"});
        Define("AGOM", {{A::Int, 0, 9}}, {"2"});
        Define("AGAM", {{A::Int, 0, 9}}, {"0"});
        Define("AGEM", {{A::Int, 0, 9}}, {"0"});
        Define("AGRTE", {{A::Int, 0, 54}, {A::Int, 0, 1}}, {"12", "1"});
        Define("AGUN", {quoted32}, {""});
        Define("AGAFP", {{A::Int, 1, 4}}, {"1"});
        Define("AGFPWI", {{A::Int, 1, 4}, {A::Quoted, 0, 26}}, {"1", ""});
        Define("ANIP", {{A::Ip, 0, 0}, {A::Ip, 0, 0}, {A::Ip, 0, 0}},
               {"192.168.1.96", "255.255.255.0", "192.168.1.1"});
        Define("ANDHCP", {{A::Int, 0, 1}}, {"0"});
        Define("ANHN", {quoted32}, {"connectBlue"});
        Define("ANDNS", {{A::Ip, 0, 0}, {A::Ip, 0, 0}}, {"0.0.0.0", "0.0.0.0"});
    }
}

void CRadioModule::Define(const QString& name, QVector<Arg> args, QStringList defaults,
                          bool readOnly) {
    Setting s;
    s.args = std::move(args);
    s.readOnly = readOnly;
    s.current = defaults;
    s.stored = defaults;
    m_settings.insert(name, s);
}

void CRadioModule::Attach(qint64 now) {
    m_lastRx = now;
    m_escapeCount = 0;
    m_escapeDone = -1;
}

QByteArray CRadioModule::Receive(const QByteArray& bytes, qint64 now) {
    QByteArray out;
    for (char c : bytes) {
        if (m_mode == Mode::Data) {
            // Any byte during the silence that must follow a complete escape cancels it.
            m_escapeDone = -1;
            const bool escapeChar = c == kEscapeChar && !m_ignoreEscape;
            if (escapeChar && m_escapeCount == 0 && now - m_lastRx >= kGuardMs) {
                m_escapeCount = 1;
                m_escapeFirst = now;
            } else if (escapeChar && m_escapeCount > 0 && now - m_escapeFirst <= kEscapeWindowMs) {
                if (++m_escapeCount == 3) {
                    m_escapeDone = now;
                    m_escapeCount = 0;
                }
            } else {
                m_escapeCount = 0;
            }
            // In data mode the bytes go out over the air; nothing comes back here.
        } else {
            out += c; // echo, the CR included
            if (c == '\r') {
                out += ExecuteLine(m_line);
                m_line.clear();
            } else if (c != '\n' && m_line.size() < kMaxLine) {
                m_line += c;
            }
        }
        m_lastRx = now;
    }
    return out;
}

void CRadioModule::Tick(qint64 now) {
    if (m_mode == Mode::Data && m_escapeDone >= 0 && now - m_escapeDone >= kGuardMs) {
        m_mode = Mode::At;
        m_escapeDone = -1;
        m_line.clear();
    }
}

qint64 CRadioModule::NextEventMs() const {
    return m_escapeDone >= 0 ? m_escapeDone + kGuardMs : -1;
}

QString CRadioModule::Answer(const Setting& setting, const QStringList& values) const {
    QStringList parts;
    for (int i = 0; i < setting.args.size() && i < values.size(); ++i)
        parts << (setting.args[i].type == Arg::Quoted ? Quote(values[i]) : values[i]);
    return parts.join(QLatin1Char(','));
}

bool CRadioModule::ParseArgs(const QByteArray& text, QStringList* args,
                             QVector<bool>* quoted) const {
    // Arguments are separated by commas; a quoted one may hold commas and the escapes
    // \22 (double quote) and \5C (backslash). The quoted flag of each is kept alongside.
    args->clear();
    quoted->clear();
    QString current;
    bool inQuotes = false, wasQuoted = false;
    for (int i = 0; i < text.size(); ++i) {
        const char c = text[i];
        if (inQuotes) {
            if (c == '"') {
                inQuotes = false;
            } else if (c == '\\' && i + 2 < text.size()) {
                bool ok = false;
                const int code = text.mid(i + 1, 2).toInt(&ok, 16);
                if (!ok)
                    return false;
                current += QChar(code);
                i += 2;
            } else {
                current += QLatin1Char(c);
            }
        } else if (c == '"') {
            if (!current.isEmpty() || wasQuoted)
                return false;
            inQuotes = wasQuoted = true;
        } else if (c == ',') {
            quoted->append(wasQuoted);
            args->append(current);
            current.clear();
            wasQuoted = false;
        } else {
            if (wasQuoted)
                return false;
            current += QLatin1Char(c);
        }
    }
    if (inQuotes)
        return false;
    quoted->append(wasQuoted);
    args->append(current);
    return true;
}

bool CRadioModule::Validate(const Arg& arg, const QString& value, bool quoted) const {
    switch (arg.type) {
    case Arg::Quoted:
        return quoted && value.size() <= arg.max;
    case Arg::Int: {
        bool ok = false;
        const long long v = value.toLongLong(&ok);
        return !quoted && ok && v >= arg.min && v <= arg.max;
    }
    case Arg::Ip:
        return !quoted && IsIpv4(value);
    case Arg::Plain:
        return !quoted;
    }
    return false;
}

QByteArray CRadioModule::ExecuteLine(const QByteArray& line) {
    const QByteArray ok = m_noOk ? QByteArray("\r\n") : QByteArray("\r\nOK\r\n");
    const QByteArray error("\r\nERROR\r\n");
    if (line == "AT")
        return ok;
    if (line == "AT*ADDM") {
        m_mode = Mode::Data;
        return ok;
    }
    if (!line.startsWith("AT*"))
        return error;
    const QByteArray body = line.mid(3);
    if (body.endsWith('?')) {
        const QString name = QString::fromLatin1(body.left(body.size() - 1));
        auto it = m_settings.constFind(name);
        if (it == m_settings.constEnd())
            return error;
        if (m_onlyOk)
            return ok;
        const QString value = Answer(*it, it->current);
        return "\r\n*" + name.toLatin1() + ':' + value.toLatin1() + ok;
    }
    const int eq = body.indexOf('=');
    if (eq <= 0)
        return error;
    const QString name = QString::fromLatin1(body.left(eq));
    auto it = m_settings.find(name);
    if (it == m_settings.end() || it->readOnly)
        return error;
    QStringList args;
    QVector<bool> quoted;
    if (!ParseArgs(body.mid(eq + 1), &args, &quoted) || args.size() != it->args.size() + 1)
        return error;
    const QString store = args.takeLast();
    if (quoted.last() || (store != QLatin1String("0") && store != QLatin1String("1")))
        return error;
    for (int i = 0; i < it->args.size(); ++i) {
        if (!Validate(it->args[i], args[i], quoted[i]))
            return error;
    }
    it->current = args;
    if (store == QLatin1String("1"))
        it->stored = args;
    return ok;
}

QString CRadioModule::Value(const QString& name) const {
    auto it = m_settings.constFind(name);
    return it == m_settings.constEnd() ? QString() : it->current.join(QLatin1Char(','));
}

QString CRadioModule::StoredValue(const QString& name) const {
    auto it = m_settings.constFind(name);
    return it == m_settings.constEnd() ? QString() : it->stored.join(QLatin1Char(','));
}

QString CRadioModule::StoredAnswer(const QString& name) const {
    auto it = m_settings.constFind(name);
    return it == m_settings.constEnd() ? QString() : Answer(*it, it->stored);
}

QMap<QString, QStringList> CRadioModule::StoredSettings() const {
    QMap<QString, QStringList> out;
    for (auto it = m_settings.begin(); it != m_settings.end(); ++it) {
        if (!it->readOnly)
            out.insert(it.key(), it->stored);
    }
    return out;
}

void CRadioModule::RestoreStored(const QMap<QString, QStringList>& stored) {
    for (auto it = stored.begin(); it != stored.end(); ++it) {
        auto s = m_settings.find(it.key());
        if (s != m_settings.end() && !s->readOnly && it->size() == s->args.size())
            s->stored = s->current = *it;
    }
}

void CRadioModule::SetUnitNumber(int unit) {
    auto s = m_settings.find(QStringLiteral("AILBA"));
    if (s == m_settings.end() || s->stored.isEmpty() || s->stored[0].size() < 2)
        return;
    QString address = s->stored[0];
    bool ok = false;
    const int last = address.right(2).toInt(&ok, 16);
    if (!ok)
        return;
    address.replace(
        address.size() - 2, 2,
        QStringLiteral("%1").arg((last + unit) & 0xFF, 2, 16, QLatin1Char('0')).toUpper());
    s->stored[0] = s->current[0] = address;
}

void CRadioModule::PowerCycle() {
    for (auto& s : m_settings)
        s.current = s.stored;
    m_mode = Mode::Data;
    m_line.clear();
}
