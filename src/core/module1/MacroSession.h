#pragma once

#include "FileSender.h"
#include "MonitorHex.h"

#include <QString>

class CSerialPort;
class IUiServices;

// The Macros page without widgets: macro texts sent on the link the page holds open, a
// text file sent one line per idle step, and the received bytes for the receive monitor.
class CMacroSession {
public:
    // The receive monitor keeps at most this many lines; past it the oldest are dropped
    // down to the last 21.
    static constexpr int kMaxMonitorLines = 40;
    static constexpr int kFirstKeptLine = 20;
    static constexpr int kReceiveSize = 50;
    // A printer that floods the monitor without line ends still leaves it this size.
    static constexpr int kMaxMonitorChars = 64 * 1024;
    // A file whose lines fail to go out this many times in a row (the port has gone) stops
    // being sent, rather than reporting every one of its lines.
    static constexpr int kFailedLinesToStop = 2;

    CMacroSession(CSerialPort& link, IUiServices& services) : m_link(link), m_services(services) {}

    // Opens the link with the page's short time-outs; "Com port could not be opened." when
    // it cannot (`quiet` leaves that out: the frame's own reopening says nothing).
    bool OpenLink(bool quiet = false);
    void CloseLink();
    bool IsLinkOpen() const;
    // The page's connected / not connected indicator: "Connected to COM1 (/dev/ttyUSB0) at
    // 9600 bit/s", "Not connected: the link was lost.", "Not connected".
    QString ConnectionText() const;

    // The macro text's bytes on the open link, no line end added; "Com port not open."
    // when the link is closed. Whether the bytes were written.
    bool SendMacro(const QString& text);

    // File sending: one file at a time, whichever row started it.
    bool IsSending() const { return m_bSending != 0; }
    // False when a file is already being sent or this one cannot be opened (both said).
    bool StartSendFile(const QString& path);
    qint64 SentBytes() const { return m_fileToSend.Position(); }
    // Whether the last file ended on a read error.
    bool ReadFailed() const { return m_readFailed; }
    // Whether the last file was stopped because its lines no longer went out, and the
    // line it stopped at (1 is the first line of the file).
    bool CutShort() const { return m_cutShortAt > 0; }
    int CutShortAt() const { return m_cutShortAt; }
    // Lines of the current (or last) file handed to the link so far.
    int LinesSent() const { return m_linesSent; }
    void SendStep();
    void StopSendFile();
    // Tests send from a device of their own.
    void StartSendFrom(std::unique_ptr<QIODevice> device);

    // One poll of the open link: what arrived, in the monitor's form (empty: nothing).
    // A read that fails because the device is gone closes the link and says so.
    QString ReceiveStep();
    // Whether the link was closed because its device failed (a pulled cable, a printer
    // switched off on a USB adapter); cleared when the link opens again.
    bool LinkLost() const { return m_linkLost; }
    // "The link to the printer was lost (COM1, /dev/ttyUSB0: Input/output error)..."
    QString LinkLostText() const { return m_linkLostText; }
    // The monitor's text after `added` is appended: past 40 lines it is cut to the text
    // from the first character of line 20 on, and past 64 KB to its last 64 KB.
    static QString AppendToMonitor(const QString& monitor, const QString& added);
    // A sent line as the status pane shows it: its visible form, cut after
    // kStatusLineBytes bytes with an ellipsis (a font file's 10 MB line would otherwise be
    // built into a 10 MB status text, for a pane that shows a few dozen characters).
    static constexpr int kStatusLineBytes = 200;
    static QString StatusForm(const QByteArray& line);
    // The bytes behind the monitor, as they arrived, for its hexadecimal view.
    const CMonitorHex& Received() const { return m_received; }

private:
    void EndSending();
    void OnLinkFailed();

    CSerialPort& m_link;
    IUiServices& m_services;
    CFileSender m_fileToSend;
    int m_bSending = 0;
    bool m_readFailed = false;
    int m_failedLines = 0;
    int m_linesSent = 0;
    int m_cutShortAt = 0;
    // The last byte received was a CR: an LF at the start of the next read belongs to the
    // same line break (a CR LF split between two reads is one break, not two).
    bool m_pendingCr = false;
    bool m_linkLost = false;
    QString m_linkLostText;
    CMonitorHex m_received{kMaxMonitorLines, kFirstKeptLine};
};
