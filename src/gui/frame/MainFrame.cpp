#include "MainFrame.h"

#include "CommandIds.h"
#include "HelpKey.h"
#include "HelpTexts.h"
#include "HelpWindow.h"
#include "Icons.h"
#include "KVUApp.h"
#include "KVUView.h"
#include "ModulePage.h"
#include "ModuleSheet.h"
#include "SerialPortDlg.h"
#include "logo/LogoSizeDlg.h"
#include "app/IdleCounter.h"
#include "document/KVUDoc.h"
#include "document/ProjectFile.h"

#include <QApplication>
#include <QCloseEvent>
#include <QComboBox>
#include <QDir>
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QStackedWidget>
#include <QStatusBar>
#include <QTextEdit>
#include <QToolBar>

namespace {
const char* const kProjectFilter = "\\Quorlin Project Files(*.qpf);;All Files (*.*)";

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

CMainFrame::CMainFrame(CKVUApp& app) : m_app(app), m_doc(app.Document()) {
    setObjectName(QStringLiteral("CMainFrame"));
    setWindowIcon(Icons::Application());
    resize(650, 549);

    m_pane = new QStackedWidget(this);
    m_moduleView = new CKVUView(m_doc, app.Core(), app.Services(), m_pane);
    m_pane->addWidget(m_moduleView);
    // The modules without a sheet are views of their own beside the module view.
    const PageContext context{m_doc, app.Core(), app.Services()};
    for (const ModuleRow& row : ModuleRegistry()) {
        if (row.sheetCaption || row.pages.empty() || !row.pages.front().make)
            continue;
        IModulePage* view = row.pages.front().make(context);
        m_pane->addWidget(view->Widget());
        m_views.insert(row.id, view);
    }
    setCentralWidget(m_pane);

    CreateActions();
    CreateMenus();
    CreateToolBar();
    CreateStatusBar();

    m_doc.SetModifiedCallback([this] { UpdateCommandStates(); });
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
    m_doc.SetModifiedCallback(nullptr);
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

void CMainFrame::CreateActions() {
    auto connectTo = [this](QAction* a, auto handler) {
        connect(a, &QAction::triggered, this, handler);
    };
    connectTo(MakeAction(Cmd::FileNew, QStringLiteral("&New Project"),
                         QStringLiteral("Create a new project\nNew")),
              [this] { OnFileNew(); });
    connectTo(MakeAction(Cmd::FileOpen, QStringLiteral("&Open Project..."),
                         QStringLiteral("Open an existing project\nOpen")),
              [this] { OnFileOpen(); });
    connectTo(MakeAction(Cmd::FileSave, QStringLiteral("&Save Project"),
                         QStringLiteral("Save the active project\nSave")),
              [this] { OnFileSave(); });
    connectTo(MakeAction(Cmd::FileSaveAs, QStringLiteral("Save Project &As..."),
                         QStringLiteral("Save the active project with a new name\nSave As")),
              [this] { OnFileSaveAs(); });
    MakeAction(Cmd::FileOpenBitmap, QStringLiteral("Open &Bitmap..."),
               QStringLiteral("Open a *.bmp file\nOpen Bitmap"));
    connectTo(MakeAction(Cmd::AppExit, QStringLiteral("E&xit"),
                         QStringLiteral("Quit the application; prompts to save the project\nExit")),
              [this] { close(); });
    // Ctrl+Q from any of the program's windows (the help, the Simulated Printer), unless a
    // dialog is open; the frame holds it too, as a menu's action is only matched in the
    // menu's own window. (QKeySequence::Quit is empty on Windows and in some desktops.)
    m_actions[Cmd::AppExit]->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_Q));
    m_actions[Cmd::AppExit]->setShortcutContext(Qt::ApplicationShortcut);
    addAction(m_actions[Cmd::AppExit]);
    MakeAction(Cmd::FilePrint, QStringLiteral("&Print..."),
               QStringLiteral("Print the active document\nPrint"));

