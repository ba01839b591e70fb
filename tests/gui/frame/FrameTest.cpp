// The real frame on the offscreen platform, with the recorder in place of message boxes.

#include "KVUApp.h"
#include "PtyPair.h"
#include "RecordingServices.h"
#include "TestEnvironment.h"
#include "document/ProjectFile.h"
#include "frame/AboutDlg.h"
#include "frame/CommandIds.h"
#include "frame/HelpWindow.h"
#include "frame/KVUView.h"
#include "frame/MainFrame.h"
#include "frame/ModuleSheet.h"
#include "frame/SerialPortDlg.h"
#include "module1/Mod1Page1.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSettings>
#include <QStatusBar>
#include <QTemporaryDir>
#include <QTest>
#include <QToolBar>
#include <QTreeWidget>
#include <gtest/gtest.h>

namespace {
class FrameTest : public ::testing::Test {
protected:
    void SetUp() override {
        app = std::make_unique<CKVUApp>();
        app->SetServices(&services);
        ASSERT_TRUE(app->InitInstance({"kvu"}));
        frame = app->MainFrame();
        services.SetFileScript([this](const FileRequest&) { return nextFileName; });
    }
    void TearDown() override {
        app->Serial().Close();
        app->Document().SetModifiedFlag(false);
    }
    QAction* Action(int id) { return frame->Action(id); }
    QSize Client() const {
        const int menu =
            frame->menuBar()->isNativeMenuBar() ? 0 : frame->menuBar()->sizeHint().height();
        return QSize(frame->width(), frame->height() - menu);
    }
    CMod1Page1* Page() { return frame->ModuleView()->FindPage<CMod1Page1>(); }
    template <class T> T* Find(const char* name) {
        return frame->findChild<T*>(QLatin1String(name));
    }

    CRecordingServices services;
    std::unique_ptr<CKVUApp> app;
    CMainFrame* frame = nullptr;
    QString nextFileName;
    QTemporaryDir dir;
};

int CheckedModules(CMainFrame* frame) {
    int n = 0;
    for (int id : {Cmd::ViewModule1, Cmd::ViewModule2, Cmd::ViewModule5, Cmd::ViewModule6})
        n += frame->Action(id)->isChecked() ? 1 : 0;
    return n;
}
} // namespace

TEST_F(FrameTest, StartsUntitledInModuleOneWithReady) {
    EXPECT_EQ(frame->windowTitle(), "Untitled - Quorlin");
    EXPECT_EQ(frame->CurrentModule(), ModuleId::CustomAttributes);
    EXPECT_TRUE(Action(Cmd::ViewModule1)->isChecked());
    EXPECT_TRUE(Action(Cmd::ToolModule1)->isChecked());
    EXPECT_EQ(CheckedModules(frame), 1);
    EXPECT_FALSE(Action(Cmd::ViewModule3)->isEnabled());
    EXPECT_FALSE(Action(Cmd::ViewModule4)->isEnabled());
    EXPECT_FALSE(Action(Cmd::ToolModule3)->isEnabled());
    EXPECT_FALSE(Action(Cmd::ToolModule4)->isEnabled());
    EXPECT_FALSE(Action(Cmd::FileSave)->isEnabled());
    EXPECT_EQ(frame->MessageText(), "Ready");
    EXPECT_EQ(frame->size(), QSize(650, 549)) << "the first switch applies a module's size";
}

