#include "KvuCtl.h"

#include "CliCommand.h"
#include "CliInterrupt.h"
#include "CliRun.h"
#include "ManyPorts.h"
#include "app/Version.h"
#include "text/CodePage.h"

#include <QCommandLineParser>
#include <QStringDecoder>
#include <QTextStream>
#include <cstdio>

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
    "  -o, --output F  The export file, or the logo preview ('-': standard output).\n"
    "  --format FORMAT logo preview: pbm or png, for an output without the file ending.\n"
    "  --width-code 2|3|4, --height N, --zoom 2|3|4|6|8|12, --pan X,Y,\n"
    "  --threshold 25|50|75|99, --dither\n"
    "                  How a logo command looks at its picture (see 'logo preview --help').\n"
    "  --force         Let 'project new' replace an existing file.\n"
    "  --seconds S     How long 'monitor' listens (default: until Ctrl-C).\n"
    "  --json          ports, bt read, wlan read, and any command on several ports:\n"
    "                  print JSON.\n"
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

// stdout and stderr, or the streams a caller gave.
class CConsoleOut {
public:
    explicit CConsoleOut(KvuCtlContext& c) : m_context(c) {
        if (!c.out)
            m_ownOut = std::make_unique<QTextStream>(stdout);
        if (!c.err)
            m_ownErr = std::make_unique<QTextStream>(stderr);
    }
    QTextStream& Out() { return m_context.out ? *m_context.out : *m_ownOut; }
    QTextStream& Err() { return m_context.err ? *m_context.err : *m_ownErr; }

private:
    KvuCtlContext& m_context;
    std::unique_ptr<QTextStream> m_ownOut, m_ownErr;
};

// The groups in the table's order.
QStringList Groups() {
    QStringList groups;
    for (const CCliCommand& c : CommandTable()) {
        const QString group = CommandGroup(c);
        if (!group.isEmpty() && !groups.contains(group))
            groups << group;
    }
    return groups;
}

// The overview: every command of the table with its synopsis and summary.
QString Usage() {
    QString text = QStringLiteral("Usage: kvuctl COMMAND [ARGUMENTS] [OPTIONS]\n"
                                  "\n"
                                  "The KVU core from a terminal, for provisioning Tarvo3 "
                                  "printers by script.\n"
                                  "\n"
                                  "Commands:\n");
    const int column = 36;
    for (const CCliCommand& c : CommandTable()) {
        const QString head = QStringLiteral("  %1 %2").arg(c.name, c.synopsis);
        const QStringList lines = c.summary.split(QLatin1Char('\n'));
        if (head.size() < column) {
            text += head.leftJustified(column) + lines.first() + QLatin1Char('\n');
        } else {
            text += head + QLatin1Char('\n');
            text += QString(column, QLatin1Char(' ')) + lines.first() + QLatin1Char('\n');
        }
        for (int i = 1; i < lines.size(); ++i)
            text += QString(column, QLatin1Char(' ')) + lines[i] + QLatin1Char('\n');
    }
    text += QStringLiteral("\nkvuctl COMMAND --help shows the command's own help, and\n"
                           "kvuctl GROUP --help (%1) the group's commands.\n\n")
                .arg(Groups().join(QStringLiteral(", ")));
    return text + QLatin1String(kOptionsHelp) + QLatin1Char('\n') + QLatin1String(kExitCodesHelp);
}

QString ExamplesText(const QStringList& examples) {
    if (examples.isEmpty())
        return QString();
    QString text =
        examples.size() == 1 ? QStringLiteral("Example:\n") : QStringLiteral("Examples:\n");
    for (const QString& e : examples)
        text += QStringLiteral("  ") + e + QLatin1Char('\n');
    return text + QLatin1Char('\n');
}

QString CommandUsage(const CCliCommand& c) {
    return QStringLiteral("Usage: kvuctl %1 %2\n\n%3\n%4%5")
        .arg(c.name, c.synopsis, c.help, ExamplesText(c.examples), QLatin1String(kExitCodesHelp));
}

// A group's commands with their synopses and summaries, and all their examples.
QString GroupUsage(const QString& group) {
    QString text = QStringLiteral("Usage: kvuctl %1 COMMAND [ARGUMENTS] [OPTIONS]\n\nCommands:\n")
                       .arg(group);
    QStringList examples;
    for (const CCliCommand& c : CommandTable()) {
        if (CommandGroup(c) != group)
            continue;
        text += QStringLiteral("  %1 %2\n").arg(c.name, c.synopsis);
        // The summary's line breaks fit the overview's column, not this indent.
        text += QStringLiteral("      ") + c.summary.simplified() + QLatin1Char('\n');
        examples += c.examples;
    }
    text += QLatin1Char('\n') + ExamplesText(examples);
    return text +
           QStringLiteral("kvuctl %1 COMMAND --help shows the command's own help.\n").arg(group);
}

// The row whose one or two words begin the arguments; two-word names win.
const CCliCommand* FindCommand(const QStringList& args, int* words) {
    const CCliCommand* found = nullptr;
    for (const CCliCommand& c : CommandTable()) {
        const QStringList name = c.name.split(QLatin1Char(' '));
        if (args.size() >= name.size() && args.mid(0, name.size()) == name &&
            (!found || name.size() > *words)) {
            found = &c;
            *words = int(name.size());
        }
    }
    return found;
}

// The command group a first word belongs to, for "use 'project show FILE' or ...".
QString GroupChoices(const QString& first) {
    QStringList choices;
    for (const CCliCommand& c : CommandTable()) {
        if (c.name.startsWith(first + QLatin1Char(' ')))
            choices << QStringLiteral("'%1 %2'").arg(c.name, c.synopsis);
    }
    return choices.join(QStringLiteral(" or "));
}
} // namespace

