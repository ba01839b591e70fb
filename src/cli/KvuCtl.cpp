#include "KvuCtl.h"

#include "CliCommand.h"
#include "CliInterrupt.h"
#include "CliRun.h"
#include "JsonShape.h"
#include "KvuCtlOptions.h"
#include "ManyPorts.h"
#include "app/Version.h"
#include "text/CodePage.h"

#include <QCommandLineParser>
#include <QIODevice>
#include <QStringDecoder>
#include <QTextStream>
#include <cstdio>

namespace {
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

// stderr passed on as it is, its lines looked at: the last one the command wrote about
// itself ("kvuctl: ...", not the line about the link it opens, nor an ignored option) is
// what went wrong, should the command fail.
class CNotedErr : public QIODevice {
public:
    explicit CNotedErr(QTextStream& err) : m_err(err) { open(QIODevice::WriteOnly); }
    QString LastNote(const QString& linkLine) const {
        for (auto it = m_lines.crbegin(); it != m_lines.crend(); ++it) {
            if (*it != linkLine && !it->contains(QLatin1String("' ignores --")))
                return it->mid(8);
        }
        return QString();
    }

protected:
    qint64 readData(char*, qint64) override { return -1; }
    qint64 writeData(const char* data, qint64 size) override {
        const QString text = QString::fromUtf8(data, int(size));
        m_err << text;
        m_err.flush();
        m_pending += text;
        qsizetype end;
        while ((end = m_pending.indexOf(QLatin1Char('\n'))) >= 0) {
            const QString line = m_pending.left(end);
            if (line.startsWith(QLatin1String("kvuctl: ")))
                m_lines << line;
            m_pending.remove(0, end + 1);
        }
        return size;
    }

private:
    QTextStream& m_err;
    QString m_pending;
    QStringList m_lines;
};

// The streams of a command given --json: stdout kept until the command has ended, so that
// a command that failed without printing a result of its own prints the failure object
// {"exit": N, "error": "..."} instead; stderr says the same in words either way.
class CJsonRun {
public:
    CJsonRun(CConsoleOut& io, bool wanted) : m_io(io), m_wanted(wanted), m_errDevice(io.Err()) {
        m_out.setString(&m_buffer);
        m_err.setDevice(&m_errDevice);
    }
    QTextStream& Out() { return m_wanted ? m_out : m_io.Out(); }
    QTextStream& Err() { return m_wanted ? m_err : m_io.Err(); }
    // The exit code; what the command printed or the failure object goes out now.
    int Finish(int rc, const CCliRun* run = nullptr) {
        if (!m_wanted)
            return rc;
        m_out.flush();
        m_err.flush();
        if (rc != KvuCtlExit::Ok && m_buffer.trimmed().isEmpty()) {
            const QString note = m_errDevice.LastNote(run ? run->LinkLine() : QString());
            QString error = run ? run->ErrorText(note) : note;
            if (error.isEmpty())
                error = ManyPorts::ResultText(rc);
            m_io.Out() << JsonShape::ErrorText(rc, error);
        } else {
            m_io.Out() << m_buffer;
        }
        m_io.Out().flush();
        return rc;
    }

private:
    CConsoleOut& m_io;
    bool m_wanted;
    QString m_buffer;
    QTextStream m_out;
    CNotedErr m_errDevice;
    QTextStream m_err;
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
    return text + KvuCtlOptionsText() + QLatin1Char('\n') + KvuCtlExitCodesText();
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
        .arg(c.name, c.synopsis, c.help, ExamplesText(c.examples), KvuCtlExitCodesText());
}

// A group's commands with their synopses and summaries, and all their examples.
QString GroupUsage(const QString& group) {
    QString text =
        QStringLiteral("Usage: kvuctl %1 COMMAND [ARGUMENTS] [OPTIONS]\n\nCommands:\n").arg(group);
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

QString KvuCtlArgument(const QByteArray& raw) {
    QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    const QString text = utf8.decode(raw);
    return utf8.hasError() ? CodePage::FromBytes(raw) : text;
}

int RunKvuCtl(const QStringList& arguments, KvuCtlContext context) {
    CConsoleOut console(context);
    QCommandLineParser parser;
    AddKvuCtlOptions(parser);
    const QCommandLineOption help({QStringLiteral("h"), QStringLiteral("help")}, QString());
    const QCommandLineOption version({QStringLiteral("v"), QStringLiteral("version")}, QString());
    const bool parsed = parser.parse(arguments);
    const QStringList args = parser.positionalArguments();
    int words = 0;
    const CCliCommand* command = args.isEmpty() ? nullptr : FindCommand(args, &words);
    // A script that asked for JSON gets the failure object for a wrong command line too,
    // unless the command it names takes no --json.
    const bool jsonAsked = parsed ? parser.isSet(QStringLiteral("json"))
                                  : arguments.contains(QStringLiteral("--json"));
    CJsonRun io(console, jsonAsked && !parser.isSet(help) && !parser.isSet(version) &&
                             (!command || command->options.contains(QStringLiteral("json"))));
    auto usageError = [&](const QString& text) {
        io.Err() << "kvuctl: " << text << " (see kvuctl --help)\n";
        io.Err().flush();
        return io.Finish(KvuCtlExit::Usage);
    };
    if (!parsed)
        return usageError(parser.errorText());
    if (parser.isSet(version)) {
        io.Out() << "kvuctl " << kVersionText << '\n';
        return io.Finish(KvuCtlExit::Ok);
    }
    if (args.isEmpty()) {
        if (parser.isSet(help)) {
            io.Out() << Usage();
            return io.Finish(KvuCtlExit::Ok);
        }
        io.Err() << Usage();
        return io.Finish(KvuCtlExit::Usage);
    }

    if (!command && args.size() == 1 && parser.isSet(help) && Groups().contains(args.first())) {
        io.Out() << GroupUsage(args.first());
        return io.Finish(KvuCtlExit::Ok);
    }
    if (!command) {
        const QString choices = GroupChoices(args.first());
        return usageError(choices.isEmpty()
                              ? QStringLiteral("unknown command '%1'").arg(args.first())
                              : QStringLiteral("use %1").arg(choices));
    }
    if (parser.isSet(help)) {
        io.Out() << CommandUsage(*command);
        return io.Finish(KvuCtlExit::Ok);
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
        return io.Finish(
            RunOnManyPorts(*command, arguments, rest, parser, context, io.Out(), io.Err()));

    CCliRun run(rest, parser, context, io.Out(), io.Err());
    const int rc = run.Finished(command->run(run));
    io.Out().flush();
    io.Err().flush();
    return io.Finish(rc, &run);
}
