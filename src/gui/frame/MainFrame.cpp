#include "MainFrame.h"

#include "AboutDlg.h"
#include "CommandIds.h"
#include "DocumentController.h"
#include "FrameStatusBar.h"
#include "HelpKey.h"
#include "HelpTexts.h"
#include "HelpWindow.h"
#include "Icons.h"
#include "KVUView.h"
#include "ModulePage.h"
#include "ModuleSheet.h"
#include "SerialPortDlg.h"
#include "app/AppCore.h"
#include "app/IdleCounter.h"
#include "app/UiServices.h"
#include "document/KVUDoc.h"

#include <QApplication>
#include <QCloseEvent>
#include <QComboBox>
#include <QDir>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QStackedWidget>
#include <QTextEdit>
#include <QToolBar>
#include <algorithm>

namespace {
// The text field that has the focus, if any: Cut, Copy, Paste and Undo act on it.
QWidget* FocusedTextField() {
    QWidget* w = QApplication::focusWidget();
    if (qobject_cast<QLineEdit*>(w) || qobject_cast<QPlainTextEdit*>(w) ||
        qobject_cast<QTextEdit*>(w))
        return w;
    if (auto* combo = qobject_cast<QComboBox*>(w))
        return combo->isEditable() ? combo->lineEdit() : nullptr;
    return nullptr;
}

// What the Edit commands can do in a text field: a read-only box (Output, Version) takes
// no cut, paste or undo, and gives a copy only of what is selected in it.
struct FieldEdits {
    bool writable = false;
    bool selection = false;
};
FieldEdits EditsOf(QWidget* field) {
    FieldEdits e;
    if (auto* line = qobject_cast<QLineEdit*>(field)) {
        e.writable = !line->isReadOnly();
        e.selection = line->hasSelectedText();
    } else if (auto* plain = qobject_cast<QPlainTextEdit*>(field)) {
        e.writable = !plain->isReadOnly();
        e.selection = plain->textCursor().hasSelection();
    } else if (auto* rich = qobject_cast<QTextEdit*>(field)) {
        e.writable = !rich->isReadOnly();
        e.selection = rich->textCursor().hasSelection();
    }
    return e;
}
} // namespace

CMainFrame::CMainFrame(const PageContext& context, std::function<void()> pageChanged)
    : m_context(context), m_pageChanged(std::move(pageChanged)) {
    setObjectName(QStringLiteral("CMainFrame"));
    setWindowIcon(Icons::Application());
    resize(650, 549);
    m_documents = std::make_unique<CDocumentController>(
        m_context.doc, m_context.core.m_recentFiles, m_context.services,
        CDocumentController::Hooks{[this] { OnInitialUpdate(); },
                                   [this] {
                                       UpdateTitle();
                                       UpdateRecentFiles();
                                       UpdateCommandStates();
                                   }});

    m_pane = new QStackedWidget(this);
    m_moduleView = new CKVUView(m_context.doc, m_context.core, m_context.services, m_pane);
    m_pane->addWidget(m_moduleView);
    setCentralWidget(m_pane);

    CreateFrameActions();
    CreateEditActions();
    CreateModuleActions();
    CreateMenus();
    CreateToolBar();
    CreateStatusBar();

    m_context.doc.SetModifiedCallback([this] { UpdateCommandStates(); });
    m_focusConnection =
        connect(qApp, &QApplication::focusChanged, this, [this] { UpdateEditCommands(); });
    for (const ModuleRow& row : ModuleRegistry()) {
        if (row.sheetCaption)
            connect(m_moduleView->Sheet(row.id), &QTabWidget::currentChanged, this,
                    [this] { UpdateCommandStates(); });
    }
    SetModuleLive(CurrentModule(), true);
    UpdateTitle();
    UpdateRecentFiles();
    UpdateCommandStates();
}

