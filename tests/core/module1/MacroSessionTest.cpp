// The Macros page's logic on the simulated printer: macros, file sending, the monitor.

#include "module1/MacroSession.h"
#include "PtyPair.h"
#include "SimHarness.h"
#include "app/PortMap.h"

#include <QBuffer>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <sys/stat.h>

namespace {
// A device that hands out its lines, then fails as a disk with a bad sector would.
class CFailingDevice : public QIODevice {
public:
    explicit CFailingDevice(QByteArray good) : m_good(std::move(good)) {
        open(QIODevice::ReadOnly);
    }
    bool isSequential() const override { return true; }
    bool atEnd() const override { return false; }
    qint64 bytesAvailable() const override { return m_good.size() + QIODevice::bytesAvailable(); }

protected:
    qint64 readData(char* data, qint64 max) override {
        if (m_good.isEmpty())
            return -1;
        const qint64 n = qMin<qint64>(max, m_good.size());
        memcpy(data, m_good.constData(), size_t(n));
        m_good.remove(0, int(n));
        return n;
    }
    qint64 writeData(const char*, qint64) override { return -1; }

private:
    QByteArray m_good;
};

QString WriteFile(QTemporaryDir& dir, const char* name, const QByteArray& bytes) {
    const QString path = dir.filePath(QLatin1String(name));
    QFile f(path);
    EXPECT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(bytes);
    return path;
}

// Sends the whole file, one step at a time, as idle processing would.
int SendAll(CMacroSession& session) {
    int steps = 0;
    while (session.IsSending() && steps < 1000) {
        session.SendStep();
        ++steps;
    }
    return steps;
}
// A session on a bare pseudo-terminal: the test plays the printer on its master.
struct PtySession {
    PtySession() {
        ports.SetSessionDevice(QStringLiteral("COM1"), pty.SlavePath());
        link.SetPortMap(&ports);
        link.SetServices(&services);
    }
    CPtyPair pty;
    CPortMap ports;
    CRecordingServices services;
    CSerialPort link;
    CMacroSession session{link, services};
};
} // namespace

TEST(MacroSession, MacrosGoOutOnTheHeldLink) {
    CSimHarness h;
    CMacroSession session(h.Link(), h.Services());
    session.SendMacro(QStringLiteral("^[U1^M^J"));
    EXPECT_EQ(h.Services().MessageTexts(), QStringList{"Com port not open."});
    EXPECT_TRUE(h.TakeReceived().isEmpty());
    ASSERT_TRUE(session.OpenLink());
    EXPECT_EQ(h.Link().ReadInterval(), 1u);
    EXPECT_EQ(h.Link().ReadMultiplier(), 0u);
    session.SendMacro(QStringLiteral("^[U1^M^J"));
    session.SendMacro(QString()); // an empty macro sends nothing and says nothing
    EXPECT_EQ(h.TakeReceived(), QByteArray("\x1BU1\r\n"));
    EXPECT_EQ(h.Services().MessageTexts().size(), 1);
    EXPECT_EQ(h.Link().m_bOpen, 1) << "the link stays held";
    session.CloseLink();
    EXPECT_EQ(h.Link().m_bOpen, 0);
}

TEST(MacroSession, OpeningFailsWithTheMessageOrQuietly) {
    CSimHarness h;
    h.Core().m_ports.SetSessionDevice(QStringLiteral("COM1"), QStringLiteral("/nonexistent/tty"));
    CMacroSession session(h.Link(), h.Services());
    EXPECT_FALSE(session.OpenLink(true));
    EXPECT_TRUE(h.Services().MessageTexts().isEmpty());
    EXPECT_FALSE(session.OpenLink());
    EXPECT_EQ(h.Services().MessageTexts(), QStringList{"Com port could not be opened."});
}

TEST(MacroSession, FilesAreSentLineByLineWithCrLf) {
    QTemporaryDir dir;
    const struct {
        const char* name;
        QByteArray contents;
        QByteArray wire;
        int lines;
    } files[] = {
        {"crlf.txt", "A\r\n\r\nB\r\n", "A\r\n\r\nB\r\n", 3},
        {"lf.txt", "A\n\nB\n", "A\r\n\r\nB\r\n", 3},
        {"no-end.txt", "one\r\ntwo", "one\r\ntwo\r\n", 2},
        {"lone-cr.txt", "a\rb\n", "a\rb\r\n", 1}, // a CR inside a line is sent as it is
        {"empty.txt", "", "", 0},
        {"notation.txt", "^[U1 \\x41\n", "^[U1 \\x41\r\n", 1}, // no notation in files
    };
    for (const auto& f : files) {
        CSimHarness h;
        CMacroSession session(h.Link(), h.Services());
        ASSERT_TRUE(session.OpenLink());
        session.StartSendFile(WriteFile(dir, f.name, f.contents));
        ASSERT_TRUE(session.IsSending()) << f.name;
        EXPECT_EQ(SendAll(session), f.lines + 1) << f.name << ": one line per step, then the end";
        EXPECT_EQ(h.TakeReceived(), f.wire) << f.name;
        const QStringList status = h.Services().StatusTexts();
        EXPECT_EQ(status.first(), "Send file started.");
        EXPECT_EQ(status.last(), "Send file ended.");
        EXPECT_EQ(status.size(), f.lines + 2) << f.name;
    }
}

