#pragma once

#include "app/IdleCounter.h"
#include "frame/ModulePage.h"
#include "module1/MacroSession.h"

#include <QWidget>
#include <array>

class CAppCore;
class CElidedButton;
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
    QString MonitorText() const;

    static constexpr int kMacroCount = 6;
    static constexpr int kFileCount = 2;

private:
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
};
