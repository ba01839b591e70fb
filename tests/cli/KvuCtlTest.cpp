// kvuctl in-process: exit codes, output and the bytes the simulated printer received.

#include "KvuCtl.h"
#include "CliCommand.h"
#include "KvuCtlOptions.h"
#include "LineBreaks.h"
#include "SimHarness.h"
#include "document/KVUDoc.h"
#include "document/ProjectFile.h"

#include <QBuffer>
#include <QCommandLineOption>
#include <QCommandLineParser>
#include <QFile>
#include <QSettings>
#include <QTemporaryDir>
#include <QTextStream>
#include <gtest/gtest.h>

#include "KvuCtlFixture.h"
#include <csignal>
#include <sys/stat.h>
#include <utility>

namespace {
class KvuCtlTest : public KvuCtlFixture {
protected:
    void SetUp() override {
        KvuCtlFixture::SetUp();
        project = dir.filePath("p.qpf");
        CKVUDoc doc;
        doc.m_bBold = 1;
        doc.m_nFont = 2;
        doc.m_nLineSpacing = 24;
        ASSERT_EQ(CProjectFile::Save(project, doc), CProjectFile::Result::Ok);
    }

    QString project;
};
} // namespace

TEST_F(KvuCtlTest, HelpVersionAndUsageErrors) {
    EXPECT_EQ(Run({"--help"}), 0);
    EXPECT_TRUE(out.contains("Exit codes:"));
    EXPECT_EQ(Run({"--version"}), 0);
    EXPECT_EQ(out, "kvuctl 1.20\n");
    EXPECT_EQ(Run({}), 2);
    EXPECT_EQ(Run({"frobnicate"}), 2);
    EXPECT_TRUE(err.contains("unknown command"));
    EXPECT_EQ(Run({"burn"}), 2);
    EXPECT_EQ(Run({"burn", project, "--port", "COM99"}), 2);
    EXPECT_EQ(Run({"burn", project, "--port", "/dev/null", "--baud", "4800"}), 2);
    EXPECT_EQ(Run({"project", "delete", project}), 2);
}

TEST_F(KvuCtlTest, NotationPrintsTheBytes) {
    EXPECT_EQ(Run({"notation", "^[U1\\x41^M"}), 0);
    EXPECT_EQ(out, "1B 55 31 41 0D\n");
}

TEST_F(KvuCtlTest, ExportWritesTheExportBytes) {
    const QString target = dir.filePath("out.prn");
    EXPECT_EQ(Run({"export", project, "-o", target}), 0);
    QFile f(target);
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    EXPECT_EQ(f.readAll(), QByteArray::fromHex("1B454E1B58581B44531B534C"
                                               "1B55311B6B321B6118"
                                               "1B5354FF0D1B53420D"));
    EXPECT_EQ(Run({"export", dir.filePath("missing.qpf"), "-o", target}), 3);
    EXPECT_TRUE(err.contains("Failed to open document."));
    EXPECT_EQ(Run({"export", project, "-o", dir.filePath("no/dir/x.prn")}), 3);
    // "-" is standard output, the same bytes; no file named "-" is made.
    QBuffer stdoutBytes;
    stdoutBytes.open(QIODevice::WriteOnly);
    KvuCtlContext context;
    context.rawOut = &stdoutBytes;
    f.seek(0);
    EXPECT_EQ(RunWith({"export", project, "-o", "-"}, context), 0) << err.toStdString();
    EXPECT_EQ(stdoutBytes.data(), f.readAll());
    EXPECT_FALSE(QFile::exists("-"));
}

TEST_F(KvuCtlTest, ProjectNewAndShow) {
    const QString fresh = dir.filePath("fresh.qpf");
    EXPECT_EQ(Run({"project", "new", fresh}), 0);
    EXPECT_EQ(Run({"project", "new", fresh}), 3) << "no silent overwrite";
    EXPECT_EQ(Run({"project", "new", fresh, "--force"}), 0);
    EXPECT_EQ(Run({"project", "show", fresh}), 0);
    EXPECT_TRUE(out.contains("Macro 1              \"Macro Button 01\": \"\""));
    EXPECT_TRUE(out.contains("Attribute stream     (empty)"));
    EXPECT_EQ(Run({"project", "show", project}), 0);
    EXPECT_TRUE(out.contains("Bold                 checked"));
    EXPECT_TRUE(out.contains("Font                 K2"));
    EXPECT_TRUE(out.contains("Attribute stream     1B 55 31 1B 6B 32 1B 61 18"));
    QFile bad(dir.filePath("bad.qpf"));
    ASSERT_TRUE(bad.open(QIODevice::WriteOnly));
    bad.write("short");
    bad.close();
    EXPECT_EQ(Run({"project", "show", bad.fileName()}), 3);
    EXPECT_TRUE(err.contains("Unexpected file format."));
}

