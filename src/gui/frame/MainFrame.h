#pragma once

#include <QMainWindow>
#include <QMap>
#include <QPointer>
#include <functional>
#include <memory>

#include "ModuleRegistry.h"

class CDocumentController;
class CFrameStatusBar;
class CHelpWindow;
class CKVUView;
class IMacrosPoller;
class IModulePage;
class QAction;
class QMenu;
class QStackedWidget;
class QToolBar;
struct HelpText;

// The one top-level window: menu, toolbar and status bar, the module view and the
// modules' own views, module switching, and the commands: the frame's own, the project
// document's (through its document controller) and those each module brings.
class CMainFrame : public QMainWindow {
public:
    // `pageChanged` is called whenever the page or view on top may have changed (another
    // module or tab, a dialog that let go of the link).
    CMainFrame(const PageContext& context, std::function<void()> pageChanged);
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
    CFrameStatusBar* StatusBar() const { return m_statusBar; }
    CDocumentController& Documents() { return *m_documents; }

    // The status bar's panes (see CFrameStatusBar).
    void SetMessageText(const QString& text);
    void SetLinkProblemText(const QString& text);
    QString MessageText() const;
    void SetProgress(int done, int total);
    void UpdateLinkPane();
    QString LinkPaneText() const;

    // Module commands.
    void OnModule(ModuleId module);
    void SwitchModule(ModuleId module);

    // Document commands (see CDocumentController).
    void OnFileNew();
    void OnFileOpen();
    bool OnFileSave();
    bool OnFileSaveAs();
    bool OpenDocumentFile(const QString& path);

    void OnConfigureSerialPort();
    void OnAppAbout();
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
    void CreateFrameActions();
    void CreateEditActions();
    void CreateModuleActions();
    void CreateMenus();
    void AddModuleMenuEntries(MenuPlace place, QMenu* menu);
    void CreateToolBar();
    void CreateStatusBar();
    void ShowHelpBox(const HelpText& help);
    void UpdateTitle();
    void UpdateRecentFiles();
    void UpdateEditCommands();
    // The module was chosen or left: its page or view on top is told.
    void SetModuleLive(ModuleId module, bool live);
    void OnInitialUpdate();
    IModulePage* View(ModuleId module) const;
    void OnRoutedCommand(int id);
    void ResizeClient(int width, int height);
    void ShowView(QWidget* view);
    void UpdateCommandBar();

    PageContext m_context;
    std::function<void()> m_pageChanged;
    std::unique_ptr<CDocumentController> m_documents;
    int m_nCurrentModule = 1;
    QStackedWidget* m_pane = nullptr;
    CKVUView* m_moduleView = nullptr;
    // The modules shown as views of their own, once made.
    mutable QMap<ModuleId, IModulePage*> m_views;
    // The modules' commands, in the registry's order, with the module each came from.
    std::vector<std::pair<ModuleCommand, ModuleId>> m_moduleCommands;
    QList<int> m_routedCommands; // offered to the page on top
    CFrameStatusBar* m_statusBar = nullptr;
    QMap<int, QAction*> m_actions;
    QList<QAction*> m_recentActions;
    QAction* m_recentPlaceholder = nullptr;
    CHelpWindow* m_helpWindow = nullptr;
    QMenu* m_viewMenu = nullptr;
    QAction* m_viewCommandsEnd = nullptr; // the View menu's own commands go before this
    bool m_hasViewCommands = false;
    QMetaObject::Connection m_focusConnection;
    QToolBar* m_commandBar = nullptr;              // the page's own buttons, on a row of their own
    QMetaObject::Connection m_selectionConnection; // of the text field the Edit commands act on
    QPointer<QWidget> m_editField;
};