CMainFrame::~CMainFrame() {
    m_context.doc.SetModifiedCallback(nullptr);
    // The children, a window beside this one among them, are destroyed after this frame's
    // own members: a focus change or a tab change they cause then must not reach handlers
    // that use those members.
    disconnect(m_focusConnection);
    disconnect(m_selectionConnection);
    for (const ModuleRow& row : ModuleRegistry()) {
        if (row.sheetCaption)
            disconnect(m_moduleView->Sheet(row.id), nullptr, this, nullptr);
    }
}

QAction* CMainFrame::MakeAction(int id, const QString& text, const QString& prompt) {
    auto* action = new QAction(text, this);
    action->setObjectName(QStringLiteral("id%1").arg(id));
    // The command's string: the status-bar prompt, then the tooltip after a line break.
    const QStringList parts = prompt.split(QLatin1Char('\n'));
    if (!prompt.isEmpty()) {
        action->setStatusTip(parts.value(0));
        action->setToolTip(parts.value(1, parts.value(0)));
    }
    m_actions.insert(id, action);
    return action;
}

namespace {
// A command of the frame's own: its menu text, its prompt, its keys and what it does.
struct FrameCommand {
    int id;
    const char* text;
    const char* prompt;
    std::function<void()> run;
    QList<QKeySequence> keys = {};
};
} // namespace

void CMainFrame::CreateFrameActions() {
    const FrameCommand commands[] = {
        {Cmd::FileNew,
         "&New Project",
         "Create a new project\nNew",
         [this] { OnFileNew(); },
         {QKeySequence(Qt::CTRL | Qt::Key_N)}},
        {Cmd::FileOpen,
         "&Open Project...",
         "Open an existing project\nOpen",
         [this] { OnFileOpen(); },
         {QKeySequence(Qt::CTRL | Qt::Key_O)}},
        {Cmd::FileSave,
         "&Save Project",
         "Save the active project\nSave",
         [this] { OnFileSave(); },
         {QKeySequence(Qt::CTRL | Qt::Key_S)}},
        {Cmd::FileSaveAs, "Save Project &As...", "Save the active project with a new name\nSave As",
         [this] { OnFileSaveAs(); }},
        {Cmd::AppExit,
         "E&xit",
         "Quit the application; prompts to save the project\nExit",
         [this] { close(); },
         {QKeySequence(Qt::CTRL | Qt::Key_Q)}},
        // Print is offered to the page or view on top (see m_routedCommands).
        {Cmd::FilePrint,
         "&Print...",
         "Print the active document\nPrint",
         nullptr,
         {QKeySequence(Qt::CTRL | Qt::Key_P)}},
        {Cmd::ConfigureSerialPort, "&Serial Port...",
         "Set the COM port and the baud rate\nSerial Port", [this] { OnConfigureSerialPort(); }},
        {Cmd::HelpTopics, "&Topics", "List Help topics\nHelp Topics", [this] { OnHelpTopics(); }},
        // F1 has no menu item: it opens the help at the page on top.
        {Cmd::Help,
         "",
         "Display help for the page on top\nHelp",
         [this] { OnHelp(); },
         {QKeySequence(QKeySequence::HelpContents)}},
        {Cmd::AppAbout, "&About Quorlin...",
         "Display program information, version number and copyright\nAbout",
         [this] { OnAppAbout(); }},
        // The help text boxes have no menu, toolbar or key of their own (the modules bring
        // theirs).
        {Cmd::HelpOverview, "", "", [this] { ShowHelpBox(HelpTexts::Overview()); }},
        {Cmd::InternalStatus, "", "Show project status (only for internal use).\nStatus",
         [this] { ShowHelpBox(HelpTexts::InternalStatus()); }},
        // F6 and Shift+F6 move between the panes of a split window. This frame has no split
        // panes, so the commands do nothing, but the keys belong to them and reach no
        // control.
        {Cmd::NextPane,
         "",
         "Switch to the next window pane\nNext Pane",
         nullptr,
         {QKeySequence(Qt::Key_F6)}},
        {Cmd::PrevPane,
         "",
         "Switch back to the previous window pane\nPrevious Pane",
         nullptr,
         {QKeySequence(Qt::SHIFT | Qt::Key_F6)}},
    };
    for (const FrameCommand& c : commands) {
        QAction* a = MakeAction(c.id, QLatin1String(c.text), QLatin1String(c.prompt));
        if (c.run)
            connect(a, &QAction::triggered, this, c.run);
        if (!c.keys.isEmpty())
            a->setShortcuts(c.keys);
    }
    // The keys of the commands without a menu item reach them through the frame.
    for (int id : {Cmd::Help, Cmd::NextPane, Cmd::PrevPane})
        addAction(m_actions[id]);
    // Ctrl+Q from any of the program's windows (the help, the Simulated Printer), unless a
    // dialog is open; the frame holds it too, as a menu's action is only matched in the
    // menu's own window. (QKeySequence::Quit is empty on Windows and in some desktops.)
    m_actions[Cmd::AppExit]->setShortcutContext(Qt::ApplicationShortcut);
    addAction(m_actions[Cmd::AppExit]);
    m_routedCommands << Cmd::FilePrint;
    for (int id : {Cmd::FileNew, Cmd::FileOpen, Cmd::FileSave, Cmd::FilePrint, Cmd::AppAbout})
        m_actions[id]->setIcon(Icons::ForCommand(id));
}

