#include "AtConnection.h"

#include "AtReply.h"
#include "text/CodePage.h"

namespace {
const char kEsc = 0x1B;
const char kCr = 0x0D;
} // namespace

const char* const CAtConnection::kDefaultEscape = "/";

QStringList CAtConnection::UartItems() {
    QStringList items;
    for (int i = 0; i <= 4; ++i)
        items << QStringLiteral("U%1").arg(i);
    return items;
}

QString CAtConnection::ShownCommand(const QByteArray& command) const {
    return CodePage::FromBytes(command);
}

void CAtConnection::DefaultConnection() {
    m_nPassThruTimeout = kDefaultTimeout;
    m_nSilenceAfter = kDefaultSilenceMs;
    m_strEscapeChar = QLatin1String(kDefaultEscape);
    m_nSilenceBefore = kDefaultSilenceMs;
}

QByteArray CAtConnection::PassThruCommand() const {
    // "%d" padded to three characters with zeros in front: 5 gives 005, 42 gives 042. A
    // value of three characters or more (the range check keeps it within 0 to 999) stays.
    QByteArray timeout = QByteArray::number(m_nPassThruTimeout);
    if (timeout.size() == 1)
        timeout.prepend("00");
    else if (timeout.size() == 2)
        timeout.prepend("0");
    QByteArray command(1, kEsc);
    command += 'P';
    command += CodePage::ToBytes(m_strPassThruFrom);
    command += CodePage::ToBytes(m_strPassThruTo);
    command += 'T';
    command += timeout;
    command += kCr;
    return command;
}

QByteArray CAtConnection::EscapeSequence() const {
    return CodePage::ToBytes(m_strEscapeChar).repeated(3);
}

void CAtConnection::AppendOutput(const QByteArray& bytes) {
    m_strOutput += CodePage::FromBytes(bytes);
}

bool CAtConnection::Carried(const QString& text, const QString& label, QString* refusal) {
    QChar refused;
    if (AtReply::Carries(text, &refused))
        return true;
    if (refusal)
        *refusal =
            QStringLiteral("%1 holds the character \"%2\" (U+%3), which the printer's "
                           "code page (Windows-1252) cannot carry. Nothing was sent.")
                .arg(
                    label, QString(refused),
                    QStringLiteral("%1").arg(refused.unicode(), 4, 16, QLatin1Char('0')).toUpper());
    return false;
}

bool CAtConnection::ConnectionCarried(QString* refusal) const {
    return Carried(m_strPassThruFrom, QStringLiteral("PassThru (from)"), refusal) &&
           Carried(m_strPassThruTo, QStringLiteral("PassThru (to)"), refusal) &&
           Carried(m_strEscapeChar, QStringLiteral("Escape Sequence"), refusal);
}

bool CAtConnection::Fits(const QByteArray& command, int limit, const QString& label,
                         QString* refusal) {
    if (command.size() <= limit)
        return true;
    if (refusal)
        *refusal = QStringLiteral("%1 is too long for the module: its command may hold at most "
                                  "%2 characters, and would hold %3. Nothing was sent.")
                       .arg(label)
                       .arg(limit)
                       .arg(command.size());
    return false;
}

QByteArray CAtConnection::SetCommand(const char* name, const QByteArray& arguments) {
    return QByteArray(name) + '=' + arguments + ",1\r";
}

bool CAtConnection::IsPlain(const QString& argument, const QString& label, QString* refusal) {
    for (QChar c : argument) {
        if (c.unicode() < 0x20 || c.unicode() == 0x7F || c == QLatin1Char('"')) {
            if (refusal)
                *refusal = QStringLiteral("%1 holds a character the module cannot take there "
                                          "(a control character or a double quote). Nothing "
                                          "was sent.")
                               .arg(label);
            return false;
        }
    }
    return true;
}
