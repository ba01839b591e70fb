#pragma once

#include <QStatusBar>

class CSerialPort;
class QLabel;
class QProgressBar;

// The main window's status bar: the message pane, the reason the port could not be
// opened, the progress of an exchange, the link in use and the lock-key panes.
class CFrameStatusBar : public QStatusBar {
public:
    CFrameStatusBar(const CSerialPort& link, QWidget* parent = nullptr);

    // The message pane, painted at once.
    void SetMessageText(const QString& text);
    QString MessageText() const;
    // Why the port could not be opened, beside the message pane until the port opens
    // again (empty: hidden).
    void SetLinkProblemText(const QString& text);
    void SetProgress(int done, int total);
    // The link pane: the port, its device and the rate in use ("COM1  /dev/ttyS0  38400").
    void UpdateLinkPane();
    QString LinkPaneText() const;

private:
    const CSerialPort& m_link;
    QLabel* m_messagePane = nullptr;
    QProgressBar* m_progress = nullptr;
    QLabel* m_linkPane = nullptr;
    QLabel* m_linkProblemPane = nullptr;
};
