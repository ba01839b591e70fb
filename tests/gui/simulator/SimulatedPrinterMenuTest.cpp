// View > Simulated Printer in the real frame: offered with --simulator only, a window of
// its own beside the frame that shows what the application's simulated printer printed.

#include "KVUApp.h"
#include "RecordingServices.h"
#include "Simulator.h"
#include "frame/CommandIds.h"
#include "frame/HelpWindow.h"
#include "frame/MainFrame.h"
#include "frame/ModuleRegistry.h"
#include "simulator/PaperWidget.h"
#include "simulator/SimPrinterWindow.h"
#include "simulator/SimulatorSession.h"

#include <QAction>
#include <QApplication>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QSettings>
#include <QTest>
#include <gtest/gtest.h>

namespace {
void ClearSettings() {
    auto settings = CAppCore::OpenUserSettings();
    settings->clear();
    settings->sync();
}

QStringList ViewMenuTexts(CMainFrame* frame) {
    for (QAction* top : frame->menuBar()->actions()) {
        if (top->text() != "&View")
            continue;
        QStringList texts;
        for (QAction* a : top->menu()->actions())
            texts << (a->isSeparator() ? QStringLiteral("-") : a->text());
        return texts;
    }
    return {};
}

class SimulatedPrinterMenuTest : public ::testing::Test {
protected:
    void Start(const QStringList& arguments) {
        app = std::make_unique<CKVUApp>(session.Starter());
        app->SetServices(&services);
        ASSERT_TRUE(app->InitInstance(arguments));
        frame = app->MainFrame();
    }
    void SetUp() override { ClearSettings(); }
    void TearDown() override {
        if (app)
            app->ExitInstance(0);
        app.reset();
        ClearSettings();
    }
    CSimPrinterWindow* Window() { return frame->findChild<CSimPrinterWindow*>(); }
    CSimPrinterWindow* ShowSimulatedPrinter() {
        return qobject_cast<CSimPrinterWindow*>(app->ShowSimulatedPrinter());
    }

    CRecordingServices services;
    CSimulatorSession session; // outlives the application, as in main()
    std::unique_ptr<CKVUApp> app;
    CMainFrame* frame = nullptr;
};
} // namespace

TEST_F(SimulatedPrinterMenuTest, NotOfferedWithoutTheSimulator) {
    Start({"kvu"});
    EXPECT_EQ(frame->Action(Cmd::ViewSimulatedPrinter), nullptr);
    EXPECT_FALSE(ViewMenuTexts(frame).contains("Simulated Printer"));
    EXPECT_TRUE(ViewMenuTexts(frame).contains("Provisioning Record"));
    EXPECT_EQ(app->ShowSimulatedPrinter(), nullptr);
}

TEST_F(SimulatedPrinterMenuTest, OfferedBelowTheModulesWithTheSimulator) {
    Start({"kvu", "--simulator"});
    QAction* action = frame->Action(Cmd::ViewSimulatedPrinter);
    ASSERT_NE(action, nullptr);
    EXPECT_EQ(action->objectName(), "id32831");
    EXPECT_TRUE(action->isEnabled());
    const QStringList texts = ViewMenuTexts(frame);
    const qsizetype at = texts.indexOf("Simulated Printer");
    ASSERT_GE(at, 0) << texts.join('|').toStdString();
    EXPECT_EQ(texts.value(at - 1), "-");
    // The view commands of no module share its group.
    EXPECT_EQ(texts.value(at + 1), "Provisioning Record");
    EXPECT_EQ(texts.value(at + 2), "-");
    for (const ModuleRow& row : ModuleRegistry()) {
        const qsizetype module = texts.indexOf(QString::fromLatin1(row.menuText));
        EXPECT_GE(module, 0) << row.menuText;
        EXPECT_LT(module, at) << row.menuText;
    }
    EXPECT_LT(at, texts.indexOf("Zoom"));
    EXPECT_EQ(Window(), nullptr) << "made when first asked for";
}

TEST_F(SimulatedPrinterMenuTest, OpensANonModalWindowThatClosesAndReopens) {
    Start({"kvu", "--simulator"});
    frame->Action(Cmd::ViewSimulatedPrinter)->trigger();
    CSimPrinterWindow* window = Window();
    ASSERT_NE(window, nullptr);
    EXPECT_TRUE(window->isVisible());
    EXPECT_TRUE(window->isWindow());
    EXPECT_FALSE(window->isModal());
    EXPECT_EQ(window->windowTitle(), "Simulated Printer");
    EXPECT_FALSE(services.IsBusy());

    window->close();
    EXPECT_FALSE(window->isVisible());
    frame->Action(Cmd::ViewSimulatedPrinter)->trigger();
    EXPECT_EQ(Window(), window) << "the same window, with what it showed";
    EXPECT_TRUE(window->isVisible());
    frame->Action(Cmd::ViewSimulatedPrinter)->trigger();
    EXPECT_TRUE(window->isVisible()) << "asking again brings it forward, it does not toggle";
    EXPECT_EQ(frame->findChildren<CSimPrinterWindow*>().size(), 1);
}

TEST_F(SimulatedPrinterMenuTest, ClosingTheMainWindowClosesIt) {
    Start({"kvu", "--simulator"});
    frame->show();
    CSimPrinterWindow* window = ShowSimulatedPrinter();
    ASSERT_TRUE(window && window->isVisible());
    EXPECT_TRUE(frame->close());
    EXPECT_FALSE(window->isVisible());
}