    const struct {
        int id;
        const char* text;
        const char* prompt;
        const char* method;
    } edits[] = {
        {Cmd::EditCut, "Cu&t", "Cut the selection and put it on the Clipboard\nCut", "cut"},
        {Cmd::EditCopy, "&Copy", "Copy the selection and put it on the Clipboard\nCopy", "copy"},
        {Cmd::EditPaste, "&Paste", "Insert Clipboard contents\nPaste", "paste"},
        {Cmd::EditUndo, "&Undo", "Undo the last action\nUndo", "undo"},
    };
    for (const auto& e : edits) {
        const QByteArray method = e.method;
        connectTo(MakeAction(e.id, QLatin1String(e.text), QLatin1String(e.prompt)), [method] {
            if (QWidget* field = FocusedTextField())
                QMetaObject::invokeMethod(field, method.constData());
        });
    }
    m_actions[Cmd::EditCut]->setShortcuts(
        {QKeySequence(Qt::CTRL | Qt::Key_X), QKeySequence(Qt::SHIFT | Qt::Key_Delete)});
    m_actions[Cmd::EditCopy]->setShortcuts(
        {QKeySequence(Qt::CTRL | Qt::Key_C), QKeySequence(Qt::CTRL | Qt::Key_Insert)});
    m_actions[Cmd::EditPaste]->setShortcuts(
        {QKeySequence(Qt::CTRL | Qt::Key_V), QKeySequence(Qt::SHIFT | Qt::Key_Insert)});
    m_actions[Cmd::EditUndo]->setShortcuts(
        {QKeySequence(Qt::CTRL | Qt::Key_Z), QKeySequence(Qt::ALT | Qt::Key_Backspace)});
    for (int id : {Cmd::EditCut, Cmd::EditCopy, Cmd::EditPaste, Cmd::EditUndo})
        m_actions[id]->setShortcutContext(Qt::ApplicationShortcut);
    m_actions[Cmd::FileNew]->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_N));
    m_actions[Cmd::FileOpen]->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_O));
    m_actions[Cmd::FileSave]->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_S));
    m_actions[Cmd::FilePrint]->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_P));
    // F6 and Shift+F6 move between the panes of a split window. This frame has no split
    // panes, so the commands do nothing, but the keys belong to them and reach no control.
    const struct {
        int id;
        QKeySequence key;
        const char* prompt;
    } panes[] = {
        {Cmd::NextPane, QKeySequence(Qt::Key_F6), "Switch to the next window pane\nNext Pane"},
        {Cmd::PrevPane, QKeySequence(Qt::SHIFT | Qt::Key_F6),
         "Switch back to the previous window pane\nPrevious Pane"},
    };
    for (const auto& pane : panes) {
        QAction* action = MakeAction(pane.id, QString(), QLatin1String(pane.prompt));
        action->setShortcut(pane.key);
        addAction(action);
    }

    connectTo(MakeAction(Cmd::ConfigureSerialPort, QStringLiteral("&Serial Port..."),
                         QStringLiteral("Set the COM port and the baud rate\nSerial Port")),
              [this] { OnConfigureSerialPort(); });
    connectTo(MakeAction(Cmd::ConfigureLogoSize, QStringLiteral("Logo Size..."),
                         QStringLiteral("Set the logo width and height\nLogo Size")),
              [this] { OnConfigureLogoSize(); });

    // Module commands: the menu items and the toolbar buttons have their own IDs.
    for (const ModuleRow& m : ModuleRegistry()) {
        for (int id : {m.menuCommand, m.toolCommand}) {
            QAction* a = MakeAction(id, QLatin1String(m.menuText), QLatin1String(m.prompt));
            a->setCheckable(true);
            a->setIcon(Icons::Module(ModuleNumber(m.id)));
            a->setProperty("module", ModuleNumber(m.id));
            const ModuleId module = m.id;
            connectTo(a, [this, module] { OnModule(module); });
        }
    }

    connectTo(MakeAction(Cmd::HelpTopics, QStringLiteral("&Topics"),
                         QStringLiteral("List Help topics\nHelp Topics")),
              [this] { OnHelpTopics(); });
    // F1 has no menu item: it opens the help at the page on top.
    QAction* help =
        MakeAction(Cmd::Help, QString(), QStringLiteral("Display help for the page on top\nHelp"));
    help->setShortcut(QKeySequence::HelpContents);
    addAction(help);
    connectTo(help, [this] { OnHelp(); });
    connectTo(MakeAction(Cmd::AppAbout, QStringLiteral("&About Quorlin..."),
                         QStringLiteral("Display program information, version number and "
                                        "copyright\nAbout")),
              [this] { m_app.OnAppAbout(); });
    // The help text boxes have no menu, toolbar or key of their own.
    for (int id : {Cmd::HelpOverview, Cmd::HelpCustomAttributes, Cmd::HelpLogoDownload,
                   Cmd::HelpBluetooth, Cmd::InternalStatus}) {
        QAction* a = MakeAction(id, QString(),
                                id == Cmd::InternalStatus
                                    ? QStringLiteral("Show project status (only for internal "
                                                     "use).\nStatus")
                                    : QString());
        connectTo(a, [this, id] { ShowHelpText(id); });
    }

    // The logo view's commands arrive with the logo module: shown, but disabled.
    MakeAction(Cmd::LogoTestFeed, QStringLiteral("Test Feed"),
               QStringLiteral("Test the connection by feeding the paper one line.\nTest Feed"));
    MakeAction(Cmd::LogoTestPrint, QStringLiteral("Test Print"),
               QStringLiteral("Print the logo without burning.\nTest Print"));
    for (int n = 0; n < 8; ++n) {
        MakeAction(Cmd::LogoFlash0 + n, QStringLiteral("Flash %1").arg(n),
                   QStringLiteral("Burn the logo into the Flash memory.\nFlash %1").arg(n));
        MakeAction(
            Cmd::LogoPrintSlot0 + n, QStringLiteral("Print Logo %1").arg(n),
            QStringLiteral("Print the logo that is stored in Flash memory.\nPrint Logo %1").arg(n));
    }
    const struct {
        int id;
        const char* text;
    } zooms[] = {{Cmd::Zoom050, "x 0.5"},   {Cmd::Zoom075, "x 0.75"},  {Cmd::Zoom100, "x 1.0"},
                 {Cmd::Zoom150, "x 1.5"},   {Cmd::Zoom200, "x 2.0"},   {Cmd::Zoom300, "x 3.0"},
                 {Cmd::Threshold25, "25%"}, {Cmd::Threshold50, "50%"}, {Cmd::Threshold75, "75%"},
                 {Cmd::Threshold99, "99%"}};
    for (const auto& z : zooms)
        MakeAction(z.id, QLatin1String(z.text))->setCheckable(true);
    MakeAction(Cmd::ThresholdDither, QStringLiteral("Dither"),
               QStringLiteral("Dither the picture instead of thresholding it, for "
                              "photographs\nDither"))
        ->setCheckable(true);

    QAction* toolbarIcons[] = {m_actions[Cmd::FileNew],      m_actions[Cmd::FileOpen],
                               m_actions[Cmd::FileSave],     m_actions[Cmd::EditCut],
                               m_actions[Cmd::EditCopy],     m_actions[Cmd::EditPaste],
                               m_actions[Cmd::FilePrint],    m_actions[Cmd::AppAbout],
                               m_actions[Cmd::LogoTestFeed], m_actions[Cmd::LogoTestPrint]};
    for (QAction* a : toolbarIcons)
        a->setIcon(Icons::ForCommand(a->objectName().mid(2).toInt()));
    for (int n = 0; n < 8; ++n) {
        m_actions[Cmd::LogoFlash0 + n]->setIcon(Icons::FlashSlot(n));
        m_actions[Cmd::LogoPrintSlot0 + n]->setIcon(Icons::PrintSlot(n));
    }

    m_routedCommands = {Cmd::FileOpenBitmap, Cmd::ThresholdDither, Cmd::FilePrint,
                        Cmd::LogoTestFeed,   Cmd::LogoTestPrint,     Cmd::Zoom050,
                        Cmd::Zoom075,        Cmd::Zoom100,           Cmd::Zoom150,
                        Cmd::Zoom200,        Cmd::Zoom300,           Cmd::Threshold25,
                        Cmd::Threshold50,    Cmd::Threshold75,       Cmd::Threshold99};
    for (int n = 0; n < 8; ++n)
        m_routedCommands << Cmd::LogoFlash0 + n << Cmd::LogoPrintSlot0 + n;
    for (int id : m_routedCommands)
        connectTo(m_actions[id], [this, id] { OnRoutedCommand(id); });
}

