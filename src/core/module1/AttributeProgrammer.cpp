#include "AttributeProgrammer.h"

#include "AttributeForm.h"
#include "CommandBuffer.h"
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

bool CAttributeProgrammer::WriteStep(const QByteArray& bytes, const char* status) {
    if (!m_link.WriteFile(bytes)) {
        m_services.Message(QStringLiteral("Error: Couldn't transmit through serial port."),
                           QLatin1String(kAppTitle), MsgIcon::Exclamation);
        m_link.Close();
        return false;
    }
    m_services.Status(QLatin1String(status));
    m_services.Progress(++m_step, kBurnSteps);
    m_services.Pause(2000);
    return true;
}

CAttributeProgrammer::BurnResult CAttributeProgrammer::Burn(const CAttributeForm& form) {
    CCommandBuffer stream;
    form.BuildAttributeStream(stream);

    CWaitScope wait(m_services);
    m_step = 0;
    BurnResult result = BurnResult::NotConfirmed;
    m_services.Status(QStringLiteral("Wait..."));
    m_services.Progress(0, kBurnSteps);
    m_services.Pause(1000);

    // Every way out ends with the link closed, "Ready" and the indicator gone.
    auto finish = [&](BurnResult r) {
        m_link.Close();
        m_services.Status(QStringLiteral("Ready"));
        m_services.Progress(0, 0);
        return r;
    };

    if (!m_link.Open(50, 5)) {
        m_services.Message(QStringLiteral("Error: Couldn't open serial port."),
                           QLatin1String(kAppTitle), MsgIcon::Exclamation);
        return finish(BurnResult::OpenFailed);
    }
    if (!WriteStep(kEscEN, "Sent ESC-EN.") || !WriteStep(kEscXX, "Sent ESC-XX.") ||
        !WriteStep(kEscDS, "Sent ESC-DS."))
        return finish(BurnResult::WriteFailed);

    // The printer answers "?" when it is ready; any other byte only uses up a read.
    m_services.Status(QStringLiteral("Waiting for a '?' character..."));
    bool question = false;
    for (int i = 0; i < kQuestionReads && !question; ++i) {
        char byte = 0;
        int got = 0;
        question = m_link.ReadFile(&byte, 1, &got) && got == 1 && byte == kQuestion;
    }
    m_services.Progress(++m_step, kBurnSteps);
    m_services.Pause(2000);
    if (!question) {
        m_services.Status(QStringLiteral("Error."));
        const MsgAnswer answer = m_services.Message(
            QStringLiteral("Timed out waiting for a '?' character.\nContinue anyway?"),
            QStringLiteral("KVU"), MsgIcon::Exclamation, MsgButtons::YesNo, MsgAnswer::No);
        if (answer != MsgAnswer::Yes)
            return finish(BurnResult::Abandoned);
    } else {
        m_services.Status(QStringLiteral("Received a '?' character."));
    }
    m_services.Pause(2000);

    if (!WriteStep(kEscSL, "Sent ESC-SL.") || !WriteStep(stream.Bytes(), "Sent user commands.") ||
        !WriteStep(kEscST, "Sent ESC-ST-0xFF-<CR>.") || !WriteStep(kEscSB, "Sent ESC-SB-<CR>."))
        return finish(BurnResult::WriteFailed);

    QByteArray reply(kReplySize, '\0');
    int got = 0;
    const bool readOk = m_link.ReadFile(reply.data(), kReplySize, &got);
    reply.truncate(got);
    m_services.Progress(++m_step, kBurnSteps);
    if (readOk && got > 0 && HasConfirmation(reply)) {
        result = BurnResult::Confirmed;
        m_services.Message(QStringLiteral("Success: Received D!X.\nShut off printer."),
                           QStringLiteral("KVU"), MsgIcon::Information);
    } else {
        m_services.Message(QStringLiteral("Error: Did not receive D!X."), QStringLiteral("KVU"),
                           MsgIcon::Stop);
    }
    return finish(result);
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
