// The simulated printer end to end: the program's real CSerialPort on the pty, the
// printer on the master side, one virtual clock for the pauses of both.

#include "SimHarness.h"

#include "app/PortMap.h"
#include "app/SerialPort.h"

#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <cerrno>
#include <cmath>
#include <csignal>
#include <fcntl.h>
#include <future>
#include <gtest/gtest.h>
#include <poll.h>
#include <sys/ioctl.h>
#include <sys/wait.h>
#include <termios.h>
#include <unistd.h>

namespace {
QByteArray B(const char* s, int n) {
    return QByteArray(s, n);
}

class SimTest : public ::testing::Test {
protected:
    void Start(const SimConfig& config = SimConfig()) {
        h = std::make_unique<CSimHarness>(config);
        ASSERT_TRUE(h->Started());
    }
    void TearDown() override {
        if (h)
            h->Link().Close();
    }
    bool Open() { return h->Link().Open(50, 5) == 1; }
    void Send(const QByteArray& bytes) { ASSERT_TRUE(h->Link().WriteFile(bytes)); }
    void Pause(int ms) { h->Services().Pause(ms); }
    QByteArray Read(int count) {
        QByteArray buffer(count, '\0');
        int got = 0;
        h->Link().ReadFile(buffer.data(), count, &got);
        return buffer.left(got);
    }
    // One-byte reads as the burn does; true when "?" came within the attempts.
    bool WaitForQuestion(int attempts, int* used = nullptr) {
        for (int i = 0; i < attempts; ++i) {
            if (Read(1) == "?") {
                if (used)
                    *used = i + 1;
                return true;
            }
        }
        return false;
    }
    void RunBurn(const QByteArray& stream) {
        Send("\x1B"
             "EN");
        Pause(2000);
        Send("\x1BXX");
        Pause(2000);
        Send("\x1B"
             "DS");
        Pause(2000);
        questionSeen = WaitForQuestion(100);
        Pause(4000);
        Send("\x1BSL");
        Pause(2000);
        Send(stream);
        Pause(2000);
        Send(B("\x1BST\xFF\r", 5));
        Pause(2000);
        Send("\x1BSB\r");
        Pause(2000);
    }

    std::unique_ptr<CSimHarness> h;
    bool questionSeen = false;
};
} // namespace

TEST_F(SimTest, BurnHandshakeAndConfirmation) {
    Start();
    ASSERT_TRUE(Open());
    const QByteArray stream("\x1BU1\x1Bk2\x1B"
                            "a\x18\x1BM10000\r",
                            17);
    RunBurn(stream);
    EXPECT_TRUE(questionSeen);
    const QByteArray reply = Read(1000);
    EXPECT_TRUE(reply.contains("D!X")) << reply.constData();
    h->Link().Close();
    h->Sim().WithPrinter([&](CPrinterModel& p) {
        EXPECT_EQ(p.BurnedStream(), stream);
        EXPECT_TRUE(p.PowerUpAttributes().bold);
    });
    // Each command reached the printer at the virtual moment the program sent it.
    const QByteArray received = h->Sim().Transcript().ReceivedSince(0);
    EXPECT_EQ(received, QByteArray("\x1B"
                                   "EN\x1BXX\x1B"
                                   "DS\x1BSL") +
                            stream + B("\x1BST\xFF\r\x1BSB\r", 9));
    const qint64 en = h->Sim().Transcript().ReceivedTimeAt(0);
    const qint64 xx = h->Sim().Transcript().ReceivedTimeAt(3);
    EXPECT_GE(xx - en, 2000);
    EXPECT_LT(xx - en, 2300);
}

TEST_F(SimTest, QuestionAfterNoiseUsesUpAttempts) {
    SimConfig config;
    config.faults.noiseBeforeQuestion = 20;
    Start(config);
    ASSERT_TRUE(Open());
    Send("\x1BXX\x1B"
         "DS");
    Pause(2000);
    int used = 0;
    EXPECT_TRUE(WaitForQuestion(100, &used));
    EXPECT_EQ(used, 21);
}

TEST_F(SimTest, QuestionAfterAHundredOtherBytesIsTooLate) {
    SimConfig config;
    config.faults.noiseBeforeQuestion = 100;
    Start(config);
    ASSERT_TRUE(Open());
    Send("\x1BXX\x1B"
         "DS");
    Pause(2000);
    EXPECT_FALSE(WaitForQuestion(100));
}