TEST_F(KvuCtlTest, SendAndConfigureReachThePrinter) {
    CSimHarness h;
    EXPECT_EQ(Run({"send", "^[P)"}, &h), 0);
    EXPECT_EQ(h.TakeReceived(), QByteArray("\x1BP)"));
    EXPECT_EQ(Run({"configure", project}, &h), 0);
    EXPECT_EQ(h.TakeReceived(), QByteArray::fromHex("1B454E1B55311B6B321B6118"));
}

TEST_F(KvuCtlTest, BurnExitCodes) {
    {
        CSimHarness h;
        EXPECT_EQ(Run({"burn", project}, &h), 0)
            << err.toStdString() << h.Services().MessageTexts().join(" | ").toStdString();
        EXPECT_TRUE(h.Services().MessageTexts().join("|").contains("Success: Received D!X."));
    }
    {
        SimConfig config;
        config.faults.noDx = true;
        CSimHarness h(config);
        EXPECT_EQ(Run({"burn", project}, &h), 1);
    }
    {
        SimConfig config;
        config.faults.noQuestion = true;
        CSimHarness h(config);
        EXPECT_EQ(Run({"burn", project}, &h), 1) << "no '?' and no --yes";
        CSimHarness h2(config);
        EXPECT_EQ(Run({"burn", project, "--yes"}, &h2), 0);
    }
    EXPECT_EQ(Run({"burn", project, "--port", "/dev/nonexistent-kvu"}), 4);
    EXPECT_EQ(Run({"send", "x", "--port", "/dev/nonexistent-kvu"}), 4);
}

namespace {
// Hands kvuctl the harness's recorder and sends the process a signal as a step text
// starts so, as a user's Ctrl-C (or a service manager's SIGTERM) would come.
class CSignallingServices : public CForwardingServices {
public:
    CSignallingServices(IUiServices& target, QString at, int signal)
        : CForwardingServices(target), m_at(std::move(at)), m_signal(signal) {}
    void Status(const QString& text) override {
        CForwardingServices::Status(text);
        if (!m_sent && text.startsWith(m_at)) {
            m_sent = true;
            std::raise(m_signal);
        }
    }

private:
    QString m_at;
    int m_signal;
    bool m_sent = false;
};
} // namespace

TEST_F(KvuCtlTest, ASignalEndsTheExchangeClosesThePortAndSaysWhatToDo) {
    const QString file = dir.filePath("lines.txt");
    {
        QFile f(file);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        for (int i = 1; i <= 30; ++i)
            f.write("L" + QByteArray::number(i) + "\r\n");
    }
    const struct {
        const char* name;
        QStringList args;
        const char* at;
        int signal;
        int exit;
        const char* told;       // on stderr
        QByteArray receivedEnd; // the last bytes the printer got
    } rows[] = {
        {"burn, Ctrl-C",
         {"burn", project},
         "Sent user commands.",
         SIGINT,
         130,
         "still be collecting the attribute stream",
         QByteArray("\x1BU1\x1Bk2\x1B"
                    "a\x18")},
        {"burn, SIGTERM",
         {"burn", project},
         "Sent ESC-XX.",
         SIGTERM,
         143,
         "Interrupted after \"Sent ESC-XX.\"",
         QByteArray("\x1BXX")},
        {"bt write",
         {"bt", "write", "--name", "Till 9"},
         "Sent AT*",
         SIGINT,
         130,
         "Sent AT*ADDM and ### to end the pass-through.",
         QByteArray("AT*ADDM\r###")},
        // What was queued in the port is dropped: the printer gets at most the lines
        // before the interrupt, however many of them had gone out.
        {"send-file",
         {"send-file", file},
         "Sending: L10",
         SIGINT,
         130,
         "interrupted at line 10",
         QByteArray()},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        CSimHarness h;
        ASSERT_TRUE(h.Started());
        KvuCtlContext context;
        const QString at = QLatin1String(row.at);
        const int signal = row.signal;
        context.makeServices = [&h, at, signal](bool) {
            return std::make_unique<CSignallingServices>(h.Services(), at, signal);
        };
        const auto before = std::signal(row.signal, SIG_DFL);
        std::signal(row.signal, before);
        EXPECT_EQ(RunWith(row.args + QStringList{"--port", h.Sim().DevicePath()}, context),
                  row.exit)
            << err.toStdString();
        // Messages go to the recorder, the command's own lines to stderr.
        const QString told = err + h.Services().MessageTexts().join('\n');
        EXPECT_TRUE(told.contains(QLatin1String(row.told))) << told.toStdString();
        EXPECT_EQ(h.Link().m_bOpen, 0);
        const QByteArray received = h.TakeReceived();
        if (row.receivedEnd.isEmpty()) {
            QFile f(file);
            ASSERT_TRUE(f.open(QIODevice::ReadOnly));
            EXPECT_TRUE(f.readAll().left(QByteArray("L1\r\n").size() * 9 + 5).startsWith(received))
                << received.toStdString();
        } else {
            EXPECT_TRUE(received.endsWith(row.receivedEnd)) << received.toHex().toStdString();
        }
        // The signal's own handling is back once the command is over.
        EXPECT_EQ(std::signal(row.signal, before), before);
    }
}

