// The help window on its own: contents, back and forward, find, and the generated kvuctl
// page beside the front page.

#include "frame/HelpWindow.h"
#include "CliCommand.h"
#include "HelpPage.h"

#include <QAction>
#include <QApplication>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QTemporaryDir>
#include <QTest>
#include <QTextBrowser>
#include <QToolButton>
#include <QTreeWidget>
#include <QTreeWidgetItemIterator>
#include <gtest/gtest.h>

namespace {
class HelpWindowTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(help.Load(KVU_HELP_SOURCE_DIR "/kvu.html"));
        help.show();
        QApplication::setActiveWindow(&help);
    }
    QAction* Action(const char* name) { return help.findChild<QAction*>(QLatin1String(name)); }
    QLineEdit* FindField() { return help.findChild<QLineEdit*>("helpFindText"); }
    QString Selected() { return help.Browser()->textCursor().selectedText(); }
    int Position() { return help.Browser()->textCursor().selectionStart(); }
    QTreeWidgetItem* Entry(const QString& text) {
        for (QTreeWidgetItemIterator it(help.Contents()); *it; ++it) {
            if ((*it)->text(0) == text)
                return *it;
        }
        return nullptr;
    }

    CHelpWindow help;
};
} // namespace

TEST_F(HelpWindowTest, OpensAtTheFrontPageWithItsHeadingsAsContents) {
    EXPECT_EQ(help.windowTitle(), "Quorlin Help");
    EXPECT_TRUE(help.CurrentTopic().isEmpty());
    ASSERT_GE(help.Contents()->topLevelItemCount(), 1);
    EXPECT_EQ(help.Contents()->topLevelItem(0)->text(0), "KVU Help");
    // h2 under the page, h3 under its h2.
    QTreeWidgetItem* macros = Entry("Macros");
    ASSERT_TRUE(macros);
    ASSERT_TRUE(macros->parent());
    EXPECT_EQ(macros->parent()->text(0), "Custom Attributes Module (Module 1)");
    EXPECT_EQ(macros->parent()->parent(), help.Contents()->topLevelItem(0));
}

TEST_F(HelpWindowTest, AContentsEntryOpensItsTopicAndFollowsTheTopicShown) {
    QTreeWidgetItem* logo = Entry("Logo Download Module (Module 5)");
    ASSERT_TRUE(logo);
    help.Contents()->scrollToItem(logo);
    QTest::mouseClick(help.Contents()->viewport(), Qt::LeftButton, {},
                      help.Contents()->visualItemRect(logo).center());
    EXPECT_EQ(help.CurrentTopic(), "logo-download");
    help.OpenTopic("serial-port");
    ASSERT_TRUE(help.Contents()->currentItem());
    EXPECT_EQ(help.Contents()->currentItem()->text(0), "Configure Serial Port");
}

TEST_F(HelpWindowTest, BackAndForwardWalkTheTopicsShown) {
    QAction* back = Action("helpBack");
    QAction* forward = Action("helpForward");
    ASSERT_TRUE(back && forward);
    EXPECT_FALSE(back->isEnabled());
    help.OpenTopic("macros");
    help.OpenTopic("logo-size");
    EXPECT_TRUE(back->isEnabled());
    EXPECT_FALSE(forward->isEnabled());
    back->trigger();
    EXPECT_EQ(help.CurrentTopic(), "macros");
    EXPECT_TRUE(forward->isEnabled());
    back->trigger();
    EXPECT_TRUE(help.CurrentTopic().isEmpty()) << "the front page it opened at";
    EXPECT_FALSE(back->isEnabled());
    forward->trigger();
    forward->trigger();
    EXPECT_EQ(help.CurrentTopic(), "logo-size");
    EXPECT_FALSE(forward->isEnabled());
    // The keys do the same.
    QTest::keySequence(&help, QKeySequence::Back);
    EXPECT_EQ(help.CurrentTopic(), "macros");
}

TEST_F(HelpWindowTest, AnUnknownTopicShowsTheFrontPage) {
    help.OpenTopic("macros");
    help.OpenTopic("no-such-topic");
    EXPECT_TRUE(help.CurrentTopic().isEmpty());
    EXPECT_EQ(help.Browser()->source().toLocalFile(), help.FrontPage());
}

TEST_F(HelpWindowTest, CtrlFFindsNextAndPreviousAndGoesRound) {
    QTest::keySequence(&help, QKeySequence::Find);
    ASSERT_TRUE(FindField()->isVisible());
    EXPECT_TRUE(FindField()->hasFocus());
    QTest::keyClicks(FindField(), "burn");
    EXPECT_EQ(Selected().toLower(), "burn") << "typing finds as it goes";
    const int first = Position();
    QTest::keyClick(FindField(), Qt::Key_Return);
    const int second = Position();
    EXPECT_GT(second, first);
    EXPECT_EQ(Selected().toLower(), "burn");
    QTest::keyClick(FindField(), Qt::Key_Return, Qt::ShiftModifier);
    EXPECT_EQ(Position(), first) << "Shift+Enter goes back";
    // Past the last match the search starts again at the top.
    int last = first;
    int steps = 0;
    while (help.FindNext() && help.FindStatus().isEmpty() && ++steps < 100)
        last = Position();
    EXPECT_GT(last, second);
    EXPECT_EQ(help.FindStatus(), "Continued from the top");
    EXPECT_EQ(Position(), first);
    // And backwards from the top to the last one.
    EXPECT_TRUE(help.FindPrevious());
    EXPECT_EQ(help.FindStatus(), "Continued from the end");
    EXPECT_EQ(Position(), last);
}

