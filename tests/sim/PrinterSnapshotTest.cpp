// What the simulated printer shows of itself: the snapshot, its lists and its observers.

#include "PrinterSnapshot.h"
#include "SimHarness.h"

#include <atomic>
#include <gtest/gtest.h>

namespace {
QString ValueOf(const QVector<CPrinterSnapshot::Row>& rows, const QString& name) {
    for (const auto& row : rows)
        if (row.first == name)
            return row.second;
    return QStringLiteral("<missing %1>").arg(name);
}
} // namespace

TEST(PrinterSnapshot, AttributeListNamesEveryAttributeInWords) {
    const auto factory = CPrinterSnapshot::AttributeRows(PrinterAttributes());
    EXPECT_EQ(factory.size(), 17);
    EXPECT_EQ(ValueOf(factory, "Bold"), "off");
    EXPECT_EQ(ValueOf(factory, "Character set"), "PC line draw");
    EXPECT_EQ(ValueOf(factory, "Line spacing"), "not set");
    EXPECT_EQ(ValueOf(factory, "Contrast"), "5");

    PrinterAttributes a;
    a.bold = a.doubleHeight = a.rightToLeft = true;
    a.pcLineDraw = false;
    a.font = 3;
    a.lineSpacing = 0;
    a.sleepTimer = "10000";
    const auto rows = CPrinterSnapshot::AttributeRows(a);
    EXPECT_EQ(ValueOf(rows, "Bold"), "on");
    EXPECT_EQ(ValueOf(rows, "Double height"), "on");
    EXPECT_EQ(ValueOf(rows, "Underline"), "off");
    EXPECT_EQ(ValueOf(rows, "Print direction"), "right to left");
    EXPECT_EQ(ValueOf(rows, "Character set"), "international");
    EXPECT_EQ(ValueOf(rows, "Font"), "3");
    EXPECT_EQ(ValueOf(rows, "Line spacing"), "0") << "zero is a value, not 'not set'";
    EXPECT_EQ(ValueOf(rows, "Sleep timer"), "10000");
}

TEST(PrinterSnapshot, TakesTheBurnedAndTheCurrentAttributesApart) {
    CPrinterModel printer{SimConfig{}};
    printer.SetBurnedStream("\x1BU1\x1Bk2");
    printer.Receive("\x1BUU", 0); // underline now, not burned
    const CPrinterSnapshot s = CPrinterSnapshot::Take(printer);
    EXPECT_TRUE(s.burned.bold);
    EXPECT_EQ(s.burned.font, 2);
    EXPECT_FALSE(s.burned.underline);
    EXPECT_TRUE(s.current.underline);
    EXPECT_FALSE(s.current.bold);
    EXPECT_EQ(s.burnedStream, QByteArray("\x1BU1\x1Bk2"));
}

TEST(PrinterSnapshot, RadioSettingsAsTheModuleHoldsThem) {
    SimConfig config;
    config.wlanUart = -1;
    CPrinterModel printer{config};
    printer.Bluetooth()->RestoreStored({{"AGLN", {"Till \"4\""}}, {"AGLC", {"1234"}}});
    const CPrinterSnapshot s = CPrinterSnapshot::Take(printer);
    EXPECT_TRUE(s.bluetooth.fitted);
    EXPECT_EQ(s.bluetooth.title, "Bluetooth module on UART1");
    // The text itself, not its answer's form ("Till \224\22" in quotes).
    EXPECT_EQ(ValueOf(s.bluetooth.stored, "AGLN"), "Till \"4\"");
    EXPECT_EQ(ValueOf(s.bluetooth.stored, "AGLC"), "1234");
    EXPECT_EQ(ValueOf(s.bluetooth.stored, "AILBA"), "0012F3004A21");
    EXPECT_EQ(s.bluetooth.stored.size(), 8);
    EXPECT_FALSE(s.wlan.fitted);
    EXPECT_EQ(s.wlan.title, "No WLAN module");
    EXPECT_TRUE(s.wlan.stored.isEmpty());

    const CPrinterSnapshot both = CPrinterSnapshot::Take(*std::make_unique<CPrinterModel>(SimConfig{}));
    EXPECT_EQ(ValueOf(both.wlan.stored, "ANIP"),
              "192.168.1.96,255.255.255.0,192.168.1.1");
    EXPECT_EQ(ValueOf(both.wlan.stored, "AGSSID"), "WLAN Printer");
    EXPECT_EQ(CPrinterSnapshot::RadioSettingLabel("AGLN"), "Local name");
    EXPECT_EQ(CPrinterSnapshot::RadioSettingLabel("ANIP"), "IP address, mask, gateway");
    EXPECT_EQ(CPrinterSnapshot::RadioSettingLabel("AT_UNKNOWN"), "AT_UNKNOWN");
}

TEST(PrinterSnapshot, SlotPictureIsDotForDot) {
    CPrinterModel::LogoSlot slot;
    EXPECT_TRUE(CPrinterSnapshot::SlotImage(slot).isNull());
    slot.bytesPerLine = 48;
    slot.rows = {QByteArray(48, '\0'), QByteArray(48, '\0')};
    slot.rows[1][47] = char(0x01);
    slot.rows[0][0] = char(0x40);
    EXPECT_TRUE(CPrinterSnapshot::SlotImage(slot).isNull()) << "not stored yet";
    slot.stored = true;
    const QImage image = CPrinterSnapshot::SlotImage(slot);
    ASSERT_EQ(image.size(), QSize(384, 2));
    int dark = 0;
    for (int y = 0; y < 2; ++y)
        for (int x = 0; x < 384; ++x)
            dark += qGray(image.pixel(x, y)) < 128;
    EXPECT_EQ(dark, 2);
    EXPECT_LT(qGray(image.pixel(1, 0)), 128);
    EXPECT_LT(qGray(image.pixel(383, 1)), 128);
}

TEST(PrinterSnapshot, ObserversHearOfArrivingBytesUntilRemoved) {
    CSimHarness h;
    ASSERT_TRUE(h.Started());
    std::atomic<int> calls{0};
    const int id = h.Sim().AddObserver([&] { ++calls; });
    ASSERT_TRUE(h.Link().SendBlock(QByteArray("HELLO\r\n")));
    h.Sim().Settle();
    EXPECT_GE(calls.load(), 1);
    h.Sim().WithPrinter([](CPrinterModel& p) { EXPECT_EQ(p.Paper().Text(), "HELLO"); });

    h.Sim().RemoveObserver(id);
    const int before = calls.load();
    ASSERT_TRUE(h.Link().SendBlock(QByteArray("AGAIN\r\n")));
    h.Sim().Settle();
    h.Sim().WithPrinter([](CPrinterModel& p) { EXPECT_EQ(p.Paper().Lines().size(), 2u); });
    EXPECT_EQ(calls.load(), before);
}
