#pragma once

#include "app/IdleCounter.h"
#include "frame/ModulePage.h"
#include "module1/MacroSession.h"

#include <QWidget>
#include <array>

class CAppCore;
class CElidedButton;
class CLinkIndicator;
class QCheckBox;
class CKVUDoc;
class IUiServices;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;

// Module 1, tab 3: "Macros". While on top it holds the link open and shows what the
// printer sends; six macro buttons send their texts, and two rows send a text file line by
// line from idle time. The captions, texts and paths are kept in the project.
class CMod1Page3 : public QWidget, public IModulePage, public IMacrosPoller {
public:
    CMod1Page3(CKVUDoc& doc, CAppCore& core, IUiServices& services, QWidget* parent = nullptr);

    QWidget* Widget() override { return this; }
    void UpdateFromDocument() override;
    // Shown: refilled, and the link opened (with a message when it cannot be).
    void OnActivate() override;
    // Module 1 chosen again with this page on top: the link reopens without a word.
    void OnModuleChosen() override;
    void OnDeactivate() override;
    bool ReleaseLink() override;
    void RetakeLink() override;
    // File > Save Monitor As...: what the monitor shows, in the view it shows it in.
    bool CommandState(int id, bool* enabled, bool* checked) override;
    void OnCommand(int id) override;
    static constexpr int kSaveMonitorCommand = 32833;

    void UpdateDocument();
    void TakeFields();
    void ShowFields();

    void OnRename();
    void OnMacroButton(int index);
    void OnSendFile(int row);
    void OnCancel();
    void OnBrowse(int row);

    // Idle processing.
    void ReceiveStep() override;
    void SendStep() override;
    bool IsSending() const override { return m_session.IsSending(); }

    bool InRenameMode() const { return m_bRenameMode != 0; }
    // The monitor as text, whichever view is shown.
    QString MonitorText() const { return m_monitorText; }
    // What the monitor shows: the text, or the bytes in hexadecimal.
    QString ShownMonitor() const;
    void SetHexView(bool hex);
    bool SaveMonitor(const QString& path);

    static constexpr int kMacroCount = 6;
    static constexpr int kFileCount = 2;

private:
    void ShowConnection();
    void ShowMonitor();

    CKVUDoc& m_doc;
    CAppCore& m_core;
    IUiServices& m_services;
    CMacroSession m_session;
    int m_bRenameMode = 0;
    std::array<QString, kMacroCount> m_strMacroText;
    std::array<QString, kMacroCount> m_strCaption;
    std::array<QString, kFileCount> m_strSendFile;
    std::array<CElidedButton*, kMacroCount> m_btnMacro{};
    std::array<QLineEdit*, kMacroCount> m_macroEdits{};
    std::array<QLineEdit*, kFileCount> m_fileEdits{};
    QPushButton* m_rename = nullptr;
    QPlainTextEdit* m_ctlMonitor = nullptr;
    QString m_monitorText;
    CLinkIndicator* m_connection = nullptr;
    QCheckBox* m_hexView = nullptr;
};
