#include "MainFrame.h"

#include "KVUApp.h"

#include <QCloseEvent>
#include <QLabel>
#include <QMenuBar>
#include <QProgressBar>
#include <QStatusBar>

CMainFrame::CMainFrame(CKVUApp& app) : m_app(app) {
    resize(650, 549);
    QMenu* help = menuBar()->addMenu(QStringLiteral("&Help"));
    QAction* about = help->addAction(QStringLiteral("&About Quorlin..."));
    about->setObjectName(QStringLiteral("id57664"));
    connect(about, &QAction::triggered, this, [this] { m_app.OnAppAbout(); });

    m_messagePane = new QLabel(QStringLiteral("Ready"), this);
    statusBar()->addWidget(m_messagePane, 1);
    m_progress = new QProgressBar(this);
    m_progress->setMaximumWidth(160);
    m_progress->hide();
    statusBar()->addPermanentWidget(m_progress);
    UpdateTitle();
}

void CMainFrame::SetMessageText(const QString& text) {
    m_messagePane->setText(text);
    m_messagePane->repaint();
}

void CMainFrame::SetProgress(int done, int total) {
    if (total <= 0) {
        m_progress->hide();
        return;
    }
    m_progress->setRange(0, total);
    m_progress->setValue(done);
    m_progress->show();
    m_progress->repaint();
}

void CMainFrame::OnFileNew() { UpdateTitle(); }

bool CMainFrame::OpenDocumentFile(const QString& /*path*/) { return true; }

void CMainFrame::UpdateTitle() {
    setWindowTitle(QStringLiteral("Untitled - Quorlin"));
}

void CMainFrame::closeEvent(QCloseEvent* event) {
    // An exchange runs to its end; closing now would tear objects down under it.
    if (m_app.Services().IsBusy()) {
        event->ignore();
        return;
    }
    event->accept();
}
