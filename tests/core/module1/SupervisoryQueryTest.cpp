// The supervisory queries: the interpretation of replies, and the exchange on the simulator.

#include "SimHarness.h"
#include "module1/SupervisoryQuery.h"

#include <QRegularExpression>
#include <gtest/gtest.h>

TEST(SupervisoryQuery, InterpretsTheStatusLines) {
    const struct {
        QByteArray reply;
        const char* interpretation;
    } cases[] = {
        {"\x1BV7456\r\n\x1BM1C20\r\n\x1BT31\r\n",
         "Voltage = 7.45 (V)\r\nTimer = 2:00:00\r\nTemperature = 31 (C)\r\n"},
        {"\x1B" "B1F4\r\n", "Characters in Buffer = 500\r\n"},
        {"\x1BV12000", "Voltage = 12.00 (V)\r\n"}, // the last line needs no line end
        {"\x1BV999\r", "Voltage = 0.99 (V)\r\n"},
        {"\x1BM0\n", "Timer = 0:00:00\r\n"},
        {"\x1BM3C\n", "Timer = 0:01:00\r\n"}, // hexadecimal seconds
        {"\x1BV 42\r\n", "Voltage = 0.04 (V)\r\n"}, // leading white space is skipped
        {"\x1BT-5\r\n", "Temperature = -5 (C)\r\n"},
        // The lowest 32-bit value reads as itself, as "%d" reads it.
        {"\x1BT-2147483648\r\n", "Temperature = -2147483648 (C)\r\n"},
        {"\x1BV-1500\r\n", "Voltage = -1.50 (V)\r\n"}, // the sign stays in front
        {"\x1BMx\r\n", ""},                            // no number: the line is passed over
        {"\x1BV\r\n", ""},
        {"\x1B\r\n", ""}, // a lone ESC
        {"V7456\r\n", ""},
        {"\x1BX12\r\n", ""},
        // The buffer line replaces what the earlier lines gave; the others append.
        {"\x1BV7000\r\n\x1B" "B10\r\n\x1BT20\r\n", "Characters in Buffer = 16\r\nTemperature = 20 (C)\r\n"},
        // LF CR is two line ends, with an empty line between them.
        {"\x1BT1\n\r\x1BT2", "Temperature = 1 (C)\r\nTemperature = 2 (C)\r\n"},
        {"", ""},
        {"\x1B" "B0x1f\r\n", "Characters in Buffer = 31\r\n"},
        {"\x1BM-1\r\n", "Timer = 1193046:28:15\r\n"}, // "%x" reads without a sign
    };
    for (const auto& c : cases)
        EXPECT_EQ(CSupervisoryQuery::InterpretReply(c.reply), QLatin1String(c.interpretation))
            << c.reply.toHex().constData();
}

TEST(SupervisoryQuery, EachButtonSendsItsBytesAndShowsTheReply) {
    CSimHarness h;
    ASSERT_TRUE(h.Started());
    CSupervisoryQuery query(h.Link(), h.Services());
    const struct {
        QByteArray bytes;
        const char* wire;
    } buttons[] = {
        {CSupervisoryQuery::kBatteryStatus, "16"},   {CSupervisoryQuery::kBufferStatus, "02"},
        {CSupervisoryQuery::kFirmwareVersion, "1b5028"}, {CSupervisoryQuery::kHardwareModel, "1b5029"},
        {CSupervisoryQuery::kCancelMcr, "1b43"},
    };
    for (const auto& b : buttons) {
        const CSupervisoryQuery::Reply reply = query.Send(b.bytes);
        EXPECT_TRUE(reply.exchanged);
        EXPECT_EQ(h.TakeReceived().toHex(), QByteArray(b.wire));
        EXPECT_EQ(h.Link().m_bOpen, 0) << "the link is open only for the exchange";
    }
    const CSupervisoryQuery::Reply battery = query.Send(CSupervisoryQuery::kBatteryStatus);
    EXPECT_TRUE(battery.response.startsWith(QStringLiteral("\x1BV")));
    EXPECT_TRUE(QRegularExpression(QStringLiteral(
                    "^Voltage = \\d+\\.\\d\\d \\(V\\)\r\nTimer = \\d+:\\d\\d:\\d\\d\r\n"
                    "Temperature = \\d+ \\(C\\)\r\n$"))
                    .match(battery.interpretation)
                    .hasMatch())
        << battery.interpretation.toStdString();
    const CSupervisoryQuery::Reply model = query.Send(CSupervisoryQuery::kHardwareModel);
    EXPECT_TRUE(model.response.startsWith(QStringLiteral("TARVO3-")) &&
                model.response.endsWith(QStringLiteral("\r\n")))
        << model.response.toStdString();
    EXPECT_TRUE(model.interpretation.isEmpty()) << "a reply without ESC lines";
    // ESC C gets no answer: both boxes stay empty and nothing is said.
    const CSupervisoryQuery::Reply cancel = query.Send(CSupervisoryQuery::kCancelMcr);
    EXPECT_TRUE(cancel.response.isEmpty());
    EXPECT_TRUE(h.Services().MessageTexts().isEmpty());
}

TEST(SupervisoryQuery, FailuresSaySerialCommunicationError) {
    CSimHarness h;
    h.Core().m_ports.SetSessionDevice(QStringLiteral("COM1"), QStringLiteral("/nonexistent/tty"));
    CSupervisoryQuery query(h.Link(), h.Services());
    const CSupervisoryQuery::Reply reply = query.Send(CSupervisoryQuery::kBatteryStatus);
    EXPECT_FALSE(reply.exchanged);
    EXPECT_EQ(h.Services().MessageTexts(), QStringList{"Serial communication error."});
    EXPECT_EQ(h.Services().Messages().last().caption, "KVU");
    EXPECT_EQ(h.Link().m_bOpen, 0);
}
