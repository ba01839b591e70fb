#include "ManyPorts.h"

#include "CliCommand.h"
#include "CliRun.h"
#include "ConsoleServices.h"
#include "KvuCtlOptions.h"
#include "app/ForwardingUiServices.h"
#include "files/FileAccess.h"

#include <QCommandLineParser>
#include <QElapsedTimer>
#include <QIODevice>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QMap>
#include <QTextStream>
#include <QThread>
#include <exception>
#include <memory>
#include <mutex>
#include <vector>

namespace {
const qint64 kPortsFileLimit = 1024 * 1024;

// The terminal, shared by the ports' threads one whole line at a time.
class CSharedLines {
public:
    explicit CSharedLines(QTextStream& err) : m_err(err) {}
    void Line(const QString& line) {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_err << line << '\n';
        m_err.flush();
    }

private:
    std::mutex m_mutex;
    QTextStream& m_err;
};

// What one port did; written by its thread only, read after the thread has ended.
struct CPortJob {
    QString port;
    QString prefix; // the port padded to the widest, for lined-up status lines
    std::unique_ptr<IUiServices> services;
    int exitCode = KvuCtlExit::LinkError;
    qint64 elapsedMs = 0;
    QString device;
    QString output;
    QString problem; // why the port could not be opened
    // The message boxes, in order (a failed flash has two: the cause, then the verdict).
    QStringList messages;
    QString lastNote; // the last line the command wrote itself on stderr
};

// A command's stderr, cut into lines that go to the terminal with the port in front.
class CPortErrDevice : public QIODevice {
public:
    CPortErrDevice(CPortJob& job, CSharedLines& lines) : m_job(job), m_lines(lines) {
        open(QIODevice::WriteOnly);
    }
    ~CPortErrDevice() override {
        if (!m_pending.isEmpty())
            Emit(QString::fromUtf8(m_pending));
    }
    const QString& LastLine() const { return m_last; }

protected:
    qint64 readData(char*, qint64) override { return -1; }
    qint64 writeData(const char* data, qint64 size) override {
        m_pending.append(data, int(size));
        int end;
        while ((end = int(m_pending.indexOf('\n'))) >= 0) {
            Emit(QString::fromUtf8(m_pending.left(end)));
            m_pending.remove(0, end + 1);
        }
        return size;
    }

private:
    void Emit(const QString& line) {
        m_last = line;
        m_lines.Line(m_job.prefix + line);
    }

    CPortJob& m_job;
    CSharedLines& m_lines;
    QByteArray m_pending;
    QString m_last;
};

// The port's own services behind a front that writes each status text and message as one
// line with the port and the time, and remembers what the summary reports.
class CPortServices : public CForwardingUiServices {
public:
    CPortServices(CPortJob& job, IUiServices& inner, CSharedLines& lines)
        : CForwardingUiServices(inner), m_job(job), m_lines(lines) {
        m_clock.start();
    }
    void Status(const QString& text) override {
        Print(text);
        Inner().Status(text);
    }
    using IUiServices::Message;
    MsgAnswer Message(const QString& text, const QString& caption, MsgIcon icon, MsgButtons buttons,
                      MsgAnswer defaultAnswer) override {
        QString line = text;
        line.replace(QLatin1Char('\n'), QLatin1Char(' '));
        if (!m_job.messages.contains(line))
            m_job.messages << line;
        const MsgAnswer answer = Inner().Message(text, caption, icon, buttons, defaultAnswer);
        if (buttons == MsgButtons::Ok)
            Print(line);
        else
            Print(QStringLiteral("%1 -> %2")
                      .arg(line, answer == MsgAnswer::Yes ? QStringLiteral("Yes")
                                                          : QStringLiteral("No (use --yes)")));
        return answer;
    }
    void LinkProblem(const QString& text) override {
        if (!text.isEmpty()) {
            m_job.problem = text;
            Print(text);
        }
        Inner().LinkProblem(text);
    }

private:
    void Print(const QString& text) {
        const qint64 ms = m_clock.elapsed();
        m_lines.Line(QStringLiteral("%1[%2.%3] %4")
                         .arg(m_job.prefix)
                         .arg(ms / 1000, 4)
                         .arg(ms % 1000, 3, 10, QLatin1Char('0'))
                         .arg(text));
    }

