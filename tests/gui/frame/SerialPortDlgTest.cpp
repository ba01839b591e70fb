// The Serial Port dialog as drawn: the DIP-switch columns under their heading, and the
// device shown for the selected port name.

#include "frame/SerialPortDlg.h"
#include "RecordingServices.h"
#include "Simulator.h"
#include "app/PortMap.h"

#include <QApplication>
#include <QComboBox>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>
#include <QTreeWidget>
#include <gtest/gtest.h>

namespace {
const int kBaudIds[8] = {1001, 1003, 1005, 1008, 1010, 1013, 1016, 1019};

struct InkRun {
    int left;
    int right;
    int Centre() const { return (left + right) / 2; }
};

// The runs of dark columns of `image` inside `area` (gaps of one blank column split runs).
QVector<InkRun> InkRuns(const QImage& image, const QRect& area) {
    QVector<InkRun> runs;
    for (int x = qMax(0, area.left()); x <= area.right() && x < image.width(); ++x) {
        bool ink = false;
        for (int y = qMax(0, area.top()); y <= area.bottom() && y < image.height() && !ink; ++y)
            ink = qGray(image.pixel(x, y)) < 110;
        if (!ink)
            continue;
        if (!runs.isEmpty() && runs.last().right == x - 1)
            runs.last().right = x;
        else
            runs.push_back({x, x});
    }
    return runs;
}

QRect InDialog(QWidget* dialog, QWidget* w) {
    return QRect(w->mapTo(dialog, QPoint(0, 0)), w->size());
}
} // namespace

TEST(SerialPortDlg, SwitchColumnsLineUpUnderTheirHeading) {
    CPortMap ports;
    CSerialPortDlg dlg(ports);
    dlg.m_nBaudIndex = 0;
    dlg.m_nPortIndex = 0;
    dlg.ShowFields();
    dlg.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&dlg));
    if (QWidget* focus = QApplication::focusWidget())
        focus->clearFocus();
    QApplication::processEvents();
    const QImage image = dlg.grab().toImage();

    QLabel* heading = nullptr;
    for (QLabel* label : dlg.findChildren<QLabel*>()) {
        if (label->text() == QLatin1String("      (s3 s4 s5)"))
            heading = label;
    }
    ASSERT_TRUE(heading) << "the heading keeps its text";
    QRect headingText = InDialog(&dlg, heading);
    headingText.setHeight(qMin(headingText.height(), heading->fontMetrics().height()));
    const QVector<InkRun> head = InkRuns(image, headingText);
    ASSERT_GE(head.size(), 3);
    const int headLeft = head.first().left;  // "("
    const int headRight = head.last().right; // ")"

    QVector<int> centres[3];
    for (int i = 0; i < 8; ++i) {
        auto* radio = dlg.findChild<QRadioButton*>(QStringLiteral("id%1").arg(kBaudIds[i]));
        ASSERT_TRUE(radio);
        SCOPED_TRACE(radio->text().toStdString());
        const QVector<InkRun> runs = InkRuns(image, InDialog(&dlg, radio));
        // ... rate, "(", three switch digits, ")".
        ASSERT_GE(runs.size(), 6);
        const InkRun close = runs[runs.size() - 1];
        const InkRun open = runs[runs.size() - 5];
        EXPECT_NEAR(close.right, headRight, 1) << "\")\" under the heading's \")\"";
        EXPECT_NEAR(open.left, headLeft, 1) << "\"(\" under the heading's \"(\"";
        for (int k = 0; k < 3; ++k)
            centres[k] << runs[runs.size() - 4 + k].Centre();
    }
    for (int k = 0; k < 3; ++k) {
        const auto [lo, hi] = std::minmax_element(centres[k].begin(), centres[k].end());
        EXPECT_LE(*hi - *lo, 2) << "switch s" << k + 3 << " is one column in all eight rows";
    }
    EXPECT_NEAR(centres[1].first(), (headLeft + headRight) / 2, 3) << "s4 in the middle";
    EXPECT_LT(centres[0].first(), centres[1].first());
    EXPECT_LT(centres[1].first(), centres[2].first());
}

TEST(SerialPortDlg, DeviceFieldShowsTheDeviceInUse) {
    CPortMap ports;
    ports.SetSessionDevice("COM1", "/dev/pts/77"); // as kvu --simulator maps it
    ports.SetStoredDevice("COM2", "/dev/ttyUSB0");
    CSerialPortDlg dlg(ports);
    dlg.m_nBaudIndex = 5;
    dlg.m_nPortIndex = 0;
    dlg.ShowFields();
    auto* device = dlg.findChild<QComboBox*>("device");
    auto* list = dlg.findChild<QTreeWidget*>("id1025");
    ASSERT_TRUE(device && list);
    EXPECT_EQ(device->currentText(), "/dev/pts/77");
    list->setCurrentItem(list->topLevelItem(1));
    EXPECT_EQ(device->currentText(), "/dev/ttyUSB0");
    list->setCurrentItem(list->topLevelItem(2));
    EXPECT_EQ(device->currentText(), ports.Device("COM3"));
    EXPECT_FALSE(device->currentText().isEmpty());
    list->setCurrentItem(list->topLevelItem(0));
    EXPECT_EQ(device->currentText(), "/dev/pts/77");

    // Showing a device is not choosing one: OK keeps the stored table as it was.
    dlg.accept();
    EXPECT_EQ(dlg.EditedDevices().value("COM1"), "");
    EXPECT_EQ(dlg.EditedDevices().value("COM2"), "/dev/ttyUSB0");
    EXPECT_EQ(dlg.EditedDevices().value("COM3"), "");
}

