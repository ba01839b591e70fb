#include "Exchange.h"

#include "SerialPort.h"

const char* const CExchange::kOpenFailed = "Error: Couldn't open serial port.";
const char* const CExchange::kWriteFailed = "Error: Couldn't transmit through serial port.";

CExchange::CExchange(CSerialPort& link, IUiServices& services, int steps)
    : m_link(link), m_services(services), m_wait(services), m_steps(steps) {}

CExchange::~CExchange() {
    Finish();
}

void CExchange::Start(int pauseMs) {
    m_services.Status(QStringLiteral("Wait..."));
    if (m_steps > 0)
        m_services.Progress(0, m_steps);
    if (pauseMs > 0)
        m_services.Pause(pauseMs);
}

bool CExchange::Open(const char* failureText) {
    if (m_link.Open(kReadInterval, kReadMultiplier))
        return true;
    Message(QLatin1String(failureText));
    return false;
}

bool CExchange::Write(const QByteArray& bytes, const char* failureText) {
    if (Interrupted())
        return false;
    if (m_link.WriteFile(bytes))
        return true;
    // A write the interrupt cut short is no transmission failure.
    if (!Interrupted())
        Message(QLatin1String(failureText));
    m_link.Close();
    return false;
}

bool CExchange::WriteStep(const QByteArray& bytes, const QString& status, int pauseMs,
                          const QString& cutNote) {
    if (!Write(bytes))
        return false;
    if (!cutNote.isEmpty())
        m_cutNote = cutNote;
    Status(status);
    Step();
    Pause(pauseMs);
    return !Interrupted();
}

QByteArray CExchange::Read(int count, bool* ok) {
    QByteArray buffer(count, '\0');
    int got = 0;
    const bool read = m_link.ReadFile(buffer.data(), count, &got);
    buffer.truncate(read ? got : 0);
    if (ok)
        *ok = read;
    Interrupted();
    return buffer;
}

bool CExchange::WaitForByte(char wanted, int reads) {
    for (int i = 0; i < reads && !Interrupted(); ++i) {
        char byte = 0;
        int got = 0;
        if (m_link.ReadFile(&byte, 1, &got) && got == 1 && byte == wanted)
            return true;
    }
    return false;
}

MsgAnswer CExchange::Message(const QString& text, MsgIcon icon, MsgButtons buttons,
                             MsgAnswer defaultAnswer) {
    return m_services.Message(text, icon, buttons, defaultAnswer);
}

QString CExchange::InterruptText(const QString& lastStep, const QString& note) {
    QString text = lastStep.isEmpty()
                       ? QStringLiteral("Interrupted.")
                       : QStringLiteral("Interrupted after \"%1\"").arg(lastStep.trimmed());
    if (!text.endsWith(QLatin1Char('.')))
        text += QLatin1Char('.');
    if (!note.isEmpty())
        text += QLatin1Char(' ') + note;
    return text;
}

bool CExchange::Interrupted() {
    if (m_interrupted)
        return true;
    if (!m_services.Interrupted())
        return false;
    m_interrupted = true;
    if (m_tellsInterrupt)
        Message(InterruptText(m_lastStatus, m_cutNote));
    return true;
}

void CExchange::Finish() {
    if (m_finished)
        return;
    m_finished = true;
    m_link.Close();
    m_services.Status(QStringLiteral("Ready"));
    if (m_steps > 0)
        m_services.Progress(0, 0);
}

void CExchange::FinishQuietly() {
    if (m_finished)
        return;
    m_finished = true;
    m_link.Close();
    if (m_steps > 0)
        m_services.Progress(0, 0);
}
