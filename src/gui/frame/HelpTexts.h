#pragma once

#include <QString>

struct HelpText {
    QString caption; // empty: the application title
    QString text;
};

// The help text boxes of commands 32813, 32814, 32815, 32826 and 32810.
namespace HelpTexts {
HelpText Overview();
HelpText CustomAttributes();
HelpText LogoDownload();
HelpText Bluetooth();
HelpText InternalStatus();
} // namespace HelpTexts
