// kvuctl-help-page FILE: writes the kvuctl page of the help (run by the build).

#include "HelpPage.h"
#include "files/FileAccess.h"

#include <QCoreApplication>
#include <cstdio>

int main(int argc, char* argv[]) {
    QCoreApplication app(argc, argv);
    const QStringList args = QCoreApplication::arguments();
    if (args.size() != 2) {
        fprintf(stderr, "usage: kvuctl-help-page FILE\n");
        return 2;
    }
    QString detail;
    if (!FileAccess::WriteFileSafely(args[1], KvuCtlHelp::Page().toUtf8(), &detail)) {
        fprintf(stderr, "kvuctl-help-page: %s: %s\n", qPrintable(args[1]), qPrintable(detail));
        return 1;
    }
    return 0;
}