void CMainFrame::CreateEditActions() {
    const struct {
        int id;
        const char* text;
        const char* prompt;
        const char* method;
        QList<QKeySequence> keys;
    } edits[] = {
        {Cmd::EditCut,
         "Cu&t",
         "Cut the selection and put it on the Clipboard\nCut",
         "cut",
         {QKeySequence(Qt::CTRL | Qt::Key_X), QKeySequence(Qt::SHIFT | Qt::Key_Delete)}},
        {Cmd::EditCopy,
         "&Copy",
         "Copy the selection and put it on the Clipboard\nCopy",
         "copy",
         {QKeySequence(Qt::CTRL | Qt::Key_C), QKeySequence(Qt::CTRL | Qt::Key_Insert)}},
        {Cmd::EditPaste,
         "&Paste",
         "Insert Clipboard contents\nPaste",
         "paste",
         {QKeySequence(Qt::CTRL | Qt::Key_V), QKeySequence(Qt::SHIFT | Qt::Key_Insert)}},
        {Cmd::EditUndo,
         "&Undo",
         "Undo the last action\nUndo",
         "undo",
         {QKeySequence(Qt::CTRL | Qt::Key_Z), QKeySequence(Qt::ALT | Qt::Key_Backspace)}},
    };
    for (const auto& e : edits) {
        const QByteArray method = e.method;
        QAction* a = MakeAction(e.id, QLatin1String(e.text), QLatin1String(e.prompt));
        connect(a, &QAction::triggered, this, [method] {
            if (QWidget* field = FocusedTextField())
                QMetaObject::invokeMethod(field, method.constData());
        });
        a->setShortcuts(e.keys);
        a->setShortcutContext(Qt::ApplicationShortcut);
        if (e.id != Cmd::EditUndo)
            a->setIcon(Icons::ForCommand(e.id));
    }
}