TEST_F(SimTest, NoQuestionFaultStillBurnsButWaitFails) {
    SimConfig config;
    config.faults.noQuestion = true;
    Start(config);
    ASSERT_TRUE(Open());
    RunBurn(QByteArray("\x1BUU"));
    EXPECT_FALSE(questionSeen);
    EXPECT_TRUE(Read(1000).contains("D!X"));
}

TEST_F(SimTest, LateQuestion) {
    SimConfig config;
    config.faults.questionDelayMs = 10000;
    Start(config);
    ASSERT_TRUE(Open());
    Send("\x1BXX\x1B"
         "DS");
    Pause(2000);
    EXPECT_FALSE(WaitForQuestion(100)) << "about 1.5 s of reads is not enough";
    Pause(8000);
    EXPECT_TRUE(WaitForQuestion(1));
}

TEST_F(SimTest, DxFaults) {
    for (int variant = 0; variant < 2; ++variant) {
        SimConfig config;
        config.faults.noDx = variant == 0;
        config.faults.dxAfterZero = variant == 1;
        Start(config);
        ASSERT_TRUE(Open());
        RunBurn(QByteArray("\x0E"));
        const QByteArray reply = Read(1000);
        if (variant == 0)
            EXPECT_FALSE(reply.contains("D!X"));
        else
            EXPECT_EQ(reply.indexOf("D!X"), reply.indexOf('\0') + 1);
        h->Link().Close();
    }
}

TEST_F(SimTest, SupervisoryReplyDecodesBack) {
    Start();
    ASSERT_TRUE(Open());
    Send("\x16");
    const QByteArray reply = Read(100);
    const QList<QByteArray> lines = reply.split('\n');
    ASSERT_GE(lines.size(), 3);
    EXPECT_TRUE(lines[0].startsWith("\x1BV"));
    bool ok = false;
    const int mv = lines[0].mid(2).trimmed().toInt(&ok);
    EXPECT_TRUE(ok);
    EXPECT_GT(mv, 6000);
    EXPECT_LT(mv, 8500);
    EXPECT_TRUE(lines[1].startsWith("\x1BM"));
    lines[1].mid(2).trimmed().toInt(&ok, 16);
    EXPECT_TRUE(ok);
    EXPECT_TRUE(lines[2].startsWith("\x1BT"));
    Send("\x1BP)");
    EXPECT_EQ(Read(100), "TARVO3-576-BT-WLAN\r\n");
}

TEST_F(SimTest, LogoFlashedThenPrintedMatchesTheRasterSent) {
    Start();
    ASSERT_TRUE(Open());
    Send("\x1BXX\x1B"
         "DL\r");
    ASSERT_TRUE(WaitForQuestion(50));
    Send("\x1BLG5\r");
    Pause(1000);
    QByteArray raster;
    for (int y = 0; y < 40; ++y) {
        QByteArray row(72, '\0');
        for (int i = 0; i < 72; ++i)
            row[i] = char((y * 7 + i * 13) & 0xFF);
        raster += row;
        Send(QByteArray("\x1BV\x01\x00", 4) + row);
        Pause(1);
    }
    Pause(4000);
    Send(B("\x1BLG\xFF\r", 5));
    Pause(2500);
    h->Link().Close();
    h->Link().SendBlock(QByteArray("\x1BLg5"));
    h->Sim().Settle();
    h->Sim().WithPrinter([&](CPrinterModel& p) {
        EXPECT_TRUE(p.Slot(5).stored);
        EXPECT_EQ(p.Paper().BitmapRows(), raster);
    });
}

