#include "AtExchange.h"

#include "AtConnection.h"
#include "AtReply.h"
#include "app/Exchange.h"
#include "app/SerialPort.h"
#include "app/UiServices.h"
#include "text/CodePage.h"

namespace {
const QByteArray kLineEnd("\r\n");
} // namespace

const char* const CAtExchange::kWaitingForOkRead = "Waiting for a 'OK' characters...";
const char* const CAtExchange::kWaitingForOkWrite = "Waiting for a 'OK' character...";
const char* const CAtExchange::kReceivedOk = "Success: Received OK.";
const char* const CAtExchange::kNoOk = "Error: Did not receive OK.";
const char* const CAtExchange::kNoAnswerFor = "Error: No usable answer for: %1.";
const char* const CAtExchange::kDataModeCommand = "AT*ADDM\r";
const char* const CAtExchange::kClosingMarker = "###";

CAtExchange::CAtExchange(CSerialPort& link, IUiServices& services, CAtConnection& connection)
    : m_link(link), m_services(services), m_connection(connection) {}

void CAtExchange::Logged(const QByteArray& bytes) {
    m_connection.AppendOutput(bytes);
    if (m_refresh)
        m_refresh();
}

QByteArray CAtExchange::Batch(const QStringList& queries) {
    QByteArray batch;
    for (const QString& name : queries)
        batch += name.toLatin1() + "?\r";
    return batch;
}

void CAtExchange::SendPassThruCommand() {
    // The link shows its own "Serial transmission error."; the exchange goes on whatever
    // came of it, and the log shows what was meant to go out.
    const QByteArray command = m_connection.PassThruCommand();
    m_link.SendBlock(command);
    Logged(command + kLineEnd);
}

void CAtExchange::SendEscapeSequence() {
    const QByteArray sequence = m_connection.EscapeSequence();
    CExchange exchange(m_link, m_services);
    // An interrupt is told by the whole Read or Write, after its closing steps.
    exchange.SetTellsInterrupt(false);
    m_escapeWritten = false;
    exchange.Start();
    if (!exchange.Open())
        return; // "Ready" from the exchange's end
    // The module takes the escape only after a second of silence, counted from here: the
    // pass-through command went out just before this open. An empty escape text is still
    // written, with both pauses.
    exchange.Pause(m_connection.m_nSilenceBefore);
    if (!exchange.Write(sequence))
        return;
    m_escapeWritten = true;
    exchange.Pause(m_connection.m_nSilenceAfter);
    // A part of the longer exchange: closed, but no "Ready" yet.
    exchange.FinishQuietly();
    Logged(sequence + kLineEnd);
}

void CAtExchange::SendDataModeCommand() {
    const QByteArray command(kDataModeCommand);
    m_link.SendBlock(command);
    Logged(command + kLineEnd);
}

void CAtExchange::SendClosingMarker() {
    const QByteArray marker(kClosingMarker);
    m_link.SendBlock(marker);
    Logged(marker + kLineEnd);
}

bool CAtExchange::ReadStep(CExchange& exchange, const QStringList& queries, int largestReply,
                           const Parser& parse, Result* result) {
    if (!exchange.Write(Batch(queries))) {
        if (exchange.WasInterrupted())
            *result = EndInterrupted(exchange);
        else
            result->outcome = Outcome::WriteFailed;
        return false;
    }
    exchange.Step();
    exchange.Status(QLatin1String(kWaitingForOkRead));
    // Exactly one read: what the module sends after it is not collected.
    bool readOk = false;
    const QByteArray received = exchange.Read(largestReply, &readOk);
    exchange.Step();
    // Cut short, the reply is not the module's whole answer: no field takes from it.
    if (exchange.WasInterrupted()) {
        *result = EndInterrupted(exchange);
        return false;
    }
    // Nothing that came leaves every setting unanswered, and no field changes.
    const QByteArray reply = readOk ? AtReply::UpToZero(received) : QByteArray();
    if (!reply.isEmpty())
        m_connection.AppendOutput(reply);
    // A Read succeeds only when every query it sent got its answer with its own "OK".
    if (parse)
        result->taken = parse(reply);
    result->ok = parse && !reply.isEmpty() && result->taken.missing.isEmpty();
    exchange.Status(QLatin1String(result->ok ? kReceivedOk : kNoOk));
    return true;
}

bool CAtExchange::WriteSteps(CExchange& exchange, const QVector<QByteArray>& commands,
                             Result* result) {
    for (const QByteArray& command : commands) {
        // A failed write ends it all: the remaining commands, the data-mode command and
        // the marker are not sent.
        if (!exchange.WriteStep(command,
                                QStringLiteral("Sent ") + m_connection.ShownCommand(command),
                                kReplyPauseMs)) {
            if (exchange.WasInterrupted())
                *result = EndInterrupted(exchange);
            else
                result->outcome = Outcome::WriteFailed;
            return false;
        }
        exchange.Status(QLatin1String(kWaitingForOkWrite));
        bool readOk = false;
        const QByteArray received = exchange.Read(kWriteReplySize, &readOk);
        if (exchange.WasInterrupted()) {
            *result = EndInterrupted(exchange);
            return false;
        }
        bool ok = false;
        if (readOk && !received.isEmpty()) {
            const QByteArray reply = AtReply::UpToZero(received);
            Logged(reply);
            // The module's own "OK" line after the echo: an "OK" inside the echoed text
            // (a host name "TOKYO-...") is no answer, and "ERROR" is a refusal.
            ok = AtReply::SetVerdict(reply) == AtReply::Verdict::Ok;
        }
        // A missing "OK" neither repeats the command nor stops the sequence.
        result->replies << ok;
        if (ok)
            ++result->answered;
        exchange.Status(QLatin1String(ok ? kReceivedOk : kNoOk));
        exchange.Pause(kReplyPauseMs);
    }
    return true;
}

