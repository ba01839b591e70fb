// The real CSerialPort on a pseudo-terminal: the test plays the printer on the master. The
// waits run on the virtual clock, except where a test proves the real link's own waits.

#include "Clock.h"
#include "PtyPair.h"
#include "RecordingServices.h"
#include "app/PortMap.h"
#include "app/SerialPort.h"

#include <QElapsedTimer>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <termios.h>
#include <unistd.h>
#include <vector>

namespace {
class LinkTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(pty.IsValid());
        ports.SetSessionDevice("COM1", pty.SlavePath());
        link.SetPortMap(&ports);
        link.SetServices(&services);
    }
    void TearDown() override { link.Close(); }

    CPtyPair pty;
    CPortMap ports;
    CVirtualClock clock;
    CRecordingServices services{&clock};
    CSerialPort link;
};

// The same link waiting in real time, as the program's does.
class RealLinkTest : public LinkTest {
protected:
    void SetUp() override {
        LinkTest::SetUp();
        link.SetServices(&realTime);
    }
    CRecordingServices realTime;
};

QByteArray ReadAll(CSerialPort& link, int count, qint64* elapsed = nullptr) {
    QByteArray buffer(count, '\0');
    int got = 0;
    QElapsedTimer timer;
    timer.start();
    EXPECT_TRUE(link.ReadFile(buffer.data(), count, &got));
    if (elapsed)
        *elapsed = timer.elapsed();
    return buffer.left(got);
}

} // namespace

TEST_F(LinkTest, OpensAs8N2WithoutFlowControlAtTheChosenRate) {
    link.SetBaudRateText("57600");
    ASSERT_EQ(link.Open(50, 5), 1);
    EXPECT_EQ(link.m_bOpen, 1);
    const int fd = ::open(pty.SlavePath().toLocal8Bit().constData(), O_RDONLY | O_NOCTTY);
    ASSERT_GE(fd, 0);
    termios tio{};
    ASSERT_EQ(tcgetattr(fd, &tio), 0);
    ::close(fd);
    EXPECT_EQ(tio.c_cflag & CSIZE, tcflag_t(CS8));
    EXPECT_TRUE(tio.c_cflag & CSTOPB) << "two stop bits";
    EXPECT_FALSE(tio.c_cflag & PARENB);
    EXPECT_FALSE(tio.c_cflag & CRTSCTS);
    EXPECT_FALSE(tio.c_iflag & (IXON | IXOFF));
    EXPECT_EQ(cfgetospeed(&tio), speed_t(B57600));
    EXPECT_TRUE(services.MessageTexts().isEmpty()) << "no modem lines on a pty is not an error";
}

TEST_F(LinkTest, EveryRateOfTheTableOpens) {
    for (int i = 0; i < 8; ++i) {
        link.SetBaudIndex(i);
        EXPECT_EQ(link.Open(50, 5), 1) << CSerialPort::kBaudTable[i].rate;
        link.Close();
    }
    EXPECT_TRUE(services.MessageTexts().isEmpty());
}

