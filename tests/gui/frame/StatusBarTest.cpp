// The status bar: the link pane (port, device, rate) and the progress indication of a burn.

#include "KVUApp.h"
#include "RecordingServices.h"
#include "Simulator.h"
#include "app/AppCore.h"
#include "frame/KVUView.h"
#include "frame/MainFrame.h"
#include "frame/SerialPortDlg.h"
#include "logo/LogoRaster.h"
#include "logo/LogoTransfer.h"
#include "module1/Mod1Page1.h"

#include <QApplication>
#include <QComboBox>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QSettings>
#include <QStatusBar>
#include <QStatusTipEvent>
#include <QToolBar>
#include <QTreeWidget>
#include <gtest/gtest.h>

namespace {
QLabel* LinkPane(CMainFrame* frame) {
    return frame->statusBar()->findChild<QLabel*>("linkPane");
}

// Stands in for the desktop services as a recorder, and, like them, drives the frame's
// progress indicator; notes what the indicator shows whenever a message box comes up.
class CProgressWatcher : public CRecordingServices {
public:
    using CRecordingServices::CRecordingServices;
    CMainFrame* frame = nullptr;
    struct Seen {
        QString text;
        bool visible;
        int value;
        int maximum;
    };
    QVector<Seen> seen;

    void Progress(int done, int total) override {
        CRecordingServices::Progress(done, total);
        if (frame)
            frame->SetProgress(done, total);
    }
    MsgAnswer Message(const QString& text, const QString& caption, MsgIcon icon, MsgButtons buttons,
                      MsgAnswer defaultAnswer) override {
        if (QProgressBar* bar = frame ? frame->findChild<QProgressBar*>() : nullptr)
            seen.push_back({text, bar->isVisible(), bar->value(), bar->maximum()});
        return CRecordingServices::Message(text, caption, icon, buttons, defaultAnswer);
    }
};

void WriteSettings(const QString& port, const QString& rate, const QString& device) {
    auto settings = CAppCore::OpenUserSettings();
    settings->clear();
    settings->setValue("Communication/COMPORT", port);
    settings->setValue("Communication/BAUDRATE", rate);
    settings->setValue("Ports/" + port, device);
    settings->sync();
}

void ClearSettings() {
    auto settings = CAppCore::OpenUserSettings();
    settings->clear();
    settings->sync();
}
} // namespace

TEST(StatusBar, LinkPaneAtStartUpShowsTheStoredPortDeviceAndRate) {
    WriteSettings("COM4", "19200", "/dev/ttyUSB9");
    {
        CRecordingServices services;
        CKVUApp app;
        app.SetServices(&services);
        ASSERT_TRUE(app.InitInstance({"kvu"}));
        QLabel* pane = LinkPane(app.MainFrame());
        ASSERT_TRUE(pane) << "a pane of its own in the status bar";
        EXPECT_TRUE(pane->isVisible());
        EXPECT_EQ(pane->text(), "COM4  /dev/ttyUSB9  19200");
        // A permanent pane: a status text does not cover it.
        app.MainFrame()->SetMessageText("Sent ESC-EN.");
        EXPECT_EQ(pane->text(), "COM4  /dev/ttyUSB9  19200");
        EXPECT_TRUE(pane->isVisible());
    }
    ClearSettings();
}

TEST(StatusBar, LinkPaneFollowsTheSerialPortDialog) {
    ClearSettings();
    CRecordingServices services;
    CKVUApp app;
    app.SetServices(&services);
    ASSERT_TRUE(app.InitInstance({"kvu"}));
    CMainFrame* frame = app.MainFrame();
    QLabel* pane = LinkPane(frame);
    ASSERT_TRUE(pane);
    EXPECT_EQ(pane->text(), "COM1  " + app.Serial().DeviceName() + "  38400");

    services.SetDialogScript([](QObject& object) {
        auto& dialog = static_cast<QDialog&>(object);
        dialog.findChild<QRadioButton*>("id1001")->setChecked(true);
        auto* list = dialog.findChild<QTreeWidget*>("id1025");
        list->setCurrentItem(list->topLevelItem(19));
        dialog.findChild<QComboBox*>("device")->setEditText("/dev/ttyUSB3");
        dialog.accept();
        return int(QDialog::Accepted);
    });
    frame->OnConfigureSerialPort();
    EXPECT_EQ(pane->text(), "COM20  /dev/ttyUSB3  1200");

    // Cancel changes nothing, the pane neither.
    services.SetDialogScript([](QObject& object) {
        auto& dialog = static_cast<QDialog&>(object);
        dialog.findChild<QRadioButton*>("id1019")->setChecked(true);
        return int(QDialog::Rejected);
    });
    frame->OnConfigureSerialPort();
    EXPECT_EQ(pane->text(), "COM20  /dev/ttyUSB3  1200");

    // The link's own message keeps its text; the pane says which port it is about.
    app.Core().m_ports.SetStoredDevice("COM20", "/nonexistent/kvu-test-device");
    services.SetDialogScript([](QObject& object) {
        auto& dialog = static_cast<QDialog&>(object);
        dialog.accept();
        return int(QDialog::Accepted);
    });
    frame->OnConfigureSerialPort();
    frame->ModuleView()->FindPage<CMod1Page1>()->findChild<QPushButton*>("id1050")->click();
    ASSERT_FALSE(services.MessageTexts().isEmpty());
    EXPECT_EQ(services.MessageTexts().last(), "Serial transmission error.");
    EXPECT_EQ(pane->text(), "COM20  /nonexistent/kvu-test-device  1200");
    app.Document().SetModifiedFlag(false);
    app.ExitInstance(0);
    ClearSettings();
}

