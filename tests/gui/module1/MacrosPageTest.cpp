// The Supervisory Commands and Macros pages through their widgets, in the frame, against
// the simulated printer.

#include "KVUApp.h"
#include "RecordingServices.h"
#include "Simulator.h"
#include "frame/KVUView.h"
#include "frame/MainFrame.h"
#include "frame/ModuleSheet.h"
#include "module1/EnterTextDlg.h"
#include "module1/Mod1Page2.h"
#include "module1/Mod1Page3.h"
#include "widgets/LinkIndicator.h"

#include <QApplication>
#include <QCheckBox>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScrollArea>
#include <QTemporaryDir>
#include <QTest>
#include <QTreeWidget>
#include <gtest/gtest.h>

namespace {
class MacrosPageTest : public ::testing::Test {
protected:
    void SetUp() override {
        sim = std::make_unique<CSimulator>(SimConfig{}, &clock);
        ASSERT_TRUE(sim->Start());
        sim->AttachTo(clock);
        app = std::make_unique<CKVUApp>();
        app->SetServices(&services);
        ASSERT_TRUE(app->InitInstance({"kvu"}));
        app->Core().m_ports.SetSessionDevice("COM1", sim->DevicePath());
        app->Serial().SetPortName("COM1");
        app->Serial().SetBaudRateText("38400");
        frame = app->MainFrame();
        sheet = frame->ModuleView()->Sheet(ModuleId::CustomAttributes);
        supervisory = frame->ModuleView()->FindPage<CMod1Page2>();
        macros = frame->ModuleView()->FindPage<CMod1Page3>();
    }
    void TearDown() override {
        app->Document().SetModifiedFlag(false);
        app.reset();
        sim->Stop();
    }
    template <class T> T* Find(QWidget* page, int id) {
        return page->findChild<T*>(QStringLiteral("id%1").arg(id));
    }
    QByteArray Received() {
        sim->Settle();
        const QByteArray all = sim->Transcript().ReceivedSince(mark);
        mark += all.size();
        return all;
    }
    void ShowMacros() { sheet->setCurrentIndex(CKVUView::TabOf(sheet, 132)); }

    CVirtualClock clock;
    CRecordingServices services{&clock};
    std::unique_ptr<CSimulator> sim;
    std::unique_ptr<CKVUApp> app;
    CMainFrame* frame = nullptr;
    CModuleSheet* sheet = nullptr;
    CMod1Page2* supervisory = nullptr;
    CMod1Page3* macros = nullptr;
    qint64 mark = 0;
    QTemporaryDir dir;
};
} // namespace

TEST_F(MacrosPageTest, SupervisoryButtonsShowTheReplyAndItsReading) {
    ASSERT_TRUE(supervisory && macros);
    EXPECT_EQ(Find<QPushButton>(supervisory, 1)->text(), "CTRL - V");
    Find<QPushButton>(supervisory, 1)->click();
    EXPECT_EQ(Received(), QByteArray("\x16"));
    EXPECT_TRUE(Find<QPlainTextEdit>(supervisory, 1006)->toPlainText().startsWith("\x1BV"));
    const QString reading = Find<QPlainTextEdit>(supervisory, 1023)->toPlainText();
    EXPECT_TRUE(reading.startsWith("Voltage = ")) << reading.toStdString();
    EXPECT_EQ(reading.count('\n'), 2) << "three lines";
    Find<QPushButton>(supervisory, 1021)->click(); // ESC C: no answer, both boxes emptied
    EXPECT_EQ(Received(), QByteArray("\x1B"
                                     "C"));
    EXPECT_TRUE(Find<QPlainTextEdit>(supervisory, 1006)->toPlainText().isEmpty());
    EXPECT_TRUE(Find<QPlainTextEdit>(supervisory, 1023)->toPlainText().isEmpty());
    EXPECT_TRUE(services.MessageTexts().isEmpty());
    EXPECT_EQ(app->Serial().m_bOpen, 0);
}

