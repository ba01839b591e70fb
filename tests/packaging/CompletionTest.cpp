// The bash completion script as the build writes it, run in a real bash against the
// command table it was made from.

#include "../core/logo/BmpBuilder.h"
#include "CliCommand.h"
#include "KvuCtl.h"
#include "KvuCtlOptions.h"
#include "RecordingServices.h"
#include "app/SerialPort.h"

#include <QCommandLineOption>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QSet>
#include <QSettings>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTextStream>
#include <gtest/gtest.h>

namespace {
const QString kScript = QStringLiteral(KVU_PACKAGING_OUT "/kvuctl");

class CompletionTest : public ::testing::Test {
protected:
    void SetUp() override {
        if (QStandardPaths::findExecutable(QStringLiteral("bash")).isEmpty())
            GTEST_SKIP() << "no bash";
        ASSERT_TRUE(QFile::exists(kScript)) << kScript.toStdString();
        // A folder to complete file names in.
        for (const char* name : {"shop.qpf", "logo.bmp", "photo.PNG", "notes.txt"}) {
            QFile f(dir.filePath(QLatin1String(name)));
            ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        }
        ASSERT_TRUE(QDir(dir.path()).mkdir(QStringLiteral("sub")));
    }

    // What bash offers when the line typed so far is `line` (the last word, possibly
    // empty, being completed). Words are split at spaces, as bash would split them.
    QSet<QString> Complete(const QString& line) {
        QStringList words = line.split(QLatin1Char(' '));
        QString array;
        for (const QString& w : words)
            array += QStringLiteral(" '") + w + QLatin1Char('\'');
        const QString program = QStringLiteral("source '%1' || exit 9\n"
                                               "COMP_WORDS=(%2)\nCOMP_CWORD=%3\n_kvuctl\n"
                                               "printf '%s\\n' \"${COMPREPLY[@]}\"\n"
                                               "[[ -z ${REPLY+set} ]] || echo REPLY-LEAKED\n")
                                    .arg(kScript, array)
                                    .arg(words.size() - 1);
        QProcess bash;
        bash.setWorkingDirectory(dir.path());
        bash.start(QStringLiteral("bash"),
                   {QStringLiteral("--norc"), QStringLiteral("-c"), program});
        EXPECT_TRUE(bash.waitForFinished(10000));
        EXPECT_EQ(bash.exitCode(), 0) << bash.readAllStandardError().toStdString();
        QSet<QString> offered;
        for (const QString& w : QString::fromUtf8(bash.readAllStandardOutput())
                                    .split(QLatin1Char('\n'), Qt::SkipEmptyParts))
            offered.insert(w);
        EXPECT_FALSE(offered.contains(QStringLiteral("REPLY-LEAKED"))) << line.toStdString();
        offered.remove(QStringLiteral("REPLY-LEAKED"));
        return offered;
    }

    QTemporaryDir dir;
};

std::string Show(const QSet<QString>& s) {
    QStringList l(s.begin(), s.end());
    l.sort();
    return l.join(QLatin1Char(' ')).toStdString();
}
} // namespace

TEST_F(CompletionTest, FirstWordIsEveryCommandOrGroupOfTheTable) {
    QSet<QString> expected;
    for (const CCliCommand& c : CommandTable())
        expected.insert(c.name.section(QLatin1Char(' '), 0, 0));
    EXPECT_EQ(Show(Complete(QStringLiteral("kvuctl "))), Show(expected));
    EXPECT_EQ(Show(Complete(QStringLiteral("kvuctl lo"))), "logo");
    EXPECT_EQ(Show(Complete(QStringLiteral("kvuctl --"))), "--help --version");
}

TEST_F(CompletionTest, SecondWordOfEachGroup) {
    QMap<QString, QSet<QString>> groups;
    for (const CCliCommand& c : CommandTable()) {
        if (!CommandGroup(c).isEmpty())
            groups[CommandGroup(c)].insert(c.name.section(QLatin1Char(' '), 1));
    }
    ASSERT_TRUE(groups.contains(QStringLiteral("logo")));
    for (auto it = groups.begin(); it != groups.end(); ++it)
        EXPECT_EQ(Show(Complete(QStringLiteral("kvuctl %1 ").arg(it.key()))), Show(it.value()))
            << it.key().toStdString();
}