TEST(MacroSession, TheStatusShowsASentLineInItsVisibleFormUpToItsLimit) {
    const struct {
        QByteArray line;
        QString shown;
    } cases[] = {
        {"", ""},
        {"ABC\x1B"
         "P5",
         "ABC^[P5"},
        {QByteArray(200, 'y'), QString(200, 'y')},
        {QByteArray(201, 'y'), QString(200, 'y') + QChar(0x2026)},
        // Cut by bytes before the visible form: a control byte past the limit is not shown.
        {QByteArray(200, 'y') + "\x01", QString(200, 'y') + QChar(0x2026)},
    };
    for (const auto& c : cases)
        EXPECT_EQ(CMacroSession::StatusForm(c.line), c.shown) << c.line.toStdString();
}

TEST(MacroSession, LongLinesAndOneFileAtATime) {
    QTemporaryDir dir;
    CSimHarness h;
    CMacroSession session(h.Link(), h.Services());
    ASSERT_TRUE(session.OpenLink());
    const QByteArray longLine(100000, 'x');
    session.StartSendFile(WriteFile(dir, "long.txt", longLine + "\n" + "tail\n"));
    session.StartSendFile(WriteFile(dir, "other.txt", "other\n"));
    EXPECT_EQ(h.Services().MessageTexts(),
              QStringList{"Close the currently open file before opening a new one."});
    session.SendStep();
    // The whole line goes out; the status shows its start.
    EXPECT_EQ(h.Services().StatusTexts().last(),
              QStringLiteral("Sending: ") + QString(200, 'x') + QChar(0x2026));
    session.StopSendFile();
    EXPECT_FALSE(session.IsSending());
    EXPECT_EQ(h.Services().StatusTexts().last(), "Send file ended.");
    session.StopSendFile(); // Cancel when nothing is sent does nothing
    EXPECT_EQ(h.Services().StatusTexts().count("Send file ended."), 1);
    EXPECT_EQ(h.TakeReceived(), longLine + "\r\n") << "the rest of the file is not sent";
}

TEST(MacroSession, UnreadableFilesAndReadErrors) {
    QTemporaryDir dir;
    CSimHarness h;
    CMacroSession session(h.Link(), h.Services());
    ASSERT_TRUE(session.OpenLink());
    const QString fifo = dir.filePath(QStringLiteral("pipe.txt"));
    ASSERT_EQ(mkfifo(fifo.toLocal8Bit().constData(), 0600), 0);
    for (const QString& path : {dir.filePath(QStringLiteral("missing.txt")), fifo, dir.path()}) {
        h.Services().Clear();
        session.StartSendFile(path); // a FIFO must not block the open
        EXPECT_EQ(h.Services().MessageTexts(), QStringList{"Failed to open a file for read."})
            << path.toStdString();
        EXPECT_FALSE(session.IsSending());
    }
    h.Services().Clear();
    session.StartSendFrom(std::make_unique<CFailingDevice>("first\n"));
    SendAll(session);
    EXPECT_EQ(h.Services().MessageTexts(), QStringList{"Error reading file."});
    EXPECT_EQ(h.Services().StatusTexts().last(), "Send file ended.");
    EXPECT_FALSE(session.IsSending());
    EXPECT_EQ(h.TakeReceived(), QByteArray("first\r\n"));
}

TEST(MacroSession, ReceivedBytesInTheMonitor) {
    CSimHarness h;
    CMacroSession session(h.Link(), h.Services());
    ASSERT_TRUE(session.OpenLink());
    EXPECT_EQ(session.ReceiveStep(), QString()) << "nothing arrived";
    session.SendMacro(QStringLiteral("^[P)")); // the printer answers with its model
    h.Clock().Advance(100);
    const QString shown = session.ReceiveStep();
    EXPECT_TRUE(shown.startsWith(QStringLiteral("TARVO3-"))) << shown.toStdString();
    EXPECT_TRUE(shown.endsWith(QLatin1Char('\n')));
    EXPECT_FALSE(shown.contains(QLatin1Char('\r'))) << "CR LF is one line break";
}

TEST(MacroSession, MonitorKeepsItsLastLines) {
    auto lines = [](int n) {
        QStringList l;
        for (int i = 0; i < n; ++i)
            l << QStringLiteral("line %1").arg(i);
        return l.join(QLatin1Char('\n'));
    };
    EXPECT_EQ(CMacroSession::AppendToMonitor(lines(39), QStringLiteral("\nline 39")), lines(40))
        << "at 40 lines nothing is cut";
    const QString cut = CMacroSession::AppendToMonitor(lines(40), QStringLiteral("\nline 40"));
    EXPECT_TRUE(cut.startsWith(QStringLiteral("line 20\n")));
    EXPECT_EQ(cut.count(QLatin1Char('\n')) + 1, 21) << "lines 20 to 40 are kept";
    EXPECT_EQ(CMacroSession::AppendToMonitor(QString(), QStringLiteral("^[A")), "^[A");
}