TEST(StatusBar, BurnProgressIsFullWhenTheVerdictComes) {
    CVirtualClock clock;
    CSimulator sim(SimConfig{}, &clock);
    ASSERT_TRUE(sim.Start());
    sim.AttachTo(clock);
    CProgressWatcher services(&clock);
    {
        CKVUApp app;
        app.SetServices(&services);
        ASSERT_TRUE(app.InitInstance({"kvu"}));
        services.frame = app.MainFrame();
        app.Core().m_ports.SetSessionDevice("COM1", sim.DevicePath());
        app.Serial().SetPortName("COM1");
        app.Serial().SetBaudRateText("38400");
        CMod1Page1* page = app.MainFrame()->ModuleView()->FindPage<CMod1Page1>();
        page->findChild<QPushButton*>("id1009")->click(); // Burn
        ASSERT_EQ(services.seen.size(), 1);
        const auto& verdict = services.seen.first();
        EXPECT_EQ(verdict.text, "Success: Received D!X.\nShut off printer.");
        EXPECT_TRUE(verdict.visible);
        EXPECT_GT(verdict.maximum, 0);
        EXPECT_EQ(verdict.value, verdict.maximum) << "the exchange is over: the bar is full";
        EXPECT_FALSE(app.MainFrame()->findChild<QProgressBar*>()->isVisible())
            << "and gone once the burn has ended";
        services.frame = nullptr;
        app.Document().SetModifiedFlag(false);
    }
    sim.Stop();
}

namespace {
// Puts the step texts into the frame's pane as the desktop services do, and at every
// pause of the exchange passes the mouse over a toolbar button (its prompt arrives as a
// status tip); notes what the status bar shows right after.
class CHoveringServices : public CRecordingServices {
public:
    using CRecordingServices::CRecordingServices;
    CMainFrame* frame = nullptr;
    QWidget* button = nullptr;
    QString tip;
    struct Seen {
        QString pane;
        bool paneVisible;
        QString temporary;
    };
    QVector<Seen> seen;

    void Status(const QString& text) override {
        CRecordingServices::Status(text);
        frame->SetMessageText(text);
    }
    void Pause(int ms) override {
        Hover();
        CRecordingServices::Pause(ms);
    }
    void Hover() {
        QStatusTipEvent event(tip);
        QApplication::sendEvent(button, &event);
        QLabel* pane = frame->findChild<QLabel*>("messagePane");
        seen.push_back({pane->text(), pane->isVisible(), frame->statusBar()->currentMessage()});
    }
};
} // namespace

TEST(StatusBar, StepTextsOfAFlashWinOverAToolbarPrompt) {
    ClearSettings();
    CVirtualClock clock;
    CSimulator sim(SimConfig{}, &clock);
    ASSERT_TRUE(sim.Start());
    sim.AttachTo(clock);
    CHoveringServices services(&clock);
    {
        CKVUApp app;
        app.SetServices(&services);
        ASSERT_TRUE(app.InitInstance({"kvu"}));
        CMainFrame* frame = app.MainFrame();
        services.frame = frame;
        app.Core().m_ports.SetSessionDevice("COM1", sim.DevicePath());
        app.Serial().SetPortName("COM1");
        app.Serial().SetBaudRateText("38400");
        auto* bar = frame->findChild<QToolBar*>();
        ASSERT_TRUE(bar);
        for (QAction* a : bar->actions()) {
            if (!a->isSeparator() && !a->statusTip().isEmpty() && bar->widgetForAction(a)) {
                services.button = bar->widgetForAction(a);
                services.tip = a->statusTip();
                break;
            }
        }
        ASSERT_TRUE(services.button);

        // Outside an exchange the prompt shows as usual (and so could hide the pane).
        services.Hover();
        ASSERT_EQ(services.seen.size(), 1);
        EXPECT_EQ(services.seen[0].temporary, services.tip);
        services.seen.clear();

        CLogoRaster raster;
        raster.m_nHeight = 3;
        CLogoTransfer(app.Serial(), services).FlashLogo(raster, 3);
        EXPECT_EQ(services.MessageTexts(), QStringList{"Done.\nShut off printer."});
        ASSERT_EQ(services.seen.size(), 6) << "after the slot, three lines, the epilogue";
        for (const auto& s : services.seen) {
            EXPECT_EQ(s.temporary, "") << "the prompt hid \"" << s.pane.toStdString() << "\"";
            EXPECT_TRUE(s.paneVisible);
        }
        EXPECT_EQ(services.seen[0].pane, "Received a '?' character.");
        EXPECT_EQ(services.seen[1].pane, "Received a '?' character. Sending image data.");
        EXPECT_EQ(frame->findChild<QLabel*>("messagePane")->text(), "Ready");
        services.frame = nullptr;
        app.Document().SetModifiedFlag(false);
    }
    sim.Stop();
}