// The module switches (their View menu items and toolbar buttons have IDs of their own)
// and the commands each module brings.
void CMainFrame::CreateModuleActions() {
    for (const ModuleRow& m : ModuleRegistry()) {
        const QIcon badge = Icons::Badge(m.badgeColor, QLatin1String(m.badgeText));
        for (int id : {m.menuCommand, m.toolCommand}) {
            QAction* a = MakeAction(id, QLatin1String(m.menuText), QLatin1String(m.prompt));
            a->setCheckable(true);
            a->setIcon(badge);
            a->setProperty("module", ModuleNumber(m.id));
            const ModuleId module = m.id;
            connect(a, &QAction::triggered, this, [this, module] { OnModule(module); });
        }
        if (!m.commands)
            continue;
        for (ModuleCommand& command : m.commands())
            m_moduleCommands.emplace_back(std::move(command), m.id);
    }
    for (const auto& [command, module] : m_moduleCommands) {
        QAction* a = MakeAction(command.id, command.text, command.prompt);
        a->setCheckable(command.checkable);
        if (command.icon)
            a->setIcon(command.icon());
        if (command.run) {
            const auto run = command.run;
            connect(a, &QAction::triggered, this, [this, run] {
                run(CommandContext{m_context, this, [this] { ActiveView()->update(); }});
            });
        } else {
            m_routedCommands << command.id;
        }
    }
    for (int id : m_routedCommands)
        connect(m_actions[id], &QAction::triggered, this, [this, id] { OnRoutedCommand(id); });
}

void CMainFrame::AddModuleMenuEntries(MenuPlace place, QMenu* menu) {
    QMap<QString, QMenu*> submenus;
    for (const auto& [command, module] : m_moduleCommands) {
        if (command.menu != place)
            continue;
        QMenu* into = menu;
        if (!command.submenu.isEmpty()) {
            into = submenus.value(command.submenu);
            if (!into) {
                into = menu->addMenu(command.submenu);
                submenus.insert(command.submenu, into);
            }
        }
        if (command.separatorBefore)
            into->addSeparator();
        into->addAction(m_actions[command.id]);
    }
}

void CMainFrame::CreateMenus() {
    QMenu* file = menuBar()->addMenu(QStringLiteral("&File"));
    for (int id : {Cmd::FileNew, Cmd::FileOpen, Cmd::FileSave, Cmd::FileSaveAs})
        file->addAction(m_actions[id]);
    // The modules' entries (Open Bitmap), between separators of their own.
    const bool moduleFileEntries =
        std::any_of(m_moduleCommands.begin(), m_moduleCommands.end(),
                    [](const auto& c) { return c.first.menu == MenuPlace::File; });
    if (moduleFileEntries) {
        file->addSeparator();
        AddModuleMenuEntries(MenuPlace::File, file);
    }
    file->addSeparator();
    m_recentPlaceholder = MakeAction(Cmd::FileMru, QStringLiteral("Recent File"),
                                     QStringLiteral("Open this project"));
    m_recentPlaceholder->setEnabled(false);
    file->addAction(m_recentPlaceholder);
    for (int i = 0; i < 4; ++i) {
        auto* a = new QAction(this);
        a->setObjectName(QStringLiteral("id%1").arg(Cmd::FileMru + i));
        a->setStatusTip(QStringLiteral("Open this project"));
        connect(a, &QAction::triggered, this, [this, i] { m_documents->OpenRecent(i); });
        m_recentActions << a;
        file->addAction(a);
    }
    file->addSeparator();
    file->addAction(m_actions[Cmd::AppExit]);

    QMenu* configure = menuBar()->addMenu(QStringLiteral("&Configure"));
    configure->addAction(m_actions[Cmd::ConfigureSerialPort]);
    AddModuleMenuEntries(MenuPlace::Configure, configure);

    QMenu* view = menuBar()->addMenu(QStringLiteral("&View"));
    QAction* toolbarToggle = MakeAction(Cmd::ViewToolbar, QStringLiteral("&Toolbar"),
                                        QStringLiteral("Show or hide the toolbar\nToggle ToolBar"));
    QAction* statusToggle = MakeAction(Cmd::ViewStatusBar, QStringLiteral("&Status Bar"),
                                       QStringLiteral("Show or hide the status bar\nToggle "
                                                      "StatusBar"));
    toolbarToggle->setCheckable(true);
    statusToggle->setCheckable(true);
    view->addAction(toolbarToggle);
    view->addAction(statusToggle);
    view->addSeparator();
    std::vector<const ModuleRow*> byMenu;
    for (const ModuleRow& m : ModuleRegistry())
        byMenu.push_back(&m);
    std::sort(byMenu.begin(), byMenu.end(), [](const ModuleRow* a, const ModuleRow* b) {
        return a->menuPosition < b->menuPosition;
    });
    for (const ModuleRow* m : byMenu)
        view->addAction(m_actions[m->menuCommand]);
    m_viewMenu = view;
    m_viewCommandsEnd = view->addSeparator();
    AddModuleMenuEntries(MenuPlace::View, view);

    QMenu* help = menuBar()->addMenu(QStringLiteral("&Help"));
    help->addAction(m_actions[Cmd::HelpTopics]);
    help->addAction(m_actions[Cmd::AppAbout]);
}

