#include "CliDocs.h"

#include "CliCommand.h"
#include "KvuCtl.h"
#include "KvuCtlOptions.h"
#include "app/PortNames.h"
#include "app/SerialPort.h"
#include "app/Version.h"

#include <QCommandLineOption>
#include <QRegularExpression>

namespace {
// A word for bash, quoted so that nothing in it is expanded.
QString ShellQuote(const QString& word) {
    QString quoted = word;
    quoted.replace(QLatin1Char('\''), QStringLiteral("'\\''"));
    return QLatin1Char('\'') + quoted + QLatin1Char('\'');
}

// "--port" or "-o --output": every spelling of the option.
QStringList Spellings(const QCommandLineOption& option) {
    QStringList out;
    for (const QString& name : option.names())
        out << (name.size() == 1 ? QStringLiteral("-") : QStringLiteral("--")) + name;
    return out;
}

const QCommandLineOption* FindOption(const QList<QCommandLineOption>& all, const QString& name) {
    for (const QCommandLineOption& o : all) {
        if (o.names().contains(name))
            return &o;
    }
    return nullptr;
}

// What a command's own options are called on its command line, --help last.
QStringList CommandSpellings(const CCliCommand& c, const QList<QCommandLineOption>& all) {
    QStringList out;
    for (const QString& name : c.options) {
        if (const QCommandLineOption* o = FindOption(all, name))
            out += Spellings(*o);
        else
            out << QStringLiteral("--") + name;
    }
    return out << QStringLiteral("--help");
}

// The names of the arguments a command takes: the first words of its synopsis.
QStringList ArgumentNames(const CCliCommand& c) {
    return c.synopsis.split(QLatin1Char(' '), Qt::SkipEmptyParts).mid(0, c.arguments);
}

QString ComPortNames() {
    QStringList names;
    for (int i = 0; i < PortNames::kPortCount; ++i)
        names << PortNames::ComName(i);
    return names.join(QLatin1Char(' '));
}

QString BaudRates() {
    QStringList rates;
    for (const CSerialPort::BaudRow& row : CSerialPort::kBaudTable)
        rates << QString::number(row.rate);
    return rates.join(QLatin1Char(' '));
}

// "burn" or "logo flash" with its synopsis, in man-page type: the command in bold, the
// rest in italics.
QString RoffHeading(const CCliCommand& c) {
    return QStringLiteral("\\fBkvuctl %1\\fR \\fI%2\\fR")
        .arg(CliDocs::RoffEscape(c.name), CliDocs::RoffEscape(c.synopsis));
}
} // namespace

QString CliDocs::RoffEscape(const QString& text) {
    QString out = text;
    out.replace(QLatin1Char('\\'), QStringLiteral("\\e"));
    out.replace(QLatin1Char('-'), QStringLiteral("\\-"));
    // groff would print these as typographic quotes and accents in a UTF-8 terminal, and an
    // example copied from the page would no longer run.
    out.replace(QLatin1Char('\''), QStringLiteral("\\(aq"));
    out.replace(QLatin1Char('`'), QStringLiteral("\\(ga"));
    out.replace(QLatin1Char('^'), QStringLiteral("\\(ha"));
    out.replace(QLatin1Char('~'), QStringLiteral("\\(ti"));
    // A line that starts with a dot would be read as a request.
    QStringList lines = out.split(QLatin1Char('\n'));
    for (QString& line : lines) {
        if (line.startsWith(QLatin1Char('.')))
            line.prepend(QStringLiteral("\\&"));
    }
    return lines.join(QLatin1Char('\n'));
}

