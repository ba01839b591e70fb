#pragma once

#include <QString>

// The kvuctl page of KVU's help, made from the command table when the program is built,
// so that it lists exactly the commands kvuctl has, with their own --help texts.
namespace KvuCtlHelp {
// The page's file name beside the help's front page.
inline const char* const kPageName = "kvuctl.html";
// A command's anchor on the page: "kvuctl-project-show" for "project show".
QString Anchor(const QString& commandName);
// The whole page.
QString Page();
} // namespace KvuCtlHelp