TEST_F(CompletionTest, OptionsOfEachCommandAreTheOnesItTakes) {
    for (const CCliCommand& c : CommandTable()) {
        QSet<QString> expected{QStringLiteral("--help")};
        for (const QString& o : c.options) {
            expected.insert(QStringLiteral("--") + o);
            if (o == QLatin1String("output"))
                expected.insert(QStringLiteral("-o"));
        }
        // Arguments already typed do not change what the options are.
        QString line = QStringLiteral("kvuctl ") + c.name;
        for (int i = 0; i < c.arguments; ++i)
            line += QStringLiteral(" 1");
        EXPECT_EQ(Show(Complete(line + QStringLiteral(" -"))), Show(expected))
            << line.toStdString();
    }
}

TEST_F(CompletionTest, OptionValues) {
    QSet<QString> rates;
    for (const CSerialPort::BaudRow& row : CSerialPort::kBaudTable)
        rates.insert(QString::number(row.rate));
    EXPECT_EQ(Show(Complete(QStringLiteral("kvuctl burn shop.qpf --baud "))), Show(rates));
    EXPECT_EQ(Show(Complete(QStringLiteral("kvuctl burn --baud 1"))), "115200 1200 14400 19200");
    EXPECT_EQ(Complete(QStringLiteral("kvuctl logo feed --port COM")).size(),
              CSerialPort::kPortCount);
    // bash makes three words of "--port=COM1".
    EXPECT_EQ(Show(Complete(QStringLiteral("kvuctl logo feed --port = COM2"))), "COM2 COM20");
    // A device path completes as a file name.
    EXPECT_TRUE(Complete(QStringLiteral("kvuctl logo feed --port /de")).contains("/dev"));
    EXPECT_EQ(Show(Complete(QStringLiteral("kvuctl export shop.qpf -o "))),
              "logo.bmp notes.txt photo.PNG shop.qpf sub");
    // A value that offers nothing: no options, no files.
    EXPECT_TRUE(Complete(QStringLiteral("kvuctl logo preview x.bmp --height ")).isEmpty());
}

TEST_F(CompletionTest, ChoiceOptionsOfferTheirChoices) {
    const struct {
        const char* line;
        const char* offered;
    } rows[] = {
        {"kvuctl bt write --discoverable ", "0 1 2"},
        {"kvuctl bt write --power ", "0 1 2"},
        {"kvuctl bt write --security ", "0 1"},
        {"kvuctl bt read --to U", "U0 U1 U2 U3 U4"},
        {"kvuctl wlan read --from = U", "U0 U1 U2 U3 U4"},
        {"kvuctl wlan write --mode ", "1 2"},
        {"kvuctl wlan write --authentication ", "0 1 2 3"},
        {"kvuctl wlan write --encryption ", "0 1 2 3 4"},
        {"kvuctl wlan write --link-adaptation ", "0 1"},
        {"kvuctl wlan write --dhcp ", "0 1"},
        {"kvuctl wlan write --key-index ", "1 2 3 4"},
        {"kvuctl wlan write --active-key 4", "4"},
        {"kvuctl logo preview x.bmp --width-code ", "2 3 4"},
        {"kvuctl logo preview x.bmp --zoom 1", "12"},
        {"kvuctl logo flash 3 x.bmp --threshold ", "25 50 75 99"},
        // Free values still offer nothing.
        {"kvuctl wlan write --ssid ", ""},
        {"kvuctl bt write --class ", ""},
    };
    for (const auto& r : rows)
        EXPECT_EQ(Show(Complete(QLatin1String(r.line))), r.offered) << r.line;
}

