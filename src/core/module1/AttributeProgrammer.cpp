#include "AttributeProgrammer.h"

#include "AttributeForm.h"
#include "CommandBuffer.h"
#include "app/Exchange.h"
#include "app/SerialPort.h"
#include "app/UiServices.h"
#include "files/FileAccess.h"

namespace {
const QByteArray kEscEN("\x1B"
                        "EN");
const QByteArray kEscXX("\x1BXX");
const QByteArray kEscDS("\x1B"
                        "DS");
const QByteArray kEscSL("\x1BSL");
const QByteArray kEscST("\x1BST\xFF\r", 5);
const QByteArray kEscSB("\x1BSB\r");
const char kQuestion = '?';
const char* const kConfirmation = "D!X";
// The burn's steps for the progress indicator: seven writes, the wait for "?" and the
// reply; the indicator is full when the reply is in, before the verdict is shown.
const int kBurnSteps = 9;
} // namespace

bool CAttributeProgrammer::Configure(const CAttributeForm& form) {
    CCommandBuffer buffer;
    buffer.AppendText(kEscEN);
    form.BuildAttributeStream(buffer);
    return buffer.Send(m_link);
}

bool CAttributeProgrammer::HasConfirmation(const QByteArray& reply) {
    const int zero = int(reply.indexOf('\0'));
    return (zero < 0 ? reply : reply.left(zero)).contains(kConfirmation);
}

CAttributeProgrammer::BurnResult CAttributeProgrammer::Burn(const CAttributeForm& form) {
    CCommandBuffer stream;
    form.BuildAttributeStream(stream);

    // Every way out ends with the link closed, "Ready" and the indicator gone.
    CExchange exchange(m_link, m_services, kBurnSteps);
    // A write that did not go out: interrupted, or a failure the exchange has shown.
    auto notWritten = [&exchange] {
        return exchange.WasInterrupted() ? BurnResult::Interrupted : BurnResult::WriteFailed;
    };
    exchange.Start(kStartPauseMs);
    if (exchange.Interrupted())
        return BurnResult::Interrupted;
    if (!exchange.Open())
        return BurnResult::OpenFailed;
    // What a cut burn leaves behind, step by step.
    const QString armed = QStringLiteral(
        "The printer may be waiting for the rest of the programming sequence: switch it off "
        "and on before the next command.");
    const QString collecting = QStringLiteral(
        "The printer may still be collecting the attribute stream and take the next command "
        "as part of it: wait until it gives up (about 10 seconds), or switch it off and on, "
        "before the next command; its power-up attributes are unchanged.");
    const QString unburned = QStringLiteral(
        "The printer has the attribute stream but was not told to burn it: switch it off and "
        "on to keep its power-up attributes, or burn again.");
    const QString burning = QStringLiteral(
        "The printer may be burning the attributes: leave it on for a few seconds, then switch "
        "it off and on and check them.");
    if (!exchange.WriteStep(kEscEN, QStringLiteral("Sent ESC-EN."), kStepPauseMs, armed) ||
        !exchange.WriteStep(kEscXX, QStringLiteral("Sent ESC-XX."), kStepPauseMs) ||
        !exchange.WriteStep(kEscDS, QStringLiteral("Sent ESC-DS."), kStepPauseMs))
        return notWritten();

    // The printer answers "?" when it is ready; any other byte only uses up a read.
    exchange.Status(QStringLiteral("Waiting for a '?' character..."));
    const bool question = exchange.WaitForByte(kQuestion, kQuestionReads);
    exchange.Step();
    exchange.Pause(kStepPauseMs);
    if (exchange.Interrupted())
        return BurnResult::Interrupted;
    if (!question) {
        exchange.Status(QStringLiteral("Error."));
        const MsgAnswer answer = exchange.Message(
            QStringLiteral("Timed out waiting for a '?' character.\nContinue anyway?"),
            MsgIcon::Exclamation, MsgButtons::YesNo, MsgAnswer::No);
        if (answer != MsgAnswer::Yes)
            return BurnResult::Abandoned;
    } else {
        exchange.Status(QStringLiteral("Received a '?' character."));
    }
    exchange.Pause(kStepPauseMs);

    if (!exchange.WriteStep(kEscSL, QStringLiteral("Sent ESC-SL."), kStepPauseMs, collecting) ||
        !exchange.WriteStep(stream.Bytes(), QStringLiteral("Sent user commands."), kStepPauseMs) ||
        !exchange.WriteStep(kEscST, QStringLiteral("Sent ESC-ST-0xFF-<CR>."), kStepPauseMs,
                            unburned) ||
        !exchange.WriteStep(kEscSB, QStringLiteral("Sent ESC-SB-<CR>."), kStepPauseMs, burning))
        return notWritten();

    bool readOk = false;
    const QByteArray reply = exchange.Read(kReplySize, &readOk);
    exchange.Step();
    if (exchange.WasInterrupted())
        return BurnResult::Interrupted;
    if (readOk && !reply.isEmpty() && HasConfirmation(reply)) {
        exchange.Message(QStringLiteral("Success: Received D!X.\nShut off printer."),
                         MsgIcon::Information);
        return BurnResult::Confirmed;
    }
    exchange.Message(QStringLiteral("Error: Did not receive D!X."), MsgIcon::Stop);
    return BurnResult::NotConfirmed;
}

QByteArray CAttributeProgrammer::ExportBytes(const CAttributeForm& form) {
    CCommandBuffer buffer;
    buffer.AppendString(kEscEN + kEscXX + kEscDS + kEscSL);
    form.BuildAttributeStream(buffer);
    buffer.AppendString(kEscST + kEscSB);
    return buffer.Bytes();
}

bool CAttributeProgrammer::WriteExportFile(const QString& path, const QByteArray& bytes,
                                           QString* detail) {
    return FileAccess::WriteFileSafely(path, bytes, detail);
}
