#include "KvuCtlOptions.h"

#include "CliCommand.h"

#include <QCommandLineParser>

namespace {
const char* const kOptionsHelp =
    "Options:\n"
    "  --port PORT     COM1 to COM20 (through KVU's port table) or a device path such as\n"
    "                  /dev/ttyUSB0. Default: the port KVU last used. Given more than once,\n"
    "                  the command runs on each port at once (the commands whose usage\n"
    "                  says [--port P...]).\n"
    "  --ports P1,P2,...  Those commands on several ports at once, with a summary.\n"
    "  --ports-from FILE  The same with the ports read from FILE, one per line (# comments).\n"
    "  --baud RATE     1200, 2400, 9600, 14400, 19200, 38400, 57600 or 115200.\n"
    "                  Default: the rate KVU last used.\n"
    "  --yes           Answer Yes when the printer does not send '?' during a burn.\n"
    "  -o, --output F  The export file (- or /dev/stdout: standard output), the logo\n"
    "                  preview, or the copy of what monitor shows.\n"
    "  --format pbm|png logo preview: the picture's format, for an output without the\n"
    "                  file ending (standard output, a pipe).\n"
    "  --width-code 2|3|4, --height N, --zoom 2|3|4|6|8|12, --pan X,Y,\n"
    "  --threshold 25|50|75|99, --dither\n"
    "                  How a logo command looks at its picture (see 'logo preview --help').\n"
    "  --force         Let 'project new' replace an existing file.\n"
    "  --seconds S     How long 'monitor' listens (default: until Ctrl-C).\n"
    "  --json          ports, record, bt read, wlan read, and any command on several\n"
    "                  ports (query, detect, burn, ...): print JSON; a failure prints\n"
    "                  {\"exit\": N, \"error\": \"...\"} (see the manual page).\n"
    "  --watch         ports: a line whenever a port comes or goes, until Ctrl-C.\n"
    "  --verify        bt write, wlan write: read the settings back and compare.\n"
    "  --dry-run, --again, --record R, --since D, --recipe N, --csv\n"
    "                  provision and record: see 'kvuctl provision --help'.\n"
    "  --from, --to, --timeout, --escape, --guard-before, --guard-after and the\n"
    "                  settings options of bt and wlan: see 'kvuctl bt write --help'.\n"
    "  -h, --help      Show this help, or with a command, that command's help.\n"
    "  -v, --version   Show the version.\n";

const char* const kExitCodesHelp =
    "Exit codes:\n"
    "  0  success (for burn: the printer answered D!X)\n"
    "  1  the printer did not confirm the burn, or it was not continued after no '?';\n"
    "     bt and wlan: the module did not answer OK, or a verified setting differs\n"
    "  2  the command line is wrong\n"
    "  3  a project or output file cannot be read or written\n"
    "  4  the serial port cannot be opened or written\n"
    "  130, 143  interrupted by Ctrl-C or SIGTERM before the command finished (the port\n"
    "     was closed; stderr says what the printer may be left doing)\n";

} // namespace

QString KvuCtlOptionsText() {
    return QLatin1String(kOptionsHelp);
}

QString KvuCtlExitCodesText() {
    return QLatin1String(kExitCodesHelp);
}

QList<QCommandLineOption> KvuCtlOptions() {
    // The value names are what the manual page shows after each option; a name of words
    // joined by '|' is the option's choices, which bash completion offers, and FILE a file.
    QList<QCommandLineOption> options = {
        {{QStringLiteral("h"), QStringLiteral("help")}, QString()},
        {{QStringLiteral("v"), QStringLiteral("version")}, QString()},
        {QStringLiteral("port"), QString(), QStringLiteral("PORT")},
        {QStringLiteral("ports"), QString(), QStringLiteral("P1,P2,...")},
        {QStringLiteral("ports-from"), QString(), QStringLiteral("FILE")},
        {QStringLiteral("baud"), QString(), QStringLiteral("RATE")},
        {QStringLiteral("yes"), QString()},
        {QStringLiteral("force"), QString()},
        {QStringLiteral("seconds"), QString(), QStringLiteral("S")},
        {{QStringLiteral("o"), QStringLiteral("output")}, QString(), QStringLiteral("FILE")},
        {QStringLiteral("format"), QString(), QStringLiteral("pbm|png")},
        {QStringLiteral("json"), QString()},
        {QStringLiteral("watch"), QString()},
        {QStringLiteral("verify"), QString()},
        {QStringLiteral("defaults"), QString()},
        {QStringLiteral("width-code"), QString(), QStringLiteral("2|3|4")},
        {QStringLiteral("height"), QString(), QStringLiteral("N")},
        {QStringLiteral("zoom"), QString(), QStringLiteral("2|3|4|6|8|12")},
        {QStringLiteral("pan"), QString(), QStringLiteral("X,Y")},
        {QStringLiteral("threshold"), QString(), QStringLiteral("25|50|75|99")},
        {QStringLiteral("dither"), QString()},
        // provision and record
        {QStringLiteral("dry-run"), QString()},
        {QStringLiteral("again"), QString()},
        {QStringLiteral("record"), QString(), QStringLiteral("file")},
        {QStringLiteral("since"), QString(), QStringLiteral("date")},
        {QStringLiteral("recipe"), QString(), QStringLiteral("name")},
        {QStringLiteral("csv"), QString()},
    };
    // The radio modules' connection and settings (bt and wlan), from their tables.
    options.append(WirelessOptions());
    return options;
}

void AddKvuCtlOptions(QCommandLineParser& parser) {
    parser.setOptionsAfterPositionalArgumentsMode(QCommandLineParser::ParseAsOptions);
    parser.addOptions(KvuCtlOptions());
}
