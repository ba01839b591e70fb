#include "LogoModuleCommands.h"

#include "LogoCommandIds.h"
#include "LogoIcons.h"
#include "LogoSizeDlg.h"
#include "app/AppCore.h"
#include "frame/PageContext.h"
#include "logo/LogoViewChoices.h"

#include <QWidget>
#include <iterator>

static_assert(std::size(Cmd::kZoomCommands) == std::size(LogoViewChoices::kZooms),
              "one View > Zoom item for each zoom");
static_assert(std::size(Cmd::kThresholdCommands) == std::size(LogoViewChoices::kThresholds),
              "one View > Color Threshold item for each threshold");

std::vector<ModuleCommand> LogoModuleCommands() {
    std::vector<ModuleCommand> rows;
    ModuleCommand open{Cmd::FileOpenBitmap, QStringLiteral("Open &Bitmap..."),
                       QStringLiteral("Open a *.bmp file\nOpen Bitmap")};
    open.menu = MenuPlace::File;
    rows.push_back(open);

    // The logo size belongs to the program, not to a project: it is asked from any module,
    // and the view on show is drawn again with the new frame.
    ModuleCommand size{Cmd::ConfigureLogoSize, QStringLiteral("Logo Size..."),
                       QStringLiteral("Set the logo width and height\nLogo Size")};
    size.menu = MenuPlace::Configure;
    size.run = [](const CommandContext& c) {
        if (CLogoSizeDlg::Run(c.page.core.m_logo.m_raster, c.page.services, c.window))
            c.redrawShown();
    };
    rows.push_back(size);

    const QString zoom = QStringLiteral("Zoom");
    for (size_t i = 0; i < std::size(LogoViewChoices::kZooms); ++i) {
        ModuleCommand item{Cmd::kZoomCommands[i],
                           QLatin1String(LogoViewChoices::kZooms[i].menuText), QString()};
        item.menu = MenuPlace::View;
        item.submenu = zoom;
        item.checkable = true;
        rows.push_back(item);
    }
    const QString threshold = QStringLiteral("Color Threshold");
    for (size_t i = 0; i < std::size(LogoViewChoices::kThresholds); ++i) {
        ModuleCommand item{Cmd::kThresholdCommands[i],
                           QLatin1String(LogoViewChoices::kThresholds[i].menuText), QString()};
        item.menu = MenuPlace::View;
        item.submenu = threshold;
        item.checkable = true;
        rows.push_back(item);
    }
    ModuleCommand dither{Cmd::ThresholdDither, QStringLiteral("Dither"),
                         QStringLiteral("Dither the picture instead of thresholding it, for "
                                        "photographs\nDither")};
    dither.menu = MenuPlace::View;
    dither.submenu = threshold;
    dither.separatorBefore = true;
    dither.checkable = true;
    rows.push_back(dither);

    ModuleCommand feed{
        Cmd::LogoTestFeed, QStringLiteral("Test Feed"),
        QStringLiteral("Test the connection by feeding the paper one line.\nTest Feed")};
    feed.onPageBar = true;
    feed.icon = LogoIcons::TestFeed;
    rows.push_back(feed);
    ModuleCommand test{Cmd::LogoTestPrint, QStringLiteral("Test Print"),
                       QStringLiteral("Print the logo without burning.\nTest Print")};
    test.onPageBar = true;
    test.icon = LogoIcons::TestPrint;
    rows.push_back(test);
    for (int n = 0; n < 8; ++n) {
        ModuleCommand flash{
            Cmd::LogoFlash0 + n, QStringLiteral("Flash %1").arg(n),
            QStringLiteral("Burn the logo into the Flash memory.\nFlash %1").arg(n)};
        flash.onPageBar = true;
        flash.barSeparatorBefore = n == 0;
        flash.icon = [n] { return LogoIcons::FlashSlot(n); };
        rows.push_back(flash);
    }
    for (int n = 0; n < 8; ++n) {
        ModuleCommand print{
            Cmd::LogoPrintSlot0 + n, QStringLiteral("Print Logo %1").arg(n),
            QStringLiteral("Print the logo that is stored in Flash memory.\nPrint Logo %1").arg(n)};
        print.onPageBar = true;
        print.barSeparatorBefore = n == 0;
        print.icon = [n] { return LogoIcons::PrintSlot(n); };
        rows.push_back(print);
    }
    return rows;
}