void CMainFrame::CreateToolBar() {
    QToolBar* bar = addToolBar(QStringLiteral("Toolbar"));
    bar->setObjectName(QStringLiteral("id59392"));
    bar->setIconSize(QSize(16, 16));
    bar->setMovable(true);
    bar->setFloatable(true);
    bar->setAllowedAreas(Qt::AllToolBarAreas);
    const int layout[] = {Cmd::FileNew,
                          Cmd::FileOpen,
                          Cmd::FileSave,
                          0,
                          Cmd::EditCut,
                          Cmd::EditCopy,
                          Cmd::EditPaste,
                          0,
                          Cmd::FilePrint,
                          0,
                          Cmd::AppAbout,
                          0,
                          -1}; // the module buttons, in the registry's order
    for (int id : layout) {
        if (id == 0) {
            bar->addSeparator();
        } else if (id == -1) {
            for (const ModuleRow& m : ModuleRegistry())
                bar->addAction(m_actions[m.toolCommand]);
        } else {
            bar->addAction(m_actions[id]);
        }
    }
    // The buttons the modules bring for the page on top (the logo view's Test Feed, Test
    // Print, Flash 0 to 7, Print Logo 0 to 7) have a row of their own, shown while that
    // page handles them: on the frame's row they stood past its width, behind the overflow
    // arrow. Larger icons there let the slot digits be read at a glance.
    addToolBarBreak();
    m_commandBar = addToolBar(QStringLiteral("Page commands"));
    m_commandBar->setObjectName(QStringLiteral("pageCommandBar"));
    m_commandBar->setIconSize(QSize(24, 24));
    m_commandBar->setMovable(true);
    m_commandBar->setFloatable(true);
    m_commandBar->setAllowedAreas(Qt::AllToolBarAreas);
    for (const auto& [command, module] : m_moduleCommands) {
        if (!command.onPageBar)
            continue;
        if (command.barSeparatorBefore)
            m_commandBar->addSeparator();
        m_commandBar->addAction(m_actions[command.id]);
    }
    m_commandBar->hide();
    // The toolbar shows a button's tooltip; the prompt goes to the status bar on hover.
    QAction* toggle = m_actions[Cmd::ViewToolbar];
    toggle->setChecked(true);
    connect(toggle, &QAction::toggled, bar, &QToolBar::setVisible);
    connect(toggle, &QAction::toggled, this, [this] { UpdateCommandBar(); });
    connect(bar, &QToolBar::visibilityChanged, toggle, &QAction::setChecked);
}

void CMainFrame::UpdateCommandBar() {
    if (!m_commandBar)
        return;
    bool any = false;
    for (QAction* a : m_commandBar->actions())
        any |= !a->isSeparator() && a->isEnabled();
    const bool shown = any && m_actions[Cmd::ViewToolbar]->isChecked();
    if (m_commandBar->isVisibleTo(this) != shown)
        m_commandBar->setVisible(shown);
}

void CMainFrame::CreateStatusBar() {
    m_statusBar = new CFrameStatusBar(m_context.core.m_serial, this);
    setStatusBar(m_statusBar);
    QAction* toggle = m_actions[Cmd::ViewStatusBar];
    toggle->setChecked(true);
    connect(toggle, &QAction::toggled, m_statusBar, &QStatusBar::setVisible);
}

