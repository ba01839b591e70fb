#include "app/IdleCounter.h"
#include "app/SerialPort.h"

#include <gtest/gtest.h>

namespace {
struct FakeMacros : IMacrosPoller {
    int received = 0, sent = 0;
    bool sending = false;
    void ReceiveStep() override { ++received; }
    void SendStep() override { ++sent; }
    bool IsSending() const override { return sending; }
};
} // namespace

TEST(IdleCounter, ReceivePollRunsOnEvery21stCallWhileTheLinkIsOpen) {
    CSerialPort link;
    link.m_bOpen = 1; // the Macros page holds the link
    FakeMacros macros;
    CIdleCounter idle;
    for (int i = 1; i <= 20; ++i)
        EXPECT_TRUE(idle.OnIdle(false, true, &macros, link));
    EXPECT_EQ(macros.received, 0);
    idle.OnIdle(false, true, &macros, link);
    EXPECT_EQ(macros.received, 1);
    EXPECT_EQ(idle.Count(), 0);
    for (int i = 0; i < 21 * 5; ++i)
        idle.OnIdle(false, true, &macros, link);
    EXPECT_EQ(macros.received, 6);
    link.m_bOpen = 0;
}

TEST(IdleCounter, SendingAdvancesEveryCall) {
    CSerialPort link;
    link.m_bOpen = 1;
    FakeMacros macros;
    macros.sending = true;
    CIdleCounter idle;
    for (int i = 0; i < 42; ++i)
        idle.OnIdle(false, true, &macros, link);
    EXPECT_EQ(macros.sent, 42);
    EXPECT_EQ(macros.received, 2);
    link.m_bOpen = 0;
}

TEST(IdleCounter, ClosedLinkOrOtherModule) {
    CSerialPort link;
    FakeMacros macros;
    macros.sending = true;
    CIdleCounter idle;
    for (int i = 0; i < 21; ++i)
        EXPECT_TRUE(idle.OnIdle(false, true, &macros, link));
    EXPECT_EQ(macros.received, 0);
    EXPECT_EQ(macros.sent, 0);
    // Another module: the framework's own result, no counting.
    EXPECT_FALSE(idle.OnIdle(false, false, &macros, link));
    EXPECT_TRUE(idle.OnIdle(true, false, &macros, link));
    EXPECT_EQ(idle.Count(), 0);
}
