#include "HelpKey.h"

#include "HelpLocation.h"
#include "HelpWindow.h"
#include "app/UiServices.h"

#include <QAction>
#include <QDir>
#include <QPointer>
#include <QWidget>

namespace HelpKey {

bool Open(QWidget* owner, CHelpWindow*& window, const QString& topic, IUiServices& services) {
    const HelpLocation location = HelpFiles::FindForApplication();
    if (location.path.isEmpty()) {
        services.Message(HelpFiles::NotFoundMessage(location), MsgIcon::Exclamation);
        return false;
    }
    if (!window)
        window = new CHelpWindow(owner);
    // A window that was closed starts afresh; one still open keeps its history.
    if (window->FrontPage() != location.path || !window->isVisible()) {
        if (!window->Load(location.path)) {
            services.Message(QStringLiteral("The help file %1 could not be opened.")
                                 .arg(QDir::toNativeSeparators(location.path)),
                             MsgIcon::Exclamation);
            return false;
        }
    }
    window->show();
    window->raise();
    window->activateWindow();
    window->OpenTopic(topic);
    return true;
}

void Install(QWidget* dialog, const QString& topic, IUiServices& services) {
    auto* help = new QAction(dialog);
    help->setObjectName(QStringLiteral("helpKey"));
    help->setShortcut(QKeySequence::HelpContents);
    help->setShortcutContext(Qt::WindowShortcut);
    dialog->addAction(help);
    QObject::connect(help, &QAction::triggered, dialog, [dialog, topic, &services] {
        CHelpWindow* window =
            dialog->findChild<CHelpWindow*>(QString(), Qt::FindDirectChildrenOnly);
        Open(dialog, window, topic, services);
    });
}

} // namespace HelpKey
