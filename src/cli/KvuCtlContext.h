#pragma once

#include <QList>
#include <functional>
#include <memory>

#include "app/PortDiscovery.h"

class IUiServices;
class QIODevice;
class QSettings;
class QTextStream;

// Exit codes that scripts can rely on.
namespace KvuCtlExit {
constexpr int Ok = 0;
constexpr int NotConfirmed = 1;  // the printer did not confirm, or the user did not go on
constexpr int Usage = 2;         // the command line is wrong
constexpr int FileError = 3;     // a project or output file cannot be read or written
constexpr int LinkError = 4;     // the port cannot be opened or written
constexpr int Interrupted = 130; // Ctrl-C (128 + SIGINT) before the command finished
constexpr int Terminated = 143;  // SIGTERM (128 + 15) before the command finished
} // namespace KvuCtlExit

// Where kvuctl writes and whom it asks; tests replace the parts they need.
struct KvuCtlContext {
    QTextStream* out = nullptr; // stdout when null
    QTextStream* err = nullptr; // stderr when null
    // The services for one command; by default the terminal's.
    std::function<std::unique_ptr<IUiServices>(bool assumeYes)> makeServices;
    // The settings whose port table and communication defaults apply; by default the
    // user's KVU settings (only read, never written).
    QSettings* settings = nullptr;
    // The services for one port of a command run on several ports at once, asked for
    // each port before the ports' threads start; each is used by its port's thread only.
    // By default the terminal's, whose lines carry the port.
    std::function<std::unique_ptr<IUiServices>(const QString& port, bool assumeYes)>
        makePortServices;
    // The serial ports of this computer; by default what Qt Serial Port finds.
    std::function<QList<CPortInfo>()> listPorts;
    // Standard input, and standard output for bytes (an export to "-"): by default the
    // process's own.
    QIODevice* in = nullptr;
    QIODevice* rawOut = nullptr;
    // Called between two looks at the ports by `ports --watch`; false ends the watch. By
    // default a pause of about a second, ended early by Ctrl-C.
    std::function<bool()> watchPause;
};
