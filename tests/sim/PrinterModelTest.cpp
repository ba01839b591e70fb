// The printer's command parser, fed directly with a hand-driven clock.

#include "PrinterModel.h"

#include <QRandomGenerator>
#include <gtest/gtest.h>

namespace {
QByteArray B(const char* s, int n) {
    return QByteArray(s, n);
}
} // namespace

TEST(PrinterModel, AttributeCommandsChangeTheCurrentAttributes) {
    CPrinterModel p(SimConfig{});
    p.Receive(QByteArray("\x1BUU\x1BU1\x1BUR\x0E\x1C\x1BP-\x1B"
                         "FR\x1B"
                         "F1\x1Bk7\x1BP3\x1B"
                         "a\x18"
                         "\x1BTF\x2C\x01\x1BTV\x05\x1BTH\x08\x1BQQ\x40\x1BM0130000\r\x1B"
                         "EO"),
              0);
    const PrinterAttributes& a = p.Attributes();
    EXPECT_TRUE(a.underline && a.bold && a.reverse && a.doubleWidth && a.doubleHeight);
    EXPECT_TRUE(a.sendEot && a.rightToLeft && a.linePrintMode);
    EXPECT_FALSE(a.pcLineDraw);
    EXPECT_EQ(a.font, 7);
    EXPECT_EQ(a.contrast, 3);
    EXPECT_EQ(a.lineSpacing, 24);
    EXPECT_EQ(a.formFeed, 300);
    EXPECT_EQ(a.verticalTab, 5);
    EXPECT_EQ(a.horizontalTab, 8);
    EXPECT_EQ(a.sensorSensitivity, 64);
    EXPECT_EQ(a.sleepTimer, "0130000");
    p.Receive(QByteArray("\x1BUu\x1BU0\x1BUn\x0F\x1D\x1BP+\x1B"
                         "FL\x1B"
                         "F2"),
              0);
    EXPECT_FALSE(a.underline || a.bold || a.reverse || a.doubleWidth || a.doubleHeight);
    EXPECT_FALSE(a.sendEot || a.rightToLeft);
    EXPECT_TRUE(a.pcLineDraw);
}

TEST(PrinterModel, CommandsSplitAcrossReceivesAreJoined) {
    CPrinterModel p(SimConfig{});
    const QByteArray stream("\x1BTF\x00\x01", 5);
    for (char c : stream)
        p.Receive(QByteArray(1, c), 0);
    EXPECT_EQ(p.Attributes().formFeed, 256);
}

TEST(PrinterModel, TextIsPrintedLineByLine) {
    CPrinterModel p(SimConfig{});
    p.Receive("HELLO\r\nWORLD\r\n\r\nX\n", 0);
    EXPECT_EQ(p.Paper().Text(), "HELLO\nWORLD\n\nX");
}

TEST(PrinterModel, ProgrammingHandshakeAndBurn) {
    SimConfig config;
    config.faults.questionDelayMs = 300;
    config.faults.dxDelayMs = 400;
    CPrinterModel p(config);
    p.Receive("\x1B"
              "EN",
              0);
    p.Receive("\x1BXX", 2000);
    p.Receive("\x1B"
              "DS",
              4000);
    EXPECT_EQ(p.TakeDue(4299), QByteArray());
    EXPECT_EQ(p.NextEventMs(), 4300);
    EXPECT_EQ(p.TakeDue(4300), "?");
    p.Receive("\x1BSL", 8000);
    p.Receive(B("\x1BU1\x1Bk2\x1B"
                "a\x18\x1BM10000\r",
                17),
              10000);
    p.Receive(B("\x1BST\xFF\r", 5), 12000);
    p.Receive("\x1BSB\r", 14000);
    EXPECT_EQ(p.TakeDue(14400), "OK D!X\r\n");
    EXPECT_EQ(p.BurnedStream(), B("\x1BU1\x1Bk2\x1B"
                                  "a\x18\x1BM10000\r",
                                  17));
    EXPECT_TRUE(p.PowerUpAttributes().bold);
    EXPECT_EQ(p.PowerUpAttributes().font, 2);
    EXPECT_EQ(p.PowerUpAttributes().lineSpacing, 24);
    EXPECT_FALSE(p.Attributes().bold) << "the stream is stored, not applied, until power-up";
    p.PowerCycle(20000);
    EXPECT_TRUE(p.Attributes().bold);
}

TEST(PrinterModel, NoQuestionWithoutTheArmingCommand) {
    CPrinterModel p(SimConfig{});
    p.Receive("\x1B"
              "DS",
              0);
    p.Receive("\x1B"
              "DL\r",
              0);
    EXPECT_EQ(p.NextEventMs(), -1);
}

TEST(PrinterModel, BurnWithoutAStreamIsNotConfirmed) {
    CPrinterModel p(SimConfig{});
    p.Receive("\x1BSB\r", 0);
    EXPECT_EQ(p.TakeDue(100000), QByteArray());
}

TEST(PrinterModel, SupervisoryReplies) {
    CPrinterModel p(SimConfig{});
    p.Receive("\x16", 7200000); // two hours after power-up
    const QByteArray battery = p.TakeDue(7200020);
    EXPECT_TRUE(battery.startsWith("\x1BV")) << battery.constData();
    EXPECT_TRUE(battery.contains("\r\n\x1BM1C20\r\n")) << "7200 s in hexadecimal";
    EXPECT_TRUE(battery.contains("\x1BT"));
    EXPECT_TRUE(battery.endsWith("\r\n"));
    p.Receive("ABC", 0);
    p.Receive("\x02", 7300000);
    EXPECT_EQ(p.TakeDue(7300020), "\x1B"
                                  "B3\r\n");
    p.Receive("\x1BP(", 0);
    EXPECT_TRUE(p.TakeDue(100).startsWith("TARVO3 FW"));
    p.Receive("\x1BP)", 0);
    EXPECT_EQ(p.TakeDue(100), "TARVO3-576-BT-WLAN\r\n");
    p.Receive("\x1B"
              "C",
              0);
    EXPECT_EQ(p.TakeDue(100000), QByteArray());
}

