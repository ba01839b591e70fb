#include "RadioModule.h"

#include <gtest/gtest.h>

namespace {
// Sends the escape sequence at t with the given silence before and after; true when the
// module then is in AT mode.
bool Escape(CRadioModule& m, qint64 lastTraffic, int before, int after, int spacing = 20) {
    m.Attach(lastTraffic);
    qint64 t = lastTraffic + before;
    for (int i = 0; i < 3; ++i)
        m.Receive("/", t + i * spacing);
    m.Tick(t + 2 * spacing + after);
    return m.GetMode() == CRadioModule::Mode::At;
}
} // namespace

TEST(RadioModule, EscapeSequenceGuardTimes) {
    struct Case {
        int before, after, spacing;
        bool accepted;
    } cases[] = {
        {1100, 1100, 20, true}, {1000, 1000, 20, true},  {999, 1100, 20, false},
        {1100, 999, 20, false}, {1100, 1100, 100, true}, {1100, 1100, 101, false},
        {50, 1100, 20, false},
    };
    for (const Case& c : cases) {
        CRadioModule m(CRadioModule::Kind::Bluetooth);
        EXPECT_EQ(Escape(m, 0, c.before, c.after, c.spacing), c.accepted)
            << c.before << " " << c.after << " " << c.spacing;
    }
}

TEST(RadioModule, ByteDuringTheSilenceAfterCancelsTheEscape) {
    CRadioModule m(CRadioModule::Kind::Bluetooth);
    m.Attach(0);
    m.Receive("///", 1500);
    m.Receive("x", 2000);
    m.Tick(4000);
    EXPECT_EQ(m.GetMode(), CRadioModule::Mode::Data);
}

TEST(RadioModule, AtModeEchoesAndAnswers) {
    CRadioModule m(CRadioModule::Kind::Bluetooth);
    ASSERT_TRUE(Escape(m, 0, 1100, 1100));
    EXPECT_EQ(m.Receive("AT*AGLN?\r", 5000), "AT*AGLN?\r\r\n*AGLN:\"BT Printer\"\r\nOK\r\n");
    EXPECT_EQ(m.Receive("AT*AGLC?\r", 5000), "AT*AGLC?\r\r\n*AGLC:263808\r\nOK\r\n");
    EXPECT_EQ(m.Receive("AT*AILBA?\r", 5000), "AT*AILBA?\r\r\n*AILBA:0012F3004A21\r\nOK\r\n");
    EXPECT_EQ(m.Receive("AT*AGLN=\"My \\22Best\\22 \\5C one\",1\r", 5000).right(6), "\r\nOK\r\n");
    EXPECT_EQ(m.Value("AGLN"), "My \"Best\" \\ one");
    EXPECT_EQ(m.Receive("AT*AGLN?\r", 5000),
              "AT*AGLN?\r\r\n*AGLN:\"My \\22Best\\22 \\5C one\"\r\nOK\r\n");
    EXPECT_EQ(m.Receive("AT*ADDM\r", 5000), "AT*ADDM\r\r\nOK\r\n");
    EXPECT_EQ(m.GetMode(), CRadioModule::Mode::Data);
}

TEST(RadioModule, SetCommandsAreCheckedAndStoredOnlyWithOne) {
    CRadioModule m(CRadioModule::Kind::Wlan);
    ASSERT_TRUE(Escape(m, 0, 1100, 1100));
    struct Case {
        const char* command;
        bool ok;
    } cases[] = {
        {"AT*AGSSID=\"Shop floor\",1", true},
        {"AT*AGCH=6,0", true},
        {"AT*AGCH=15,1", false},
        {"AT*AGCH=6", false},
        {"AT*AGCH=6,2", false},
        {"AT*ANDHCP=-1,1", false},
        {"AT*ANIP=10.0.0.5,255.0.0.0,10.0.0.1,1", true},
        {"AT*ANIP=10.0.0.5,255.0.0.0,1", false},
        {"AT*AGSSID=Shop,1", false},
        {"AT*AGRTE=11,0,1", true},
        {"AT*AILBA=000000000000,1", false},
        {"AT*NOPE=1,1", false},
        {"AT*AGSSID=\"123456789012345678901234567890123\",1", false},
        {"AT*AGFPWI=2,\"secret\",1", true},
        {"garbage", false},
    };
    for (const Case& c : cases) {
        const QByteArray reply = m.Receive(QByteArray(c.command) + "\r", 5000);
        EXPECT_EQ(reply.endsWith("\r\nOK\r\n"), c.ok) << c.command << " -> " << reply.constData();
        EXPECT_EQ(reply.endsWith("\r\nERROR\r\n"), !c.ok) << c.command;
    }
    EXPECT_EQ(m.Value("AGCH"), "6");
    EXPECT_EQ(m.StoredValue("AGCH"), "0") << "0 as the last argument: this power cycle only";
    EXPECT_EQ(m.StoredValue("AGSSID"), "Shop floor");
    m.PowerCycle();
    EXPECT_EQ(m.Value("AGCH"), "0");
    EXPECT_EQ(m.Value("ANIP"), "10.0.0.5,255.0.0.0,10.0.0.1");
}

TEST(RadioModule, Faults) {
    CRadioModule ignoring(CRadioModule::Kind::Bluetooth);
    ignoring.SetIgnoreEscape(true);
    EXPECT_FALSE(Escape(ignoring, 0, 1100, 1100));
    CRadioModule noOk(CRadioModule::Kind::Bluetooth);
    noOk.SetAnswerWithoutOk(true);
    ASSERT_TRUE(Escape(noOk, 0, 1100, 1100));
    EXPECT_FALSE(noOk.Receive("AT*AGLN?\r", 5000).contains("OK"));
}

TEST(RadioModule, EachPrinterOfABatchHasItsOwnAddress) {
    const struct {
        CRadioModule::Kind kind;
        int unit;
        const char* address;
    } cases[] = {
        {CRadioModule::Kind::Bluetooth, 0, "0012F3004A21"},
        {CRadioModule::Kind::Bluetooth, 3, "0012F3004A24"},
        {CRadioModule::Kind::Bluetooth, 0xDF, "0012F3004A00"}, // wraps within the last byte
        {CRadioModule::Kind::Wlan, 1, "0012F3A1B2C5"},
    };
    for (const auto& c : cases) {
        CRadioModule m(c.kind);
        m.SetUnitNumber(c.unit);
        EXPECT_EQ(m.Value("AILBA"), c.address) << c.unit;
        EXPECT_EQ(m.StoredValue("AILBA"), c.address) << "a power cycle keeps it";
    }
}
