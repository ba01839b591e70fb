#pragma once

#include <QMap>
#include <QString>

// The texts that describe kvuctl outside the program, made from its command table and
// option list so that they cannot fall behind when a command or option is added: the
// tables of the bash completion script and the command sections of the manual page.
namespace CliDocs {

// Bash functions that answer, for the completion script: the command names, a command's
// options and argument names, which options take a value, and the values worth offering.
QString BashCompletionTable();

// roff for the manual page: one entry per command (synopsis, summary, options), and the
// examples of every command.
QString ManCommands();
QString ManExamples();
// roff for the JSON each command prints with --json: its keys and their types.
QString ManJson();

// Text made safe for roff, and printed as typed: backslashes, minus signs, quotes, carets
// and a leading dot.
QString RoffEscape(const QString& text);

// The placeholders @NAME@ a template may hold, and what they become.
QMap<QString, QString> TemplateValues();

// Replaces every known @NAME@ in `text`. False, with the name in `error`, when a
// placeholder is left that nobody fills (a misspelt one would otherwise ship as is).
bool FillTemplate(const QString& text, QString* filled, QString* error);

} // namespace CliDocs