void CMainFrame::CreateMenus() {
    m_fileMenu = menuBar()->addMenu(QStringLiteral("&File"));
    for (int id : {Cmd::FileNew, Cmd::FileOpen, Cmd::FileSave, Cmd::FileSaveAs})
        m_fileMenu->addAction(m_actions[id]);
    m_fileMenu->addSeparator();
    m_fileMenu->addAction(m_actions[Cmd::FileOpenBitmap]);
    m_fileMenu->addSeparator();
    m_recentPlaceholder = MakeAction(Cmd::FileMru, QStringLiteral("Recent File"),
                                     QStringLiteral("Open this project"));
    m_recentPlaceholder->setEnabled(false);
    m_fileMenu->addAction(m_recentPlaceholder);
    for (int i = 0; i < 4; ++i) {
        auto* a = new QAction(this);
        a->setObjectName(QStringLiteral("id%1").arg(Cmd::FileMru + i));
        a->setStatusTip(QStringLiteral("Open this project"));
        connect(a, &QAction::triggered, this, [this, i] {
            const QStringList files = m_app.Core().m_recentFiles.Files();
            if (i < files.size() && SaveModified())
                OpenDocumentFile(files[i]);
        });
        m_recentActions << a;
        m_fileMenu->addAction(a);
    }
    m_fileMenu->addSeparator();
    m_fileMenu->addAction(m_actions[Cmd::AppExit]);

    QMenu* configure = menuBar()->addMenu(QStringLiteral("&Configure"));
    configure->addAction(m_actions[Cmd::ConfigureSerialPort]);
    configure->addAction(m_actions[Cmd::ConfigureLogoSize]);

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
    QMenu* zoom = view->addMenu(QStringLiteral("Zoom"));
    for (int id :
         {Cmd::Zoom050, Cmd::Zoom075, Cmd::Zoom100, Cmd::Zoom150, Cmd::Zoom200, Cmd::Zoom300})
        zoom->addAction(m_actions[id]);
    QMenu* threshold = view->addMenu(QStringLiteral("Color Threshold"));
    for (int id : {Cmd::Threshold25, Cmd::Threshold50, Cmd::Threshold75, Cmd::Threshold99})
        threshold->addAction(m_actions[id]);
    threshold->addSeparator();
    threshold->addAction(m_actions[Cmd::ThresholdDither]);

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
    // The buttons that act on the page on top (Test Feed, Test Print, Flash 0 to 7, Print
    // Logo 0 to 7) have a row of their own, shown while that page handles them: on the
    // frame's row they stood past its width, behind the overflow arrow. Larger icons there
    // let the slot digits be read at a glance.
    addToolBarBreak();
    m_commandBar = addToolBar(QStringLiteral("Page commands"));
    m_commandBar->setObjectName(QStringLiteral("pageCommandBar"));
    m_commandBar->setIconSize(QSize(24, 24));
    m_commandBar->setMovable(true);
    m_commandBar->setFloatable(true);
    m_commandBar->setAllowedAreas(Qt::AllToolBarAreas);
    m_commandBar->addAction(m_actions[Cmd::LogoTestFeed]);
    m_commandBar->addAction(m_actions[Cmd::LogoTestPrint]);
    m_commandBar->addSeparator();
    for (int n = 0; n < 8; ++n)
        m_commandBar->addAction(m_actions[Cmd::LogoFlash0 + n]);
    m_commandBar->addSeparator();
    for (int n = 0; n < 8; ++n)
        m_commandBar->addAction(m_actions[Cmd::LogoPrintSlot0 + n]);
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
    QStatusBar* bar = statusBar();
    bar->setObjectName(QStringLiteral("id59393"));
    m_messagePane = new QLabel(QStringLiteral("Ready"), bar);
    m_messagePane->setObjectName(QStringLiteral("messagePane"));
    bar->addWidget(m_messagePane, 1);
    // The reason a port could not be opened: it must outlast the "Ready" that ends the
    // exchange, so it has a pane of its own.
    m_linkProblemPane = new QLabel(bar);
    m_linkProblemPane->setObjectName(QStringLiteral("linkProblemPane"));
    m_linkProblemPane->setStyleSheet(QStringLiteral("color: #a00000;"));
    m_linkProblemPane->setTextInteractionFlags(Qt::TextSelectableByMouse);
    m_linkProblemPane->hide();
    bar->addWidget(m_linkProblemPane, 2);
    m_progress = new QProgressBar(bar);
    m_progress->setObjectName(QStringLiteral("progress"));
    m_progress->setMaximumWidth(140);
    m_progress->setMaximumHeight(14);
    m_progress->setTextVisible(false);
    m_progress->hide();
    bar->addPermanentWidget(m_progress);
    // The link in use, so that a message such as "Serial transmission error." can be
    // read against the port it is about.
    m_linkPane = new QLabel(bar);
    m_linkPane->setObjectName(QStringLiteral("linkPane"));
    m_linkPane->setFrameShape(QFrame::StyledPanel);
    m_linkPane->setToolTip(QStringLiteral("Serial port, device and baud rate in use"));
    bar->addPermanentWidget(m_linkPane);
    UpdateLinkPane();
    // Qt cannot tell the lock keys' state on every platform: the panes keep their place
    // and stay blank.
    for (const char* indicator : {"CAP", "NUM", "SCRL"}) {
        auto* pane = new QLabel(bar);
        pane->setObjectName(QLatin1String(indicator));
        pane->setMinimumWidth(pane->fontMetrics().horizontalAdvance(QLatin1String(indicator)) + 8);
        pane->setFrameShape(QFrame::StyledPanel);
        pane->setToolTip(QLatin1String(indicator));
        bar->addPermanentWidget(pane);
    }
    QAction* toggle = m_actions[Cmd::ViewStatusBar];
    toggle->setChecked(true);
    connect(toggle, &QAction::toggled, bar, &QStatusBar::setVisible);
}