TEST_F(MacrosPageTest, TheLinkIsHeldWhileTheMacrosPageIsShown) {
    ShowMacros();
    ASSERT_EQ(app->Serial().m_bOpen, 1);
    EXPECT_EQ(frame->MacrosPoller(), static_cast<IMacrosPoller*>(macros));
    Find<QLineEdit>(macros, 1075)->setText("^[U1^M^J");
    Find<QPushButton>(macros, 1066)->click();
    EXPECT_EQ(Received(), QByteArray("\x1BU1\r\n"));
    sheet->setCurrentIndex(0);
    EXPECT_EQ(app->Serial().m_bOpen, 0);
    EXPECT_EQ(frame->MacrosPoller(), nullptr);
    EXPECT_TRUE(services.MessageTexts().isEmpty());
}

TEST_F(MacrosPageTest, RenameThroughTheEnterTextDialog) {
    ShowMacros();
    Find<QPushButton>(macros, 1071)->click();
    EXPECT_TRUE(macros->InRenameMode());
    EXPECT_TRUE(Find<QPushButton>(macros, 1071)->isChecked()) << "drawn pushed in";
    EXPECT_EQ(services.StatusTexts().last(), "Click on the button to rename.");
    QString shownCaption;
    services.SetDialogScript([&](QObject& object) {
        auto* dialog = dynamic_cast<CEnterTextDlg*>(&object);
        EXPECT_TRUE(dialog);
        EXPECT_EQ(dialog->windowTitle(), "Enter Text");
        shownCaption = dialog->Text();
        dialog->SetText(QString()); // an empty caption is allowed
        return int(QDialog::Accepted);
    });
    Find<QPushButton>(macros, 1081)->click();
    EXPECT_EQ(shownCaption, "Macro Button 04");
    EXPECT_EQ(Find<QPushButton>(macros, 1081)->text(), "");
    EXPECT_EQ(app->Document().m_strMacroCaption[3], "");
    EXPECT_TRUE(app->Document().IsModified());
    EXPECT_FALSE(macros->InRenameMode());
    EXPECT_EQ(services.StatusTexts().last(), "Ready");
    EXPECT_TRUE(Received().isEmpty()) << "renaming sends nothing";

    Find<QPushButton>(macros, 1071)->click();
    services.SetDialogScript([](QObject&) { return int(QDialog::Rejected); });
    Find<QPushButton>(macros, 1066)->click();
    EXPECT_EQ(Find<QPushButton>(macros, 1066)->text(), "Macro Button 01") << "Cancel keeps it";
    EXPECT_FALSE(macros->InRenameMode());
}

TEST_F(MacrosPageTest, PageStateLivesInTheDocument) {
    CKVUDoc& doc = app->Document();
    doc.m_strMacroCaption[5] = "Feed";
    doc.m_strMacroText[5] = "^L";
    doc.m_strSendFile[1] = "/tmp/font.bdf";
    ShowMacros();
    EXPECT_EQ(Find<QPushButton>(macros, 1083)->text(), "Feed");
    EXPECT_EQ(Find<QLineEdit>(macros, 1086)->text(), "^L");
    EXPECT_EQ(Find<QLineEdit>(macros, 1093)->text(), "/tmp/font.bdf");
    EXPECT_FALSE(doc.IsModified()) << "showing the page is no change";
    Find<QLineEdit>(macros, 1077)->setText("^[P(");
    EXPECT_EQ(doc.m_strMacroText[1], "^[P(");
    EXPECT_TRUE(doc.IsModified());
    services.SetFileScript([&](const FileRequest& r) {
        EXPECT_EQ(r.filter, "BDF Files (*.bdf);;Text Files (*.txt);;All Files (*.*)");
        EXPECT_EQ(r.defaultSuffix, "bdf");
        EXPECT_EQ(r.suggested, "/tmp/font.bdf");
        return QStringLiteral("/tmp/other.bdf");
    });
    Find<QPushButton>(macros, 1094)->click();
    EXPECT_EQ(doc.m_strSendFile[1], "/tmp/other.bdf");
}