    CPortJob& m_job;
    CSharedLines& m_lines;
    QElapsedTimer m_clock;
};

// The terminal's services for a port whose lines the front above writes.
class CQuietConsoleServices : public CConsoleServices {
public:
    explicit CQuietConsoleServices(bool yes) : CConsoleServices(yes) {}
    void Status(const QString&) override {}
    using CConsoleServices::Message;
    MsgAnswer Message(const QString& text, const QString&, MsgIcon, MsgButtons buttons,
                      MsgAnswer defaultAnswer) override {
        (void)text;
        if (buttons == MsgButtons::Ok)
            return MsgAnswer::Ok;
        return m_yes ? MsgAnswer::Yes
                     : (defaultAnswer == MsgAnswer::Cancel ? MsgAnswer::Cancel : MsgAnswer::No);
    }
    void LinkProblem(const QString&) override {}

private:
    bool m_yes = IsAssumingYes();
};

void RunJob(const CCliCommand& command, const QStringList& arguments, const QStringList& rest,
            KvuCtlContext& context, CCliRun& setup, CPortJob& job, CSharedLines& lines) {
    QElapsedTimer clock;
    clock.start();
    try {
        // A parser of this thread's own: nothing of the dispatcher's is touched here.
        QCommandLineParser parser;
        AddKvuCtlOptions(parser);
        parser.parse(arguments);
        QTextStream out(&job.output);
        CPortErrDevice errDevice(job, lines);
        QTextStream err(&errDevice);
        CCliRun run(rest, parser, context, out, err);
        run.UseSettingsOf(setup.Core());
        run.SetPort(job.port);
        run.SetShared(setup.Shared());
        run.AdoptServices(std::make_unique<CPortServices>(job, *job.services, lines));
        job.exitCode = run.Finished(command.run(run));
        out.flush();
        err.flush();
        if (errDevice.LastLine() != run.LinkLine()) {
            job.lastNote = errDevice.LastLine();
            if (job.lastNote.startsWith(QLatin1String("kvuctl: ")))
                job.lastNote = job.lastNote.mid(8);
        }
    } catch (const std::exception& e) {
        job.exitCode = KvuCtlExit::LinkError;
        job.lastNote = QString::fromLocal8Bit(e.what());
    } catch (...) {
        job.exitCode = KvuCtlExit::LinkError;
        job.lastNote = QStringLiteral("failed");
    }
    job.elapsedMs = clock.elapsed();
}

QString Message(const CPortJob& job) {
    QStringList parts;
    if (!job.problem.isEmpty())
        parts << job.problem;
    parts += job.messages;
    if (parts.isEmpty() && !job.lastNote.isEmpty())
        parts << job.lastNote;
    return parts.join(QStringLiteral("; "));
}

QString Seconds(qint64 ms) {
    return QStringLiteral("%1 s").arg(double(ms) / 1000.0, 0, 'f', 1);
}
} // namespace