TEST_F(SimTest, PassThroughEscapeAndAtBatchLayout) {
    Start();
    h->Link().SendBlock(QByteArray("\x1BPU0U1T999\r"));
    ASSERT_TRUE(Open());
    Pause(1100);
    Send("///");
    Pause(1100);
    h->Link().Close();
    h->Sim().WithPrinter([](CPrinterModel& p) {
        ASSERT_TRUE(p.InPassThrough());
        EXPECT_EQ(p.Bluetooth()->GetMode(), CRadioModule::Mode::At);
    });
    const QStringList queries = {"AILBA", "AILVI", "AGLN", "AGLC", "AGFP", "AGDM", "AMPM", "AGSM"};
    QByteArray batch;
    for (const QString& q : queries)
        batch += "AT*" + q.toLatin1() + "?\r";
    ASSERT_TRUE(Open());
    Send(batch);
    const QByteArray reply = Read(500);
    for (int i = 0; i < queries.size(); ++i) {
        const QByteArray prefix = queries[i].toLatin1() + ":";
        const int at = int(reply.indexOf(prefix));
        ASSERT_GE(at, 0) << prefix.constData();
        EXPECT_EQ(reply.mid(at - 1, 1), "*");
        if (i + 1 < queries.size()) {
            // Between a value and the next echo stand exactly CR LF "OK" CR LF "AT*".
            const int next = int(reply.indexOf("AT*" + queries[i + 1].toLatin1() + "?"));
            ASSERT_GT(next, at);
            EXPECT_EQ(reply.mid(next - 6, 9), "\r\nOK\r\nAT*");
        }
    }
    EXPECT_TRUE(reply.contains("AGLN:\"BT Printer\"\r\nOK\r\nAT*AGLC?"));
    EXPECT_TRUE(reply.endsWith("AGSM:1\r\nOK\r\n"));
    Send("AT*AGLN=\"Till 4\",1\r");
    Pause(500);
    EXPECT_TRUE(Read(125).contains("OK"));
    h->Link().Close();
    h->Link().SendBlock(QByteArray("AT*ADDM\r"));
    h->Link().SendBlock(QByteArray("###"));
    h->Sim().Settle();
    h->Sim().WithPrinter([](CPrinterModel& p) {
        EXPECT_FALSE(p.InPassThrough());
        EXPECT_EQ(p.Bluetooth()->StoredValue("AGLN"), "Till 4");
        EXPECT_EQ(p.Bluetooth()->GetMode(), CRadioModule::Mode::Data);
    });
}

TEST_F(SimTest, EscapeRefusedWhenTheGuardTimeIsTooShort) {
    Start();
    h->Link().SendBlock(QByteArray("\x1BPU0U2T999\r"));
    ASSERT_TRUE(Open());
    Pause(300);
    Send("///");
    Pause(1100);
    h->Sim().Settle();
    h->Sim().WithPrinter(
        [](CPrinterModel& p) { EXPECT_EQ(p.Wlan()->GetMode(), CRadioModule::Mode::Data); });
    Send("AT*AGSSID?\r");
    EXPECT_EQ(Read(100), QByteArray()) << "data mode: nothing comes back";
}

TEST_F(SimTest, ModuleFaults) {
    SimConfig config;
    config.faults.moduleIgnoresEscape = true;
    Start(config);
    h->Link().SendBlock(QByteArray("\x1BPU0U1T999\r"));
    ASSERT_TRUE(Open());
    Pause(1100);
    Send("///");
    Pause(1100);
    Send("AT*AGLN?\r");
    EXPECT_EQ(Read(100), QByteArray());
}

TEST_F(SimTest, ReplyCutShort) {
    SimConfig config;
    config.faults.cutReplyAt = 4;
    Start(config);
    ASSERT_TRUE(Open());
    Send("\x1BP(");
    EXPECT_EQ(Read(100), "TARV");
}

TEST_F(SimTest, SilentPrinter) {
    SimConfig config;
    config.faults.silent = true;
    Start(config);
    ASSERT_TRUE(Open());
    Send("\x16\x1BP(");
    EXPECT_EQ(Read(100), QByteArray());
}

TEST_F(SimTest, RandomNoise) {
    SimConfig config;
    config.faults.noiseIntervalMs = 100;
    Start(config);
    ASSERT_TRUE(Open());
    Pause(1000);
    const QByteArray noise = Read(100);
    EXPECT_GE(noise.size(), 5);
    EXPECT_FALSE(noise.contains('?'));
}

TEST_F(SimTest, LinkDroppedMidExchange) {
    SimConfig config;
    config.faults.dropAfterBytes = 6;
    Start(config);
    ASSERT_TRUE(Open());
    Send("\x1B"
         "EN\x1BXX");
    h->Sim().Settle();
    int written = 0;
    char buffer[10];
    int got = 0;
    const bool writeOk = h->Link().WriteFile(QByteArray("\x1B"
                                                        "DS"),
                                             &written);
    const bool readOk = h->Link().ReadFile(buffer, 10, &got);
    EXPECT_FALSE(writeOk && readOk);
    EXPECT_EQ(got, 0);
    h->Link().Close();
    EXPECT_EQ(h->Link().Open(50, 5), 0);
}