QString KvuCtlOptionsText() {
    return QLatin1String(kOptionsHelp);
}

QString KvuCtlExitCodesText() {
    return QLatin1String(kExitCodesHelp);
}

QString KvuCtlArgument(const QByteArray& raw) {
    QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    const QString text = utf8.decode(raw);
    return utf8.hasError() ? CodePage::FromBytes(raw) : text;
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
        {QStringLiteral("format"), QString(), QStringLiteral("FORMAT")},
        {QStringLiteral("json"), QString()},
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
    // The radio modules' connection and settings (bt and wlan).
    const struct {
        const char* name;
        const char* value;
    } radio[] = {
        {"from", "U0|U1|U2|U3|U4"},
        {"to", "U0|U1|U2|U3|U4"},
        {"timeout", "S"},
        {"escape", "T"},
        {"guard-before", "MS"},
        {"guard-after", "MS"},
        {"name", "T"},
        {"pin", "T"},
        {"class", "N"},
        {"discoverable", "0|1|2"},
        {"power", "0|1|2"},
        {"security", "0|1"},
        {"ssid", "T"},
        {"channel", "N"},
        {"mode", "1|2"},
        {"authentication", "0|1|2|3"},
        {"encryption", "0|1|2|3|4"},
        {"rate", "N"},
        {"link-adaptation", "0|1"},
        {"user", "T"},
        {"active-key", "1|2|3|4"},
        {"key-index", "1|2|3|4"},
        {"key", "T"},
        {"ip", "A.B.C.D"},
        {"netmask", "A.B.C.D"},
        {"gateway", "A.B.C.D"},
        {"dhcp", "0|1"},
        {"hostname", "T"},
        {"dns1", "A.B.C.D"},
        {"dns2", "A.B.C.D"},
    };
    for (const auto& o : radio)
        options.append({QLatin1String(o.name), QString(), QLatin1String(o.value)});
    return options;
}

void AddKvuCtlOptions(QCommandLineParser& parser) {
    parser.setOptionsAfterPositionalArgumentsMode(QCommandLineParser::ParseAsOptions);
    parser.addOptions(KvuCtlOptions());
}

int RunKvuCtl(const QStringList& arguments, KvuCtlContext context) {
    CConsoleOut io(context);
    QCommandLineParser parser;
    AddKvuCtlOptions(parser);
    const QCommandLineOption help({QStringLiteral("h"), QStringLiteral("help")}, QString());
    const QCommandLineOption version({QStringLiteral("v"), QStringLiteral("version")}, QString());
    auto usageError = [&](const QString& text) {
        io.Err() << "kvuctl: " << text << " (see kvuctl --help)\n";
        io.Err().flush();
        return KvuCtlExit::Usage;
    };
    if (!parser.parse(arguments))
        return usageError(parser.errorText());
    const QStringList args = parser.positionalArguments();
    if (parser.isSet(version)) {
        io.Out() << "kvuctl " << kVersionText << '\n';
        return KvuCtlExit::Ok;
    }
    if (args.isEmpty()) {
        if (parser.isSet(help)) {
            io.Out() << Usage();
            return KvuCtlExit::Ok;
        }
        io.Err() << Usage();
        return KvuCtlExit::Usage;
    }

    int words = 0;
    const CCliCommand* command = FindCommand(args, &words);
    if (!command && args.size() == 1 && parser.isSet(help) && Groups().contains(args.first())) {
        io.Out() << GroupUsage(args.first());
        return KvuCtlExit::Ok;
    }
    if (!command) {
        const QString choices = GroupChoices(args.first());
        return usageError(choices.isEmpty()
                              ? QStringLiteral("unknown command '%1'").arg(args.first())
                              : QStringLiteral("use %1").arg(choices));
    }
    if (parser.isSet(help)) {
        io.Out() << CommandUsage(*command);
        return KvuCtlExit::Ok;
    }
    const bool portsListed = parser.isSet(QStringLiteral("ports")) ||
                             parser.isSet(QStringLiteral("ports-from")) ||
                             parser.values(QStringLiteral("port")).size() > 1;
    if (portsListed && !command->manyPorts)
        return usageError(QStringLiteral("'%1' runs on one port at a time").arg(command->name));
    // Scripts may pass the same options to every command: one that a command has no use
    // for is named, not refused.
    for (const QString& option : parser.optionNames()) {
        const QString name = option == QLatin1String("o") ? QStringLiteral("output") : option;
        if (!command->options.contains(name))
            io.Err() << "kvuctl: '" << command->name << "' ignores --" << name << '\n';
    }
    const QStringList rest = args.mid(words);
    if (rest.size() != command->arguments)
        return usageError(
            QStringLiteral("use 'kvuctl %1 %2'").arg(command->name, command->synopsis));

    const bool noPort = !parser.isSet(QStringLiteral("port")) && !portsListed;
    // --json on one port asks for the same per-port result a list of ports gives, unless
    // the command's --json is its own.
    const bool summaryAsked =
        command->manyPorts && !command->ownJson && parser.isSet(QStringLiteral("json"));
    // Ctrl-C and SIGTERM end the command's exchange and close its port rather than the
    // program at once, which would leave the port claimed and the printer mid-exchange.
    CliInterrupt::CScope interrupt;
    if (portsListed || summaryAsked || (noPort && command->everyPortByDefault))
        return RunOnManyPorts(*command, arguments, rest, parser, context, io.Out(), io.Err());

    CCliRun run(rest, parser, context, io.Out(), io.Err());
    const int rc = run.Finished(command->run(run));
    io.Out().flush();
    io.Err().flush();
    return rc;
}
