// F1 and Help > Topics in the real frame: the help window opens at the topic of the page or
// module shown, every page of the registry has a topic the help holds, and a missing help
// is reported with the paths looked in.

#include "KVUApp.h"
#include "RecordingServices.h"
#include "frame/CommandIds.h"
#include "frame/HelpWindow.h"
#include "frame/KVUView.h"
#include "frame/MainFrame.h"
#include "frame/ModulePage.h"
#include "frame/ModuleRegistry.h"
#include "frame/ModuleSheet.h"
#include "logo/LogoSizeDlg.h"
#include "module1/Mod1Page3.h"

#include <QAbstractTextDocumentLayout>
#include <QAction>
#include <QApplication>
#include <QDialog>
#include <QDir>
#include <QScrollBar>
#include <QTemporaryDir>
#include <QTest>
#include <QTextBlock>
#include <QTextBrowser>
#include <functional>
#include <gtest/gtest.h>

namespace {
class HelpTopicsTest : public ::testing::Test {
protected:
    void SetUp() override {
        qputenv("KVU_HELP_DIR", KVU_HELP_SOURCE_DIR);
        app = std::make_unique<CKVUApp>();
        app->SetServices(&services);
        ASSERT_TRUE(app->InitInstance({"kvu"}));
        frame = app->MainFrame();
    }
    void TearDown() override {
        app->Serial().Close();
        app->Document().SetModifiedFlag(false);
        qunsetenv("KVU_HELP_DIR");
    }
    // F1 as the user presses it: to the widget that has the focus in the active frame.
    void PressF1() {
        QApplication::setActiveWindow(frame);
        QWidget* target = QApplication::focusWidget() ? QApplication::focusWidget() : frame;
        QTest::keyClick(target, Qt::Key_F1);
    }

    CRecordingServices services;
    std::unique_ptr<CKVUApp> app;
    CMainFrame* frame = nullptr;
};

// The block that holds `anchor`, or an invalid block.
QTextBlock AnchorBlock(QTextDocument* document, const QString& anchor) {
    for (QTextBlock block = document->begin(); block.isValid(); block = block.next()) {
        for (auto it = block.begin(); !it.atEnd(); ++it) {
            if (it.fragment().charFormat().anchorNames().contains(anchor))
                return block;
        }
    }
    return QTextBlock();
}

// Whether the heading of `anchor` is in view in the browser.
bool TopicInView(QTextBrowser* browser, const QString& anchor) {
    QApplication::processEvents();
    const QTextBlock block = AnchorBlock(browser->document(), anchor);
    if (!block.isValid())
        return false;
    const QRectF rect = browser->document()->documentLayout()->blockBoundingRect(block);
    // The browser scrolls to whole pixels.
    const double top = rect.top() - browser->verticalScrollBar()->value();
    return top > -1.0 && top < browser->viewport()->height();
}
} // namespace

TEST_F(HelpTopicsTest, EveryModuleAndPageHasATopicTheHelpHolds) {
    CHelpWindow help;
    ASSERT_TRUE(help.Load(KVU_HELP_SOURCE_DIR "/kvu.html"));
    for (const ModuleRow& row : ModuleRegistry()) {
        ASSERT_TRUE(row.helpTopic) << row.menuText << " has no help topic";
        EXPECT_TRUE(help.HasTopic(QLatin1String(row.helpTopic))) << row.helpTopic;
        for (const PageRow& page : row.pages) {
            ASSERT_TRUE(page.helpTopic) << row.menuText << " / " << page.title;
            EXPECT_TRUE(help.HasTopic(QLatin1String(page.helpTopic))) << page.helpTopic;
        }
    }
    EXPECT_FALSE(help.HasTopic("no-such-topic"));
}

TEST_F(HelpTopicsTest, F1OpensTheTopicOfThePageOnTopOnEveryPage) {
    int pages = 0, reachable = 0;
    for (const ModuleRow& row : ModuleRegistry())
        reachable += row.selectable ? int(row.pages.size()) : 0;
    for (const ModuleRow& row : ModuleRegistry()) {
        if (!row.selectable)
            continue;
        frame->OnModule(row.id);
        for (size_t i = 0; i < row.pages.size(); ++i) {
            if (row.sheetCaption)
                frame->ModuleView()->Sheet(row.id)->setCurrentIndex(int(i));
            // The focus on a control of the page, as after a click there.
            for (QWidget* w : frame->ActivePage()->Widget()->findChildren<QWidget*>()) {
                if ((w->focusPolicy() & Qt::TabFocus) && w->isVisibleTo(frame)) {
                    w->setFocus();
                    break;
                }
            }
            PressF1();
            CHelpWindow* help = frame->HelpWindow();
            ASSERT_TRUE(help) << row.pages[i].title;
            EXPECT_TRUE(help->isVisible());
            const QString topic = QLatin1String(row.pages[i].helpTopic);
            EXPECT_EQ(help->CurrentTopic(), topic) << row.pages[i].title;
            EXPECT_TRUE(TopicInView(help->Browser(), topic)) << qPrintable(topic);
            ++pages;
        }
    }
    EXPECT_EQ(pages, reachable);
    EXPECT_GE(pages, 6);
    EXPECT_TRUE(services.MessageTexts().isEmpty()) << qPrintable(services.MessageTexts().join('|'));
}