TEST_F(FrameTest, MenuItemsAndToolbarOrder) {
    QStringList menus;
    for (QAction* a : frame->menuBar()->actions())
        menus << a->text();
    EXPECT_EQ(menus, (QStringList{"&File", "&Configure", "&View", "&Help"}));
    QStringList file;
    for (QAction* a : frame->menuBar()->actions().first()->menu()->actions())
        file << (a->isSeparator() ? QStringLiteral("|") : a->objectName());
    EXPECT_EQ(file.mid(0, 8), (QStringList{"id57600", "id57601", "id57603", "id57604", "|",
                                           "id32833", "id32794", "|"}));
    EXPECT_EQ(file.last(), "id57665");
    QToolBar* bar = Find<QToolBar>("id59392");
    ASSERT_TRUE(bar);
    QStringList tools;
    for (QAction* a : bar->actions())
        tools << (a->isSeparator() ? QStringLiteral("|") : a->objectName().mid(2));
    EXPECT_EQ(tools.join(' '),
              "57600 57601 57603 | 57635 57634 57637 | 57607 | 57664 | 32799 32796 32829 32798 "
              "32820 32817");
    // The logo view's buttons follow on a row of their own.
    QToolBar* pageBar = Find<QToolBar>("pageCommandBar");
    ASSERT_TRUE(pageBar);
    EXPECT_EQ(frame->toolBarBreak(pageBar), true);
    tools.clear();
    for (QAction* a : pageBar->actions())
        tools << (a->isSeparator() ? QStringLiteral("|") : a->objectName().mid(2));
    EXPECT_EQ(tools.join(' '),
              "32793 32792 | 32776 32777 32778 32779 32780 32781 32782 32783 | 32784 32785 "
              "32786 32787 32788 32789 32790 32791");
    EXPECT_EQ(Action(Cmd::ToolModule2)->toolTip(), "Bluetooth");
    EXPECT_EQ(Action(Cmd::ToolModule2)->statusTip(), "Switch to Bluetooth Module");
    EXPECT_EQ(Action(Cmd::EditUndo)->shortcuts().size(), 2);
}

TEST_F(FrameTest, ModuleSwitchingResizesAndShowsTheSheet) {
    frame->OnModule(ModuleId::LogoDownload);
    EXPECT_EQ(frame->ActiveView(), frame->ViewOf(ModuleId::LogoDownload));
    EXPECT_EQ(frame->size(), QSize(650, 549)) << "Logo Download keeps the size";
    EXPECT_TRUE(Action(Cmd::ViewModule5)->isChecked());
    EXPECT_EQ(CheckedModules(frame), 1);

    frame->OnModule(ModuleId::Wlan);
    EXPECT_EQ(Client(), QSize(789, 582));
    EXPECT_EQ(frame->ActiveView(), static_cast<QWidget*>(frame->ModuleView()));
    CModuleSheet* sheet6 = frame->ModuleView()->Sheet(ModuleId::Wlan);
    EXPECT_TRUE(sheet6->isVisibleTo(frame));
    EXPECT_EQ(sheet6->count(), 1);
    EXPECT_EQ(sheet6->tabText(0), "Basic Settings");
    EXPECT_FALSE(frame->ModuleView()->Sheet(ModuleId::CustomAttributes)->isVisibleTo(frame));

    frame->OnModule(ModuleId::Bluetooth);
    EXPECT_EQ(Client(), QSize(705, 558));
    frame->OnModule(ModuleId::CustomAttributes);
    EXPECT_EQ(Client(), QSize(642, 503));
    EXPECT_EQ(frame->ModuleView()->Sheet(ModuleId::CustomAttributes)->count(), 3);
    EXPECT_EQ(frame->ModuleView()->Sheet(ModuleId::Test)->count(), 3);
    EXPECT_EQ(CheckedModules(frame), 1);
    // Test and Font Download are never selected.
    Action(Cmd::ViewModule3)->trigger();
    EXPECT_EQ(frame->CurrentModule(), ModuleId::CustomAttributes);
}

TEST_F(FrameTest, MacrosPageLinkOpensAndClosesWithModuleOne) {
    CPtyPair pty;
    app->Core().m_ports.SetSessionDevice("COM1", pty.SlavePath());
    frame->ModuleView()
        ->Sheet(ModuleId::CustomAttributes)
        ->setCurrentIndex(
            CKVUView::TabOf(frame->ModuleView()->Sheet(ModuleId::CustomAttributes), 132));
    frame->OnModule(ModuleId::CustomAttributes);
    ASSERT_EQ(app->Serial().m_bOpen, 1);
    // Choosing Module 1 again keeps the link as it is.
    app->Serial().WriteFile(QByteArray("a"));
    frame->OnModule(ModuleId::CustomAttributes);
    EXPECT_EQ(app->Serial().m_bOpen, 1);
    EXPECT_TRUE(app->Serial().WriteFile(QByteArray("b")));
    EXPECT_EQ(pty.Read(2, 1000), "ab");
    frame->OnModule(ModuleId::Bluetooth);
    EXPECT_EQ(app->Serial().m_bOpen, 0);
    frame->OnModule(ModuleId::CustomAttributes);
    EXPECT_EQ(app->Serial().m_bOpen, 1);
    EXPECT_EQ(app->Serial().ReadInterval(), 1u);
    EXPECT_EQ(app->Serial().ReadMultiplier(), 0u);
    frame->OnModule(ModuleId::LogoDownload);
    EXPECT_EQ(app->Serial().m_bOpen, 0);
    EXPECT_TRUE(services.MessageTexts().isEmpty());
}