QString CliDocs::BashCompletionTable() {
    const QList<QCommandLineOption> all = KvuCtlOptions();
    QString names, options, arguments;
    for (const CCliCommand& c : CommandTable()) {
        names += QStringLiteral("    %1\n").arg(ShellQuote(c.name));
        options += QStringLiteral("    %1) REPLY=%2 ;;\n")
                       .arg(ShellQuote(c.name), ShellQuote(CommandSpellings(c, all).join(' ')));
        const QStringList args = ArgumentNames(c);
        if (!args.isEmpty())
            arguments += QStringLiteral("    %1) REPLY=%2 ;;\n")
                             .arg(ShellQuote(c.name), ShellQuote(args.join(' ')));
    }
    QStringList withValue, withFile;
    for (const QCommandLineOption& o : all) {
        if (!o.valueName().isEmpty())
            withValue += Spellings(o);
        if (o.valueName() == QLatin1String("FILE"))
            withFile += Spellings(o);
    }
    // The options with choices: their value name lists them ("0|1|2").
    QString choices;
    for (const QCommandLineOption& o : all) {
        if (o.valueName().contains(QLatin1Char('|')))
            choices += QStringLiteral("    %1) REPLY=%2 ;;\n")
                           .arg(Spellings(o).join(QLatin1Char('|')),
                                ShellQuote(o.valueName().split(QLatin1Char('|')).join(' ')));
    }
    QString text;
    text += QStringLiteral("# The command names, one or two words each.\n_kvuctl_commands=(\n") +
            names + QStringLiteral(")\n\n");
    text +=
        QStringLiteral("# The options of command $1 (the program's own options for none), "
                       "in REPLY.\n_kvuctl_options_of() {\n    case $1 in\n") +
        options +
        QStringLiteral("    '') REPLY='--help --version' ;;\n    *) REPLY= ;;\n    esac\n}\n\n");
    text += QStringLiteral("# The names of the arguments command $1 takes, in REPLY.\n"
                           "_kvuctl_arguments_of() {\n    case $1 in\n") +
            arguments + QStringLiteral("    *) REPLY= ;;\n    esac\n}\n\n");
    text += QStringLiteral("# Whether option $1 takes a value.\n_kvuctl_takes_value() {\n"
                           "    case $1 in\n    %1) return 0 ;;\n    esac\n    return 1\n}\n\n")
                .arg(withValue.join(QLatin1Char('|')));
    text += QStringLiteral("# Whether option $1 takes a file name.\n_kvuctl_takes_file() {\n"
                           "    case $1 in\n    %1) return 0 ;;\n    esac\n    return 1\n}\n\n")
                .arg(withFile.isEmpty() ? QStringLiteral("''") : withFile.join(QLatin1Char('|')));
    text += QStringLiteral("# The values worth offering for option $1, in REPLY.\n"
                           "_kvuctl_values_of() {\n    case $1 in\n"
                           "    --port) REPLY=%1 ;;\n    --baud) REPLY=%2 ;;\n%3"
                           "    *) REPLY= ;;\n    esac\n}\n")
                .arg(ShellQuote(ComPortNames()), ShellQuote(BaudRates()), choices);
    return text;
}

QString CliDocs::ManCommands() {
    const QList<QCommandLineOption> all = KvuCtlOptions();
    QString text;
    for (const CCliCommand& c : CommandTable()) {
        text += QStringLiteral(".TP\n") + RoffHeading(c) + QLatin1Char('\n');
        text += RoffEscape(c.summary) + QLatin1Char('\n');
        QStringList options = CommandSpellings(c, all);
        options.removeLast(); // --help: every command has it
        if (!options.isEmpty())
            text += QStringLiteral("Options: \\fB%1\\fR.\n")
                        .arg(RoffEscape(options.join(QStringLiteral(", "))));
    }
    return text;
}

namespace {
// Where a summary holds one port's result.
const QString kOutputPrefix = QStringLiteral("ports[].output.");

QString RoffJsonFields(const CJsonShape& shape) {
    QString text;
    for (const CJsonField& f : shape) {
        QString type = f.type;
        const bool optional = type.endsWith(QLatin1Char('?'));
        if (optional)
            type.chop(1);
        if (type == QLatin1String("map"))
            type = QStringLiteral("object");
        text += QStringLiteral(".TP\n.B %1\n%2%3%4\n")
                    .arg(CliDocs::RoffEscape(f.path), type,
                         optional ? QStringLiteral(" (not always there)") : QString(),
                         f.text.isEmpty() ? QString()
                                          : QStringLiteral(": ") + CliDocs::RoffEscape(f.text));
    }
    return text;
}

// Whether the command's --json prints the summary.
bool IsSummary(const CCliCommand& c) {
    return c.manyPorts && !c.ownJson;
}
} // namespace