namespace ManyPorts {

QString ResultText(int exitCode) {
    switch (exitCode) {
    case KvuCtlExit::Ok:
        return QStringLiteral("ok");
    case KvuCtlExit::NotConfirmed:
        return QStringLiteral("not confirmed");
    case KvuCtlExit::Usage:
        return QStringLiteral("refused");
    case KvuCtlExit::FileError:
        return QStringLiteral("file error");
    case KvuCtlExit::LinkError:
        return QStringLiteral("link error");
    case KvuCtlExit::Interrupted:
    case KvuCtlExit::Terminated:
        return QStringLiteral("interrupted");
    default:
        return QStringLiteral("exit %1").arg(exitCode);
    }
}

namespace {
const QString kPortOption = QStringLiteral("port");
const QString kPortsOption = QStringLiteral("ports");
const QString kPortsFromOption = QStringLiteral("ports-from");

// The port options in the order they stand on the command line, one entry per use.
QStringList PortOptionOrder(const QStringList& arguments) {
    QStringList order;
    for (int i = 1; i < arguments.size(); ++i) {
        const QString& a = arguments[i];
        if (a == QLatin1String("--"))
            break;
        if (!a.startsWith(QLatin1Char('-')))
            continue;
        QString name = a.mid(a.startsWith(QLatin1String("--")) ? 2 : 1);
        name = name.left(name.indexOf(QLatin1Char('=')) < 0 ? name.size()
                                                            : name.indexOf(QLatin1Char('=')));
        if (name == kPortOption || name == kPortsOption || name == kPortsFromOption) {
            order << name;
            if (!a.contains(QLatin1Char('=')))
                ++i; // its value
        }
    }
    return order;
}

bool AppendPortsFromFile(const QString& path, QStringList* given, QString* error, int* code) {
    QByteArray bytes;
    QString detail;
    if (FileAccess::ReadRegularFile(path, kPortsFileLimit, &bytes, &detail) !=
        FileAccess::ReadResult::Ok) {
        *error = QStringLiteral("%1: cannot be read%2")
                     .arg(path, detail.isEmpty() ? QString() : QStringLiteral(" (%1)").arg(detail));
        *code = KvuCtlExit::FileError;
        return false;
    }
    for (const QString& line : QString::fromUtf8(bytes).split(QLatin1Char('\n'))) {
        const QString port = line.trimmed();
        if (!port.isEmpty() && !port.startsWith(QLatin1Char('#')))
            *given << port;
    }
    return true;
}

bool CheckPorts(const QStringList& given, QStringList* ports, QString* error, int* code) {
    ports->clear();
    for (QString port : given) {
        port = port.trimmed();
        if (!CPortMap::IsPortName(port) && !CPortMap::IsDevicePath(port)) {
            *error =
                QStringLiteral("'%1' is not a port: give COM1 to COM20 or a device path").arg(port);
            *code = KvuCtlExit::Usage;
            return false;
        }
        // Two threads on one port would only get in each other's way.
        for (const QString& earlier : *ports) {
            if (earlier == port || PortDiscovery::SameDevice(earlier, port)) {
                *error = QStringLiteral("%1 is given twice").arg(port);
                *code = KvuCtlExit::Usage;
                return false;
            }
        }
        *ports << port;
    }
    return true;
}
} // namespace

bool Collect(const QCommandLineParser& parser, const QStringList& arguments, QStringList* ports,
             QString* error, int* code) {
    // Each option's values in order, taken in the order the options were given; should the
    // two disagree, the options' own order (all --port, then --ports, then --ports-from).
    QMap<QString, QStringList> values;
    for (const QString& name : {kPortOption, kPortsOption, kPortsFromOption})
        values[name] = parser.values(name);
    QStringList order = PortOptionOrder(arguments);
    for (const QString& name : {kPortOption, kPortsOption, kPortsFromOption}) {
        if (order.count(name) != values[name].size()) {
            order.clear();
            for (const QString& n : {kPortOption, kPortsOption, kPortsFromOption})
                for (int k = 0; k < values[n].size(); ++k)
                    order << n;
            break;
        }
    }
    QStringList given;
    QMap<QString, int> next;
    for (const QString& name : order) {
        const QString value = values[name].value(next[name]++);
        if (name == kPortOption)
            given << value;
        else if (name == kPortsOption)
            given += value.split(QLatin1Char(','), Qt::SkipEmptyParts);
        else if (!AppendPortsFromFile(value, &given, error, code))
            return false;
    }
    return CheckPorts(given, ports, error, code);
}

} // namespace ManyPorts