TEST_F(FrameTest, SaveEnabledExactlyWhenModified) {
    EXPECT_FALSE(Action(Cmd::FileSave)->isEnabled());
    Find<QCheckBox>("id1022")->click();
    EXPECT_TRUE(app->Document().IsModified());
    EXPECT_TRUE(Action(Cmd::FileSave)->isEnabled());
    nextFileName = dir.filePath("shop.qpf");
    EXPECT_TRUE(frame->OnFileSave());
    EXPECT_FALSE(Action(Cmd::FileSave)->isEnabled());
    EXPECT_EQ(frame->windowTitle(), "shop.qpf - Quorlin");
    CKVUDoc back;
    ASSERT_EQ(CProjectFile::Load(dir.filePath("shop.qpf"), back), CProjectFile::Result::Ok);
    EXPECT_EQ(back.m_bBold, 1);
    EXPECT_EQ(CProjectFile::Serialize(back), CProjectFile::Serialize(app->Document()));
    EXPECT_EQ(app->Core().m_recentFiles.Files().value(0),
              QFileInfo(dir.filePath("shop.qpf")).absoluteFilePath());
}

TEST_F(FrameTest, NewAsksToSaveChanges) {
    Find<QCheckBox>("id1017")->click();
    services.ScriptAnswer(MsgAnswer::Cancel);
    frame->OnFileNew();
    EXPECT_EQ(services.MessageTexts().last(), "Save changes to Untitled?");
    EXPECT_TRUE(Find<QCheckBox>("id1017")->isChecked()) << "Cancel keeps the project";
    services.ScriptAnswer(MsgAnswer::No);
    frame->OnFileNew();
    EXPECT_FALSE(Find<QCheckBox>("id1017")->isChecked());
    EXPECT_FALSE(app->Document().IsModified());
    EXPECT_FALSE(Action(Cmd::FileSave)->isEnabled());
}

TEST_F(FrameTest, OpenRefillsThePageAndBadFilesAreReported) {
    CKVUDoc doc;
    doc.m_bWhiteOnBlack = 1;
    doc.m_nContrast = 4;
    doc.m_nFormFeed = 300;
    doc.m_strTestMessage = "^[U1";
    const QString good = dir.filePath("good.qpf");
    ASSERT_EQ(CProjectFile::Save(good, doc), CProjectFile::Result::Ok);
    ASSERT_TRUE(frame->OpenDocumentFile(good));
    EXPECT_EQ(frame->windowTitle(), "good.qpf - Quorlin");
    EXPECT_TRUE(Find<QCheckBox>("id1011")->isChecked());
    EXPECT_EQ(Find<QLineEdit>("id1054")->text(), "300");
    EXPECT_EQ(Find<QLineEdit>("id1049")->text(), "^[U1");
    EXPECT_FALSE(Action(Cmd::FileSave)->isEnabled());

    // Unreadable: the open project stays.
    EXPECT_FALSE(frame->OpenDocumentFile(dir.filePath("missing.qpf")));
    EXPECT_EQ(services.MessageTexts().last(), "Failed to open document.");
    EXPECT_TRUE(Find<QCheckBox>("id1011")->isChecked());
    EXPECT_EQ(frame->windowTitle(), "good.qpf - Quorlin");
    EXPECT_FALSE(frame->OpenDocumentFile(dir.path()));
    EXPECT_EQ(services.MessageTexts().last(), "Failed to open document.");

    // Malformed: the document and the page are left as after File New.
    QFile bad(dir.filePath("bad.qpf"));
    ASSERT_TRUE(bad.open(QIODevice::WriteOnly));
    bad.write(CProjectFile::Serialize(doc).left(120));
    bad.close();
    EXPECT_FALSE(frame->OpenDocumentFile(bad.fileName()));
    EXPECT_EQ(services.MessageTexts().last(), "Unexpected file format.");
    EXPECT_FALSE(Find<QCheckBox>("id1011")->isChecked());
    EXPECT_EQ(Find<QLineEdit>("id1049")->text(), "");
    EXPECT_EQ(frame->windowTitle(), "Untitled - Quorlin");
    EXPECT_EQ(CProjectFile::Serialize(app->Document()), CProjectFile::Serialize(CKVUDoc()));
}

