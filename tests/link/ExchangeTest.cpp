// The exchange skeleton on a pseudo-terminal: every way out ends the same way.

#include "app/Exchange.h"
#include "Clock.h"
#include "PtyPair.h"
#include "RecordingServices.h"
#include "app/PortMap.h"
#include "app/SerialPort.h"

#include <gtest/gtest.h>

namespace {
class ExchangeTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(pty.IsValid());
        ports.SetSessionDevice("COM1", pty.SlavePath());
        link.SetPortMap(&ports);
        link.SetServices(&services);
    }
    using Kind = CRecordingServices::Event::Kind;
    // The status texts, the indicator's hiding and the wait cursor's end, in order.
    QStringList Ending() const {
        QStringList out;
        for (const auto& e : services.Events()) {
            if (e.kind == Kind::Status)
                out << e.text;
            else if (e.kind == Kind::Progress && e.value < 0)
                out << QStringLiteral("indicator gone");
            else if (e.kind == Kind::EndWait)
                out << QStringLiteral("end wait");
        }
        return out;
    }

    CPtyPair pty;
    CPortMap ports;
    CVirtualClock clock;
    CRecordingServices services{&clock};
    CSerialPort link;
};
} // namespace

TEST_F(ExchangeTest, StepsShowTheirTextCountAndPause) {
    {
        CExchange exchange(link, services, 4);
        exchange.Start(1000);
        ASSERT_TRUE(exchange.Open());
        EXPECT_EQ(link.ReadInterval(), 50u);
        EXPECT_EQ(link.ReadMultiplier(), 5u);
        EXPECT_TRUE(exchange.WriteStep("AB", "Sent AB.", 2000));
        EXPECT_EQ(pty.Read(2, 1000), "AB");
        EXPECT_EQ(services.TotalPausedMs(), 3000);
        EXPECT_EQ(services.WaitDepth(), 1);
    }
    EXPECT_EQ(services.StatusTexts(), (QStringList{"Wait...", "Sent AB.", "Ready"}));
    EXPECT_EQ(link.m_bOpen, 0) << "leaving the scope ends the exchange";
    EXPECT_EQ(services.WaitDepth(), 0);
    EXPECT_TRUE(services.MessageTexts().isEmpty());
}

TEST_F(ExchangeTest, FailuresSayWhyAndEndWithTheLinkClosed) {
    {
        CPortMap nowhere;
        nowhere.SetSessionDevice("COM1", "/nonexistent/tty");
        link.SetPortMap(&nowhere);
        CExchange exchange(link, services, 3);
        exchange.Start();
        EXPECT_FALSE(exchange.Open());
        link.SetPortMap(&ports);
    }
    EXPECT_EQ(services.MessageTexts(), QStringList{"Error: Couldn't open serial port."});
    EXPECT_EQ(services.Messages().last().caption, "KVU");
    EXPECT_EQ(Ending(), (QStringList{"Wait...", "Ready", "indicator gone", "end wait"}));

    services.Clear();
    {
        CExchange exchange(link, services);
        ASSERT_TRUE(exchange.Open());
        pty.Hangup();
        EXPECT_FALSE(exchange.WriteStep("lost", "never shown", 2000));
        EXPECT_EQ(link.m_bOpen, 0) << "a failed write closes the link at once";
        exchange.Finish();
        exchange.Finish();
    }
    EXPECT_EQ(services.MessageTexts(),
              QStringList{"Error: Couldn't transmit through serial port."});
    EXPECT_EQ(services.StatusTexts(), QStringList{"Ready"}) << "Ready once, never the step";
    EXPECT_EQ(services.TotalPausedMs(), 0);
}

TEST_F(ExchangeTest, WaitForByteUsesUpOneReadPerOtherByte) {
    CExchange exchange(link, services);
    ASSERT_TRUE(exchange.Open());
    pty.Write("xyz?");
    EXPECT_FALSE(exchange.WaitForByte('?', 3)) << "three reads are used by x, y and z";
    EXPECT_TRUE(exchange.WaitForByte('?', 1));
    pty.Write("reply");
    bool ok = false;
    EXPECT_EQ(exchange.Read(100, &ok), "reply");
    EXPECT_TRUE(ok);
}

TEST_F(ExchangeTest, QuietFinishEndsAPartWithoutReady) {
    {
        CExchange part(link, services, 2);
        part.Start();
        ASSERT_TRUE(part.Open());
        part.Step();
        part.FinishQuietly();
        EXPECT_EQ(link.m_bOpen, 0);
        EXPECT_EQ(services.WaitDepth(), 1) << "the wait cursor until the scope ends";
    }
    EXPECT_EQ(Ending(), (QStringList{"Wait...", "indicator gone", "end wait"}))
        << "no Ready, also not from the destructor";
}
