// kvu-icons DIR SIZE...: writes the program's icon as DIR/<SIZE>x<SIZE>/apps/kvu.png for
// the desktop's icon theme, painted by the same code as the window's icon. Run by the
// build; not installed.

#include "frame/Icons.h"

#include <QDir>
#include <QGuiApplication>
#include <cstdio>

int main(int argc, char* argv[]) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    const QStringList args = app.arguments();
    if (args.size() < 3) {
        fprintf(stderr, "usage: kvu-icons DIR SIZE...\n");
        return 2;
    }
    for (const QString& text : args.mid(2)) {
        bool ok = false;
        const int size = text.toInt(&ok);
        if (!ok || size < 8 || size > 1024) {
            fprintf(stderr, "kvu-icons: '%s' is not an icon size\n", qPrintable(text));
            return 2;
        }
        const QString folder = QStringLiteral("%1/%2x%2/apps").arg(args[1]).arg(size);
        const QString file = folder + QStringLiteral("/kvu.png");
        if (!QDir().mkpath(folder) || !Icons::ApplicationImage(size).save(file, "PNG")) {
            fprintf(stderr, "kvu-icons: cannot write %s\n", qPrintable(file));
            return 1;
        }
    }
    return 0;
}
