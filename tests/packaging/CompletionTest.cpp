// The bash completion script as the build writes it, run in a real bash against the
// command table it was made from.

#include "CliCommand.h"
#include "app/SerialPort.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QSet>
#include <QStandardPaths>
#include <QTemporaryDir>
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
