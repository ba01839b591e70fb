// Finding the printer's rate against the simulated printer, which ignores what arrives
// at another rate than its DIP switches.

#include "SimHarness.h"
#include "app/BaudDetector.h"

#include <gtest/gtest.h>

namespace {
CBaudDetector::Result Detect(CSimHarness& h, int linkRate, QVector<int>* tried = nullptr) {
    h.Link().m_nBaudRate = linkRate;
    CBaudDetector detector(h.Link(), h.Services());
    detector.SetOnTry([tried](int rate) {
        if (tried)
            *tried << rate;
    });
    return detector.Detect();
}
} // namespace

TEST(BaudDetect, TheRarestRateIsFoundLastAfterOneProbeAtEachOtherRate) {
    SimConfig config;
    config.baudRate = 1200;
    CSimHarness h(config);
    ASSERT_TRUE(h.Started());
    QVector<int> tried;
    const auto result = Detect(h, 38400, &tried);
    EXPECT_EQ(result.rate, 1200);
    EXPECT_EQ(result.tried, 8);
    EXPECT_EQ(tried, CBaudDetector::RateOrder(38400));
    EXPECT_TRUE(CBaudDetector::IsBatteryReply(result.reply));
    // One CTRL-V per rate, nothing else on the wire.
    EXPECT_EQ(h.TakeReceived(), QByteArray(8, '\x16'));
    EXPECT_EQ(h.Link().m_nBaudRate, 38400) << "the link keeps its own rate";
    EXPECT_EQ(h.Link().m_bOpen, 0);
    EXPECT_FALSE(h.Link().IsHandleValid());
    EXPECT_EQ(h.Services().WaitDepth(), 0);
}

TEST(BaudDetect, TheRateLastUsedIsTriedFirstAndOneProbeIsEnough) {
    SimConfig config;
    config.baudRate = 14400;
    CSimHarness h(config);
    ASSERT_TRUE(h.Started());
    QVector<int> tried;
    const auto result = Detect(h, 14400, &tried);
    EXPECT_EQ(result.rate, 14400);
    EXPECT_EQ(tried, QVector<int>{14400});
    EXPECT_EQ(h.TakeReceived(), QByteArray(1, '\x16'));
}

TEST(BaudDetect, ASilentPrinterIsNotFoundAtAnyRate) {
    SimConfig config;
    config.faults.silent = true;
    CSimHarness h(config);
    ASSERT_TRUE(h.Started());
    const auto result = Detect(h, 9600);
    EXPECT_FALSE(result.Found());
    EXPECT_EQ(result.tried, 8);
    EXPECT_EQ(result.problem.kind, COpenProblem::Kind::None);
    EXPECT_EQ(h.Link().m_nBaudRate, 9600);
    EXPECT_TRUE(h.Services().MessageTexts().isEmpty())
        << "a search that finds nothing is no error box";
}

TEST(BaudDetect, NoiseFromAWrongRateIsNoAnswer) {
    SimConfig config;
    config.baudRate = 9600;
    config.faults.noiseIntervalMs = 5; // noise on the line all the time
    config.faults.silent = false;
    CSimHarness h(config);
    ASSERT_TRUE(h.Started());
    const auto result = Detect(h, 38400);
    // Noise arrives at every rate; only 9600 gets the ESC V line among it.
    EXPECT_EQ(result.rate, 9600);
}

TEST(BaudDetect, APortThatCannotBeOpenedEndsTheSearchAtOnceWithTheReason) {
    CSimHarness h;
    ASSERT_TRUE(h.Started());
    h.Core().m_ports.SetSessionDevice("COM1", "/dev/nonexistent-kvu-port");
    const auto result = Detect(h, 38400);
    EXPECT_FALSE(result.Found());
    EXPECT_EQ(result.tried, 1);
    EXPECT_EQ(result.problem.kind, COpenProblem::Kind::NotFound);
    EXPECT_EQ(h.Services().LinkProblems().size(), 1);
}
