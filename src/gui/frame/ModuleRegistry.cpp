#include "ModuleRegistry.h"

#include "CommandIds.h"
#include "FontView.h"
#include "HelpTexts.h"
#include "app/AppCore.h"
#include "app/UiServices.h"
#include "logo/LogoModuleCommands.h"
#include "logo/LogoViewWidget.h"
#include "module1/Mod1Page1.h"
#include "module1/Mod1Page2.h"
#include "module1/Mod1Page3.h"
#include "wireless/Mod2Page1.h"
#include "wireless/Mod6Page1.h"

namespace {
const char* const kReserved = "Reserved for future use.";

// A module's help text box: a command with no menu entry, key or button.
ModuleCommand HelpBox(int id, HelpText (*text)()) {
    ModuleCommand box{id, QString(), QString()};
    box.run = [text](const CommandContext& c) {
        const HelpText help = text();
        c.page.services.Message(help.text,
                                help.caption.isEmpty() ? QLatin1String(kAppTitle) : help.caption,
                                MsgIcon::None);
    };
    return box;
}
} // namespace

const std::vector<ModuleRow>& ModuleRegistry() {
    static const std::vector<ModuleRow> rows = {
        {ModuleId::CustomAttributes,
         Cmd::ViewModule1,
         Cmd::ToolModule1,
         1,
         "Custom Attributes Module",
         "Switch to Custom Attributes Module\nCustom Attributes",
         QSize(642, 503),
         true,
         "Module 1",
         {
             {130, "Custom Attributes", "custom-attributes",
              [](const PageContext& c) -> IModulePage* {
                  return new CMod1Page1(c.doc, c.core, c.services);
              }},
             {131, "Supervisory Commands", "supervisory-commands",
              [](const PageContext& c) -> IModulePage* {
                  return new CMod1Page2(c.core, c.services);
              }},
             {132, "Macros", "macros",
              [](const PageContext& c) -> IModulePage* {
                  return new CMod1Page3(c.doc, c.core, c.services);
              }},
         },
         "module1",
         QColor(0x2e, 0x7d, 0x32),
         "CA",
         [] {
             // File > Save Monitor As...: the Macros page saves its receive monitor.
             ModuleCommand saveMonitor(CMod1Page3::kSaveMonitorCommand,
                                       QStringLiteral("Save &Monitor As..."),
                                       QStringLiteral("Save the Macros page's receive monitor "
                                                      "to a text file\nSave Monitor"));
             saveMonitor.menu = MenuPlace::File;
             return std::vector<ModuleCommand>{
                 saveMonitor, HelpBox(Cmd::HelpCustomAttributes, HelpTexts::CustomAttributes)};
         }},
        {ModuleId::Bluetooth,
         Cmd::ViewModule2,
         Cmd::ToolModule2,
         0,
         "Bluetooth Module",
         "Switch to Bluetooth Module\nBluetooth",
         QSize(705, 558),
         true,
         "Module 2",
         {{133, "Basic Settings", "bluetooth-settings",
           [](const PageContext& c) -> IModulePage* {
               return new CMod2Page1(c.core, c.services);
           }}},
         "bluetooth",
         QColor(0x15, 0x65, 0xc0),
         "BT",
         [] {
             return std::vector<ModuleCommand>{HelpBox(Cmd::HelpBluetooth, HelpTexts::Bluetooth)};
         }},
        {ModuleId::Wlan,
         Cmd::ViewModule6,
         Cmd::ToolModule6,
         5,
         "WLAN Module",
         "Switch to WLAN Module\nWLAN",
         QSize(789, 582),
         true,
         "Module 6",
         {{148, "Basic Settings", "wlan-settings",
           [](const PageContext& c) -> IModulePage* {
               return new CMod6Page1(c.core, c.services);
           }}},
         "wlan",
         QColor(0x00, 0x83, 0x8f),
         "W",
         {}},
        {ModuleId::Test,
         Cmd::ViewModule3,
         Cmd::ToolModule3,
         4,
         "Test Module",
         "Switch to Test Module\nTest",
         QSize(),
         false,
         "Module 3",
         {
             {136, "Module 3 Dialog 1", "test-module", nullptr, kReserved},
             {137, "Module 3 Dialog 2", "test-module", nullptr, kReserved},
             {138, "Module 3 Dialog 3", "test-module", nullptr, kReserved},
         },
         "test-module",
         QColor(0x75, 0x75, 0x75),
         "T",
         {}},
        {ModuleId::FontDownload,
         Cmd::ViewModule4,
         Cmd::ToolModule4,
         2,
         "Font Download Module",
         "Switch to Font Download Module\nFont Download",
         QSize(),
         false,
         nullptr,
         {{0, "Font Download", "font-download",
           [](const PageContext&) -> IModulePage* { return new CFontView; }}},
         "font-download",
         QColor(0x6a, 0x1b, 0x9a),
         "F",
         {}},
        {ModuleId::LogoDownload,
         Cmd::ViewModule5,
         Cmd::ToolModule5,
         3,
         "Logo Download Module",
         "Switch to Logo Download Module\nLogo Download",
         QSize(),
         true,
         nullptr,
         {{0, "Logo Download", "logo-download",
           [](const PageContext& c) -> IModulePage* {
               return new CLogoViewWidget(c.core, c.services);
           }}},
         "logo-download",
         QColor(0xc6, 0x28, 0x28),
         "L",
         [] {
             std::vector<ModuleCommand> rows = LogoModuleCommands();
             rows.push_back(HelpBox(Cmd::HelpLogoDownload, HelpTexts::LogoDownload));
             return rows;
         }},
    };
    return rows;
}

const ModuleRow& FindModule(ModuleId id) {
    for (const ModuleRow& row : ModuleRegistry()) {
        if (row.id == id)
            return row;
    }
    return ModuleRegistry().front();
}

const ModuleRow* FindModuleByCommand(int command) {
    for (const ModuleRow& row : ModuleRegistry()) {
        if (row.menuCommand == command || row.toolCommand == command)
            return &row;
    }
    return nullptr;
}
