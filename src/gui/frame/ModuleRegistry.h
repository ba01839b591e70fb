#pragma once

#include "ModuleCommand.h"
#include "PageContext.h"

#include <QColor>
#include <QSize>
#include <functional>
#include <vector>

class IModulePage;

// The program's modules, by the numbers the frame and the settings know them by.
enum class ModuleId {
    CustomAttributes = 1,
    Bluetooth = 2,
    Test = 3,
    FontDownload = 4,
    LogoDownload = 5,
    Wlan = 6,
};

// One page of a module's sheet, or a module's own view.
struct PageRow {
    int dialogId;      // the page's dialog resource: the widget is named "id<dialogId>"
    const char* title; // the tab text
    // Its anchor in the help: F1 on the page opens the help there.
    const char* helpTopic;
    // Makes the page; without a maker the page is a placeholder showing `placeholderText`.
    std::function<IModulePage*(const PageContext&)> make;
    const char* placeholderText = nullptr;
};

// One row per module: everything the frame, the module view and the toolbar need to know.
// Shared code reads this table and never names a module; a new module is a new row (and
// its own folders).
struct ModuleRow {
    ModuleId id;
    int menuCommand;            // its View menu item
    int toolCommand;            // its toolbar button
    int menuPosition;           // place in the View menu (the toolbar takes the table's order)
    const char* menuText;       // "Custom Attributes Module"
    const char* prompt;         // status prompt, then the tooltip after a line break
    QSize client;               // the frame's client size while shown; invalid keeps the size
    bool selectable;            // no command selects the Test and Font Download modules
    const char* sheetCaption;   // a sheet in the module view; nullptr: a view of its own
    std::vector<PageRow> pages; // the sheet's tabs in order, or the one view
    // Its anchor in the help: Help > Topics opens the help there while the module is shown.
    const char* helpTopic = nullptr;
    // Its toolbar button: a badge of this colour with these letters.
    QColor badgeColor;
    const char* badgeText = "";
    // The commands of its own, in the order they stand in their menus and on the page row.
    std::function<std::vector<ModuleCommand>()> commands;
};

// The table, in toolbar order.
const std::vector<ModuleRow>& ModuleRegistry();
// The row of a module; the Custom Attributes row for a number that is no module.
const ModuleRow& FindModule(ModuleId id);
const ModuleRow* FindModuleByCommand(int command);
inline int ModuleNumber(ModuleId id) {
    return int(id);
}