QString CliDocs::ManJson() {
    QString text = QStringLiteral(".SS The summary\n");
    CJsonShape summary = JsonShape::Summary({});
    summary.append({QStringLiteral("ports[].output"), QStringLiteral("object?"),
                    QStringLiteral("the port's result: its keys are listed with the command")});
    text += RoffJsonFields(summary);
    for (const CCliCommand& c : CommandTable()) {
        if (!c.options.contains(QStringLiteral("json")))
            continue;
        text += QStringLiteral(".SS kvuctl %1 \\-\\-json\n").arg(RoffEscape(c.name));
        if (IsSummary(c)) {
            CJsonShape own;
            for (const CJsonField& f : c.json) {
                if (f.path.startsWith(kOutputPrefix))
                    own.append({f.path.mid(kOutputPrefix.size()), f.type, f.text});
            }
            text += own.isEmpty() ? QStringLiteral("The summary, without output.\n")
                                  : QStringLiteral("The summary; each port's output:\n") +
                                        RoffJsonFields(own);
        } else if (c.json.isEmpty()) {
            text +=
                QStringLiteral("An object of its own (with several ports, inside the summary);\n"
                               "see\n.BR \"kvuctl %1 \\-\\-help\" .\n")
                    .arg(RoffEscape(c.name));
        } else {
            text += RoffJsonFields(c.json);
        }
        for (const CJsonCase& other : c.jsonOther)
            text += QStringLiteral(".PP\n%1:\n")
                        .arg(RoffEscape(other.when.left(1).toUpper() + other.when.mid(1))) +
                    RoffJsonFields(other.shape);
    }
    return text;
}

QString CliDocs::ManExamples() {
    QString text;
    // One block per command.
    for (const CCliCommand& c : CommandTable()) {
        if (!c.examples.isEmpty())
            text += QStringLiteral(".PP\n.RS 4\n.EX\n") + RoffEscape(c.examples.join('\n')) +
                    QStringLiteral("\n.EE\n.RE\n");
    }
    return text;
}

QMap<QString, QString> CliDocs::TemplateValues() {
    return {
        {QStringLiteral("KVU_VERSION"), QLatin1String(kVersionText)},
        {QStringLiteral("KVU_RELEASE_DATE"), QLatin1String(kReleaseDate)},
        {QStringLiteral("KVUCTL_COMPLETION_TABLE"), BashCompletionTable()},
        {QStringLiteral("KVUCTL_MAN_COMMANDS"), ManCommands()},
        {QStringLiteral("KVUCTL_MAN_EXAMPLES"), ManExamples()},
        {QStringLiteral("KVUCTL_MAN_JSON"), ManJson()},
        {QStringLiteral("KVUCTL_MAN_JSON_ERROR"), RoffJsonFields(JsonShape::Error())},
    };
}

bool CliDocs::FillTemplate(const QString& text, QString* filled, QString* error) {
    const QMap<QString, QString> values = TemplateValues();
    static const QRegularExpression placeholder(QStringLiteral("@([A-Z][A-Z0-9_]*)@"));
    QString out;
    qsizetype from = 0;
    for (auto it = placeholder.globalMatch(text); it.hasNext();) {
        const QRegularExpressionMatch m = it.next();
        if (!values.contains(m.captured(1))) {
            *error = QStringLiteral("unknown placeholder @%1@").arg(m.captured(1));
            return false;
        }
        out += text.mid(from, m.capturedStart() - from) + values.value(m.captured(1));
        from = m.capturedEnd();
    }
    *filled = out + text.mid(from);
    return true;
}