TEST_F(FrameTest, HelpTextBoxes) {
    Action(Cmd::HelpOverview)->trigger();
    Action(Cmd::HelpBluetooth)->trigger();
    Action(Cmd::HelpCustomAttributes)->trigger();
    Action(Cmd::InternalStatus)->trigger();
    const auto boxes = services.Messages();
    ASSERT_EQ(boxes.size(), 4);
    EXPECT_EQ(boxes[0].caption, "KVU Overview");
    EXPECT_TRUE(boxes[0].text.startsWith(
        "KVU is a configuration utility for Tarvo3.\r\n\r\nThere are 11 pages"));
    EXPECT_TRUE(boxes[0].text.endsWith("  View>Module 5>\t\tUnder Construction\r\n"));
    EXPECT_EQ(boxes[1].caption, "Bluetooth Instructions");
    EXPECT_TRUE(
        boxes[1].text.contains(QStringLiteral("forward slash characters \u2018/\u2019. \n")));
    EXPECT_TRUE(boxes[2].text.contains("Click \"Send All\" to program"));
    EXPECT_TRUE(boxes[2].text.contains("Use \\x00..\\xFF to enter"));
    EXPECT_EQ(boxes[3].caption, "KVU");
    EXPECT_TRUE(boxes[3].text.startsWith("*** FOR INTERNAL USE ONLY ***"));
}

TEST_F(FrameTest, SerialPortDialogExchangesWithTheLink) {
    app->Serial().SetBaudRateText("57600");
    app->Serial().SetPortName("COM3");
    services.SetDialogScript([](QObject& object) {
        auto& dialog = static_cast<QDialog&>(object);
        auto* radio = dialog.findChild<QRadioButton*>("id1016");
        EXPECT_TRUE(radio && radio->isChecked());
        EXPECT_EQ(radio->text(), "57600        (1   0   0)");
        auto* list = dialog.findChild<QTreeWidget*>("id1025");
        EXPECT_EQ(list->topLevelItemCount(), 20);
        EXPECT_EQ(list->indexOfTopLevelItem(list->currentItem()), 2);
        EXPECT_EQ(list->topLevelItem(19)->text(0), "COM20");
        return int(QDialog::Rejected);
    });
    frame->OnConfigureSerialPort();
    EXPECT_EQ(app->Serial().GetBaudRateText(), "57600");
    EXPECT_EQ(app->Serial().GetPortName(), "COM3");

    services.SetDialogScript([](QObject& object) {
        auto& dialog = static_cast<QDialog&>(object);
        dialog.findChild<QRadioButton*>("id1001")->setChecked(true);
        auto* list = dialog.findChild<QTreeWidget*>("id1025");
        list->setCurrentItem(list->topLevelItem(19));
        auto* device = dialog.findChild<QComboBox*>("device");
        device->setEditText("/dev/ttyUSB3");
        dialog.accept();
        return int(QDialog::Accepted);
    });
    frame->OnConfigureSerialPort();
    EXPECT_EQ(app->Serial().GetBaudRateText(), "1200");
    EXPECT_EQ(app->Serial().GetPortName(), "COM20");
    EXPECT_EQ(app->Core().m_ports.StoredDevice("COM20"), "/dev/ttyUSB3");
    EXPECT_EQ(app->Serial().DeviceName(), "/dev/ttyUSB3");
}