void CMainFrame::SetMessageText(const QString& text) {
    // A hover prompt shown as a temporary message would cover the pane: the text set
    // here is what the user should read now.
    statusBar()->clearMessage();
    m_messagePane->setText(text);
    m_messagePane->repaint();
    // An exchange's texts come with the link it runs on.
    UpdateLinkPane();
}

void CMainFrame::SetLinkProblemText(const QString& text) {
    m_linkProblemPane->setText(text);
    m_linkProblemPane->setToolTip(text);
    m_linkProblemPane->setVisible(!text.isEmpty());
    m_linkProblemPane->repaint();
}

void CMainFrame::UpdateLinkPane() {
    const CSerialPort& link = m_app.Serial();
    const QString text = QStringLiteral("%1  %2  %3")
                             .arg(link.GetPortName(), QDir::toNativeSeparators(link.DeviceName()),
                                  link.GetBaudRateText());
    if (m_linkPane->text() != text) {
        m_linkPane->setText(text);
        m_linkPane->repaint();
    }
}

QString CMainFrame::LinkPaneText() const {
    return m_linkPane->text();
}

QString CMainFrame::MessageText() const {
    return m_messagePane->text();
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
    m_actions[Cmd::FileSave]->setEnabled(m_doc.IsModified());
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
    m_app.UpdateIdleTimer();
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
    for (IModulePage* view : m_views)
        view->OnInitialUpdate();
}