namespace {
// The dialog on COM2, whose device is a simulated printer at `rate`.
struct DetectRun {
    explicit DetectRun(const SimConfig& config, int startIndex = 5)
        : services(&clock), sim(config, &clock) {
        started = sim.Start();
        sim.AttachTo(clock);
        ports.SetSessionDevice("COM2", sim.DevicePath());
        dlg = std::make_unique<CSerialPortDlg>(ports);
        dlg->SetServices(&services);
        dlg->m_nBaudIndex = startIndex;
        dlg->m_nPortIndex = 1;
        dlg->ShowFields();
    }
    ~DetectRun() { sim.Stop(); }
    QString Status() const { return dlg->findChild<QLabel*>("detectStatus")->text(); }
    void Click() { QTest::mouseClick(dlg->findChild<QPushButton*>("detect"), Qt::LeftButton); }

    CVirtualClock clock;
    CRecordingServices services;
    CSimulator sim;
    CPortMap ports;
    std::unique_ptr<CSerialPortDlg> dlg;
    bool started = false;
};
} // namespace

TEST(SerialPortDlg, DetectChecksTheRateThePrinterAnswersAtAndKeepsTheOtherControls) {
    SimConfig config;
    config.baudRate = 9600;
    DetectRun run(config);
    ASSERT_TRUE(run.started);
    run.dlg->show();
    run.Click();
    EXPECT_TRUE(run.dlg->findChild<QRadioButton*>("id1005")->isChecked()) << "9600 is checked";
    EXPECT_EQ(run.Status(), "Found the printer on COM2 at 9600 bit/s.");
    // The wait cursor was held for the search and given back.
    int begins = 0;
    for (const auto& e : run.services.Events())
        begins += e.kind == CRecordingServices::Event::BeginWait;
    EXPECT_EQ(begins, 1);
    EXPECT_EQ(run.services.WaitDepth(), 0);
    // The rate was chosen in the dialog only; OK takes it with the port as before.
    QTest::mouseClick(run.dlg->findChild<QPushButton*>("id1"), Qt::LeftButton);
    EXPECT_EQ(run.dlg->m_nBaudIndex, 2);
    EXPECT_EQ(run.dlg->m_nPortIndex, 1);
    EXPECT_EQ(run.dlg->result(), QDialog::Accepted);
}

TEST(SerialPortDlg, DetectOnASilentPortLeavesTheRateAsItWas) {
    SimConfig config;
    config.faults.silent = true;
    DetectRun run(config, 6);
    ASSERT_TRUE(run.started);
    run.Click();
    EXPECT_EQ(run.Status(), "No printer answered on COM2 at any of the eight rates.");
    EXPECT_TRUE(run.dlg->findChild<QRadioButton*>("id1016")->isChecked()) << "57600 stays";
    EXPECT_TRUE(run.dlg->findChild<QPushButton*>("detect")->isEnabled());
}

TEST(SerialPortDlg, DetectSaysWhyAPortCannotBeOpened) {
    SimConfig config;
    DetectRun run(config);
    run.ports.SetSessionDevice("COM2", "/dev/nonexistent-kvu-port");
    run.dlg = std::make_unique<CSerialPortDlg>(run.ports);
    run.dlg->SetServices(&run.services);
    run.dlg->m_nBaudIndex = 5;
    run.dlg->m_nPortIndex = 1;
    run.dlg->ShowFields();
    run.Click();
    EXPECT_EQ(run.Status(), "/dev/nonexistent-kvu-port: the device does not exist (unplugged, or "
                            "a wrong device path)");
    EXPECT_EQ(run.services.LinkProblems().size(), 1) << "the frame's status bar is told too";
}

TEST(SerialPortDlg, AnAdapterPluggedInOrPulledWhileTheDialogIsOpenShowsAtOnce) {
    CPortMap ports;
    CSerialPortDlg dlg(ports);
    dlg.m_nPortIndex = 1;
    dlg.ShowFields();
    QList<CPortInfo> present;
    dlg.SetPortLister([&] { return present; });
    auto* device = dlg.findChild<QComboBox*>("device");
    auto* note = dlg.findChild<QLabel*>("foundNote");
    ASSERT_TRUE(device && note);
    device->setEditText("/dev/ttyS4"); // typed by the user: a refresh must keep it
    CPortInfo adapter;
    adapter.device = "/dev/ttyUSB0";
    adapter.stableName = "/dev/serial/by-id/usb-FTDI_FT232R_USB_UART_A50285BI-if00-port0";
    adapter.description = "FT232R USB UART";
    struct Step {
        QList<CPortInfo> present;
        QString note;
        int offered;
    };
    const Step steps[] = {
        {{adapter}, "Plugged in: /dev/ttyUSB0.", 2}, // the device and its stable name
        {{adapter}, "Plugged in: /dev/ttyUSB0.", 2}, // no change: the note stays
        {{}, "Pulled out: /dev/ttyUSB0.", 0},
    };
    for (const Step& step : steps) {
        present = step.present;
        dlg.RefreshFoundDevices();
        EXPECT_EQ(note->text(), step.note);
        EXPECT_EQ(device->count(), step.offered);
        EXPECT_EQ(device->currentText(), "/dev/ttyS4");
    }
    present = {adapter};
    dlg.RefreshFoundDevices();
    EXPECT_EQ(device->itemData(1).toString(), adapter.stableName);
    EXPECT_EQ(device->itemText(0), "/dev/ttyUSB0  (FT232R USB UART)");
}