TEST_F(HelpTopicsTest, HelpTopicsOpensTheTopicOfTheModuleShown) {
    for (const ModuleRow& row : ModuleRegistry()) {
        if (!row.selectable)
            continue;
        frame->OnModule(row.id);
        frame->Action(Cmd::HelpTopics)->trigger();
        ASSERT_TRUE(frame->HelpWindow());
        EXPECT_TRUE(frame->HelpWindow()->isVisible());
        EXPECT_EQ(frame->HelpWindow()->CurrentTopic(), QLatin1String(row.helpTopic));
        EXPECT_TRUE(TopicInView(frame->HelpWindow()->Browser(), QLatin1String(row.helpTopic)))
            << row.helpTopic;
    }
    // Without a web browser on the machine the help opens all the same: nothing is said.
    EXPECT_TRUE(services.MessageTexts().isEmpty()) << qPrintable(services.MessageTexts().join('|'));
}

TEST_F(HelpTopicsTest, OneHelpWindowFollowsTheTopicsAsked) {
    frame->OnModule(ModuleId::Wlan);
    frame->Action(Cmd::HelpTopics)->trigger();
    CHelpWindow* first = frame->HelpWindow();
    frame->OnModule(ModuleId::LogoDownload);
    PressF1();
    EXPECT_EQ(frame->HelpWindow(), first) << "one help window, not one per request";
    EXPECT_EQ(first->CurrentTopic(), "logo-download");
    first->Browser()->backward();
    EXPECT_EQ(first->CurrentTopic(), "wlan") << "the earlier topic stays in its history";
}

TEST_F(HelpTopicsTest, AMissingHelpIsReportedWithThePathsLookedIn) {
    QTemporaryDir empty;
    qputenv("KVU_HELP_DIR", empty.path().toLocal8Bit());
    frame->Action(Cmd::HelpTopics)->trigger();
    const QStringList messages = services.MessageTexts();
    ASSERT_EQ(messages.size(), 1);
    EXPECT_TRUE(messages[0].contains("could not be found")) << qPrintable(messages[0]);
    EXPECT_TRUE(messages[0].contains(QDir::toNativeSeparators(empty.filePath("kvu.html"))))
        << qPrintable(messages[0]);
    EXPECT_TRUE(!frame->HelpWindow() || !frame->HelpWindow()->isVisible());
}

// F1 in a dialog, while the dialog runs modally: the help opens at the dialog's topic in a
// window of the dialog's own, so that it can be read and scrolled before the dialog ends.
TEST_F(HelpTopicsTest, F1InADialogOpensItsTopicWhileTheDialogRuns) {
    QString shownTopic;
    bool shown = false, ownedByTheDialog = false;
    services.SetDialogScript([&](QObject& object) {
        auto* dialog = qobject_cast<QWidget*>(&object);
        dialog->show();
        QApplication::setActiveWindow(dialog);
        QTest::keyClick(dialog, Qt::Key_F1);
        auto* help = dialog->findChild<CHelpWindow*>();
        shown = help && help->isVisible();
        ownedByTheDialog = help && help->parentWidget() == dialog;
        shownTopic = help ? help->CurrentTopic() : QString();
        return int(QDialog::Rejected);
    });
    const struct {
        const char* topic;
        std::function<void()> run;
    } dialogs[] = {
        {"serial-port", [&] { frame->OnConfigureSerialPort(); }},
        {"about", [&] { frame->OnAppAbout(); }},
        {"enter-text",
         [&] {
             CMod1Page3* macros = frame->ModuleView()->FindPage<CMod1Page3>();
             macros->OnRename();
             macros->OnMacroButton(0);
         }},
    };
    for (const auto& d : dialogs) {
        shown = ownedByTheDialog = false;
        shownTopic.clear();
        d.run();
        EXPECT_TRUE(shown) << d.topic;
        EXPECT_TRUE(ownedByTheDialog) << d.topic;
        EXPECT_EQ(shownTopic, QLatin1String(d.topic));
    }
    EXPECT_FALSE(frame->HelpWindow()) << "the main window's help was not asked for";
}

TEST_F(HelpTopicsTest, F1InTheLogoSizeDialogOpensItsTopic) {
    CLogoSizeDlg dialog(services, frame);
    dialog.show();
    QApplication::setActiveWindow(&dialog);
    QTest::keyClick(&dialog, Qt::Key_F1);
    auto* help = dialog.findChild<CHelpWindow*>();
    ASSERT_TRUE(help);
    EXPECT_TRUE(help->isVisible());
    EXPECT_EQ(help->CurrentTopic(), "logo-size");
    // Again: the same window, still at the topic.
    help->OpenTopic("macros");
    QTest::keyClick(&dialog, Qt::Key_F1);
    EXPECT_EQ(dialog.findChildren<CHelpWindow*>().size(), 1);
    EXPECT_EQ(help->CurrentTopic(), "logo-size");
}