TEST_F(LinkTest, ReadsFollowTheIntervalAndTotalTimeouts) {
    // What the printer sends, and when.
    using Line = std::vector<std::pair<qint64, QByteArray>>;
    Line dribble; // a byte every 20 ms for a second
    for (qint64 at = 0; at <= 1000; at += 20)
        dribble.push_back({at, "x"});
    const struct Case {
        const char* what;
        quint32 interval;
        int count;
        Line line;
        QByteArray expected;
        qint64 elapsedMs;
        QByteArray next; // what the next read of 100 bytes gets
    } cases[] = {
        {"all the bytes there: at once", 50, 10, {{0, "0123456789"}}, "0123456789", 0, ""},
        {"nothing: the total, 5 x 1 + 10 ms", 50, 1, {}, "", 15, ""},
        // The gap rule ends the read, not the 510 ms total; the later bytes stay.
        {"a gap over the interval", 50, 100, {{0, "abc"}, {300, "def"}}, "abc", 51, "def"},
        {"bytes within the interval", 50, 100, {{0, "ab"}, {40, "cd"}}, "abcd", 101, ""},
        // With a wide interval only the total (5 x 100 + 10 ms) ends it.
        {"a dribbling reply", 200, 100, dribble, QByteArray(26, 'x'), 510, QByteArray(25, 'x')},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        CPtyPair line;
        ports.SetSessionDevice("COM1", line.SlavePath());
        ASSERT_EQ(link.Open(c.interval, 5), 1);
        // Each piece goes out once the virtual clock has reached its time.
        const qint64 start = clock.NowMs();
        size_t sent = 0;
        auto sendDue = [&] {
            for (; sent < c.line.size() && start + c.line[sent].first <= clock.NowMs(); ++sent)
                line.Write(c.line[sent].second);
        };
        sendDue();
        const int printer = clock.AddSettler(sendDue);
        EXPECT_EQ(ReadAll(link, c.count), c.expected);
        EXPECT_EQ(clock.NowMs() - start, c.elapsedMs);
        EXPECT_EQ(ReadAll(link, 100), c.next) << "what came later stays for the next read";
        clock.RemoveSettler(printer);
        link.Close();
    }
    EXPECT_TRUE(services.MessageTexts().isEmpty());
}

TEST_F(RealLinkTest, AReadWaitsInRealTimeForItsTimeouts) {
    ASSERT_EQ(link.Open(50, 5), 1);
    qint64 elapsed = 0;
    EXPECT_EQ(ReadAll(link, 1, &elapsed), QByteArray());
    EXPECT_GE(elapsed, 14) << "5 x 1 + 10 ms";
    pty.Write("abc");
    EXPECT_EQ(ReadAll(link, 100, &elapsed), "abc");
    EXPECT_LT(elapsed, 500) << "the 50 ms gap rule ended the read, not the 510 ms total";
}

TEST_F(LinkTest, WriteReachesThePrinter) {
    ASSERT_EQ(link.Open(50, 5), 1);
    int written = 0;
    EXPECT_TRUE(link.WriteFile(QByteArray("\x1B"
                                          "EN",
                                          3),
                               &written));
    EXPECT_EQ(written, 3);
    EXPECT_EQ(pty.Read(3, 1000), QByteArray("\x1B"
                                            "EN"));
}

TEST_F(LinkTest, SendBlockOpensWritesAndCloses) {
    link.SendBlock(QByteArray("\r\n"));
    EXPECT_EQ(pty.Read(2, 1000), QByteArray("\r\n"));
    EXPECT_EQ(link.m_bOpen, 0);
    EXPECT_FALSE(link.IsHandleValid());
    EXPECT_TRUE(services.MessageTexts().isEmpty());
}

TEST_F(LinkTest, SecondOpenFailsAndKeepsTheOpenHandle) {
    ASSERT_EQ(link.Open(1, 0), 1);
    EXPECT_EQ(link.Open(50, 5), 0);
    EXPECT_EQ(link.m_bOpen, 1);
    EXPECT_TRUE(link.WriteFile(QByteArray("still")));
    EXPECT_EQ(pty.Read(5, 1000), "still");
}

TEST_F(LinkTest, SendBlockOnAHeldLinkLeavesItAsItWas) {
    ASSERT_EQ(link.Open(1, 0), 1);
    EXPECT_FALSE(link.SendBlock(QByteArray("x")));
    EXPECT_EQ(services.MessageTexts(), QStringList{"Serial transmission error."});
    EXPECT_EQ(link.m_bOpen, 1) << "the flag must follow the handle that is still open";
    EXPECT_EQ(link.ReadInterval(), 1u);
    link.Close();
    EXPECT_FALSE(link.IsHandleValid()) << "Close must release the held port";
    EXPECT_TRUE(link.SendBlock(QByteArray("ok")));
    EXPECT_EQ(pty.Read(2, 1000), "ok");
}