TEST_F(FrameTest, AboutBox) {
    QString version, text, title;
    services.SetDialogScript([&](QObject& object) {
        auto& dialog = static_cast<QDialog&>(object);
        title = dialog.windowTitle();
        for (QLabel* l : dialog.findChildren<QLabel*>())
            if (l->text().startsWith("Quorlin"))
                version = l->text();
        text = dialog.findChild<QPlainTextEdit*>("id1065")->toPlainText();
        EXPECT_TRUE(dialog.findChild<QPlainTextEdit*>("id1065")->isReadOnly());
        return int(QDialog::Accepted);
    });
    Action(Cmd::AppAbout)->trigger();
    EXPECT_EQ(title, "About Quorlin");
    EXPECT_EQ(version, "Quorlin Version 1.20");
    EXPECT_TRUE(text.contains(QLatin1String(__DATE__).left(3)));
}

TEST_F(FrameTest, EveryLogoButtonIsShownAtTheModulesSizeAndEachLooksItsOwn) {
    // Logo Download keeps the frame's size: from the start that is the narrowest one.
    frame->show();
    QToolBar* pageBar = Find<QToolBar>("pageCommandBar");
    ASSERT_TRUE(pageBar);
    EXPECT_FALSE(pageBar->isVisible()) << "no page of module 1 has these buttons";
    frame->OnModule(ModuleId::LogoDownload);
    QApplication::processEvents();
    ASSERT_EQ(frame->size(), QSize(650, 549));
    ASSERT_TRUE(pageBar->isVisible());
    QList<QImage> looks;
    for (QToolBar* bar : {Find<QToolBar>("id59392"), pageBar}) {
        for (QAction* a : bar->actions()) {
            if (a->isSeparator())
                continue;
            QWidget* button = bar->widgetForAction(a);
            ASSERT_TRUE(button) << a->objectName().toStdString();
            EXPECT_TRUE(button->isVisible()) << a->objectName().toStdString() << " overflows";
            EXPECT_TRUE(bar->rect().contains(button->geometry())) << a->objectName().toStdString();
            if (bar == pageBar)
                looks << a->icon().pixmap(bar->iconSize()).toImage();
        }
    }
    // Each slot button differs from every other one in a good part of its pixels (the
    // digits once were 3 pixels high, lost inside a printer drawn alike on all eight).
    ASSERT_EQ(looks.size(), 18);
    for (int i = 0; i < looks.size(); ++i) {
        for (int j = i + 1; j < looks.size(); ++j) {
            const QImage& a = looks[i];
            const QImage& b = looks[j];
            ASSERT_EQ(a.size(), b.size());
            int differ = 0;
            for (int y = 0; y < a.height(); ++y)
                for (int x = 0; x < a.width(); ++x)
                    differ += qGray(a.pixel(x, y)) / 64 != qGray(b.pixel(x, y)) / 64;
            EXPECT_GE(differ, a.width() * a.height() / 12) << "buttons " << i << " and " << j;
        }
    }
    frame->OnModule(ModuleId::CustomAttributes);
    EXPECT_FALSE(pageBar->isVisible());
    Action(Cmd::ViewToolbar)->setChecked(false);
    frame->OnModule(ModuleId::LogoDownload);
    EXPECT_FALSE(pageBar->isVisible()) << "View > Toolbar hides both rows";
    Action(Cmd::ViewToolbar)->setChecked(true);
    EXPECT_TRUE(pageBar->isVisible());
    frame->hide();
}

