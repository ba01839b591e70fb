#pragma once

#include <QString>
#include <QStringList>

class QCommandLineParser;
class QTextStream;
struct CCliCommand;
struct KvuCtlContext;

// One command on several printers at once: every port in its own thread, with its own
// parse of the command line, its own link, core and services, so that nothing is shared
// between them but the terminal (guarded) and the settings read once beforehand. A port
// that fails or hangs holds up no other. Status lines carry their port; a summary table
// (or JSON with --json) follows on stdout. The exit code is the worst of the ports'.
int RunOnManyPorts(const CCliCommand& command, const QStringList& arguments,
                   const QStringList& rest, const QCommandLineParser& parser,
                   KvuCtlContext& context, QTextStream& out, QTextStream& err);

namespace ManyPorts {
// The ports named on the command line: each --port, then the --ports lists, then the
// lines of the --ports-from file. False with the reason and exit code when one is not a
// port, a port is given twice, or the file cannot be read.
// `arguments` (the command line as given) only sets the order: the ports come in the order
// their options stand on the command line.
bool Collect(const QCommandLineParser& parser, const QStringList& arguments, QStringList* ports,
             QString* error, int* code);
// The word the summary gives an exit code.
QString ResultText(int exitCode);
} // namespace ManyPorts