TEST(MacroSession, AVanishedPortEndsTheSendingInsteadOfReportingEveryLine) {
    QTemporaryDir dir;
    PtySession p;
    CPtyPair& pty = p.pty;
    CRecordingServices& services = p.services;
    CSerialPort& link = p.link;
    CMacroSession& session = p.session;
    ASSERT_TRUE(session.OpenLink());
    QByteArray many;
    for (int i = 0; i < 500; ++i)
        many += "line\n";
    session.StartSendFile(WriteFile(dir, "many.txt", many));
    session.SendStep();
    EXPECT_EQ(pty.Read(6, 1000), QByteArray("line\r\n"));
    pty.Hangup(); // the device goes away under the held link
    const int steps = SendAll(session);
    EXPECT_FALSE(session.IsSending());
    EXPECT_LE(steps, CMacroSession::kFailedLinesToStop);
    EXPECT_LE(services.MessageTexts().size(), 2 * CMacroSession::kFailedLinesToStop);
    // Not "ended": the rest of the file never went out.
    EXPECT_TRUE(session.CutShort());
    EXPECT_EQ(services.StatusTexts().last(),
              "Send file cut short at line 2: the port does not take the lines.");
    EXPECT_EQ(session.ReceiveStep(), QString()) << "polling a vanished port shows nothing";
    EXPECT_TRUE(session.LinkLost());
    EXPECT_EQ(link.m_bOpen, 0) << "a lost link is closed, not polled for ever";
    EXPECT_TRUE(services.StatusTexts().last().startsWith("The link to the printer was lost (COM1"))
        << services.StatusTexts().last().toStdString();
}

TEST(MacroSession, ALineBreakSplitBetweenTwoReadsIsOneBreak) {
    const struct {
        std::vector<QByteArray> chunks;
        QString monitor;
    } cases[] = {
        {{"A\r", "\nB\r\n"}, "A\nB\n"}, {{"A\r", "\r\n"}, "A\n\n"}, // CR, then CR LF: two breaks
        {{"A\r", "B"}, "A\nB"},         {{"A\n", "\nB"}, "A\n\nB"}, // LF LF stays two
        {{"A\r", "\n", "\n"}, "A\n\n"},
    };
    for (const auto& c : cases) {
        PtySession p;
        CPtyPair& pty = p.pty;
        CMacroSession& session = p.session;
        ASSERT_TRUE(session.OpenLink());
        QString monitor;
        for (const QByteArray& chunk : c.chunks) {
            ASSERT_TRUE(pty.Write(chunk));
            monitor += session.ReceiveStep();
        }
        EXPECT_EQ(monitor, c.monitor) << c.chunks.front().toStdString();
        session.CloseLink();
    }
}

TEST(MacroSession, AFloodWithoutLineEndsKeepsTheMonitorBounded) {
    QString monitor;
    const QString chunk(50, QLatin1Char('x'));
    for (int i = 0; i < 5000; ++i)
        monitor = CMacroSession::AppendToMonitor(monitor, chunk);
    EXPECT_EQ(monitor.size(), CMacroSession::kMaxMonitorChars);
}

TEST(MacroSession, TheHexViewShowsTheBytesAsTheyArrivedAndKeepsRowsAsTheMonitorKeepsLines) {
    struct Row {
        const char* what;
        std::vector<QByteArray> appends;
        QString firstRow; // the view's first row
        int rows;
    };
    const QByteArray sixteen("0123456789ABCDEF");
    const std::vector<Row> rows = {
        {"nothing arrived", {}, QString(), 0},
        {"a control byte and a high byte",
         {QByteArray("\x1BU1\r\n\xFF", 6)},
         "00000000  1B 55 31 0D 0A FF" + QString(32, QLatin1Char(' ')) + ".U1...",
         1},
        {"two reads fill one row",
         {sixteen.left(10), sixteen.mid(10)},
         "00000000  30 31 32 33 34 35 36 37 38 39 41 42 43 44 45 46  0123456789ABCDEF",
         1},
        {"40 rows are all kept", {sixteen.repeated(40)}, "00000000  30", 40},
        {"the 41st row drops the oldest 20, offsets count on",
         {sixteen.repeated(40), QByteArray("x")},
         "00000140  30",
         21},
    };
    for (const Row& row : rows) {
        CMonitorHex hex(CMacroSession::kMaxMonitorLines, CMacroSession::kFirstKeptLine);
        for (const QByteArray& bytes : row.appends)
            hex.Append(bytes);
        const QString text = hex.Text();
        const QStringList lines = text.isEmpty() ? QStringList() : text.split(QLatin1Char('\n'));
        EXPECT_EQ(int(lines.size()), row.rows) << row.what;
        if (!lines.isEmpty())
            EXPECT_TRUE(lines.first().startsWith(row.firstRow))
                << row.what << ": " << lines.first().toStdString();
    }
}
