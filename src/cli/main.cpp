// kvuctl: the KVU core driven from a terminal.

#include "KvuCtl.h"

#include <QCoreApplication>

int main(int argc, char* argv[]) {
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("kvuctl"));
    QCoreApplication::setApplicationVersion(QStringLiteral("1.20"));
    return RunKvuCtl(app.arguments());
}
