#pragma once

#include <QString>

class CHelpWindow;
class IUiServices;
class QWidget;

// Opening the help at a topic, for the main window and for the dialogs.
namespace HelpKey {
// Shows `window` at `topic`, making it as a window of `owner` the first time; the help
// file is looked for afresh each time. A missing help is reported through `services`
// with the paths looked in. False when there is no help to show.
bool Open(QWidget* owner, CHelpWindow*& window, const QString& topic, IUiServices& services);
// F1 in `dialog` opens the help at `topic`. The help window belongs to the dialog, so it
// takes clicks and keys while the dialog is modal, and it goes with the dialog.
void Install(QWidget* dialog, const QString& topic, IUiServices& services);
} // namespace HelpKey