IModulePage* CMainFrame::ActivePage() const {
    const ModuleRow& row = FindModule(CurrentModule());
    if (row.sheetCaption)
        return m_moduleView->Sheet(row.id)->ActivePage();
    return m_views.value(row.id);
}

IMacrosPoller* CMainFrame::MacrosPoller() const {
    return dynamic_cast<IMacrosPoller*>(ActivePage());
}

QWidget* CMainFrame::ViewOf(ModuleId module) const {
    if (IModulePage* view = m_views.value(module))
        return view->Widget();
    return m_moduleView;
}

void CMainFrame::SetModuleLive(ModuleId module, bool live) {
    const ModuleRow& row = FindModule(module);
    if (row.sheetCaption) {
        m_moduleView->Sheet(row.id)->SetLive(live);
    } else if (IModulePage* view = m_views.value(row.id)) {
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
    m_app.UpdateIdleTimer();
}

void CMainFrame::UpdateTitle() {
    setWindowTitle(QStringLiteral("%1 - Quorlin").arg(m_doc.GetTitle()));
}

void CMainFrame::UpdateRecentFiles() {
    const QStringList files = m_app.Core().m_recentFiles.Files();
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

QString CMainFrame::AskFileName(bool save, const QString& suggested) {
    FileRequest request;
    request.save = save;
    request.title = save ? QStringLiteral("Save As") : QStringLiteral("Open");
    request.suggested = suggested;
    request.filter = QLatin1String(kProjectFilter);
    request.defaultSuffix = QStringLiteral("qpf");
    return m_app.Services().AskFileName(request);
}

bool CMainFrame::SaveModified() {
    if (!m_doc.IsModified())
        return true;
    const MsgAnswer answer =
        m_app.Services().Message(QStringLiteral("Save changes to %1?").arg(m_doc.GetTitle()),
                                 MsgIcon::Question, MsgButtons::YesNoCancel, MsgAnswer::Yes);
    if (answer == MsgAnswer::Cancel)
        return false;
    if (answer == MsgAnswer::Yes)
        return OnFileSave();
    return true;
}

void CMainFrame::OnFileNew() {
    if (!SaveModified())
        return;
    m_doc.DeleteContents();
    m_doc.SetPathName(QString());
    m_doc.SetModifiedFlag(false);
    OnInitialUpdate();
    m_doc.SetModifiedFlag(false);
    UpdateTitle();
    UpdateCommandStates();
}

// Which file comes first; only then the question about the current project, so that
// cancelling the file dialog never asks anything.
void CMainFrame::OnFileOpen() {
    const QString path = AskFileName(false, QFileInfo(m_doc.GetPathName()).absolutePath());
    if (path.isEmpty() || !SaveModified())
        return;
    OpenDocumentFile(path);
}

bool CMainFrame::OpenDocumentFile(const QString& path) {
    // A file that cannot be read leaves the current project as it was.
    CKVUDoc probe;
    QString detail;
    if (CProjectFile::Load(path, probe, &detail) == CProjectFile::Result::CannotOpen) {
        m_app.Services().Message(CProjectFile::Message(CProjectFile::Result::CannotOpen),
                                 MsgIcon::Exclamation);
        m_app.Core().m_recentFiles.Remove(path);
        UpdateRecentFiles();
        return false;
    }
    m_doc.DeleteContents();
    const CProjectFile::Result result = CProjectFile::Load(path, m_doc, &detail);
    if (result != CProjectFile::Result::Ok) {
        m_app.Services().Message(CProjectFile::Message(result), MsgIcon::Exclamation);
        // The half-read project is dropped: the document is left as after File New, and
        // the pages show that (not the project that was open before).
        m_doc.DeleteContents();
        m_doc.SetPathName(QString());
        OnInitialUpdate();
        m_doc.SetModifiedFlag(false);
        UpdateTitle();
        UpdateCommandStates();
        return false;
    }
    m_doc.SetPathName(QFileInfo(path).absoluteFilePath());
    m_app.Core().m_recentFiles.Add(path);
    OnInitialUpdate();
    m_doc.SetModifiedFlag(false);
    UpdateTitle();
    UpdateRecentFiles();
    UpdateCommandStates();
    return true;
}

bool CMainFrame::DoSave(const QString& path) {
    QString detail;
    if (CProjectFile::Save(path, m_doc, &detail) != CProjectFile::Result::Ok) {
        // The framework's text, then why (a full disk, a folder that is not there), as
        // kvuctl says it.
        QString text = CProjectFile::Message(CProjectFile::Result::CannotWrite);
        if (!detail.isEmpty())
            text += QStringLiteral("\n%1: %2").arg(QDir::toNativeSeparators(path), detail);
        m_app.Services().Message(text, MsgIcon::Exclamation);
        return false;
    }
    m_doc.SetPathName(QFileInfo(path).absoluteFilePath());
    m_doc.SetModifiedFlag(false);
    m_app.Core().m_recentFiles.Add(path);
    UpdateTitle();
    UpdateRecentFiles();
    UpdateCommandStates();
    return true;
}

bool CMainFrame::OnFileSave() {
    if (m_doc.GetPathName().isEmpty())
        return OnFileSaveAs();
    return DoSave(m_doc.GetPathName());
}

bool CMainFrame::OnFileSaveAs() {
    const QString suggested = m_doc.GetPathName().isEmpty()
                                  ? m_doc.GetTitle() + QStringLiteral(".qpf")
                                  : m_doc.GetPathName();
    QString path = AskFileName(true, suggested);
    if (path.isEmpty())
        return false;
    if (QFileInfo(path).suffix().isEmpty())
        path += QStringLiteral(".qpf");
    return DoSave(path);
}

// The logo size belongs to the program, not to a project: it is asked here from any
// module, and the view on show is drawn again with the new frame.
void CMainFrame::OnConfigureLogoSize() {
    if (CLogoSizeDlg::Run(m_app.Logo().m_raster, m_app.Services(), this))
        ActiveView()->update();
}

void CMainFrame::OnConfigureSerialPort() {
    CSerialPort& link = m_app.Serial();
    CSerialPortDlg dlg(m_app.Core().m_ports, this);
    HelpKey::Install(&dlg, QStringLiteral("serial-port"), m_app.Services());
    dlg.SetServices(&m_app.Services());
    dlg.m_nBaudIndex = link.GetBaudIndex();
    dlg.m_nPortIndex = link.GetPortIndex();
    dlg.ShowFields();
    // A page holding the link (the Macros page) lets go of it for the dialog, so that
    // Detect can use the port, and takes it again on whatever was chosen: the link pane
    // never names a port other than the one in use.
    IModulePage* holder = ActivePage();
    const bool released = holder && holder->ReleaseLink();
    if (m_app.RunDialog(dlg) == QDialog::Accepted) {
        link.SetBaudIndex(dlg.m_nBaudIndex);
        link.SetPortIndex(dlg.m_nPortIndex);
        const auto& devices = dlg.EditedDevices();
        for (auto it = devices.begin(); it != devices.end(); ++it)
            m_app.Core().m_ports.SetStoredDevice(it.key(), it.value());
    }
    UpdateLinkPane();
    if (released)
        holder->RetakeLink();
    m_app.UpdateIdleTimer();
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
    return HelpKey::Open(this, m_helpWindow, topic, m_app.Services());
}

void CMainFrame::ShowHelpText(int command) {
    HelpText help;
    switch (command) {
    case Cmd::HelpOverview:
        help = HelpTexts::Overview();
        break;
    case Cmd::HelpCustomAttributes:
        help = HelpTexts::CustomAttributes();
        break;
    case Cmd::HelpLogoDownload:
        help = HelpTexts::LogoDownload();
        break;
    case Cmd::HelpBluetooth:
        help = HelpTexts::Bluetooth();
        break;
    default:
        help = HelpTexts::InternalStatus();
        break;
    }
    m_app.Services().Message(
        help.text, help.caption.isEmpty() ? QLatin1String(kAppTitle) : help.caption, MsgIcon::None);
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
    if (event->type() == QEvent::StatusTip && m_app.IsBusy())
        return true;
    return QMainWindow::event(event);
}

void CMainFrame::closeEvent(QCloseEvent* event) {
    // An exchange runs to its end; closing now would tear objects down under it.
    if (m_app.IsBusy() || !SaveModified()) {
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