int RunOnManyPorts(const CCliCommand& command, const QStringList& arguments,
                   const QStringList& rest, const QCommandLineParser& parser,
                   KvuCtlContext& context, QTextStream& out, QTextStream& err) {
    // The settings store is read once, here, before any thread starts.
    CCliRun setup(rest, parser, context, out, err);
    setup.LoadSettings();

    QStringList ports;
    QString error;
    int code = KvuCtlExit::Ok;
    if (!ManyPorts::Collect(parser, arguments, &ports, &error, &code)) {
        if (code == KvuCtlExit::Usage)
            return setup.UsageError(error);
        err << "kvuctl: " << error << '\n';
        err.flush();
        return code;
    }
    if (ports.isEmpty() && command.everyPortByDefault) {
        for (const CPortInfo& info : setup.ListPorts())
            ports << info.device;
        if (ports.isEmpty()) {
            err << "kvuctl: no serial ports found\n";
            err.flush();
            return KvuCtlExit::LinkError;
        }
    }
    // --json on the port KVU last used: the same summary, for that one port.
    if (ports.isEmpty() && !command.everyPortByDefault && !parser.isSet(QStringLiteral("port")))
        ports << setup.Core().m_serial.GetPortName();
    if (ports.isEmpty() || ports.first().isEmpty())
        return setup.UsageError(QStringLiteral("no port given"));

    // Ports through the user's table: COM3 stands for its device, for duplicates too.
    for (int i = 0; i < ports.size(); ++i) {
        for (int j = 0; j < i; ++j) {
            const auto device = [&](const QString& p) {
                return CPortMap::IsPortName(p) ? setup.Core().m_ports.Device(p) : p;
            };
            if (PortDiscovery::SameDevice(device(ports[i]), device(ports[j])))
                return setup.UsageError(
                    QStringLiteral("%1 and %2 are the same device").arg(ports[j], ports[i]));
        }
    }

    if (command.beforePorts) {
        bool finished = false;
        const int rc = command.beforePorts(setup, ports, &finished);
        if (rc != KvuCtlExit::Ok || finished)
            return rc;
    }

    const bool yes = parser.isSet(QStringLiteral("yes"));
    int width = 0;
    for (const QString& port : ports)
        width = qMax(width, int(port.size()));
    std::vector<std::unique_ptr<CPortJob>> jobs;
    for (const QString& port : ports) {
        auto job = std::make_unique<CPortJob>();
        job->port = port;
        job->prefix = port.leftJustified(width) + QStringLiteral("  ");
        job->device = CPortMap::IsPortName(port) ? setup.Core().m_ports.Device(port) : port;
        job->services = context.makePortServices ? context.makePortServices(port, yes)
                                                 : std::make_unique<CQuietConsoleServices>(yes);
        jobs.push_back(std::move(job));
    }

    CSharedLines lines(err);
    {
        // QThreads rather than bare threads: Qt Serial Port watches its device with socket
        // notifiers, which need a thread with Qt's event dispatcher.
        std::vector<std::unique_ptr<QThread>> threads;
        for (auto& job : jobs) {
            CPortJob* j = job.get();
            threads.emplace_back(QThread::create(
                [&, j] { RunJob(command, arguments, rest, context, setup, *j, lines); }));
            threads.back()->start();
        }
        for (auto& t : threads)
            t->wait();
    }

    int worst = KvuCtlExit::Ok;
    for (const auto& job : jobs)
        worst = qMax(worst, job->exitCode);

    if (parser.isSet(QStringLiteral("json"))) {
        QJsonArray results;
        QStringList failures;
        for (const auto& job : jobs) {
            QJsonObject r;
            r.insert(QStringLiteral("port"), job->port);
            r.insert(QStringLiteral("device"), job->device);
            r.insert(QStringLiteral("result"), ManyPorts::ResultText(job->exitCode));
            r.insert(QStringLiteral("exit"), job->exitCode);
            r.insert(QStringLiteral("seconds"), double(job->elapsedMs) / 1000.0);
            r.insert(QStringLiteral("message"), Message(*job));
            // A command's result under --json is a JSON object of its own (query's reading,
            // bt read's settings); a command with no result leaves the key out.
            QJsonParseError parseError;
            const QJsonDocument inner = QJsonDocument::fromJson(job->output.toUtf8(), &parseError);
            if (!job->output.isEmpty() && parseError.error == QJsonParseError::NoError &&
                inner.isObject())
                r.insert(QStringLiteral("output"), inner.object());
            else if (!job->output.trimmed().isEmpty())
                r.insert(QStringLiteral("output"), job->output);
            results.append(r);
            if (job->exitCode != KvuCtlExit::Ok) {
                const QString why =
                    Message(*job).isEmpty() ? ManyPorts::ResultText(job->exitCode) : Message(*job);
                // The reason often names the port already.
                failures << (why.startsWith(job->port)
                                 ? why
                                 : QStringLiteral("%1: %2").arg(job->port, why));
            }
        }
        QJsonObject root;
        root.insert(QStringLiteral("command"), command.name);
        root.insert(QStringLiteral("exit"), worst);
        if (!failures.isEmpty())
            root.insert(QStringLiteral("error"), failures.join(QStringLiteral("; ")));
        root.insert(QStringLiteral("ports"), results);
        out << QJsonDocument(root).toJson(QJsonDocument::Indented);
        out.flush();
        return worst;
    }

    for (const auto& job : jobs) {
        for (const QString& line : job->output.split(QLatin1Char('\n'), Qt::SkipEmptyParts))
            out << job->prefix << line << '\n';
    }
    int resultWidth = int(QStringLiteral("RESULT").size());
    for (const auto& job : jobs)
        resultWidth = qMax(resultWidth, int(ManyPorts::ResultText(job->exitCode).size()));
    const int portWidth = qMax(width, int(QStringLiteral("PORT").size()));
    out << QStringLiteral("PORT").leftJustified(portWidth) << "  "
        << QStringLiteral("RESULT").leftJustified(resultWidth) << "  "
        << QStringLiteral("TIME").rightJustified(8) << "  MESSAGE\n";
    int failed = 0;
    for (const auto& job : jobs) {
        failed += job->exitCode != KvuCtlExit::Ok;
        out << job->port.leftJustified(portWidth) << "  "
            << ManyPorts::ResultText(job->exitCode).leftJustified(resultWidth) << "  "
            << Seconds(job->elapsedMs).rightJustified(8) << "  " << Message(*job) << '\n';
    }
    out << QStringLiteral("%1 of %2 ports succeeded\n").arg(jobs.size() - failed).arg(jobs.size());
    out.flush();
    return worst;
}