void CMainFrame::SetMessageText(const QString& text) {
    m_statusBar->SetMessageText(text);
}

void CMainFrame::SetLinkProblemText(const QString& text) {
    m_statusBar->SetLinkProblemText(text);
}

void CMainFrame::UpdateLinkPane() {
    m_statusBar->UpdateLinkPane();
}

QString CMainFrame::LinkPaneText() const {
    return m_statusBar->LinkPaneText();
}

QString CMainFrame::MessageText() const {
    return m_statusBar->MessageText();
}

void CMainFrame::SetProgress(int done, int total) {
    m_statusBar->SetProgress(done, total);
}

QWidget* CMainFrame::ActiveView() const {
    return m_pane->currentWidget();
}

void CMainFrame::UpdateCommandStates() {
    for (const ModuleRow& m : ModuleRegistry()) {
        for (int id : {m.menuCommand, m.toolCommand}) {
            m_actions[id]->setEnabled(m.selectable);
            m_actions[id]->setChecked(m.selectable && m.id == CurrentModule());
        }
    }
    m_actions[Cmd::FileSave]->setEnabled(m_context.doc.IsModified());
    // The commands the frame does not handle go to the page or view on top; without a
    // handler there they are shown disabled.
    IModulePage* page = ActivePage();
    for (int id : m_routedCommands) {
        bool enabled = false, checked = false;
        if (!page || !page->CommandState(id, &enabled, &checked))
            enabled = checked = false;
        m_actions[id]->setEnabled(enabled);
        if (m_actions[id]->isCheckable() || checked) {
            m_actions[id]->setCheckable(true);
            m_actions[id]->setChecked(checked);
        }
    }
    UpdateEditCommands();
    UpdateCommandBar();
    m_pageChanged();
}

void CMainFrame::OnRoutedCommand(int id) {
    if (IModulePage* page = ActivePage()) {
        bool enabled = false, checked = false;
        if (page->CommandState(id, &enabled, &checked) && enabled)
            page->OnCommand(id);
    }
    UpdateCommandStates();
}

void CMainFrame::UpdateEditCommands() {
    QWidget* field = FocusedTextField();
    // A selection made or dropped in the field changes what Copy can do.
    if (field != m_editField) {
        disconnect(m_selectionConnection);
        m_editField = field;
        if (auto* line = qobject_cast<QLineEdit*>(field))
            m_selectionConnection =
                connect(line, &QLineEdit::selectionChanged, this, [this] { UpdateEditCommands(); });
        else if (auto* plain = qobject_cast<QPlainTextEdit*>(field))
            m_selectionConnection = connect(plain, &QPlainTextEdit::selectionChanged, this,
                                            [this] { UpdateEditCommands(); });
        else if (auto* rich = qobject_cast<QTextEdit*>(field))
            m_selectionConnection =
                connect(rich, &QTextEdit::selectionChanged, this, [this] { UpdateEditCommands(); });
    }
    const FieldEdits e = EditsOf(field);
    m_actions[Cmd::EditCut]->setEnabled(e.writable);
    m_actions[Cmd::EditPaste]->setEnabled(e.writable);
    m_actions[Cmd::EditUndo]->setEnabled(e.writable);
    m_actions[Cmd::EditCopy]->setEnabled(e.writable || e.selection);
}

void CMainFrame::OnModule(ModuleId module) {
    if (!FindModule(module).selectable)
        return; // no command selects these modules
    if (module != CurrentModule())
        SetModuleLive(CurrentModule(), false);
    // else: chosen again, and told so below.
    m_nCurrentModule = ModuleNumber(module);
    SwitchModule(module);
    if (FindModule(module).sheetCaption)
        m_moduleView->ShowModule(module);
    SetModuleLive(module, true);
    UpdateCommandStates();
}

void CMainFrame::ShowView(QWidget* view) {
    m_pane->setCurrentWidget(view);
}

