// kvuctl: the KVU core driven from a terminal.

#include "KvuCtl.h"
#include "app/Version.h"

#include <QCoreApplication>

int main(int argc, char* argv[]) {
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("kvuctl"));
    QCoreApplication::setApplicationVersion(QLatin1String(kVersionText));
#ifdef Q_OS_UNIX
    // The arguments' own bytes: Qt's decoding would turn bytes that are not UTF-8 into '?'.
    QStringList arguments;
    for (int i = 0; i < argc; ++i)
        arguments << KvuCtlArgument(QByteArray(argv[i]));
    return RunKvuCtl(arguments);
#else
    return RunKvuCtl(app.arguments());
#endif
}
