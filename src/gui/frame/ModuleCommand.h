#pragma once

#include <QIcon>
#include <QKeySequence>
#include <QString>
#include <functional>

#include "PageContext.h"

class QWidget;

// Where a module's command is offered. Each menu has one place for the modules' commands,
// in the registry's order: File below Save As (between separators), Configure below Serial
// Port, View at the end.
enum class MenuPlace { None, File, Configure, View };

// What a command run by the frame itself may use.
struct CommandContext {
    const PageContext& page;
    QWidget* window;                   // the main window, the parent of its dialogs
    std::function<void()> redrawShown; // draws the page or view on show again
};

// One command a module brings: its menu entry, its toolbar button and what it does.
struct ModuleCommand {
    ModuleCommand(int id, QString text, QString prompt)
        : id(id), text(std::move(text)), prompt(std::move(prompt)) {}

    int id;         // the action is named "id<id>"
    QString text;   // the menu text
    QString prompt; // the status prompt, then the tooltip after a line break
    MenuPlace menu = MenuPlace::None;
    QString submenu;              // a submenu of that menu ("Zoom"); empty: the menu itself
    bool separatorBefore = false; // in its menu or submenu
    bool checkable = false;
    // On the row of page buttons, shown while the page on top handles one of them.
    bool onPageBar = false;
    bool barSeparatorBefore = false;
    std::function<QIcon()> icon; // none: no icon
    // A command of the program's (Logo Size): run by the frame from any module, always
    // enabled. Without it the command goes to the page or view on top, and is enabled
    // and checked as that page says.
    std::function<void(const CommandContext&)> run;
};