TEST_F(LinkTest, PortIsOpenedExclusively) {
    ASSERT_EQ(link.Open(50, 5), 1);
    CSerialPort other;
    other.SetPortMap(&ports);
    other.SetServices(&services);
    EXPECT_EQ(other.Open(50, 5), 0);
    EXPECT_EQ(other.m_bOpen, 0);
    other.SendBlock(QByteArray("x"));
    EXPECT_EQ(services.MessageTexts(), QStringList{"Serial transmission error."});
    link.Close();
    EXPECT_EQ(other.Open(50, 5), 1) << "free again once the first link closed";
    other.Close();
}

TEST_F(LinkTest, VanishedDeviceFailsWithoutHangingAndLeavesTheLinkReusable) {
    ASSERT_EQ(link.Open(50, 5), 1);
    pty.Hangup();
    QElapsedTimer timer;
    timer.start();
    char buffer[100];
    int got = 0;
    const bool readOk = link.ReadFile(buffer, 100, &got);
    const bool writeOk = link.WriteFile(QByteArray("x"));
    EXPECT_FALSE(readOk && writeOk);
    EXPECT_EQ(got, 0);
    EXPECT_LT(timer.elapsed(), 3000);
    link.Write("y", 1);
    EXPECT_EQ(services.MessageTexts().last(), "Serial transmission error.");
    EXPECT_EQ(link.m_bOpen, 1) << "Write leaves the link open";
    link.Close();
    EXPECT_EQ(link.m_bOpen, 0);
    EXPECT_EQ(link.Open(50, 5), 0) << "the device is gone";
}

TEST(Link, SendBlockOnAMissingPortShowsExactlyOneMessage) {
    CPortMap ports;
    ports.SetSessionDevice("COM4", "/dev/nonexistent-kvu-port");
    CRecordingServices services;
    CSerialPort link;
    link.SetPortMap(&ports);
    link.SetServices(&services);
    link.SetPortName("COM4");
    EXPECT_EQ(link.Open(50, 5), 0);
    EXPECT_TRUE(services.MessageTexts().isEmpty()) << "Open itself says nothing";
    link.SendBlock(QByteArray("\r\n"));
    EXPECT_EQ(services.MessageTexts(), QStringList{"Serial transmission error."});
    EXPECT_EQ(services.Messages().first().caption, "KVU");
    EXPECT_EQ(link.m_bOpen, 0);
}

TEST(Link, NotATerminalCannotBeConfigured) {
    CPortMap ports;
    ports.SetSessionDevice("COM1", "/dev/null");
    CRecordingServices services;
    CSerialPort link;
    link.SetPortMap(&ports);
    link.SetServices(&services);
    EXPECT_EQ(link.Open(50, 5), 0);
    EXPECT_EQ(link.m_bOpen, 0);
    EXPECT_FALSE(link.IsHandleValid());
    link.SendBlock(QByteArray("x"));
    const QStringList texts = services.MessageTexts();
    ASSERT_FALSE(texts.isEmpty());
    EXPECT_EQ(texts.last(), "Serial transmission error.");
}

namespace {
// A window that closes the link while it paints, as a click handled during a read or a
// write's keep-alive could.
class CClosingServices : public CRecordingServices {
public:
    CSerialPort* link = nullptr;
    void KeepAlive() override {
        if (link)
            link->Close();
    }
};
} // namespace

TEST(Link, ALinkClosedWhileTheWindowPaintsEndsTheReadOrWriteThatPainted) {
    for (const bool writing : {true, false}) {
        SCOPED_TRACE(writing ? "write" : "read");
        CPtyPair pty;
        CPortMap ports;
        ports.SetSessionDevice("COM1", pty.SlavePath());
        CClosingServices services;
        CSerialPort link;
        link.SetPortMap(&ports);
        link.SetServices(&services);
        services.link = &link;
        ASSERT_EQ(link.Open(50, 5), 1);
        char buffer[10];
        int got = 0;
        EXPECT_FALSE(writing ? link.WriteFile(QByteArray(4096, 'x'))
                             : link.ReadFile(buffer, 10, &got));
        EXPECT_EQ(link.m_bOpen, 0);
    }
}