// The choices the completion and the manual page show are the ones the commands take:
// each is accepted, and the value next to them refused as a wrong command line.
TEST_F(CompletionTest, OfferedChoicesAreTheOnesTheCommandsTake) {
    BmpBuilder bmp;
    QFile picture(dir.filePath(QStringLiteral("choice.bmp")));
    ASSERT_TRUE(picture.open(QIODevice::WriteOnly));
    picture.write(bmp.Build());
    picture.close();
    QSettings settings(dir.filePath(QStringLiteral("KVU.ini")), QSettings::IniFormat);
    // A radio command with a value it takes goes on to the port, which is not there (4).
    const QString noPort = dir.filePath(QStringLiteral("no-such-tty"));
    const struct {
        const char* option;
        QStringList command; // the option and its value follow
        const char* refused; // null: the command takes any text (the module refuses it)
        int accepted;
    } rows[] = {
        {"width-code",
         {"logo", "preview", picture.fileName(), "-o", dir.filePath("p.pbm")},
         "5",
         0},
        {"zoom", {"logo", "preview", picture.fileName(), "-o", dir.filePath("p.pbm")}, "5", 0},
        {"threshold",
         {"logo", "preview", picture.fileName(), "-o", dir.filePath("p.pbm")},
         "51",
         0},
        // An output with no file ending takes its format from --format.
        {"format", {"logo", "preview", picture.fileName(), "-o", dir.filePath("p")}, "gif", 0},
        {"discoverable", {"bt", "write", "--port", noPort}, "3", 4},
        {"power", {"bt", "write", "--port", noPort}, "3", 4},
        {"security", {"bt", "write", "--port", noPort}, "2", 4},
        {"link-adaptation", {"wlan", "write", "--port", noPort}, "2", 4},
        {"dhcp", {"wlan", "write", "--port", noPort}, "2", 4},
        {"from", {"bt", "read", "--port", noPort}, nullptr, 4},
        {"to", {"wlan", "read", "--port", noPort}, nullptr, 4},
        {"mode", {"wlan", "write", "--port", noPort}, nullptr, 4},
        {"authentication", {"wlan", "write", "--port", noPort}, nullptr, 4},
        {"encryption", {"wlan", "write", "--port", noPort}, nullptr, 4},
        {"active-key", {"wlan", "write", "--port", noPort}, nullptr, 4},
        // A key index names the key --key writes: given alone it is refused.
        {"key-index", {"wlan", "write", "--key", "k", "--port", noPort}, nullptr, 4},
    };
    auto run = [&](QStringList args) {
        QString out, err;
        QTextStream o(&out), e(&err);
        KvuCtlContext context;
        context.out = &o;
        context.err = &e;
        context.settings = &settings;
        context.makeServices = [](bool) { return std::make_unique<CRecordingServices>(); };
        const int rc = RunKvuCtl(args, context);
        return std::make_pair(rc, err);
    };
    QSet<QString> covered;
    for (const auto& r : rows) {
        QString choices;
        for (const QCommandLineOption& o : KvuCtlOptions()) {
            if (o.names().last() == QLatin1String(r.option))
                choices = o.valueName();
        }
        ASSERT_TRUE(choices.contains(QLatin1Char('|'))) << r.option;
        covered.insert(QLatin1String(r.option));
        const QStringList head = QStringList{QStringLiteral("kvuctl")} + r.command;
        for (const QString& value : choices.split(QLatin1Char('|'))) {
            const auto [rc, err] =
                run(head + QStringList{QStringLiteral("--") + QLatin1String(r.option), value});
            EXPECT_EQ(rc, r.accepted)
                << r.option << " " << value.toStdString() << ": " << err.toStdString();
        }
        if (r.refused) {
            const auto [rc, err] =
                run(head + QStringList{QStringLiteral("--") + QLatin1String(r.option),
                                       QLatin1String(r.refused)});
            EXPECT_EQ(rc, 2) << r.option << " " << r.refused;
        }
    }
    // Every option with choices has its row.
    for (const QCommandLineOption& o : KvuCtlOptions()) {
        if (o.valueName().contains(QLatin1Char('|'))) {
            EXPECT_TRUE(covered.contains(o.names().last())) << o.names().last().toStdString();
        }
    }
}

TEST_F(CompletionTest, ArgumentsByTheirNames) {
    EXPECT_EQ(Show(Complete(QStringLiteral("kvuctl logo flash "))), "0 1 2 3 4 5 6 7");
    EXPECT_EQ(Show(Complete(QStringLiteral("kvuctl logo flash 3 "))), "logo.bmp photo.PNG sub");
    // Options and their values before an argument are not arguments.
    EXPECT_EQ(Show(Complete(QStringLiteral("kvuctl logo flash --zoom 4 --dither 3 "))),
              "logo.bmp photo.PNG sub");
    EXPECT_EQ(Show(Complete(QStringLiteral("kvuctl burn "))), "shop.qpf sub");
    EXPECT_EQ(Show(Complete(QStringLiteral("kvuctl burn --port COM2 "))), "shop.qpf sub");
    EXPECT_EQ(Show(Complete(QStringLiteral("kvuctl query "))),
              "battery buffer cancel-mcr firmware model");
    EXPECT_EQ(Show(Complete(QStringLiteral("kvuctl send-file "))),
              "logo.bmp notes.txt photo.PNG shop.qpf sub");
    // Free text, an argument too many, an unknown command: nothing to offer.
    EXPECT_TRUE(Complete(QStringLiteral("kvuctl send ")).isEmpty());
    EXPECT_TRUE(Complete(QStringLiteral("kvuctl logo print 3 ")).isEmpty());
    EXPECT_TRUE(Complete(QStringLiteral("kvuctl frobnicate ")).isEmpty());
}
