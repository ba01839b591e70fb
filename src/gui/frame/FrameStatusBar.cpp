#include "FrameStatusBar.h"

#include "app/SerialPort.h"

#include <QDir>
#include <QLabel>
#include <QProgressBar>

CFrameStatusBar::CFrameStatusBar(const CSerialPort& link, QWidget* parent)
    : QStatusBar(parent), m_link(link) {
    setObjectName(QStringLiteral("id59393"));
    m_messagePane = new QLabel(QStringLiteral("Ready"), this);
    m_messagePane->setObjectName(QStringLiteral("messagePane"));
    addWidget(m_messagePane, 1);
    // The reason a port could not be opened: it must outlast the "Ready" that ends the
    // exchange, so it has a pane of its own.
    m_linkProblemPane = new QLabel(this);
    m_linkProblemPane->setObjectName(QStringLiteral("linkProblemPane"));
    m_linkProblemPane->setStyleSheet(QStringLiteral("color: #a00000;"));
    m_linkProblemPane->setTextInteractionFlags(Qt::TextSelectableByMouse);
    m_linkProblemPane->hide();
    addWidget(m_linkProblemPane, 2);
    m_progress = new QProgressBar(this);
    m_progress->setObjectName(QStringLiteral("progress"));
    m_progress->setMaximumWidth(140);
    m_progress->setMaximumHeight(14);
    m_progress->setTextVisible(false);
    m_progress->hide();
    addPermanentWidget(m_progress);
    // The link in use, so that a message such as "Serial transmission error." can be
    // read against the port it is about.
    m_linkPane = new QLabel(this);
    m_linkPane->setObjectName(QStringLiteral("linkPane"));
    m_linkPane->setFrameShape(QFrame::StyledPanel);
    m_linkPane->setToolTip(QStringLiteral("Serial port, device and baud rate in use"));
    addPermanentWidget(m_linkPane);
    UpdateLinkPane();
    // Qt cannot tell the lock keys' state on every platform: the panes keep their place
    // and stay blank.
    for (const char* indicator : {"CAP", "NUM", "SCRL"}) {
        auto* pane = new QLabel(this);
        pane->setObjectName(QLatin1String(indicator));
        pane->setMinimumWidth(pane->fontMetrics().horizontalAdvance(QLatin1String(indicator)) + 8);
        pane->setFrameShape(QFrame::StyledPanel);
        pane->setToolTip(QLatin1String(indicator));
        addPermanentWidget(pane);
    }
}

void CFrameStatusBar::SetMessageText(const QString& text) {
    // A hover prompt shown as a temporary message would cover the pane: the text set
    // here is what the user should read now.
    clearMessage();
    m_messagePane->setText(text);
    m_messagePane->repaint();
    // An exchange's texts come with the link it runs on.
    UpdateLinkPane();
}

QString CFrameStatusBar::MessageText() const {
    return m_messagePane->text();
}

void CFrameStatusBar::SetLinkProblemText(const QString& text) {
    m_linkProblemPane->setText(text);
    m_linkProblemPane->setToolTip(text);
    m_linkProblemPane->setVisible(!text.isEmpty());
    m_linkProblemPane->repaint();
}

void CFrameStatusBar::UpdateLinkPane() {
    const QString text =
        QStringLiteral("%1  %2  %3")
            .arg(m_link.GetPortName(), QDir::toNativeSeparators(m_link.DeviceName()),
                 m_link.GetBaudRateText());
    if (m_linkPane->text() != text) {
        m_linkPane->setText(text);
        m_linkPane->repaint();
    }
}

QString CFrameStatusBar::LinkPaneText() const {
    return m_linkPane->text();
}

void CFrameStatusBar::SetProgress(int done, int total) {
    if (total <= 0) {
        m_progress->hide();
        return;
    }
    m_progress->setRange(0, total);
    m_progress->setValue(done);
    m_progress->show();
    m_progress->repaint();
}
