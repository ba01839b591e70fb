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
    exchange.Start(kStartPauseMs);
    if (!exchange.Open())
        return BurnResult::OpenFailed;
    if (!exchange.WriteStep(kEscEN, QStringLiteral("Sent ESC-EN."), kStepPauseMs) ||
        !exchange.WriteStep(kEscXX, QStringLiteral("Sent ESC-XX."), kStepPauseMs) ||
        !exchange.WriteStep(kEscDS, QStringLiteral("Sent ESC-DS."), kStepPauseMs))
        return BurnResult::WriteFailed;

    // The printer answers "?" when it is ready; any other byte only uses up a read.
    exchange.Status(QStringLiteral("Waiting for a '?' character..."));
    const bool question = exchange.WaitForByte(kQuestion, kQuestionReads);
    exchange.Step();
    exchange.Pause(kStepPauseMs);
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

    if (!exchange.WriteStep(kEscSL, QStringLiteral("Sent ESC-SL."), kStepPauseMs) ||
        !exchange.WriteStep(stream.Bytes(), QStringLiteral("Sent user commands."), kStepPauseMs) ||
        !exchange.WriteStep(kEscST, QStringLiteral("Sent ESC-ST-0xFF-<CR>."), kStepPauseMs) ||
        !exchange.WriteStep(kEscSB, QStringLiteral("Sent ESC-SB-<CR>."), kStepPauseMs))
        return BurnResult::WriteFailed;

    bool readOk = false;
    const QByteArray reply = exchange.Read(kReplySize, &readOk);
    exchange.Step();
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
