#pragma once

#include <QString>
#include <QStringList>

// Where the help lives. An installed program finds it under share/kvu/help beside its
// bin folder, a build tree next to the program; KVU_HELP_DIR overrides both.
struct HelpLocation {
    QString path;           // the help file found, empty if none
    QStringList candidates; // every path looked in, in order
};

namespace HelpFiles {
// The name of the help's front page.
inline const char* const kFrontPage = "kvu.html";
// The paths looked in, in order, for a program in `appDir` and the value of KVU_HELP_DIR
// (empty when unset).
QStringList Candidates(const QString& appDir, const QString& helpDirOverride);
// The first candidate that exists.
HelpLocation Find(const QString& appDir, const QString& helpDirOverride);
// For the running program.
HelpLocation FindForApplication();
// What the user is told when none of the candidates exists.
QString NotFoundMessage(const HelpLocation& location);
} // namespace HelpFiles