void CMainFrame::ResizeClient(int width, int height) {
    // The client area of the old frame excludes the menu bar, which is part of the
    // window here (unless the platform draws it natively).
    const int menu = menuBar()->isNativeMenuBar() ? 0 : menuBar()->sizeHint().height();
    resize(width, height + menu);
}

// A new or opened project: every page and view takes it up (the logo view drops its
// picture, which is not part of a project).
void CMainFrame::OnInitialUpdate() {
    m_moduleView->OnInitialUpdate();
    const QList<IModulePage*> views = m_views.values(); // the views not made yet do so when made
    for (IModulePage* view : views)
        view->OnInitialUpdate();
}

// The modules without a sheet are views of their own beside the module view, each made
// when first shown or asked for (like the sheets' pages).
IModulePage* CMainFrame::View(ModuleId module) const {
    if (IModulePage* made = m_views.value(module))
        return made;
    const ModuleRow& row = FindModule(module);
    if (row.id != module || row.sheetCaption || row.pages.empty() || !row.pages.front().make)
        return nullptr;
    IModulePage* view = row.pages.front().make(m_context);
    m_pane->addWidget(view->Widget());
    m_views.insert(row.id, view);
    const bool modified = m_context.doc.IsModified();
    view->OnInitialUpdate();
    m_context.doc.SetModifiedFlag(modified);
    return view;
}

IModulePage* CMainFrame::ActivePage() const {
    const ModuleRow& row = FindModule(CurrentModule());
    if (row.sheetCaption)
        return m_moduleView->Sheet(row.id)->ActivePage();
    return View(row.id);
}

IMacrosPoller* CMainFrame::MacrosPoller() const {
    return dynamic_cast<IMacrosPoller*>(ActivePage());
}

QWidget* CMainFrame::ViewOf(ModuleId module) const {
    if (IModulePage* view = View(module))
        return view->Widget();
    return m_moduleView;
}

void CMainFrame::SetModuleLive(ModuleId module, bool live) {
    const ModuleRow& row = FindModule(module);
    if (row.sheetCaption) {
        m_moduleView->Sheet(row.id)->SetLive(live);
    } else if (IModulePage* view = live ? View(row.id) : m_views.value(row.id)) {
        if (live)
            view->OnModuleChosen();
        else
            view->OnDeactivate();
    }
}

void CMainFrame::SwitchModule(ModuleId module) {
    const ModuleRow& row = FindModule(module);
    if (!row.sheetCaption) {
        ShowView(ViewOf(module));
    } else {
        if (row.client.isValid())
            ResizeClient(row.client.width(), row.client.height());
        ShowView(m_moduleView);
    }
    m_pageChanged();
}

void CMainFrame::UpdateTitle() {
    setWindowTitle(m_documents->WindowTitle());
}

void CMainFrame::UpdateRecentFiles() {
    const QStringList files = m_context.core.m_recentFiles.Files();
    m_recentPlaceholder->setVisible(files.isEmpty());
    for (int i = 0; i < m_recentActions.size(); ++i) {
        QAction* a = m_recentActions[i];
        a->setVisible(i < files.size());
        if (i < files.size()) {
            QString shown = QDir::toNativeSeparators(files[i]);
            if (shown.size() > 48)
                shown = QStringLiteral("...") + shown.right(45);
            a->setText(QStringLiteral("&%1 %2").arg(i + 1).arg(shown.replace('&', "&&")));
        }
    }
}

void CMainFrame::OnFileNew() {
    m_documents->OnFileNew();
}

void CMainFrame::OnFileOpen() {
    m_documents->OnFileOpen();
}

bool CMainFrame::OnFileSave() {
    return m_documents->OnFileSave();
}

bool CMainFrame::OnFileSaveAs() {
    return m_documents->OnFileSaveAs();
}

bool CMainFrame::OpenDocumentFile(const QString& path) {
    return m_documents->OpenDocumentFile(path);
}

