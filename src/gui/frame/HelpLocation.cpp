#include "HelpLocation.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>

namespace HelpFiles {

QStringList Candidates(const QString& appDir, const QString& helpDirOverride) {
    const QString page = QLatin1String(kFrontPage);
    QStringList paths;
    if (!helpDirOverride.isEmpty())
        paths << QDir(helpDirOverride).filePath(page);
    const QDir dir(appDir);
    paths << QDir::cleanPath(dir.filePath(QStringLiteral("../share/kvu/help/") + page))
          << dir.filePath(QStringLiteral("help/") + page) << dir.filePath(page);
    return paths;
}

HelpLocation Find(const QString& appDir, const QString& helpDirOverride) {
    HelpLocation location;
    location.candidates = Candidates(appDir, helpDirOverride);
    for (const QString& candidate : location.candidates) {
        const QFileInfo info(candidate);
        if (info.isFile() && info.isReadable()) {
            location.path = info.absoluteFilePath();
            break;
        }
    }
    return location;
}

HelpLocation FindForApplication() {
    return Find(QCoreApplication::applicationDirPath(), qEnvironmentVariable("KVU_HELP_DIR"));
}

QString NotFoundMessage(const HelpLocation& location) {
    QStringList shown;
    for (const QString& path : location.candidates)
        shown << QStringLiteral("  ") + QDir::toNativeSeparators(path);
    return QStringLiteral("The help file %1 could not be found. KVU looked in:\n%2\n\n"
                          "Set KVU_HELP_DIR to the folder that holds it.")
        .arg(QLatin1String(kFrontPage), shown.join(QLatin1Char('\n')));
}

} // namespace HelpFiles