TEST_F(MacrosPageTest, FileSendingPausesWhileThePageIsHiddenAndResumes) {
    const QString path = dir.filePath("three.txt");
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write("A\r\n\r\nB\r\n");
    f.close();
    ShowMacros();
    Find<QLineEdit>(macros, 1089)->setText(path);
    Find<QPushButton>(macros, 1087)->click();
    ASSERT_TRUE(macros->IsSending());
    app->OnIdle(0); // one idle call, one line
    EXPECT_EQ(Received(), QByteArray("A\r\n"));
    sheet->setCurrentIndex(1); // another page of Module 1: link closed, sending paused
    for (int i = 0; i < 5; ++i)
        app->OnIdle(0);
    EXPECT_TRUE(Received().isEmpty());
    EXPECT_TRUE(macros->IsSending());
    ShowMacros();
    while (macros->IsSending())
        app->OnIdle(0);
    EXPECT_EQ(Received(), QByteArray("\r\nB\r\n")) << "it goes on at the next line";
    EXPECT_EQ(services.StatusTexts().last(), "Send file ended.");
    // Started by its button, a file is sent by the event loop alone, a line a pass.
    Find<QPushButton>(macros, 1087)->click();
    for (int i = 0; i < 50 && macros->IsSending(); ++i)
        QApplication::processEvents();
    EXPECT_FALSE(macros->IsSending());
    EXPECT_EQ(Received(), QByteArray("A\r\n\r\nB\r\n"));
}

TEST_F(MacrosPageTest, TheMonitorShowsWhatThePrinterSends) {
    ShowMacros();
    Find<QLineEdit>(macros, 1075)->setText("^[P)");
    for (int i = 0; i < 10; ++i) // ten replies, over 200 bytes: five 50-byte reads at least
        Find<QPushButton>(macros, 1066)->click();
    clock.Advance(100);
    sim->Settle();
    // The replies' arrival wakes the receive step, and it reads one step after another
    // while bytes wait: a few turns of the event loop show them all, with no beat of its
    // own waking the program.
    for (int i = 0; i < 100 && macros->MonitorText().count('\n') < 10; ++i)
        QApplication::processEvents(QEventLoop::WaitForMoreEvents, 50);
    EXPECT_TRUE(macros->MonitorText().startsWith("TARVO3-")) << macros->MonitorText().toStdString();
    EXPECT_EQ(macros->MonitorText().count("TARVO3-"), 10);
    const QColor background = Find<QPlainTextEdit>(macros, 1079)->palette().color(QPalette::Base);
    EXPECT_EQ(background, QColor(255, 150, 96));
    // The File menu opened over the page leaves the monitor as it was.
    QMenu* file = frame->menuBar()->actions().first()->menu();
    file->popup(frame->mapToGlobal(QPoint(0, 0)));
    QApplication::processEvents();
    EXPECT_EQ(Find<QPlainTextEdit>(macros, 1079)->toPlainText(), macros->MonitorText());
    file->hide();
    auto* indicator = macros->findChild<CLinkIndicator*>("linkIndicator");
    ASSERT_TRUE(indicator);
    EXPECT_TRUE(indicator->Connected());
    EXPECT_TRUE(indicator->Text().startsWith("Connected to COM1 ("))
        << indicator->Text().toStdString();
    // The hex view shows the same bytes, and Save Monitor As saves the view that is shown.
    macros->findChild<QCheckBox*>("hexView")->click();
    const QString hex = Find<QPlainTextEdit>(macros, 1079)->toPlainText();
    EXPECT_TRUE(hex.startsWith("00000000  54 41 52 56 4F 33 2D")) << hex.toStdString();
    const QString path = dir.filePath("monitor.txt");
    services.SetFileScript(
        [&](const FileRequest& request) { return request.save ? path : QString(); });
    bool enabled = false, checked = true;
    ASSERT_TRUE(macros->CommandState(CMod1Page3::kSaveMonitorCommand, &enabled, &checked));
    macros->OnCommand(CMod1Page3::kSaveMonitorCommand);
    QFile saved(path);
    ASSERT_TRUE(saved.open(QIODevice::ReadOnly));
    EXPECT_EQ(QString::fromUtf8(saved.readAll()), hex + "\n");
    EXPECT_EQ(services.StatusTexts().last(), "Monitor saved to " + path + ".");
    macros->findChild<QCheckBox*>("hexView")->click();
    EXPECT_EQ(Find<QPlainTextEdit>(macros, 1079)->toPlainText(), macros->MonitorText());
}