TEST_F(KvuCtlTest, ArgumentBytesAreTakenAsTheyAre) {
    const struct {
        QByteArray raw;
        const char* hex;
    } cases[] = {
        {QByteArray("A\xC9\xFF"
                    "B"),
         "41 C9 FF 42"},                          // not UTF-8: the bytes themselves
        {QByteArray("\x80\x81\x9D"), "80 81 9D"}, // including the unassigned ones
        {QByteArray("A\xC3\xA9\xE2\x82\xAC"
                    "B"),
         "41 E9 80 42"}, // UTF-8 é and €
        {QByteArray("^[\\x41"), "1B 41"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(Run({"notation", KvuCtlArgument(c.raw)}), 0);
        EXPECT_EQ(out, QLatin1String(c.hex) + QLatin1Char('\n')) << c.raw.toHex().constData();
    }
    CSimHarness h;
    EXPECT_EQ(Run({"send", KvuCtlArgument(QByteArray("A\xC9\xFF"
                                                     "B"))},
                  &h),
              0);
    EXPECT_EQ(h.TakeReceived(), QByteArray("A\xC9\xFF"
                                           "B"));
}

TEST_F(KvuCtlTest, ProjectShowNeverPassesControlBytesAndShowsWhatIsSent) {
    CKVUDoc doc;
    doc.m_bUnderline = 256; // the stream takes the low byte: nothing is sent
    doc.m_bBold = 257;
    doc.m_nFont = 2147483647;
    doc.m_nLineSpacing = 300;
    doc.m_strTestMessage = QStringLiteral("\x1B]0;title\x07\x1B[2J\r\n\x7F");
    doc.m_strMacroCaption[0] = QString(QChar(0x9D));
    const QString path = dir.filePath("odd.qpf");
    ASSERT_EQ(CProjectFile::Save(path, doc), CProjectFile::Result::Ok);
    EXPECT_EQ(Run({"project", "show", path}), 0);
    for (QChar c : out)
        EXPECT_TRUE(c == QLatin1Char('\n') || (c >= QLatin1Char(' ') && c != QChar(0x7F) &&
                                               (c < QChar(0x80) || c > QChar(0x9F))))
            << "control character " << c.unicode() << " reached the terminal";
    EXPECT_TRUE(out.contains("Test Message         \"^[]0;title^G^[[2J^M^J\\x7F\""));
    EXPECT_TRUE(out.contains("Macro 1              \"\\x9D\""));
    EXPECT_TRUE(out.contains("Underline            - (stored 256)"));
    EXPECT_TRUE(out.contains("Bold                 checked (stored 257)"));
    EXPECT_TRUE(out.contains("Font                 blank (stored 2147483647, not in the list)"));
    EXPECT_TRUE(out.contains("Line Spacing         255 (stored 300)"));
    EXPECT_TRUE(out.contains("Attribute stream     1B 55 31 1B 61 FF"));
}

TEST_F(KvuCtlTest, DevicesAndFifosAreRefusedWithoutHanging) {
    const QString fifo = dir.filePath("f.qpf");
    ASSERT_EQ(mkfifo(fifo.toLocal8Bit().constData(), 0600), 0);
    for (const QString& source : {fifo, QStringLiteral("/dev/zero")}) {
        EXPECT_EQ(Run({"project", "show", source}), 3) << source.toStdString();
        EXPECT_TRUE(err.contains("Failed to open document. (is not a regular file)"))
            << err.toStdString();
        EXPECT_EQ(Run({"export", source, "-o", dir.filePath("x.prn")}), 3);
    }
    for (const QString& target : {fifo, QStringLiteral("/dev/null")}) {
        EXPECT_EQ(Run({"export", project, "-o", target}), 3) << target.toStdString();
        EXPECT_TRUE(err.contains("(is not a regular file)")) << err.toStdString();
        EXPECT_EQ(Run({"project", "new", target, "--force"}), 3);
        EXPECT_TRUE(err.contains("(is not a regular file)"));
    }
    struct stat st {};
    ASSERT_EQ(stat(fifo.toLocal8Bit().constData(), &st), 0);
    EXPECT_TRUE(S_ISFIFO(st.st_mode));
}

TEST_F(KvuCtlTest, EveryCommandHasItsOwnHelpAndIsListed) {
    EXPECT_EQ(Run({"--help"}), 0);
    const QString overview = out;
    for (const QString& name :
         {QStringLiteral("export"), QStringLiteral("configure"), QStringLiteral("burn"),
          QStringLiteral("send"), QStringLiteral("notation"), QStringLiteral("project show"),
          QStringLiteral("project new")}) {
        EXPECT_TRUE(overview.contains(QStringLiteral("  ") + name + QLatin1Char(' ')))
            << name.toStdString();
        QStringList args = name.split(' ');
        args << "--help";
        EXPECT_EQ(Run(args), 0) << name.toStdString();
        EXPECT_TRUE(out.startsWith(QStringLiteral("Usage: kvuctl ") + name + QLatin1Char(' ')))
            << out.toStdString();
        EXPECT_TRUE(out.contains("Exit codes:"));
    }
    EXPECT_EQ(Run({"project"}), 2);
    EXPECT_TRUE(err.contains("use 'project show FILE' or 'project new FILE [--force]'"));
    EXPECT_EQ(Run({"notation", "A", "B"}), 2) << "one TEXT only";
    EXPECT_TRUE(err.contains("use 'kvuctl notation TEXT'"));
    EXPECT_EQ(Run({"notation", "A", "--force"}), 0) << "an option without use is named, not fatal";
    EXPECT_TRUE(err.contains("'notation' ignores --force"));
    EXPECT_EQ(out, "41\n");
}

TEST_F(KvuCtlTest, QueryMacroSendFileAndMonitor) {
    CSimHarness h;
    EXPECT_EQ(Run({"query", "battery"}, &h), 0);
    EXPECT_EQ(h.TakeReceived(), QByteArray("\x16"));
    EXPECT_TRUE(out.startsWith("reply: ^[V")) << out.toStdString();
    EXPECT_TRUE(out.contains("\nVoltage = ")) << out.toStdString();
    EXPECT_TRUE(out.contains("\nTemperature = "));
    EXPECT_TRUE(out.contains("(V)\n") && !out.contains("(V)\r")) << "lines end without the CR";
    {
        // A reply that ends in CR alone still ends its line before the interpretation.
        SimConfig config;
        config.faults.cutReplyAt = 7;
        CSimHarness cut(config);
        EXPECT_EQ(Run({"query", "battery"}, &cut), 0);
        EXPECT_TRUE(out.startsWith("reply: ^[V")) << out.toStdString();
        EXPECT_TRUE(out.contains("\nVoltage = ")) << out.toStdString();
        EXPECT_FALSE(out.contains('\r')) << "the reply's CR is a line break, LF alone";
    }
    EXPECT_EQ(Run({"query", "cancel-mcr"}, &h), 1) << "no reply";
    EXPECT_EQ(h.TakeReceived(), QByteArray("\x1B"
                                           "C"));
    EXPECT_EQ(Run({"query", "voltage"}, &h), 2);

    EXPECT_EQ(Run({"macro", "^[U1^M^J"}, &h), 0);
    EXPECT_EQ(h.TakeReceived(), QByteArray("\x1BU1\r\n"));

    const QString file = dir.filePath("three.txt");
    QFile f(file);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write("A\r\n\r\nB");
    f.close();
    EXPECT_EQ(Run({"send-file", file}, &h), 0);
    EXPECT_EQ(h.TakeReceived(), QByteArray("A\r\n\r\nB\r\n"));
    EXPECT_EQ(Run({"send-file", dir.filePath("missing.txt")}, &h), 3);
    EXPECT_TRUE(h.TakeReceived().isEmpty());
    {
        // "-" is standard input, read to its end first.
        QBuffer piped;
        piped.setData("C\nD\r\n");
        piped.open(QIODevice::ReadOnly);
        KvuCtlContext context;
        context.in = &piped;
        context.makeServices = [&h](bool) {
            return std::make_unique<CForwardingServices>(h.Services(), false);
        };
        EXPECT_EQ(RunWith({"send-file", "-", "--port", h.Sim().DevicePath()}, context), 0)
            << err.toStdString();
        EXPECT_EQ(h.TakeReceived(), QByteArray("C\r\nD\r\n"));
    }

    // The printer's answer to a query sent before the monitor starts comes back to it.
    EXPECT_EQ(Run({"macro", "^[P)"}, &h), 0);
    const QString copy = dir.filePath("monitor.log");
    EXPECT_EQ(Run({"monitor", "--seconds", "1", "-o", copy}, &h), 0);
    EXPECT_EQ(out, "TARVO3-576-BT-WLAN\n") << "the reply's CR LF is one line break, LF alone";
    QFile copied(copy);
    ASSERT_TRUE(copied.open(QIODevice::ReadOnly));
    EXPECT_EQ(QString::fromUtf8(copied.readAll()), out) << "the copy is what was shown";
    EXPECT_EQ(Run({"monitor", "--seconds", "1", "-o", dir.path()}, &h), 3);
    EXPECT_EQ(Run({"monitor", "--seconds", "0"}, &h), 2);
    EXPECT_EQ(h.Link().m_bOpen, 0);
}

TEST_F(KvuCtlTest, SendFileLooksAtTheFileBeforeThePortAndNamesIt) {
    const struct {
        QString path;
        const char* reason;
    } files[] = {{dir.path(), "is a folder"}, {dir.filePath("missing.txt"), "No such file"}};
    for (const auto& f : files) {
        EXPECT_EQ(Run({"send-file", f.path, "--port", "/dev/nonexistent-kvu-port"}), 3);
        EXPECT_TRUE(err.contains(f.path) && err.contains(f.reason)) << err.toStdString();
    }
}

namespace {
// Pulls the printer's cable the first time the program waits on the link.
class CHangupOnFirstWait : public CForwardingServices {
public:
    CHangupOnFirstWait(IUiServices& inner, CSimulator& sim)
        : CForwardingServices(inner), m_sim(&sim) {}
    void KeepAlive() override {
        if (CSimulator* sim = std::exchange(m_sim, nullptr))
            sim->Hangup();
        CForwardingServices::KeepAlive();
    }

private:
    CSimulator* m_sim;
};
} // namespace

TEST_F(KvuCtlTest, MonitorEndsWithExit4WhenThePrinterGoesAway) {
    CSimHarness h;
    KvuCtlContext context;
    context.makeServices = [&h](bool) {
        return std::make_unique<CHangupOnFirstWait>(h.Services(), h.Sim());
    };
    EXPECT_EQ(RunWith({"monitor", "--seconds", "30", "--port", h.Sim().DevicePath()}, context), 4);
    ASSERT_FALSE(h.Services().StatusTexts().isEmpty());
    EXPECT_TRUE(h.Services().StatusTexts().last().startsWith("The link to the printer was lost"));
}

namespace {
// A command line split as a shell splits it: at spaces, except inside single quotes.
QStringList ShellWords(const QString& line) {
    QStringList words;
    QString word;
    bool quoted = false, inWord = false;
    for (QChar ch : line) {
        if (ch == QLatin1Char('\'')) {
            quoted = !quoted;
            inWord = true;
        } else if (ch == QLatin1Char(' ') && !quoted) {
            if (inWord)
                words << word;
            word.clear();
            inWord = false;
        } else {
            word += ch;
            inWord = true;
        }
    }
    EXPECT_FALSE(quoted) << line.toStdString();
    if (inWord)
        words << word;
    return words;
}
} // namespace

TEST_F(KvuCtlTest, EveryExampleIsACommandLineItsCommandAccepts) {
    for (const CCliCommand& c : CommandTable()) {
        EXPECT_FALSE(c.examples.isEmpty()) << c.name.toStdString();
        for (const QString& example : c.examples) {
            const QStringList words = ShellWords(example);
            QCommandLineParser parser;
            parser.setOptionsAfterPositionalArgumentsMode(QCommandLineParser::ParseAsOptions);
            parser.addOptions(KvuCtlOptions());
            ASSERT_TRUE(parser.parse(words))
                << example.toStdString() << ": " << parser.errorText().toStdString();
            const QStringList name = c.name.split(QLatin1Char(' '));
            const QStringList args = parser.positionalArguments();
            EXPECT_EQ(args.mid(0, name.size()), name) << example.toStdString();
            EXPECT_EQ(args.size(), name.size() + c.arguments) << example.toStdString();
            for (const QString& option : parser.optionNames()) {
                const QString full =
                    option == QLatin1String("o") ? QStringLiteral("output") : option;
                EXPECT_TRUE(c.options.contains(full))
                    << example.toStdString() << ": --" << full.toStdString();
            }
        }
    }
}

TEST_F(KvuCtlTest, CommandHelpShowsItsExamples) {
    EXPECT_EQ(Run({"burn", "--help"}), 0);
    EXPECT_TRUE(out.contains("\nExamples:\n  kvuctl burn shop.qpf --port /dev/ttyUSB0"))
        << out.toStdString();
    EXPECT_EQ(Run({"notation", "--help"}), 0);
    EXPECT_TRUE(out.contains("\nExample:\n  kvuctl notation ")) << out.toStdString();
}

TEST_F(KvuCtlTest, GroupHelpListsTheGroupsCommandsWithExamples) {
    QStringList groups;
    for (const CCliCommand& c : CommandTable()) {
        if (!CommandGroup(c).isEmpty() && !groups.contains(CommandGroup(c)))
            groups << CommandGroup(c);
    }
    ASSERT_TRUE(groups.contains(QStringLiteral("logo")));
    EXPECT_EQ(Run({"--help"}), 0);
    EXPECT_TRUE(out.contains(QStringLiteral("kvuctl GROUP --help (%1)").arg(groups.join(", "))))
        << out.toStdString();
    for (const QString& group : groups) {
        EXPECT_EQ(Run({group, "--help"}), 0) << group.toStdString();
        EXPECT_TRUE(out.startsWith(QStringLiteral("Usage: kvuctl %1 COMMAND").arg(group)));
        for (const CCliCommand& c : CommandTable()) {
            const bool member = CommandGroup(c) == group;
            EXPECT_EQ(out.contains(QStringLiteral("\n  %1 %2\n").arg(c.name, c.synopsis)), member)
                << group.toStdString() << " / " << c.name.toStdString();
            for (const QString& e : c.examples)
                EXPECT_EQ(out.contains(QStringLiteral("  ") + e + QLatin1Char('\n')), member)
                    << e.toStdString();
        }
    }
    // Only a group has a group help; anything else stays a usage error.
    EXPECT_EQ(Run({"frobnicate", "--help"}), 2);
    EXPECT_EQ(Run({"logo", "flush", "--help"}), 2);
    EXPECT_TRUE(err.contains("use 'logo check BMP' or")) << err.toStdString();
}

TEST_F(KvuCtlTest, EveryLineBreakOfTheMonitorFormIsOneLf) {
    const struct {
        QStringList pieces;
        const char* lines;
    } rows[] = {
        {{"A\r\nB\rC\nD"}, "A\nB\nC\nD"}, {{"A\r", "\nB"}, "A\nB"},   // CR LF cut between two reads
        {{"A\r", "\r\nB"}, "A\n\nB"},     {{"A\n\r", "B"}, "A\n\nB"}, // LF CR is two
        {{"\r", "", "\n"}, "\n"},
    };
    for (const auto& row : rows) {
        CLineBreaks breaks;
        QString all;
        for (const QString& piece : row.pieces)
            all += breaks.Lines(piece);
        EXPECT_EQ(all.toStdString(), row.lines) << row.pieces.join('|').toStdString();
    }
}
