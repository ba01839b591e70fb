// The frame, the module view and the toolbar are made from the module registry; pages on
// a sheet are told when they come on top and when they leave.

#include "frame/ModuleRegistry.h"
#include "KVUApp.h"
#include "RecordingServices.h"
#include "frame/CommandIds.h"
#include "frame/KVUView.h"
#include "frame/MainFrame.h"
#include "frame/ModulePage.h"
#include "frame/ModuleSheet.h"
#include "logo/LogoCommandIds.h"
#include "logo/LogoViewWidget.h"

#include <QAction>
#include <QMenuBar>
#include <QToolBar>
#include <gtest/gtest.h>

namespace {
class CCountingPage : public QWidget, public IModulePage {
public:
    QWidget* Widget() override { return this; }
    void OnActivate() override { ++activated; }
    void OnDeactivate() override { ++deactivated; }
    int activated = 0;
    int deactivated = 0;
};
} // namespace

TEST(ModuleRegistry, FrameMenusToolbarAndSheetsFollowTheTable) {
    CRecordingServices services;
    CKVUApp app;
    app.SetServices(&services);
    ASSERT_TRUE(app.InitInstance({"kvu"}));
    CMainFrame* frame = app.MainFrame();
    QToolBar* bar = frame->findChild<QToolBar*>();
    ASSERT_TRUE(bar);
    QList<QAction*> toolButtons;
    for (QAction* a : bar->actions()) {
        if (a->property("module").isValid())
            toolButtons << a;
    }
    ASSERT_EQ(toolButtons.size(), int(ModuleRegistry().size()));
    for (size_t i = 0; i < ModuleRegistry().size(); ++i) {
        const ModuleRow& row = ModuleRegistry()[i];
        EXPECT_EQ(toolButtons[int(i)], frame->Action(row.toolCommand)) << "toolbar order";
        QAction* menu = frame->Action(row.menuCommand);
        ASSERT_TRUE(menu);
        EXPECT_EQ(menu->text(), QLatin1String(row.menuText));
        EXPECT_EQ(menu->isEnabled(), row.selectable) << row.menuText;
        frame->OnModule(row.id);
        if (!row.selectable) {
            EXPECT_NE(frame->CurrentModule(), row.id) << "no command selects " << row.menuText;
            continue;
        }
        EXPECT_EQ(frame->CurrentModule(), row.id);
        EXPECT_TRUE(menu->isChecked());
        EXPECT_EQ(frame->ActiveView(), frame->ViewOf(row.id));
        if (row.sheetCaption) {
            CModuleSheet* sheet = frame->ModuleView()->Sheet(row.id);
            EXPECT_TRUE(sheet->isVisibleTo(frame));
            EXPECT_EQ(sheet->Caption(), QLatin1String(row.sheetCaption));
            ASSERT_EQ(sheet->count(), int(row.pages.size()));
            for (int t = 0; t < sheet->count(); ++t) {
                EXPECT_EQ(sheet->tabText(t), QLatin1String(row.pages[size_t(t)].title));
                EXPECT_EQ(CKVUView::TabOf(sheet, row.pages[size_t(t)].dialogId), t);
            }
        }
    }
    // The View menu lists the modules in their menu order.
    QStringList viewItems;
    for (QAction* a : frame->menuBar()->actions()) {
        if (a->text() == QLatin1String("&View")) {
            for (QAction* item : a->menu()->actions()) {
                if (item->property("module").isValid())
                    viewItems << item->text();
            }
        }
    }
    EXPECT_EQ(viewItems,
              (QStringList{"Bluetooth Module", "Custom Attributes Module", "Font Download Module",
                           "Logo Download Module", "Test Module", "WLAN Module"}));
    // Each command a module brings stands where its row says, with its texts; the ones the
    // frame runs itself are enabled whichever module is shown.
    const QMap<MenuPlace, QString> menuTitles = {{MenuPlace::File, "&File"},
                                                 {MenuPlace::Configure, "&Configure"},
                                                 {MenuPlace::View, "&View"}};
    auto menuOf = [&](QAction* action) -> QString {
        for (QAction* top : frame->menuBar()->actions()) {
            for (QAction* item : top->menu()->actions()) {
                if (item == action)
                    return top->text();
                if (item->menu() && item->menu()->actions().contains(action))
                    return top->text() + ">" + item->text();
            }
        }
        return QString();
    };
    QToolBar* pageBar = frame->findChild<QToolBar*>("pageCommandBar");
    ASSERT_TRUE(pageBar);
    int commands = 0;
    for (const ModuleRow& row : ModuleRegistry()) {
        for (const ModuleCommand& c :
             row.commands ? row.commands() : std::vector<ModuleCommand>()) {
            SCOPED_TRACE(c.id);
            ++commands;
            QAction* a = frame->Action(c.id);
            ASSERT_TRUE(a);
            EXPECT_EQ(a->text(), c.text);
            EXPECT_EQ(a->statusTip(), c.prompt.section('\n', 0, 0));
            EXPECT_EQ(a->isCheckable(), c.checkable);
            QString where = menuTitles.value(c.menu);
            if (!where.isEmpty() && !c.submenu.isEmpty())
                where += ">" + c.submenu;
            EXPECT_EQ(menuOf(a), where);
            EXPECT_EQ(pageBar->actions().contains(a), c.onPageBar);
            if (c.run)
                EXPECT_TRUE(a->isEnabled());
        }
    }
    EXPECT_GT(commands, 0);
}

