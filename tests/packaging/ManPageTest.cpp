// The manual pages as the build writes them: every command, option and example of kvuctl,
// every option of tarvo3-sim, and roff that renders without a warning.

#include "CliCommand.h"
#include "CliDocs.h"
#include "KvuCtl.h"

#include <QCommandLineOption>
#include <QFile>
#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>
#include <gtest/gtest.h>

namespace {
const QString kMan = QStringLiteral(KVU_PACKAGING_OUT "/man/");

QString Read(const QString& path) {
    QFile f(path);
    EXPECT_TRUE(f.open(QIODevice::ReadOnly)) << path.toStdString();
    return QString::fromUtf8(f.readAll());
}

// What groff says about a page; empty when it has nothing to complain about.
QString GroffWarnings(const QString& path) {
    QProcess groff;
    groff.start(QStringLiteral("groff"), {QStringLiteral("-man"), QStringLiteral("-ww"),
                                          QStringLiteral("-z"), QStringLiteral("-Tutf8"), path});
    EXPECT_TRUE(groff.waitForFinished(10000));
    return QString::fromUtf8(groff.readAllStandardError());
}

// The page as a reader sees it, without the formatting.
QString Rendered(const QString& path) {
    QProcess groff;
    groff.start(QStringLiteral("groff"), {QStringLiteral("-man"), QStringLiteral("-Tascii"),
                                          QStringLiteral("-P-cbou"), path});
    EXPECT_TRUE(groff.waitForFinished(10000));
    // Long lines are hyphenated and broken: compare words with single spaces.
    return QString::fromUtf8(groff.readAllStandardOutput()).simplified();
}

bool HaveGroff() {
    return !QStandardPaths::findExecutable(QStringLiteral("groff")).isEmpty();
}
} // namespace

TEST(ManPageTest, KvuctlPageNamesEveryCommandOptionAndExample) {
    const QString page = Read(kMan + QStringLiteral("kvuctl.1"));
    ASSERT_FALSE(page.isEmpty());
    EXPECT_FALSE(page.contains(QRegularExpression(QStringLiteral("@[A-Z_]+@"))));
    for (const CCliCommand& c : CommandTable()) {
        EXPECT_TRUE(
            page.contains(QStringLiteral("\\fBkvuctl %1\\fR").arg(CliDocs::RoffEscape(c.name))))
            << c.name.toStdString();
        ASSERT_FALSE(c.examples.isEmpty()) << c.name.toStdString();
        for (const QString& e : c.examples)
            EXPECT_TRUE(page.contains(CliDocs::RoffEscape(e))) << e.toStdString();
    }
    for (const QCommandLineOption& o : KvuCtlOptions()) {
        const QString name = o.names().last();
        EXPECT_TRUE(page.contains(QStringLiteral("\\-\\-") + CliDocs::RoffEscape(name)))
            << name.toStdString();
    }
}

TEST(ManPageTest, PagesRenderWithoutWarnings) {
    if (!HaveGroff())
        GTEST_SKIP() << "no groff";
    for (const char* page : {"kvu.1", "kvuctl.1", "tarvo3-sim.1"}) {
        EXPECT_EQ(GroffWarnings(kMan + QLatin1String(page)).toStdString(), "") << page;
    }
}

TEST(ManPageTest, RenderedCommandsReadAsTheirHelp) {
    if (!HaveGroff())
        GTEST_SKIP() << "no groff";
    const QString text = Rendered(kMan + QStringLiteral("kvuctl.1"));
    for (const CCliCommand& c : CommandTable()) {
        EXPECT_TRUE(text.contains(QStringLiteral("kvuctl %1 %2").arg(c.name, c.synopsis)))
            << c.name.toStdString();
        EXPECT_TRUE(text.contains(c.summary.simplified())) << c.name.toStdString();
        for (const QString& e : c.examples)
            EXPECT_TRUE(text.contains(e)) << e.toStdString();
    }
}

TEST(ManPageTest, SimulatorPageDocumentsEveryOptionOfItsHelp) {
    QProcess sim;
    sim.start(QStringLiteral(KVU_TARVO3_SIM), {QStringLiteral("--help")});
    ASSERT_TRUE(sim.waitForFinished(10000));
    const QString help = QString::fromUtf8(sim.readAllStandardOutput());
    const QString page = Read(kMan + QStringLiteral("tarvo3-sim.1"));
    int options = 0;
    static const QRegularExpression option(QStringLiteral("^\\s+(?:-\\w, )?--([a-z-]+)"),
                                           QRegularExpression::MultilineOption);
    for (auto it = option.globalMatch(help); it.hasNext();) {
        const QString name = it.next().captured(1);
        if (name == QLatin1String("help-all")) // Qt's own
            continue;
        ++options;
        EXPECT_TRUE(
            page.contains(QStringLiteral(".B") + QStringLiteral("\\-\\-") +
                          CliDocs::RoffEscape(name)) ||
            page.contains(QStringLiteral("\\-\\-") + CliDocs::RoffEscape(name) +
                          QLatin1Char(' ')) ||
            page.contains(QStringLiteral("\\-\\-") + CliDocs::RoffEscape(name) + QLatin1Char('\n')))
            << name.toStdString();
    }
    EXPECT_GT(options, 15) << help.toStdString();
}

TEST(CliDocsTest, RoffEscapes) {
    const struct {
        const char* text;
        const char* roff;
    } cases[] = {
        {"--port", "\\-\\-port"},
        {"^[ is ESC, \\x41", "\\(ha[ is ESC, \\ex41"},
        {".hidden\nplain. 'x' ~/a `b`", "\\&.hidden\nplain. \\(aqx\\(aq \\(ti/a \\(gab\\(ga"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(CliDocs::RoffEscape(QLatin1String(c.text)).toStdString(), c.roff);
}

TEST(CliDocsTest, TemplatesAreFilledOrRefused) {
    QString filled, error;
    ASSERT_TRUE(CliDocs::FillTemplate(QStringLiteral("v@KVU_VERSION@ (a@b.c)"), &filled, &error));
    EXPECT_EQ(filled, QStringLiteral("v%1 (a@b.c)").arg(CliDocs::TemplateValues()["KVU_VERSION"]));
    EXPECT_FALSE(CliDocs::FillTemplate(QStringLiteral("x @KVU_VERSOIN@"), &filled, &error));
    EXPECT_TRUE(error.contains(QLatin1String("KVU_VERSOIN")));
}