TEST_F(SimTest, WrongBaudRateGetsNoAnswer) {
    Start();
    h->Link().m_nBaudRate = 9600;
    ASSERT_TRUE(Open());
    Send("\x1BP)");
    EXPECT_EQ(Read(100), QByteArray());
}

TEST_F(SimTest, GarbageThenAValidQuery) {
    Start();
    ASSERT_TRUE(Open());
    QByteArray garbage;
    for (int i = 0; i < 3000; ++i)
        garbage += char((i * 131 + 7) & 0xFF);
    Send(garbage);
    Send(QByteArray("\x1BV\x01\x00", 4) + QByteArray(5000, '\x55')); // an oversized block
    Send("\r\n\x1B"
         "EN\x1B"
         "EN");
    Pause(100);
    Read(1000); // whatever the garbage provoked
    Send("\x1BP)");
    EXPECT_EQ(Read(100), "TARVO3-576-BT-WLAN\r\n");
}

TEST_F(SimTest, StateFileKeepsBurnedAttributesSlotsAndModuleSettings) {
    QTemporaryDir dir;
    const QString state = dir.filePath("printer.json");
    Start();
    ASSERT_TRUE(Open());
    RunBurn(QByteArray("\x1BUU"));
    h->Link().Close();
    h->Sim().WithPrinter([](CPrinterModel& p) {
        CPrinterModel::LogoSlot slot;
        slot.stored = true;
        slot.bytesPerLine = 72;
        slot.rows = {QByteArray(72, '\x0F')};
        p.SetSlot(2, slot);
    });
    ASSERT_TRUE(h->Sim().SaveState(state));

    CSimulator fresh(SimConfig{});
    ASSERT_TRUE(fresh.LoadState(state));
    fresh.WithPrinter([](CPrinterModel& p) {
        EXPECT_EQ(p.BurnedStream(), "\x1BUU");
        EXPECT_TRUE(p.Attributes().underline) << "powered up with the burned attributes";
        EXPECT_TRUE(p.Slot(2).stored);
        EXPECT_EQ(p.Slot(2).rows.value(0), QByteArray(72, '\x0F'));
    });
    // A file that is no state says why, whatever is wrong with it.
    const struct {
        const char* content;
        const char* reason;
    } bads[] = {{"{ not json", "at offset"},
                {"[1, 2]", "top level is a list"},
                {"42", "offset"}}; // Qt 6.4 takes no bare value as a document
    for (const auto& b : bads) {
        QFile bad(dir.filePath("bad.json"));
        ASSERT_TRUE(bad.open(QIODevice::WriteOnly | QIODevice::Truncate));
        bad.write(b.content);
        bad.close();
        QString error;
        EXPECT_FALSE(fresh.LoadState(bad.fileName(), &error)) << b.content;
        EXPECT_TRUE(error.contains(QLatin1String(b.reason)))
            << b.content << ": " << qPrintable(error);
        EXPECT_FALSE(error.contains("no error occurred")) << b.content;
    }
}

TEST_F(SimTest, TranscriptRecordsBothDirections) {
    Start();
    ASSERT_TRUE(Open());
    Send("\x1BP)");
    Read(100);
    h->Link().Close();
    const QString text = h->Sim().Transcript().Format();
    EXPECT_TRUE(text.contains("<< 1B 50 29"));
    EXPECT_TRUE(text.contains(">> 54 41 52 56"));
    QTemporaryDir dir;
    EXPECT_TRUE(h->Sim().Transcript().WriteTo(dir.filePath("t.txt")));
}

TEST_F(SimTest, PacedLineTakesBytesAtTheLineRate) {
    // 1200 bit/s with two stop bits carries 1200 / 11 = 109.1 bytes a second (plus the
    // short burst an idle line banks).
    SimConfig config;
    config.baudRate = 1200;
    config.pacedLine = true;
    const double perMs = 1200.0 / 11.0 / 1000.0;
    Start(config);
    ASSERT_TRUE(Open());
    Send(QByteArray(2000, 'x'));
    auto received = [&] {
        h->Sim().Settle();
        return double(h->Sim().Transcript().ReceivedSince(0).size());
    };
    auto expectCarried = [&](qint64 advancedMs) {
        const double got = received();
        EXPECT_GE(got, std::floor(advancedMs * perMs) - 1) << advancedMs;
        EXPECT_LE(got, (advancedMs + 50) * perMs + 1) << advancedMs;
    };
    Pause(2000);
    expectCarried(2000);
    Pause(10000);
    expectCarried(12000) ; // a long wait with bytes queued carries all its time
    Pause(8000);
    EXPECT_EQ(received(), 2000);

    // An idle line banks no more than a short burst (50 ms: 5 bytes) however long it idled.
    Pause(60000);
    Send(QByteArray(500, 'y'));
    EXPECT_LE(received() - 2000, 50 * perMs + 1);
    Pause(1000);
    EXPECT_GE(received() - 2000, std::floor(1000 * perMs) - 1);
}

