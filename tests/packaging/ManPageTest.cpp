// The manual pages as the build writes them: every command, option and example of kvuctl,
// every option of tarvo3-sim, and roff that renders without a warning.

#include "CliCommand.h"
#include "CliDocs.h"
#include "KvuCtl.h"
#include "KvuCtlOptions.h"

#include <QCommandLineOption>
#include <QFile>
#include <QProcess>
#include <QRegularExpression>
#include <QSet>
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

// What each page must say, in its roff source.
TEST(ManPageTest, PagesHaveTheirDateSectionsAndFiles) {
    static const QRegularExpression dated(
        QStringLiteral("^\\.TH \\S+ 1 \"\\d{4}-\\d\\d-\\d\\d\" "));
    const struct {
        const char* page;
        QStringList required;
    } pages[] = {
        {"kvu.1",
         {".SH ENVIRONMENT", "KVU_PORT_COM", "QT_QPA_PLATFORM", ".SH EXIT STATUS",
          "\\-\\-help\\-all", "\\-\\-help\\-path", "$XDG_CONFIG_HOME/Velqor Vuzuvurizod/KVU.ini"}},
        {"kvuctl.1",
         {".SH ENVIRONMENT", "KVU_PORT_COM", ".SH EXIT STATUS",
          "$XDG_CONFIG_HOME/Velqor Vuzuvurizod/KVU.ini"}},
        {"tarvo3-sim.1", {".SH EXIT STATUS"}},
    };
    for (const auto& p : pages) {
        const QString text = Read(kMan + QLatin1String(p.page));
        EXPECT_TRUE(dated.match(text).hasMatch()) << p.page << ": " << text.left(80).toStdString();
        for (const QString& r : p.required)
            EXPECT_TRUE(text.contains(r)) << p.page << " lacks " << r.toStdString();
        // The settings follow XDG_CONFIG_HOME: a FILES entry never names ~/.config alone.
        EXPECT_FALSE(text.contains(QStringLiteral(".I \\(ti/.config"))) << p.page;
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

// Each option that takes a value is shown with it ("--discoverable 0|1|2"), and kvuctl's
// --help names each option but the radio modules' settings, which 'bt write --help' and
// 'wlan write --help' list.
TEST(ManPageTest, OptionsAreShownWithTheirValues) {
    if (!HaveGroff())
        GTEST_SKIP() << "no groff";
    const QString text = Rendered(kMan + QStringLiteral("kvuctl.1"));
    QSet<QString> radioOnly, elsewhere;
    for (const CCliCommand& c : CommandTable()) {
        const bool radio =
            CommandGroup(c) == QLatin1String("bt") || CommandGroup(c) == QLatin1String("wlan");
        for (const QString& o : c.options)
            (radio ? radioOnly : elsewhere).insert(o);
    }
    radioOnly.subtract(elsewhere);
    const QString help = KvuCtlOptionsText();
    for (const QCommandLineOption& o : KvuCtlOptions()) {
        const QString name = QStringLiteral("--") + o.names().last();
        if (!o.valueName().isEmpty()) {
            EXPECT_TRUE(text.contains(name + QLatin1Char(' ') + o.valueName()))
                << name.toStdString();
        }
        if (!radioOnly.contains(o.names().last())) {
            EXPECT_TRUE(help.contains(name)) << "kvuctl --help lacks " << name.toStdString();
        }
    }
}

// Every option a program's --help lists is on its page, and the usage line reads right.
TEST(ManPageTest, ProgramPagesDocumentEveryOptionOfTheirHelp) {
    const struct {
        const char* program;
        const char* page;
        bool helpAll;      // whether the page describes Qt's --help-all
        int fewest;        // options the help lists at least
        const char* usage; // how the first line of the help ends
        bool quiet;        // nothing on stderr, also without XDG_RUNTIME_DIR
    } programs[] = {
        {KVU_TARVO3_SIM, "tarvo3-sim.1", false, 16, "/tarvo3-sim [options]", true},
        {KVU_GUI, "kvu.1", true, 5, "/kvu [options] [project]", false},
    };
    for (const auto& p : programs) {
        QProcess program;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
        env.remove(QStringLiteral("XDG_RUNTIME_DIR"));
        program.setProcessEnvironment(env);
        program.start(QLatin1String(p.program), {QStringLiteral("--help")});
        ASSERT_TRUE(program.waitForFinished(10000));
        const QString help = QString::fromUtf8(program.readAllStandardOutput());
        if (p.quiet) {
            EXPECT_EQ(program.readAllStandardError().toStdString(), "") << p.page;
        }
        EXPECT_TRUE(help.section(QLatin1Char('\n'), 0, 0).endsWith(QLatin1String(p.usage)))
            << help.toStdString();
        const QString page = Read(kMan + QLatin1String(p.page));
        int options = 0;
        static const QRegularExpression option(QStringLiteral("^\\s+(?:-\\w, )?--([a-z-]+)"),
                                               QRegularExpression::MultilineOption);
        for (auto it = option.globalMatch(help); it.hasNext();) {
            const QString name = it.next().captured(1);
            if (name == QLatin1String("help-all") && !p.helpAll) // Qt's own
                continue;
            ++options;
            EXPECT_TRUE(page.contains(QStringLiteral(".B") + QStringLiteral("\\-\\-") +
                                      CliDocs::RoffEscape(name)) ||
                        page.contains(QStringLiteral("\\-\\-") + CliDocs::RoffEscape(name) +
                                      QLatin1Char(' ')) ||
                        page.contains(QStringLiteral("\\-\\-") + CliDocs::RoffEscape(name) +
                                      QLatin1Char('\n')))
                << p.page << ": " << name.toStdString();
        }
        EXPECT_GE(options, p.fewest) << help.toStdString();
    }
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