TEST_F(MacrosPageTest, ALostLinkIsClosedAndSaidAndReopensWhenThePageIsShownAgain) {
    ShowMacros();
    ASSERT_EQ(app->Serial().m_bOpen, 1);
    sim->Hangup(); // the cable is pulled
    // The hang-up comes through the event loop: wait for it (bounded), not for a count of
    // turns, which a slow build may not make in time.
    for (int i = 0; i < 100 && app->Serial().m_bOpen; ++i)
        QApplication::processEvents(QEventLoop::WaitForMoreEvents, 50);
    EXPECT_EQ(app->Serial().m_bOpen, 0) << "no spinning on a port that only reports its hang-up";
    ASSERT_FALSE(services.StatusTexts().isEmpty());
    EXPECT_TRUE(services.StatusTexts().last().startsWith("The link to the printer was lost"))
        << services.StatusTexts().last().toStdString();
    EXPECT_EQ(macros->findChild<CLinkIndicator*>("linkIndicator")->Text(),
              "Not connected: the link was lost.");
    services.Clear();
    sheet->setCurrentIndex(1);
    ShowMacros(); // shown again, the page tries the link again: the device is still gone
    EXPECT_EQ(services.MessageTexts(), QStringList{"Com port could not be opened."});
}

TEST_F(MacrosPageTest, TheSerialPortDialogBorrowsTheHeldLinkAndTheLinkFollowsTheChoice) {
    ShowMacros();
    ASSERT_EQ(app->Serial().m_bOpen, 1);
    QString detected;
    bool heldDuringDialog = true;
    services.SetDialogScript([&](QObject& object) {
        auto& dialog = static_cast<QDialog&>(object);
        heldDuringDialog = app->Serial().m_bOpen != 0;
        dialog.findChild<QTreeWidget*>("id1025")->topLevelItem(0)->setSelected(true);
        QTest::mouseClick(dialog.findChild<QPushButton*>("detect"), Qt::LeftButton);
        detected = dialog.findChild<QLabel*>("detectStatus")->text();
        dialog.accept();
        return int(QDialog::Accepted);
    });
    frame->OnConfigureSerialPort();
    EXPECT_FALSE(heldDuringDialog);
    EXPECT_EQ(detected, "Found the printer on COM1 at 38400 bit/s.");
    EXPECT_EQ(app->Serial().m_bOpen, 1) << "the page holds the link again";
    EXPECT_TRUE(services.StatusTexts().last().startsWith("Macros and files now go to COM1 ("))
        << services.StatusTexts().last().toStdString();
}

TEST_F(MacrosPageTest, ThePageFitsItsModuleWithTheLongestCaptions) {
    for (int k = 0; k < CMod1Page3::kMacroCount; ++k)
        app->Document().m_strMacroCaption[size_t(k)] = QString(32767, QLatin1Char('W'));
    macros->UpdateFromDocument();
    ShowMacros();
    // The module's own client size (the menu bar is part of the window here).
    const int menu =
        frame->menuBar()->isNativeMenuBar() ? 0 : frame->menuBar()->sizeHint().height();
    frame->resize(642, 503 + menu);
    for (int i = 0; i < 3; ++i)
        QApplication::processEvents();
    QWidget* area = macros->parentWidget();
    while (area && !qobject_cast<QScrollArea*>(area))
        area = area->parentWidget();
    ASSERT_TRUE(area);
    QWidget* viewport = static_cast<QScrollArea*>(area)->viewport();
    for (QWidget* control : macros->findChildren<QWidget*>()) {
        if (!control->isVisibleTo(macros) || control->parentWidget() != macros)
            continue;
        const QRect shown(control->mapTo(viewport, QPoint(0, 0)), control->size());
        EXPECT_TRUE(viewport->rect().contains(shown))
            << control->objectName().toStdString() << " lies outside the visible page";
    }
    auto* button = Find<QPushButton>(macros, 1066);
    EXPECT_EQ(button->toolTip().size(), 32767) << "the whole caption is its tooltip";
}