TEST_F(FrameTest, EditCommandsFollowTheFocusedField) {
    frame->show();
    QLineEdit* message = Find<QLineEdit>("id1049");
    Find<QPushButton>("id1004")->setFocus();
    QApplication::processEvents();
    EXPECT_FALSE(Action(Cmd::EditPaste)->isEnabled());
    message->setFocus();
    QApplication::processEvents();
    if (QApplication::focusWidget() == message) {
        EXPECT_TRUE(Action(Cmd::EditPaste)->isEnabled());
        message->setText("abc");
        message->selectAll();
        Action(Cmd::EditCut)->trigger();
        EXPECT_EQ(message->text(), "");
    }
    // A read-only box takes no cut, paste or undo, and a copy only of a selection.
    QLineEdit* readOnly = message;
    readOnly->setText("Version 1.0");
    readOnly->setReadOnly(true);
    readOnly->deselect();
    QApplication::setActiveWindow(frame);
    readOnly->setFocus();
    QApplication::processEvents();
    ASSERT_EQ(QApplication::focusWidget(), readOnly);
    frame->UpdateCommandStates();
    for (int id : {Cmd::EditCut, Cmd::EditCopy, Cmd::EditPaste, Cmd::EditUndo})
        EXPECT_FALSE(Action(id)->isEnabled()) << id;
    readOnly->selectAll();
    EXPECT_TRUE(Action(Cmd::EditCopy)->isEnabled());
    EXPECT_FALSE(Action(Cmd::EditCut)->isEnabled());
    EXPECT_FALSE(Action(Cmd::EditPaste)->isEnabled());
    readOnly->setReadOnly(false);
    frame->hide();
}

TEST_F(FrameTest, HelpTopicsWithoutAHelpFileSaysSo) {
    qunsetenv("KVU_HELP_DIR");
    Action(Cmd::HelpTopics)->trigger();
    ASSERT_EQ(services.MessageTexts().size(), 1);
    const QString text = services.MessageTexts().first();
    EXPECT_TRUE(text.startsWith("The help file kvu.html could not be found.")) << qPrintable(text);
    // Beside the test program, which is where the build tree keeps the help of kvu.
    const QString beside = QDir(QCoreApplication::applicationDirPath()).filePath("help/kvu.html");
    EXPECT_TRUE(text.contains(QDir::toNativeSeparators(beside))) << qPrintable(text);
}

TEST_F(FrameTest, SaveFailureKeepsTheProjectModified) {
    Find<QCheckBox>("id1026")->click();
    nextFileName = dir.filePath("no/such/folder/p.qpf");
    EXPECT_FALSE(frame->OnFileSave());
    // The framework's text and the reason on a line of its own.
    const QString told = services.MessageTexts().last();
    EXPECT_TRUE(told.startsWith("Failed to save document.\n")) << qPrintable(told);
    EXPECT_TRUE(told.contains("No such file or directory")) << qPrintable(told);
    EXPECT_TRUE(app->Document().IsModified());
    EXPECT_EQ(frame->windowTitle(), "Untitled - Quorlin");
    nextFileName = dir.filePath("p");
    EXPECT_TRUE(frame->OnFileSaveAs());
    EXPECT_EQ(frame->windowTitle(), "p.qpf - Quorlin") << "the default extension is added";
}

TEST_F(FrameTest, RecentFilesInTheFileMenu) {
    CKVUDoc doc;
    const QString a = dir.filePath("a.qpf"), b = dir.filePath("b.qpf");
    ASSERT_EQ(CProjectFile::Save(a, doc), CProjectFile::Result::Ok);
    ASSERT_EQ(CProjectFile::Save(b, doc), CProjectFile::Result::Ok);
    ASSERT_TRUE(frame->OpenDocumentFile(a));
    ASSERT_TRUE(frame->OpenDocumentFile(b));
    QStringList shown;
    for (QAction* action : frame->menuBar()->actions().first()->menu()->actions())
        if (action->isVisible() && action->text().startsWith('&') &&
            action->text().contains(".qpf"))
            shown << action->text();
    ASSERT_EQ(shown.size(), 2);
    EXPECT_TRUE(shown[0].startsWith("&1 ") && shown[0].endsWith("b.qpf"));
    EXPECT_TRUE(shown[1].startsWith("&2 ") && shown[1].endsWith("a.qpf"));
    // An entry whose file has gone is dropped when it fails to open.
    QFile::remove(a);
    EXPECT_FALSE(frame->OpenDocumentFile(a));
    EXPECT_EQ(app->Core().m_recentFiles.Files().size(), 1);
}