// An escape sequence the printer does not know is skipped, and the command right after it
// is answered.
TEST(PrinterModel, UnknownEscapeSequencesAreSkipped) {
    const struct {
        const char* name;
        QByteArray before;
    } rows[] = {
        {"ESC @", QByteArray("\x1B@")},
        {"ESC z", QByteArray("\x1Bz")},
        {"ESC NUL", QByteArray("\x1B\0", 2)},
        {"ESC ESC @", QByteArray("\x1B\x1B@")},
        {"a known kind with an unknown second byte", QByteArray("\x1BTZ")},
    };
    for (const auto& r : rows) {
        CPrinterModel p(SimConfig{});
        p.Receive(r.before + "\x16", 1000);
        EXPECT_TRUE(p.TakeDue(2000).startsWith("\x1BV")) << r.name;
        p.Receive("\x16", 3000);
        EXPECT_TRUE(p.TakeDue(4000).startsWith("\x1BV")) << r.name;
        p.Receive(r.before + "\x1BP)", 5000);
        EXPECT_EQ(p.TakeDue(6000), "TARVO3-576-BT-WLAN\r\n") << r.name;
    }
}

TEST(PrinterModel, LogoDownloadStoresAndPrintsASlot) {
    SimConfig config;
    config.paperDots = 384;
    CPrinterModel p(config);
    p.Receive("\x1BXX\x1B"
              "DL\r",
              0);
    EXPECT_EQ(p.TakeDue(1000), "?");
    p.Receive("\x1BLG3\r", 1000);
    QByteArray rows;
    for (int y = 0; y < 5; ++y) {
        QByteArray row(48, char(y * 17));
        rows += row;
        p.Receive(QByteArray("\x1BV\x01\x00", 4) + row, 1000);
    }
    EXPECT_TRUE(p.Paper().BitmapRows().isEmpty()) << "a download is stored, not printed";
    p.Receive(B("\x1BLG\xFF\r", 5), 5000);
    ASSERT_TRUE(p.Slot(3).stored);
    EXPECT_EQ(p.Slot(3).rows.size(), 5);
    p.Receive("\x1BLg3", 9000);
    EXPECT_EQ(p.Paper().BitmapRows(), rows);
    // Line blocks outside a download are printed at once (test print).
    p.Receive(QByteArray("\x1BV\x01\x00", 4) + QByteArray(48, '\xFF'), 9000);
    EXPECT_EQ(p.Paper().BitmapRows().right(48), QByteArray(48, '\xFF'));
}

TEST(PrinterModel, GarbageNeverStopsTheParserAndMemoryStaysBounded) {
    CPrinterModel p(SimConfig{});
    QRandomGenerator rng(42);
    for (int i = 0; i < 2000; ++i) {
        QByteArray chunk(1024, '\0');
        for (auto& c : chunk)
            c = char(rng.bounded(256));
        p.Receive(chunk, i);
        p.TakeDue(i + 1000000);
    }
    EXPECT_LE(p.Paper().Lines().size(), size_t(CPaper::kMaxLines));
    // Stray bytes may leave a command half-received; a line end and the ESC EN that
    // starts every sequence bring the printer back.
    p.Receive("\r\n\x1B"
              "EN\x1B"
              "EN",
              3000000);
    p.TakeDue(4000000);
    p.Receive("\x1BP)", 5000000);
    EXPECT_EQ(p.TakeDue(5000100), "TARVO3-576-BT-WLAN\r\n");
}

TEST(PrinterModel, PassThroughRelaysToTheNamedUartUntilTheMarker) {
    CPrinterModel p(SimConfig{});
    p.Receive("\x1BPU0U1T005\r", 0);
    EXPECT_TRUE(p.InPassThrough());
    p.Receive("hello", 10); // data mode: goes out over the air
    EXPECT_EQ(p.TakeDue(100), QByteArray());
    p.Receive("###", 2000);
    EXPECT_FALSE(p.InPassThrough());
    p.Receive("\x1BPU0U2T002\r", 3000);
    EXPECT_TRUE(p.InPassThrough());
    p.Tick(5000);
    EXPECT_TRUE(p.InPassThrough());
    p.Tick(5001);
    EXPECT_FALSE(p.InPassThrough()) << "two seconds without traffic end the mode";
    p.Receive("\x1BPU0U3T005\r", 6000);
    EXPECT_FALSE(p.InPassThrough()) << "no module on UART3";
}

TEST(PrinterModel, ACommandCutShortIsDroppedAfterAQuietSpell) {
    CPrinterModel p(SimConfig{});
    p.Receive(QByteArray("\x1BV\x01\x00", 4) + QByteArray(30, '\x55'), 0);
    p.Receive("\x1BP)", 500); // still taken as the rest of the line block
    EXPECT_EQ(p.TakeDue(1000), QByteArray());
    p.Receive("\x1BP)", 2000);
    EXPECT_EQ(p.TakeDue(3000), "TARVO3-576-BT-WLAN\r\n");
}