TEST_F(SimTest, OutputThePortDropsNeverReachesThePrinter) {
    // 2000 bytes queued on a 1200 bit/s line take 18 s to go out; the program drops them
    // (an interrupted file send) and closes the port: as with a real UART, what had not
    // gone out is gone, and the printer takes no more of it however long it waits.
    SimConfig config;
    config.baudRate = 1200;
    config.pacedLine = true;
    Start(config);
    ASSERT_TRUE(Open());
    Send(QByteArray(2000, 'x'));
    h->Link().DiscardOutput();
    h->Link().Close();
    Pause(30000);
    h->Sim().Settle();
    EXPECT_LT(h->Sim().Transcript().ReceivedSince(0).size(), 100);
    // The line itself goes on working.
    ASSERT_TRUE(Open());
    Send("\x1BP)");
    Pause(100);
    EXPECT_TRUE(Read(100).startsWith("TARVO3-"));
}

TEST_F(SimTest, AProgramsExclusiveClaimGoesWithItsLastDescriptor) {
    // Qt claims the port (TIOCEXCL) when it opens it. On a real port the claim ends with
    // the last close; the simulator's own kept descriptor must not make it outlive the
    // program, however the program went (root is not stopped by the claim: its flag is
    // read back; an ordinary user's open is refused while it holds).
    Start();
    const QByteArray path = QFile::encodeName(h->Sim().DevicePath());
    auto claimed = [&] {
        h->Sim().Settle();
        const int fd = ::open(path.constData(), O_RDWR | O_NOCTTY | O_NONBLOCK);
        int exclusive = fd < 0 && errno == EBUSY ? 1 : -1; // an ordinary user is refused
        if (fd >= 0) {
            ::ioctl(fd, TIOCGEXCL, &exclusive);
            ::close(fd);
        }
        h->Sim().Settle(); // this look's own close is taken in before anything else
        return exclusive;
    };
    for (const char* how : {"closed", "killed"}) {
        SCOPED_TRACE(how);
        if (QByteArray(how) == "closed") {
            ASSERT_TRUE(Open());
            EXPECT_EQ(claimed(), 1) << "Qt did not claim the port";
            h->Link().Close();
        } else {
            int ready[2];
            ASSERT_EQ(::pipe(ready), 0);
            const pid_t child = ::fork();
            ASSERT_GE(child, 0);
            if (child == 0) {
                const int fd = ::open(path.constData(), O_RDWR | O_NOCTTY);
                ::ioctl(fd, TIOCEXCL);
                [[maybe_unused]] ssize_t n = ::write(ready[1], "r", 1);
                for (;;)
                    ::pause();
            }
            char r = 0;
            ASSERT_EQ(::read(ready[0], &r, 1), 1);
            ::close(ready[0]);
            ::close(ready[1]);
            EXPECT_EQ(claimed(), 1);
            ::kill(child, SIGKILL);
            ::waitpid(child, nullptr, 0);
        }
        EXPECT_EQ(claimed(), 0) << "the claim outlived the program";
    }
}

TEST_F(SimTest, UnpacedLineTakesEverythingAtOnce) {
    SimConfig config;
    config.baudRate = 9600;
    Start(config);
    ASSERT_TRUE(Open());
    Send(QByteArray(2000, 'x'));
    h->Sim().Settle();
    EXPECT_EQ(h->Sim().Transcript().ReceivedSince(0).size(), 2000);
}