TEST(FrameStartUp, ProjectOnTheCommandLine) {
    QTemporaryDir dir;
    CKVUDoc doc;
    doc.m_bSendEot = 1;
    const QString path = dir.filePath("start.qpf");
    ASSERT_EQ(CProjectFile::Save(path, doc), CProjectFile::Result::Ok);
    {
        CRecordingServices services;
        CKVUApp app;
        app.SetServices(&services);
        ASSERT_TRUE(app.InitInstance({"kvu", path}));
        EXPECT_EQ(app.MainFrame()->windowTitle(), "start.qpf - Quorlin");
        EXPECT_EQ(app.Document().m_bSendEot, 1);
    }
    CRecordingServices services;
    CKVUApp app;
    app.SetServices(&services);
    EXPECT_FALSE(app.InitInstance({"kvu", dir.filePath("missing.qpf")}));
    EXPECT_EQ(services.MessageTexts(), QStringList{"Failed to open document."});
}

TEST(FrameStartUp, SettingsAreWrittenBackAtExit) {
    {
        auto settings = CAppCore::OpenUserSettings();
        settings->clear();
        settings->setValue("Communication/BAUDRATE", "4800");
        settings->setValue("Logo Size/HEIGHT", -7);
        settings->sync();
    }
    CRecordingServices services;
    CKVUApp app;
    app.SetServices(&services);
    ASSERT_TRUE(app.InitInstance({"kvu"}));
    EXPECT_EQ(app.Serial().m_nBaudRate, 38400);
    EXPECT_EQ(app.Logo().m_raster.m_nHeight, 1);
    app.Serial().SetPortName("COM4");
    app.Core().m_ports.SetStoredDevice("COM4", "/dev/ttyUSB1");
    EXPECT_EQ(app.ExitInstance(0), 0);
    auto settings = CAppCore::OpenUserSettings();
    EXPECT_EQ(settings->value("Communication/BAUDRATE").toString(), "38400");
    EXPECT_EQ(settings->value("Communication/COMPORT").toString(), "COM4");
    EXPECT_EQ(settings->value("Logo Size/WIDTH").toInt(), 3);
    EXPECT_EQ(settings->value("Logo Size/HEIGHT").toInt(), 1);
    EXPECT_EQ(settings->value("Ports/COM4").toString(), "/dev/ttyUSB1");
    EXPECT_TRUE(settings->fileName().startsWith(CTestEnvironment::SettingsDir()))
        << "tests never touch the user's settings";
    settings->clear();
}

TEST_F(FrameTest, BluetoothHelpTextReadsWordForWord) {
    Action(Cmd::HelpBluetooth)->trigger();
    EXPECT_TRUE(services.MessageTexts().last().contains(
        QStringLiteral("It also \ncontains specifications on how to use")));
}

TEST_F(FrameTest, LeavingTheMacrosTabReleasesTheLink) {
    // Macros tab, the Custom Attributes module button, the Custom Attributes tab, Try: the
    // link must not be left held open by a page that is no longer shown.
    CPtyPair pty;
    app->Core().m_ports.SetSessionDevice("COM1", pty.SlavePath());
    CModuleSheet* sheet = frame->ModuleView()->Sheet(ModuleId::CustomAttributes);
    sheet->setCurrentIndex(
        CKVUView::TabOf(frame->ModuleView()->Sheet(ModuleId::CustomAttributes), 132));
    frame->OnModule(ModuleId::CustomAttributes);
    ASSERT_EQ(app->Serial().m_bOpen, 1);
    sheet->setCurrentIndex(0);
    EXPECT_EQ(app->Serial().m_bOpen, 0) << "the Macros page is hidden";
    EXPECT_FALSE(app->Serial().IsHandleValid());
    auto* page = frame->ModuleView()->FindPage<CMod1Page1>();
    page->findChild<QLineEdit*>("id1049")->setText("AB");
    page->findChild<QPushButton*>("id1004")->click(); // Try
    EXPECT_EQ(pty.Read(2, 1000), "AB");
    EXPECT_TRUE(services.MessageTexts().isEmpty());
    EXPECT_EQ(app->Serial().m_bOpen, 0);
    sheet->setCurrentIndex(
        CKVUView::TabOf(frame->ModuleView()->Sheet(ModuleId::CustomAttributes), 132));
    EXPECT_EQ(app->Serial().m_bOpen, 1) << "the Macros page on top holds the link again";
}