// Escape closes the find bar first, then the window; Ctrl+W closes the window at once.
TEST_F(HelpWindowTest, EscapeAndCtrlWClose) {
    const struct {
        const char* name;
        bool findBarOpen;
        QKeySequence key;
        bool windowStays;
    } rows[] = {
        {"Escape", false, QKeySequence(Qt::Key_Escape), false},
        {"Ctrl+W", false, QKeySequence(Qt::CTRL | Qt::Key_W), false},
        {"Escape in the find bar", true, QKeySequence(Qt::Key_Escape), true},
        {"Ctrl+W in the find bar", true, QKeySequence(Qt::CTRL | Qt::Key_W), false},
    };
    for (const auto& r : rows) {
        help.show();
        QApplication::setActiveWindow(&help);
        QWidget* target = help.Browser();
        if (r.findBarOpen) {
            help.ShowFindBar();
            target = FindField();
        }
        target->setFocus();
        QTest::keySequence(target, r.key);
        EXPECT_EQ(help.isVisible(), r.windowStays) << r.name;
        if (r.windowStays) {
            EXPECT_FALSE(FindField()->isVisible()) << r.name;
        }
    }
}

TEST_F(HelpWindowTest, TextThatIsNotThereKeepsTheMatchAndSaysSo) {
    help.ShowFindBar();
    QTest::keyClicks(FindField(), "Flash");
    const int at = Position();
    FindField()->setText("qqxzv");
    EXPECT_FALSE(help.FindNext());
    EXPECT_EQ(help.FindStatus(), "Not found");
    EXPECT_EQ(Position(), at);
    QTest::keyClick(FindField(), Qt::Key_Escape);
    EXPECT_FALSE(FindField()->isVisible());
}

TEST_F(HelpWindowTest, TheKvuctlPageListsEveryCommandOfTheTable) {
    const QString page = KvuCtlHelp::Page();
    for (const CCliCommand& c : CommandTable()) {
        EXPECT_TRUE(page.contains(QStringLiteral("id=\"%1\"").arg(KvuCtlHelp::Anchor(c.name))))
            << qPrintable(c.name);
        EXPECT_TRUE(page.contains(QStringLiteral("<pre>kvuctl %1 %2</pre>")
                                      .arg(c.name.toHtmlEscaped(), c.synopsis.toHtmlEscaped())))
            << qPrintable(c.name);
        EXPECT_TRUE(page.contains(c.help.trimmed().toHtmlEscaped())) << qPrintable(c.name);
    }
    EXPECT_EQ(KvuCtlHelp::Anchor("project show"), "kvuctl-project-show");
}

TEST_F(HelpWindowTest, TheBuiltHelpHoldsTheCurrentKvuctlPageInItsContents) {
    // The build writes the page from the table; a stale one would list other commands.
    QFile built(KVU_HELP_BUILD_DIR "/kvuctl.html");
    ASSERT_TRUE(built.open(QIODevice::ReadOnly)) << qPrintable(built.fileName());
    EXPECT_EQ(QString::fromUtf8(built.readAll()), KvuCtlHelp::Page());

    CHelpWindow builtHelp;
    ASSERT_TRUE(builtHelp.Load(KVU_HELP_BUILD_DIR "/kvu.html"));
    QTreeWidgetItem* kvuctl = nullptr;
    for (int i = 0; i < builtHelp.Contents()->topLevelItemCount(); ++i) {
        if (builtHelp.Contents()->topLevelItem(i)->text(0) == "kvuctl commands")
            kvuctl = builtHelp.Contents()->topLevelItem(i);
    }
    ASSERT_TRUE(kvuctl) << "the page the front page links to is in the contents";
    QStringList entries;
    for (int i = 0; i < kvuctl->childCount(); ++i)
        entries << kvuctl->child(i)->text(0);
    for (const CCliCommand& c : CommandTable())
        EXPECT_TRUE(entries.contains("kvuctl " + c.name)) << qPrintable(c.name);
    const QString anchor = KvuCtlHelp::Anchor(CommandTable().front().name);
    EXPECT_TRUE(builtHelp.HasTopic(anchor));
    builtHelp.OpenTopic(anchor);
    EXPECT_TRUE(builtHelp.Browser()->source().toLocalFile().endsWith("/kvuctl.html"));
    EXPECT_EQ(builtHelp.CurrentTopic(), anchor);
}

TEST(HelpWindowLoad, AFrontPageThatCannotBeReadIsRefused) {
    QTemporaryDir dir;
    CHelpWindow help;
    EXPECT_FALSE(help.Load(dir.filePath("kvu.html")));
    EXPECT_FALSE(help.Load(dir.path())) << "a folder is not a page";
    EXPECT_TRUE(help.FrontPage().isEmpty());
}