TEST_F(SimTest, ShortCommandsAtANonDefaultRateAreHeardWhenTheProgramClosesAtOnce) {
    // A macro or Print Logo opens the port, writes a few bytes and closes it. Qt puts the
    // tty's settings back as it found them on close, so a printer that looked at the line
    // speed only after the program had gone saw the tty's first speed and dropped the
    // command as sent at the wrong rate.
    for (const int rate : {9600, 1200, 14400, 115200}) {
        SCOPED_TRACE(rate);
        SimConfig config;
        config.baudRate = rate;
        Start(config);
        for (int i = 0; i < 10; ++i) {
            ASSERT_TRUE(Open());
            Send("Hi\r\n");
            h->Link().Close();
        }
        h->Sim().Settle();
        QString printed;
        h->Sim().WithPrinter([&](CPrinterModel& p) { printed = p.Paper().Text(); });
        EXPECT_EQ(printed.count(QStringLiteral("Hi")), 10) << qPrintable(printed);
        EXPECT_FALSE(h->Sim().Transcript().Format().contains("ignored"));
    }
}

TEST(SimulatorPty, ANoisyPrinterThatNobodyListensToCanStillBeStopped) {
    // Noise keeps coming while no program has the port open: nobody reads the line and the
    // pseudo-terminal's buffer fills. The printer used to wait there for ever to write the
    // rest, and could not be stopped (tarvo3-sim --noise-interval hung at Ctrl-C).
    CVirtualClock clock;
    SimConfig config;
    config.faults.noiseIntervalMs = 1;
    auto sim = std::make_unique<CSimulator>(config, &clock);
    ASSERT_TRUE(sim->Start());
    const int watcher =
        ::open(sim->DevicePath().toLocal8Bit().constData(), O_RDONLY | O_NOCTTY | O_NONBLOCK);
    ASSERT_GE(watcher, 0);
    clock.Advance(600000); // far more noise falls due than the line's buffer holds
    // The buffer is full once what waits unread stops growing.
    int queued = 0, before = -1;
    QElapsedTimer waited;
    waited.start();
    while (queued != before && waited.elapsed() < 5000) {
        before = queued;
        ::poll(nullptr, 0, 100);
        ::ioctl(watcher, FIONREAD, &queued);
    }
    EXPECT_GT(queued, 1000) << "the line's buffer filled up";
    ::close(watcher);
    auto stopped = std::async(std::launch::async, [&] { sim.reset(); });
    EXPECT_EQ(stopped.wait_for(std::chrono::seconds(10)), std::future_status::ready)
        << "the printer could not be stopped";
}

TEST_F(SimTest, LiftingTheNoiseFaultStopsTheNoise) {
    SimConfig config;
    config.faults.noiseIntervalMs = 5;
    Start(config);
    h->Sim().WithPrinter([](CPrinterModel& p) { p.Config().faults = SimFaults{}; });
    h->Sim().Settle();
    const int sentBefore = int(h->Sim().Transcript().Format().count(QStringLiteral(">>")));
    Pause(10000);
    h->Sim().Settle();
    EXPECT_EQ(h->Sim().Transcript().Format().count(QStringLiteral(">>")), sentBefore);
}

TEST(SimulatorPty, AnUnpluggedPrinterKeepsItsNameFromEveryOtherPrinterWhileItLives) {
    // Tests run side by side in several processes. If the name of a printer whose cable
    // was pulled went to the next new printer, a program reopening the old name would
    // reach another test's printer, and hold it open against that test.
    for (const bool linkHeldOpen : {false, true}) {
        SCOPED_TRACE(linkHeldOpen ? "the program's port still open" : "the port closed");
        CVirtualClock clock;
        CSimulator unplugged(SimConfig{}, &clock);
        ASSERT_TRUE(unplugged.Start());
        const QString name = unplugged.DevicePath();
        CPortMap ports;
        ports.SetSessionDevice(QStringLiteral("COM1"), name);
        CSerialPort link;
        link.SetPortMap(&ports);
        link.SetPortName(QStringLiteral("COM1"));
        ASSERT_EQ(link.DeviceName(), name);
        if (linkHeldOpen) {
            ASSERT_EQ(link.Open(50, 5), 1);
        }
        unplugged.Hangup();
        link.Close();
        EXPECT_FALSE(QFileInfo::exists(name)) << "the unplugged printer's device is gone";
        CSimulator next(SimConfig{}, &clock);
        ASSERT_TRUE(next.Start());
        EXPECT_NE(next.DevicePath(), name);
        EXPECT_EQ(link.Open(50, 5), 0) << "the old name reaches nothing";
        next.Stop();
        unplugged.Stop();
    }
}