TEST_F(FrameTest, F6AndShiftF6BelongToThePaneCommands) {
    int triggered = 0;
    for (int id : {Cmd::NextPane, Cmd::PrevPane}) {
        ASSERT_TRUE(Action(id)) << id;
        QObject::connect(Action(id), &QAction::triggered, [&triggered] { ++triggered; });
    }
    EXPECT_EQ(Action(Cmd::NextPane)->shortcut(), QKeySequence(Qt::Key_F6));
    EXPECT_EQ(Action(Cmd::PrevPane)->shortcut(), QKeySequence(Qt::SHIFT | Qt::Key_F6));
    EXPECT_TRUE(frame->actions().contains(Action(Cmd::NextPane))) << "reachable without a menu";
    Action(Cmd::NextPane)->trigger();
    Action(Cmd::PrevPane)->trigger();
    EXPECT_EQ(triggered, 2);
    EXPECT_TRUE(services.MessageTexts().isEmpty()) << "they do nothing in this frame";
}

// Ctrl+Q is Exit from the program's other windows too: here the help window.
TEST_F(FrameTest, CtrlQInTheHelpWindowExits) {
    EXPECT_EQ(Action(Cmd::AppExit)->shortcut(), QKeySequence(Qt::CTRL | Qt::Key_Q));
    frame->show();
    auto* help = new CHelpWindow(frame);
    ASSERT_TRUE(help->Load(KVU_HELP_SOURCE_DIR "/kvu.html"));
    help->show();
    QApplication::setActiveWindow(help);
    int exits = 0;
    QObject::connect(Action(Cmd::AppExit), &QAction::triggered, [&exits] { ++exits; });
    QTest::keySequence(help, QKeySequence(Qt::CTRL | Qt::Key_Q));
    EXPECT_EQ(exits, 1);
    EXPECT_FALSE(frame->isVisible());
    EXPECT_FALSE(help->isVisible()) << "the windows beside the main one go with it";
}

TEST_F(FrameTest, OpenAsksForTheFileBeforeAskingToSave) {
    QTemporaryDir dir;
    const QString other = dir.filePath("other.qpf");
    CKVUDoc saved;
    saved.m_bBold = 1;
    ASSERT_EQ(CProjectFile::Save(other, saved), CProjectFile::Result::Ok);
    app->Document().m_bUnderline = 1;
    app->Document().SetModifiedFlag(true);

    int asked = 0;
    services.SetFileScript([&](const FileRequest&) {
        ++asked;
        EXPECT_TRUE(services.MessageTexts().isEmpty()) << "no question before the dialog";
        return QString(); // cancelled
    });
    Action(Cmd::FileOpen)->trigger();
    EXPECT_EQ(asked, 1);
    EXPECT_TRUE(services.MessageTexts().isEmpty()) << "cancelling the dialog never prompts";
    EXPECT_TRUE(app->Document().IsModified());

    services.SetFileScript([&](const FileRequest&) {
        EXPECT_TRUE(services.MessageTexts().isEmpty());
        return other;
    });
    services.ScriptAnswer(MsgAnswer::No);
    Action(Cmd::FileOpen)->trigger();
    EXPECT_EQ(services.MessageTexts(), QStringList{"Save changes to Untitled?"});
    EXPECT_EQ(app->Document().m_bBold, 1);
    EXPECT_EQ(app->Document().m_bUnderline, 0);
}

// The frame going away while it is shown and a field of it has the focus: closing the
// window moves the focus, and the frame must no longer answer that with its own members,
// which are gone by then.
TEST(FrameLifetime, DestroyedWhileShownWithTheFocusInAField) {
    for (int round = 0; round < 3; ++round) {
        CRecordingServices services;
        auto app = std::make_unique<CKVUApp>();
        app->SetServices(&services);
        ASSERT_TRUE(app->InitInstance({"kvu"}));
        CMainFrame* frame = app->MainFrame();
        frame->show();
        QApplication::setActiveWindow(frame);
        auto* field = frame->findChild<QLineEdit*>();
        ASSERT_TRUE(field);
        field->setFocus();
        QApplication::processEvents();
        ASSERT_TRUE(frame->Action(Cmd::EditCut)->isEnabled()) << "the focus is in the field";
        app.reset();
        EXPECT_EQ(QApplication::focusWidget(), nullptr);
    }
}