void CAtExchange::Conclude(const Result& result) {
    if (!result.taken.missing.isEmpty())
        m_services.Status(
            QString::fromLatin1(kNoAnswerFor).arg(result.taken.missing.join(QLatin1String(", "))));
    for (const QString& note : result.taken.notes)
        m_services.Message(note);
}

// The opening every radio exchange shares: the pass-through command and the escape
// sequence, then the link opened for the module's replies. False, with the outcome set,
// when the exchange ended there (a module left in AT mode returns to data mode at the
// printer's time-out).
bool CAtExchange::OpenPassThrough(CExchange& exchange, Result* result) {
    exchange.SetTellsInterrupt(false);
    exchange.Start();
    if (exchange.Interrupted()) {
        result->outcome = Outcome::Interrupted;
        return false; // nothing was sent
    }
    SendPassThruCommand();
    SendEscapeSequence();
    exchange.Step();
    if (exchange.Interrupted()) {
        *result = EndInterrupted(exchange);
        return false;
    }
    if (!exchange.Open()) {
        result->outcome = Outcome::OpenFailed;
        return false;
    }
    return true;
}

CAtExchange::Result CAtExchange::ReadExchange(const QStringList& queries, int largestReply,
                                              const Parser& parse) {
    Result result;
    {
        // The wait cursor and the indicator for the whole Read; its end shows "Ready".
        CExchange exchange(m_link, m_services, 3);
        if (!OpenPassThrough(exchange, &result))
            return result;
        if (!ReadStep(exchange, queries, largestReply, parse, &result))
            return result;
        exchange.Pause(kReplyPauseMs);
        exchange.Finish();
        // The parsed values appear with the refresh of the two last steps.
        SendDataModeCommand();
        SendClosingMarker();
    }
    Conclude(result);
    return result;
}

CAtExchange::Result CAtExchange::WriteExchange(const QVector<QByteArray>& commands) {
    Result result;
    CExchange exchange(m_link, m_services, 1 + int(commands.size()));
    if (!OpenPassThrough(exchange, &result))
        return result;
    if (!WriteSteps(exchange, commands, &result))
        return result;
    result.ok = result.answered == commands.size();
    exchange.Finish();
    SendDataModeCommand();
    SendClosingMarker();
    return result;
}

CAtExchange::Result CAtExchange::EndInterrupted(CExchange& exchange) {
    const QString lastStep = exchange.LastStep();
    exchange.Finish();
    // Left as it is, the printer would go on relaying to the module, and the next command
    // would reach the module instead (its echo taken for the printer's reply): the module
    // back to data mode when the escape may have reached it, then the closing marker that
    // ends the pass-through. Both go out although the exchange was interrupted; each is
    // one short write bounded by the write's time-out.
    bool closed = true;
    {
        CSerialPort::CClosingSteps closing(m_link);
        if (m_escapeWritten) {
            const QByteArray command(kDataModeCommand);
            closed = m_link.SendBlock(command) && closed;
            Logged(command + kLineEnd);
        }
        const QByteArray marker(kClosingMarker);
        closed = m_link.SendBlock(marker) && closed;
        Logged(marker + kLineEnd);
    }
    const QString note =
        closed ? QStringLiteral("Sent %1### to end the pass-through.")
                     .arg(m_escapeWritten ? QStringLiteral("AT*ADDM and ") : QString())
               : QStringLiteral("The printer may still relay to the radio module until its "
                                "pass-through time-out (%1) ends: press its paper feed switch or "
                                "switch it off and on before the next command.")
                     .arg(m_connection.m_nPassThruTimeout);
    m_services.Message(CExchange::InterruptText(lastStep, note));
    Result result;
    result.outcome = Outcome::Interrupted;
    return result;
}

CAtExchange::Result CAtExchange::UpdateExchange(const QStringList& queries, int largestReply,
                                                const Parser& parse, int commands,
                                                const Builder& build) {
    Result result;
    QString refusal;
    {
        CExchange exchange(m_link, m_services, 1 + (queries.isEmpty() ? 0 : 2) + commands);
        if (!OpenPassThrough(exchange, &result))
            return result;
        bool read = true;
        if (!queries.isEmpty()) {
            if (!ReadStep(exchange, queries, largestReply, parse, &result))
                return result;
            read = result.ok;
        }
        // Without every answer the commands would carry values nobody read: none is sent.
        QVector<QByteArray> built;
        if (read && !build(&built, &refusal)) {
            result.outcome = Outcome::Refused;
            read = false;
        }
        if (read && !WriteSteps(exchange, built, &result))
            return result;
        result.ok = read && result.answered == built.size();
        exchange.Finish();
        SendDataModeCommand();
        SendClosingMarker();
    }
    Conclude(result);
    if (!refusal.isEmpty())
        m_services.Message(refusal);
    return result;
}

CAtExchange::Result CAtExchange::Refuse(const QString& refusal) {
    m_services.Message(refusal);
    Result result;
    result.outcome = Outcome::Refused;
    return result;
}
