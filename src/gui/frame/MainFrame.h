#pragma once

#include <QMainWindow>
#include <QMap>
#include <QPointer>
#include <functional>

#include "ModuleRegistry.h"

class QToolBar;
class CKVUApp;
class CKVUDoc;
class CHelpWindow;
class CKVUView;
class IMacrosPoller;
class IModulePage;
class QAction;
class QLabel;
class QProgressBar;
class QStackedWidget;

// The one top-level window: menu, toolbar and status bar, the module view, the font view
// and the logo view, module switching, the project document commands and the help boxes.
class CMainFrame : public QMainWindow {
public:
    explicit CMainFrame(CKVUApp& app);
    ~CMainFrame() override;

    ModuleId CurrentModule() const { return ModuleId(m_nCurrentModule); }
    // The page or view on top of the module shown, and the Macros poller if it is one.
    IModulePage* ActivePage() const;
    IMacrosPoller* MacrosPoller() const;
    CKVUView* ModuleView() const { return m_moduleView; }
    // What the pane shows for a module: its own view, or the module view with its sheet.
    QWidget* ViewOf(ModuleId module) const;
    QWidget* ActiveView() const;
    QAction* Action(int id) const { return m_actions.value(id); }

    // The message pane of the status bar, painted at once.
    void SetMessageText(const QString& text);
    // Why the port could not be opened, beside the message pane until the port opens
    // again (empty: hidden).
    void SetLinkProblemText(const QString& text);
    QString MessageText() const;
    void SetProgress(int done, int total);
    // The link pane: the port, its device and the rate in use ("COM1  /dev/ttyS0  38400").
    void UpdateLinkPane();
    QString LinkPaneText() const;

    // Module commands.
    void OnModule(ModuleId module);
    void SwitchModule(ModuleId module);

    // Document commands, with the framework's prompts and messages.
    void OnFileNew();
    void OnFileOpen();
    bool OnFileSave();
    bool OnFileSaveAs();
    bool OpenDocumentFile(const QString& path);
    // "Save changes to %1?" when modified; false when the user cancelled.
    bool SaveModified();

    void OnConfigureSerialPort();
    void OnConfigureLogoSize();
    // Help > Topics: the help window at the topic of the module shown.
    void OnHelpTopics();
    // F1: the help window at the topic of the page or view on top.
    void OnHelp();
    // Opens the help window at a topic; a missing help file is reported with the paths
    // looked in. False when there is no help to show.
    bool OpenHelp(const QString& topic);
    // The topics of the module shown and of the page on top, from the module registry.
    QString ModuleHelpTopic() const;
    QString PageHelpTopic() const;
    // The help window, once opened.
    CHelpWindow* HelpWindow() const { return m_helpWindow; }
    void ShowHelpText(int command);

    // A command of the application's own (not a module's) in the View menu, below the
    // module items; always enabled.
    QAction* AddViewCommand(int id, const QString& text, const QString& prompt,
                            std::function<void()> handler);

    // Recomputes every command's enabled and checked state.
    void UpdateCommandStates();

protected:
    void closeEvent(QCloseEvent* event) override;
    bool event(QEvent* event) override;

private:
    QAction* MakeAction(int id, const QString& text, const QString& prompt = QString());
    void CreateActions();
    void CreateMenus();
    void CreateToolBar();
    void CreateStatusBar();
    void UpdateTitle();
    void UpdateRecentFiles();
    void UpdateEditCommands();
    bool DoSave(const QString& path);
    // The module was chosen or left: its page or view on top is told.
    void SetModuleLive(ModuleId module, bool live);
    void OnInitialUpdate();
    void OnRoutedCommand(int id);
    QString AskFileName(bool save, const QString& suggested);
    void ResizeClient(int width, int height);
    void ShowView(QWidget* view);
    void UpdateCommandBar();

    CKVUApp& m_app;
    CKVUDoc& m_doc;
    int m_nCurrentModule = 1;
    QStackedWidget* m_pane = nullptr;
    CKVUView* m_moduleView = nullptr;
    QMap<ModuleId, IModulePage*> m_views; // the modules shown as views of their own
    QList<int> m_routedCommands;          // offered to the page on top
    QLabel* m_messagePane = nullptr;
    QProgressBar* m_progress = nullptr;
    QLabel* m_linkPane = nullptr;
    QLabel* m_linkProblemPane = nullptr;
    QMap<int, QAction*> m_actions;
    QList<QAction*> m_recentActions;
    QAction* m_recentPlaceholder = nullptr;
    QMenu* m_fileMenu = nullptr;
    CHelpWindow* m_helpWindow = nullptr;
    QMenu* m_viewMenu = nullptr;
    QAction* m_viewCommandsEnd = nullptr; // the View menu's own commands go before this
    bool m_hasViewCommands = false;
    QMetaObject::Connection m_focusConnection;
    QToolBar* m_commandBar = nullptr;              // the page's own buttons, on a row of their own
    QMetaObject::Connection m_selectionConnection; // of the text field the Edit commands act on
    QPointer<QWidget> m_editField;
};
