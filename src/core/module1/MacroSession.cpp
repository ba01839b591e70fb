#include "MacroSession.h"

#include "CommandBuffer.h"
#include "Notation.h"
#include "app/SerialPort.h"
#include "app/UiServices.h"
#include "text/CodePage.h"

#include <QIODevice>

bool CMacroSession::OpenLink(bool quiet) {
    if (m_link.m_bOpen)
        return true;
    if (m_link.Open(1, 0)) {
        m_linkLost = false;
        m_pendingCr = false;
        m_received.Clear();
        return true;
    }
    if (!quiet)
        m_services.Message(QStringLiteral("Com port could not be opened."), MsgIcon::Exclamation);
    return false;
}

void CMacroSession::CloseLink() {
    m_link.Close();
}

bool CMacroSession::IsLinkOpen() const {
    return m_link.m_bOpen != 0;
}

QString CMacroSession::ConnectionText() const {
    if (IsLinkOpen())
        return QStringLiteral("Connected to %1 (%2) at %3 bit/s")
            .arg(m_link.GetPortName(), m_link.DeviceName(), m_link.GetBaudRateText());
    return m_linkLost ? QStringLiteral("Not connected: the link was lost.")
                      : QStringLiteral("Not connected");
}

bool CMacroSession::SendMacro(const QString& text) {
    if (!m_link.m_bOpen) {
        m_services.Message(QStringLiteral("Com port not open."), MsgIcon::Exclamation);
        return false;
    }
    CCommandBuffer buffer;
    buffer.ParseNotation(text);
    return buffer.WriteToOpenPort(m_link);
}

bool CMacroSession::StartSendFile(const QString& path) {
    if (m_bSending) {
        m_services.Message(
            QStringLiteral("Close the currently open file before opening a new one."),
            MsgIcon::Exclamation);
        return false;
    }
    m_readFailed = false;
    m_cutShortAt = 0;
    m_linesSent = 0;
    if (!m_fileToSend.Open(path)) {
        m_bSending = 0;
        m_services.Message(QStringLiteral("Failed to open a file for read."), MsgIcon::Exclamation);
        return false;
    }
    m_bSending = 1;
    m_services.Status(QStringLiteral("Send file started."));
    return true;
}

void CMacroSession::StartSendFrom(std::unique_ptr<QIODevice> device) {
    m_readFailed = false;
    m_cutShortAt = 0;
    m_linesSent = 0;
    m_fileToSend.Open(std::move(device));
    m_bSending = 1;
    m_services.Status(QStringLiteral("Send file started."));
}

void CMacroSession::SendStep() {
    if (!m_bSending)
        return;
    QByteArray line;
    switch (m_fileToSend.Next(&line)) {
    case CFileSender::Step::Line: {
        // Sent as it is (no notation); a failed write is reported by the link and the
        // next line still goes, unless the lines keep failing: then the port is gone.
        const bool lineWritten = m_link.Write(line);
        const bool endWritten = m_link.Write(QByteArray("\r\n"));
        ++m_linesSent;
        m_failedLines = lineWritten && endWritten ? 0 : m_failedLines + 1;
        m_services.Status(QStringLiteral("Sending: ") + StatusForm(line));
        if (m_failedLines >= kFailedLinesToStop) {
            // Not an end: the rest of the file never went out, and the user must know
            // where the printer stopped getting it.
            m_cutShortAt = m_linesSent - m_failedLines + 1;
            m_failedLines = 0;
            m_fileToSend.Close();
            m_bSending = 0;
            m_services.Status(
                QStringLiteral("Send file cut short at line %1: the port does not take the lines.")
                    .arg(m_cutShortAt));
        }
        return;
    }
    case CFileSender::Step::End:
        EndSending();
        return;
    case CFileSender::Step::ReadError:
        m_readFailed = true;
        m_services.Message(QStringLiteral("Error reading file."), MsgIcon::Exclamation);
        EndSending();
        return;
    }
}

void CMacroSession::StopSendFile() {
    if (m_bSending)
        EndSending();
}

void CMacroSession::EndSending() {
    m_failedLines = 0;
    m_fileToSend.Close();
    m_bSending = 0;
    m_services.Status(QStringLiteral("Send file ended."));
}

QString CMacroSession::ReceiveStep() {
    QByteArray bytes(kReceiveSize, '\0');
    int got = 0;
    const bool read = m_link.ReadFile(bytes.data(), kReceiveSize, &got);
    if (!read || m_link.HasFailed()) {
        if (m_link.m_bOpen)
            OnLinkFailed();
        return QString();
    }
    if (got <= 0)
        return QString();
    bytes.truncate(got);
    m_received.Append(bytes);
    if (m_pendingCr && bytes.startsWith('\n'))
        bytes.remove(0, 1);
    m_pendingCr = bytes.endsWith('\r');
    if (bytes.isEmpty())
        return QString();
    // The monitor breaks lines at CR, at LF and at CR LF received together.
    QString text = Notation::MonitorForm(bytes);
    text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    text.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    return text;
}

void CMacroSession::OnLinkFailed() {
    const QString cause = m_link.FailureText();
    m_linkLost = true;
    m_linkLostText = QStringLiteral("The link to the printer was lost (%1, %2%3).")
                         .arg(m_link.GetPortName(), m_link.DeviceName(),
                              cause.isEmpty() ? QString() : QStringLiteral(": ") + cause);
    // Closed, or the device would keep waking the program with its hang-up.
    m_link.Close();
    m_pendingCr = false;
    m_services.Status(m_linkLostText);
}

QString CMacroSession::StatusForm(const QByteArray& line) {
    QString shown = Notation::VisibleForm(CodePage::FromBytes(line.left(kStatusLineBytes)));
    if (line.size() > kStatusLineBytes)
        shown += QChar(0x2026);
    return shown;
}

QString CMacroSession::AppendToMonitor(const QString& monitor, const QString& added) {
    QString text = monitor + added;
    // Lines as the monitor counts them: each line break starts a new line.
    const int lines = int(text.count(QLatin1Char('\n'))) + 1;
    if (lines <= kMaxMonitorLines)
        return text.size() > kMaxMonitorChars ? text.right(kMaxMonitorChars) : text;
    int start = 0;
    for (int line = 0; line < kFirstKeptLine; ++line)
        start = int(text.indexOf(QLatin1Char('\n'), start)) + 1;
    text = text.mid(start);
    return text.size() > kMaxMonitorChars ? text.right(kMaxMonitorChars) : text;
}