void CMainFrame::OnConfigureSerialPort() {
    CSerialPort& link = m_context.core.m_serial;
    CSerialPortDlg dlg(m_context.core.m_ports, this);
    HelpKey::Install(&dlg, QStringLiteral("serial-port"), m_context.services);
    dlg.SetServices(&m_context.services);
    dlg.m_nBaudIndex = link.GetBaudIndex();
    dlg.m_nPortIndex = link.GetPortIndex();
    dlg.ShowFields();
    // A page holding the link (the Macros page) lets go of it for the dialog, so that
    // Detect can use the port, and takes it again on whatever was chosen: the link pane
    // never names a port other than the one in use.
    IModulePage* holder = ActivePage();
    const bool released = holder && holder->ReleaseLink();
    if (m_context.services.RunModal(dlg) == QDialog::Accepted) {
        link.SetBaudIndex(dlg.m_nBaudIndex);
        link.SetPortIndex(dlg.m_nPortIndex);
        const auto& devices = dlg.EditedDevices();
        for (auto it = devices.begin(); it != devices.end(); ++it)
            m_context.core.m_ports.SetStoredDevice(it.key(), it.value());
    }
    UpdateLinkPane();
    if (released)
        holder->RetakeLink();
    m_pageChanged();
}

void CMainFrame::OnAppAbout() {
    CAboutDlg dlg(this);
    HelpKey::Install(&dlg, QStringLiteral("about"), m_context.services);
    m_context.services.RunModal(dlg);
}

void CMainFrame::ShowHelpBox(const HelpText& help) {
    m_context.services.Message(
        help.text, help.caption.isEmpty() ? QLatin1String(kAppTitle) : help.caption, MsgIcon::None);
}

void CMainFrame::OnHelpTopics() {
    OpenHelp(ModuleHelpTopic());
}

void CMainFrame::OnHelp() {
    OpenHelp(PageHelpTopic());
}

QString CMainFrame::ModuleHelpTopic() const {
    return QLatin1String(FindModule(CurrentModule()).helpTopic);
}

QString CMainFrame::PageHelpTopic() const {
    const ModuleRow& row = FindModule(CurrentModule());
    int index = 0;
    if (row.sheetCaption)
        index = m_moduleView->Sheet(row.id)->GetActiveIndex();
    if (index >= 0 && index < int(row.pages.size()) && row.pages[size_t(index)].helpTopic)
        return QLatin1String(row.pages[size_t(index)].helpTopic);
    return ModuleHelpTopic();
}

bool CMainFrame::OpenHelp(const QString& topic) {
    return HelpKey::Open(this, m_helpWindow, topic, m_context.services);
}

QAction* CMainFrame::AddViewCommand(int id, const QString& text, const QString& prompt,
                                    std::function<void()> handler) {
    QAction* action = MakeAction(id, text, prompt);
    connect(action, &QAction::triggered, this, [handler = std::move(handler)] { handler(); });
    if (!m_hasViewCommands) {
        m_viewMenu->insertSeparator(m_viewCommandsEnd);
        m_hasViewCommands = true;
    }
    m_viewMenu->insertAction(m_viewCommandsEnd, action);
    return action;
}

bool CMainFrame::event(QEvent* event) {
    // While an exchange runs its step texts are the status bar's: a prompt from a
    // toolbar button or menu item the mouse passes over (which Qt shows as a temporary
    // message that hides the pane) would hide them until the mouse moved away.
    if (event->type() == QEvent::StatusTip && m_context.services.IsBusy())
        return true;
    return QMainWindow::event(event);
}

void CMainFrame::closeEvent(QCloseEvent* event) {
    // An exchange runs to its end; closing now would tear objects down under it.
    if (m_context.services.IsBusy() || !m_documents->SaveModified()) {
        event->ignore();
        return;
    }
    event->accept();
    // The windows that open beside this one go with it.
    for (QWidget* child : findChildren<QWidget*>(QString(), Qt::FindDirectChildrenOnly)) {
        if (child->isWindow() && child->isVisible())
            child->close();
    }
}
