// kvu-shots: pictures of KVU's windows for the help and the README, made by the program
// itself on the offscreen platform so that they show the windows as they are.
//   kvu-shots DIR              every picture of the table into DIR
//   kvu-shots DIR NAME...      only these (file names, with or without ".png")
//   kvu-shots --list           the table

#include "ShotStage.h"
#include "ShotTable.h"
#include "app/PortNames.h"

#include <QApplication>
#include <QDir>
#include <QSettings>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <cstdio>

int main(int argc, char* argv[]) {
    // Off screen unless told otherwise: nothing flashes up, and a build machine without a
    // display can make the pictures.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication application(argc, argv);
    QStringList args = QApplication::arguments().mid(1);
    if (args.value(0) == QLatin1String("--list")) {
        for (const ShotRow& row : ShotTable())
            printf("%-28s %s\n", row.file, row.caption);
        return 0;
    }
    if (args.isEmpty() || args.first().startsWith(QLatin1Char('-'))) {
        fprintf(stderr, "usage: kvu-shots DIR [NAME...] | kvu-shots --list\n");
        return 2;
    }
    const QString outDir = args.takeFirst();
    if (!QDir().mkpath(outDir)) {
        fprintf(stderr, "kvu-shots: cannot make %s\n", qPrintable(outDir));
        return 1;
    }
    QStringList wanted;
    for (QString name : args) {
        if (!name.endsWith(QLatin1String(".png")))
            name += QLatin1String(".png");
        if (!FindShot(name)) {
            fprintf(stderr, "kvu-shots: no picture %s (see kvu-shots --list)\n", qPrintable(name));
            return 2;
        }
        wanted << name;
    }

    // The pictures show KVU as it first starts, whatever the user running the build has
    // set: settings from an empty folder, and no port mapped through the environment.
    QTemporaryDir settings;
    QStandardPaths::setTestModeEnabled(true);
    QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, settings.path());
    QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, settings.path());
    for (int i = 0; i < PortNames::kPortCount; ++i)
        qunsetenv(("KVU_PORT_" + PortNames::ComName(i)).toLatin1().constData());

    int written = 0;
    for (const ShotRow& row : ShotTable()) {
        if (!wanted.isEmpty() && !wanted.contains(QLatin1String(row.file)))
            continue;
        // Each picture on a freshly started program, so that none depends on another.
        CShotStage stage;
        QString error;
        QWidget* window = stage.Start(&error) ? row.show(stage, &error) : nullptr;
        QImage picture;
        if (window)
            picture = CShotStage::Photograph(window);
        const QStringList messages = stage.Services().TakeMessages();
        if (!messages.isEmpty())
            error = QStringLiteral("a message came up: ") + messages.join(QStringLiteral(" / "));
        const QString path = QDir(outDir).filePath(QLatin1String(row.file));
        if (error.isEmpty() && picture.isNull())
            error = QStringLiteral("nothing was drawn");
        if (error.isEmpty() && !picture.save(path, "PNG"))
            error = QStringLiteral("cannot write %1").arg(path);
        if (!error.isEmpty()) {
            fprintf(stderr, "kvu-shots: %s: %s\n", row.file, qPrintable(error));
            return 1;
        }
        ++written;
    }
    printf("kvu-shots: %d picture(s) in %s\n", written,
           qPrintable(QDir::toNativeSeparators(outDir)));
    return 0;
}