TEST_F(SimulatedPrinterMenuTest, ShowsWhatTheApplicationsPrinterPrinted) {
    Start({"kvu", "--simulator"});
    CSimPrinterWindow* window = ShowSimulatedPrinter();
    ASSERT_NE(window, nullptr);
    // The application's printer runs on the real clock: the text arrives within moments.
    CSerialPort& link = app->Serial();
    ASSERT_TRUE(link.SendBlock(QByteArray("HELLO FROM KVU\r\n")));
    EXPECT_TRUE(
        QTest::qWaitFor([&] { return window->Snapshot().paper.Text() == "HELLO FROM KVU"; }, 5000));
    EXPECT_EQ(window->Snapshot().paper.Text(), "HELLO FROM KVU");
    auto* paper = window->findChild<CPaperWidget*>("paper");
    ASSERT_NE(paper, nullptr);
    EXPECT_EQ(paper->width(), 576);
    EXPECT_EQ(paper->height(), 2 * CPaper::kMargin + CPaper::kCellHeight);
}

TEST_F(SimulatedPrinterMenuTest, ThePrintersPaperHasTheConfiguredLogoWidth) {
    {
        auto settings = CAppCore::OpenUserSettings();
        settings->setValue("Logo Size/WIDTH", 2);
        settings->sync();
    }
    Start({"kvu", "--simulator"});
    CSimPrinterWindow* window = ShowSimulatedPrinter();
    ASSERT_NE(window, nullptr);
    EXPECT_EQ(window->Snapshot().paperDots, 384);
    EXPECT_EQ(
        session.Simulator()->WithPrinter([](CPrinterModel& p) { return p.Config().paperDots; }),
        384);
}

TEST_F(SimulatedPrinterMenuTest, DestroyingTheFrameWhileTheWindowHasTheFocusIsSafe) {
    // The window going hands the focus back while the frame is half torn down; before the
    // frame let go of its focus handler first, this crashed the program.
    Start({"kvu", "--simulator"});
    frame->show();
    CSimPrinterWindow* window = ShowSimulatedPrinter();
    ASSERT_NE(window, nullptr);
    QApplication::setActiveWindow(window);
    window->findChild<QWidget*>("clearPaper")->setFocus();
    EXPECT_TRUE(QTest::qWaitFor([&] { return QApplication::focusWidget() != nullptr; }, 1000));
    app->ExitInstance(0);
    app.reset();
}

// The --simulator session at start-up and in the status bar, and the window's help.
TEST(SimulatorSession, SimulatorRunLeavesTheStoredPortAndRate) {
    {
        auto settings = CAppCore::OpenUserSettings();
        settings->clear();
        settings->setValue("Communication/COMPORT", "COM5");
        settings->setValue("Communication/BAUDRATE", "9600");
        settings->sync();
    }
    {
        CRecordingServices services;
        CSimulatorSession session;
        CKVUApp app(session.Starter());
        app.SetServices(&services);
        ASSERT_TRUE(app.InitInstance({"kvu", "--simulator"}));
        EXPECT_EQ(app.Serial().GetPortName(), "COM1");
        EXPECT_EQ(app.Serial().m_nBaudRate, 9600)
            << "the simulated printer runs at the user's rate";
        app.Logo().m_raster.m_nHeight = 120;
        EXPECT_EQ(app.ExitInstance(0), 0);
    }
    auto settings = CAppCore::OpenUserSettings();
    EXPECT_EQ(settings->value("Communication/COMPORT").toString(), "COM5");
    EXPECT_EQ(settings->value("Communication/BAUDRATE").toString(), "9600");
    EXPECT_EQ(settings->value("Logo Size/HEIGHT").toInt(), 120) << "the rest is saved as usual";
    EXPECT_FALSE(settings->contains("Ports/COM1")) << "the simulator's device is not stored";
    settings->clear();
}

TEST(SimulatorSession, LinkPaneWithTheSimulator) {
    ClearSettings();
    CRecordingServices services;
    CSimulatorSession session;
    CKVUApp app(session.Starter());
    app.SetServices(&services);
    ASSERT_TRUE(app.InitInstance({"kvu", "--simulator"}));
    const QString device = app.Core().m_ports.SessionDevice("COM1");
    ASSERT_FALSE(device.isEmpty());
    auto* pane = app.MainFrame()->findChild<QLabel*>("linkPane");
    ASSERT_TRUE(pane);
    EXPECT_EQ(pane->text(), "COM1  " + device + "  38400");
    app.ExitInstance(0);
    ClearSettings();
}

TEST(SimulatedPrinterHelp, F1InTheSimulatedPrinterWindowOpensItsTopic) {
    qputenv("KVU_HELP_DIR", KVU_HELP_SOURCE_DIR);
    CRecordingServices services;
    CSimulator simulator{SimConfig()};
    ASSERT_TRUE(simulator.Start());
    CSimPrinterWindow window(simulator, services);
    window.show();
    QApplication::setActiveWindow(&window);
    QTest::keyClick(&window, Qt::Key_F1);
    auto* help = window.findChild<CHelpWindow*>();
    ASSERT_TRUE(help);
    EXPECT_TRUE(help->isVisible());
    EXPECT_EQ(help->CurrentTopic(), "simulated-printer");
    qunsetenv("KVU_HELP_DIR");
}
