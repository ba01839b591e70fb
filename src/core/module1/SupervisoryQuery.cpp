#include "SupervisoryQuery.h"

#include "app/Exchange.h"
#include "app/SerialPort.h"
#include "text/CodePage.h"
#include "text/NumberScan.h"

#include <QStringList>

const QByteArray CSupervisoryQuery::kBatteryStatus("\x16");
const QByteArray CSupervisoryQuery::kBufferStatus("\x02");
const QByteArray CSupervisoryQuery::kFirmwareVersion("\x1BP(");
const QByteArray CSupervisoryQuery::kHardwareModel("\x1BP)");
const QByteArray CSupervisoryQuery::kCancelMcr("\x1B"
                                               "C");

namespace {
const char* const kCommunicationError = "Serial communication error.";
const char kEsc = 0x1B;
const char kCr = 0x0D;
const char kLf = 0x0A;

// A number as "%d" or "%x" reads it: digits beyond the 32-bit range are taken modulo 2^32,
// as the scan's conversion keeps the low bits. False when no digit follows.
bool ScanNumber(const QByteArray& text, int base, qint64* value) {
    const NumberScan::Number n = NumberScan::Scan(text, base);
    if (!n.found)
        return false;
    const quint32 bits = n.negative ? 0u - n.low32 : n.low32;
    *value = base == 10 ? qint64(qint32(bits)) : qint64(bits); // "%x" reads unsigned
    return true;
}

QString Line(const char* format, const QStringList& args) {
    QString text = QLatin1String(format);
    for (const QString& a : args)
        text = text.arg(a);
    return text + QStringLiteral("\r\n");
}

QString TwoDigits(qint64 v) {
    return QStringLiteral("%1").arg(v, 2, 10, QLatin1Char('0'));
}

// One finished line of the reply, applied to the interpretation and the readings so far.
void InterpretLine(const QByteArray& line, QString* out, CSupervisoryQuery::Readings* readings) {
    if (line.size() < 2 || line[0] != kEsc)
        return;
    const QByteArray rest = line.mid(2);
    qint64 n = 0;
    switch (line[1]) {
    case 'B':
        if (ScanNumber(rest, 16, &n)) {
            *out = Line("Characters in Buffer = %1", {QString::number(n)});
            *readings = CSupervisoryQuery::Readings();
            readings->bufferCharacters = n;
        }
        break;
    case 'V':
        if (ScanNumber(rest, 10, &n)) {
            // A negative reading keeps its sign in front, not in the hundredths.
            const qint64 m = n < 0 ? -n : n;
            *out += Line("Voltage = %1%2.%3 (V)",
                         {n < 0 ? QStringLiteral("-") : QString(), QString::number(m / 1000),
                          TwoDigits((m % 1000) / 10)});
            readings->millivolts = n;
        }
        break;
    case 'M':
        if (ScanNumber(rest, 16, &n)) {
            *out += Line("Timer = %1:%2:%3", {QString::number(n / 3600), TwoDigits((n % 3600) / 60),
                                              TwoDigits(n % 60)});
            readings->timerSeconds = n;
        }
        break;
    case 'T':
        if (ScanNumber(rest, 10, &n)) {
            *out += Line("Temperature = %1 (C)", {QString::number(n)});
            readings->temperature = n;
        }
        break;
    default:
        break;
    }
}
} // namespace

QString CSupervisoryQuery::InterpretReply(const QByteArray& reply, Readings* readings) {
    QString interpretation;
    Readings own;
    if (!readings)
        readings = &own;
    QByteArray line;
    for (int i = 0; i <= reply.size(); ++i) {
        if (i == reply.size()) {
            InterpretLine(line, &interpretation, readings);
            break;
        }
        const char c = reply[i];
        if (c == kCr || c == kLf) {
            if (c == kCr && i + 1 < reply.size() && reply[i + 1] == kLf)
                ++i; // CR LF is one line end
            InterpretLine(line, &interpretation, readings);
            line.clear();
            continue;
        }
        line += c;
    }
    return interpretation;
}

CSupervisoryQuery::Reply CSupervisoryQuery::Send(const QByteArray& query) {
    Reply reply;
    CExchange exchange(m_link, m_services);
    if (!exchange.Open(kCommunicationError) || !exchange.Write(query, kCommunicationError))
        return reply;
    reply.exchanged = true;
    bool ok = false;
    QByteArray bytes = exchange.Read(kReplySize, &ok);
    if (!ok || bytes.isEmpty())
        return reply;
    // The reply is shown as text: up to its first zero byte, control characters included.
    const int zero = int(bytes.indexOf('\0'));
    if (zero >= 0)
        bytes.truncate(zero);
    // Only the query's own bytes coming back is no reply: a printer left relaying to its
    // radio module hands the query on and the module echoes it.
    if (bytes == query)
        return reply;
    reply.bytes = bytes;
    reply.response = CodePage::FromBytes(bytes);
    reply.interpretation = InterpretReply(bytes, &reply.readings);
    return reply;
}