TEST(ModuleRegistry, PagesAreToldWhenTheyComeOnTopAndLeave) {
    CModuleSheet sheet(QStringLiteral("Module 9"));
    auto* first = new CCountingPage;
    auto* second = new CCountingPage;
    int made = 0;
    sheet.AddPage(QStringLiteral("First"), 1, [&] { return ++made, first; });
    sheet.AddPage(QStringLiteral("Second"), 2, [&] { return ++made, second; });
    sheet.setCurrentIndex(1);
    EXPECT_EQ(second->activated, 0) << "a sheet that is not shown tells nobody";
    EXPECT_EQ(made, 0) << "a page is made when first needed";
    EXPECT_EQ(sheet.MadePage(1), nullptr);
    sheet.SetLive(true);
    EXPECT_EQ(second->activated, 1);
    EXPECT_EQ(made, 1);
    EXPECT_EQ(sheet.MadePage(1), second);
    sheet.setCurrentIndex(0);
    EXPECT_EQ(second->deactivated, 1);
    EXPECT_EQ(first->activated, 1);
    sheet.SetLive(true); // the module chosen again
    EXPECT_EQ(first->activated, 2);
    sheet.SetLive(false);
    EXPECT_EQ(first->deactivated, 1);
    sheet.SetLive(false);
    EXPECT_EQ(first->deactivated, 1) << "leaving twice is leaving once";
    sheet.setCurrentIndex(1);
    EXPECT_EQ(second->activated, 1) << "tab changes of a hidden sheet tell nobody";
    EXPECT_EQ(sheet.ActivePage(), second);
    EXPECT_EQ(made, 2) << "each page is made once";
}

TEST(ModuleRegistry, CommandsGoToTheViewOnTopOrAreDisabled) {
    CRecordingServices services;
    CKVUApp app;
    app.SetServices(&services);
    ASSERT_TRUE(app.InitInstance({"kvu"}));
    CMainFrame* frame = app.MainFrame();
    for (const ModuleRow& row : ModuleRegistry()) {
        frame->OnModule(row.id);
        if (!row.selectable)
            continue;
        const bool logoView = row.id == ModuleId::LogoDownload;
        for (int id : {Cmd::FilePrint, Cmd::LogoTestFeed, Cmd::LogoFlash0, Cmd::Zoom150})
            EXPECT_EQ(frame->Action(id)->isEnabled(), logoView) << row.menuText << " " << id;
    }
    frame->OnModule(ModuleId::LogoDownload);
    auto* view = dynamic_cast<CLogoViewWidget*>(frame->ActivePage());
    ASSERT_TRUE(view);
    frame->Action(Cmd::Zoom150)->trigger();
    EXPECT_TRUE(view->IsZoom(6));
    EXPECT_TRUE(frame->Action(Cmd::Zoom150)->isChecked());
    EXPECT_FALSE(frame->Action(Cmd::Zoom100)->isChecked());
    frame->Action(Cmd::ThresholdDither)->trigger();
    EXPECT_TRUE(view->IsDither());
    EXPECT_FALSE(frame->Action(Cmd::Threshold50)->isChecked());
    frame->OnModule(ModuleId::CustomAttributes);
    EXPECT_FALSE(frame->Action(Cmd::Zoom150)->isEnabled());
}
