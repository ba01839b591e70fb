#pragma once

#include <QCommandLineOption>
#include <QList>
#include <QString>

class QCommandLineParser;

// kvuctl's options: what the parser takes, and the texts --help lists after the commands.
// Kept apart from the dispatcher, so that each port's own parse of a command run on several
// ports reads them without reaching back into it.

// The options and exit codes that --help lists after the commands.
QString KvuCtlOptionsText();
QString KvuCtlExitCodesText();
// Every option kvuctl reads, for the parser and for whatever describes the commands
// (shell completion, manual page).
QList<QCommandLineOption> KvuCtlOptions();
// The options kvuctl knows, for the dispatcher and for each port's own parse when a
// command runs on several ports at once.
void AddKvuCtlOptions(QCommandLineParser& parser);
