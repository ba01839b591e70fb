#pragma once

#include <QMainWindow>

class CKVUApp;
class IMacrosPoller;
class QLabel;
class QProgressBar;

// The one top-level window.
class CMainFrame : public QMainWindow {
public:
    explicit CMainFrame(CKVUApp& app);

    int CurrentModule() const { return m_nCurrentModule; }
    IMacrosPoller* MacrosPoller() const { return nullptr; }

    void SetMessageText(const QString& text);
    void SetProgress(int done, int total);

    void OnFileNew();
    bool OpenDocumentFile(const QString& path);

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    void UpdateTitle();

    CKVUApp& m_app;
    int m_nCurrentModule = 1;
    QLabel* m_messagePane = nullptr;
    QProgressBar* m_progress = nullptr;
};
