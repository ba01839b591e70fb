// kvuctl commands of the Supervisory Commands and Macros pages: query, macro, send-file,
// monitor.

#include "CliCommand.h"
#include "CliRun.h"
#include "LineBreaks.h"
#include "app/ForwardingUiServices.h"
#include "module1/MacroSession.h"
#include "module1/Notation.h"
#include "module1/SupervisoryQuery.h"

#include "files/FileAccess.h"

#include <QBuffer>
#include <QDeadlineTimer>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <cstdio>
#ifdef Q_OS_WIN
#include <io.h>
#define KVU_ISATTY _isatty
#define KVU_FILENO _fileno
#else
#include <unistd.h>
#define KVU_ISATTY isatty
#define KVU_FILENO fileno
#endif

namespace {
const QString kPort = QStringLiteral("port");
const QString kBaud = QStringLiteral("baud");

bool StderrIsTerminal() {
    return KVU_ISATTY(KVU_FILENO(stderr)) != 0;
}

struct CQueryRow {
    const char* name;
    const QByteArray& bytes;
};

// The reply and its reading as --json gives them, each value a number.
QJsonObject QueryJson(const char* name, const CSupervisoryQuery::Reply& reply) {
    QJsonObject o;
    o.insert(QStringLiteral("query"), QLatin1String(name));
    o.insert(QStringLiteral("reply"), Notation::MonitorForm(reply.bytes));
    o.insert(QStringLiteral("replyHex"), QString::fromLatin1(reply.bytes.toHex(' ').toUpper()));
    o.insert(QStringLiteral("interpretation"),
             QJsonArray::fromStringList(
                 reply.interpretation.split(QStringLiteral("\r\n"), Qt::SkipEmptyParts)));
    const CSupervisoryQuery::Readings& r = reply.readings;
    if (r.bufferCharacters)
        o.insert(QStringLiteral("bufferCharacters"), *r.bufferCharacters);
    if (r.millivolts) {
        o.insert(QStringLiteral("millivolts"), *r.millivolts);
        o.insert(QStringLiteral("voltage"), double(*r.millivolts) / 1000.0);
    }
    if (r.timerSeconds)
        o.insert(QStringLiteral("timerSeconds"), *r.timerSeconds);
    if (r.temperature)
        o.insert(QStringLiteral("temperature"), *r.temperature);
    return o;
}

int RunQuery(CCliRun& run) {
    const CQueryRow queries[] = {
        {"battery", CSupervisoryQuery::kBatteryStatus},
        {"buffer", CSupervisoryQuery::kBufferStatus},
        {"firmware", CSupervisoryQuery::kFirmwareVersion},
        {"model", CSupervisoryQuery::kHardwareModel},
        {"cancel-mcr", CSupervisoryQuery::kCancelMcr},
    };
    const CQueryRow* query = nullptr;
    for (const auto& q : queries) {
        if (run.Argument(0) == QLatin1String(q.name))
            query = &q;
    }
    if (!query)
        return run.UsageError(
            QStringLiteral("query takes battery, buffer, firmware, model or cancel-mcr"));
    if (const int rc = run.PrepareLink(); rc != KvuCtlExit::Ok)
        return rc;
    const CSupervisoryQuery::Reply reply =
        CSupervisoryQuery(run.Link(), run.Services()).Send(query->bytes);
    if (!reply.exchanged)
        return KvuCtlExit::LinkError;
    if (reply.bytes.isEmpty() && run.Services().Interrupted())
        return KvuCtlExit::Interrupted;
    if (reply.bytes.isEmpty()) {
        run.Err() << "kvuctl: no reply\n";
        return KvuCtlExit::NotConfirmed;
    }
    if (run.IsSet(QStringLiteral("json"))) {
        run.Out() << QJsonDocument(QueryJson(query->name, reply)).toJson(QJsonDocument::Compact)
                  << '\n';
        return KvuCtlExit::Ok;
    }
    // The reply's lines end here as they do in the monitor, but each in LF alone: a CR
    // would send the terminal's cursor back over what the line showed.
    QString text = CLineBreaks().Lines(Notation::MonitorForm(reply.bytes));
    if (!text.endsWith(QLatin1Char('\n')))
        text += QLatin1Char('\n');
    run.Out() << "reply: " << text;
    for (const QString& line :
         reply.interpretation.split(QStringLiteral("\r\n"), Qt::SkipEmptyParts))
        run.Out() << line << '\n';
    return KvuCtlExit::Ok;
}

int RunMacro(CCliRun& run) {
    if (const int rc = run.PrepareLink(); rc != KvuCtlExit::Ok)
        return rc;
    CMacroSession session(run.Link(), run.Services());
    if (!session.OpenLink())
        return KvuCtlExit::LinkError;
    // The link reports a failed write itself; the exit code says it too.
    const bool written = session.SendMacro(run.Argument(0));
    session.CloseLink();
    return written ? KvuCtlExit::Ok : KvuCtlExit::LinkError;
}

QString Progress(qint64 sent, qint64 total, int lines, qint64 elapsedMs) {
    const double rate = elapsedMs > 0 ? sent * 1000.0 / double(elapsedMs) : 0.0;
    const qint64 leftMs = rate > 0 ? qint64(double(total - sent) * 1000.0 / rate) : 0;
    const int width = 30;
    const int filled = total > 0 ? int(width * sent / total) : width;
    return QStringLiteral("\r[%1%2] %3/%4 bytes, %5 lines, %6 B/s, %7 s left ")
        .arg(QString(filled, QLatin1Char('#')), QString(width - filled, QLatin1Char('.')))
        .arg(sent)
        .arg(total)
        .arg(lines)
        .arg(qint64(rate))
        .arg(leftMs / 1000);
}

// On a terminal the progress bar stands for the "Sending: ..." line of each line sent;
// messages and the start and end still come through.
class CBarServices : public CForwardingUiServices {
public:
    CBarServices(IUiServices& inner, QTextStream& err) : CForwardingUiServices(inner), m_err(err) {}
    void Status(const QString& text) override {
        if (text.startsWith(QLatin1String("Sending: ")))
            return;
        EndBarLine();
        Inner().Status(text);
    }
    using IUiServices::Message;
    MsgAnswer Message(const QString& text, const QString& caption, MsgIcon icon, MsgButtons buttons,
                      MsgAnswer defaultAnswer) override {
        EndBarLine();
        return Inner().Message(text, caption, icon, buttons, defaultAnswer);
    }
    void DrawBar(const QString& bar) {
        m_err << bar;
        m_err.flush();
        m_barOnLine = true;
    }

private:
    // A line of its own for what comes between two drawings of the bar.
    void EndBarLine() {
        if (!m_barOnLine)
            return;
        m_err << '\n';
        m_err.flush();
        m_barOnLine = false;
    }

    QTextStream& m_err;
    bool m_barOnLine = false;
};

// Standard input is read whole before the port is opened: what it is cannot be looked at
// beforehand, and the bar needs its size.
const qint64 kStdinLimit = 64 * 1024 * 1024;

int RunSendFile(CCliRun& run) {
    const QString path = run.Argument(0);
    const bool fromStdin = CCliRun::IsStdin(path);
    const QString name = CCliRun::StreamName(path);
    QByteArray input;
    // The file is looked at before the port: a wrong path must not cost a printer's time,
    // and it is named with the reason.
    {
        CFileSender probe;
        QString detail;
        if (fromStdin ? !run.ReadStdin(kStdinLimit, &input, &detail) : !probe.Open(path, &detail)) {
            run.FileError(name, QStringLiteral("Failed to open a file for read."), detail);
            return KvuCtlExit::FileError;
        }
    }
    if (const int rc = run.PrepareLink(); rc != KvuCtlExit::Ok)
        return rc;
    const bool bar = StderrIsTerminal();
    CBarServices barServices(run.Services(), run.Err());
    CMacroSession session(run.Link(), bar ? barServices : run.Services());
    if (!session.OpenLink())
        return KvuCtlExit::LinkError;
    if (fromStdin) {
        auto buffer = std::make_unique<QBuffer>();
        buffer->setData(input);
        buffer->open(QIODevice::ReadOnly);
        session.StartSendFrom(std::move(buffer));
    } else if (!session.StartSendFile(path)) {
        session.CloseLink();
        return KvuCtlExit::FileError;
    }
    const qint64 total = fromStdin ? input.size() : QFileInfo(path).size();
    QElapsedTimer clock;
    clock.start();
    int lines = 0;
    qint64 lastDrawn = -1000;
    const auto interrupted = [&run] { return run.Services().Interrupted(); };
    while (session.IsSending() && !interrupted()) {
        session.SendStep();
        ++lines;
        if (bar && clock.elapsed() - lastDrawn >= 200) {
            lastDrawn = clock.elapsed();
            barServices.DrawBar(Progress(session.SentBytes(), total, lines, clock.elapsed()));
        }
    }
    if (interrupted()) {
        // What is queued in the port and not yet on the line is dropped, or it would go on
        // printing after the program has ended. The bar stays where the send was.
        run.Link().DiscardOutput();
        const qint64 sent = session.SentBytes(); // before the file is closed
        if (bar)
            barServices.DrawBar(Progress(sent, total, lines, clock.elapsed()) + QLatin1Char('\n'));
        session.StopSendFile();
        session.CloseLink();
        // `lines` counts the line being written when the interrupt came (cut short, or not
        // begun when it came between two lines).
        run.Err() << "kvuctl: " << name << ": interrupted at line " << qMax(lines, 1)
                  << "; what was queued and not yet sent was dropped\n";
        run.Err().flush();
        return KvuCtlExit::Interrupted;
    }
    if (bar)
        barServices.DrawBar(Progress(total, total, lines - 1, clock.elapsed()) + QLatin1Char('\n'));
    session.StopSendFile();
    session.CloseLink();
    if (session.CutShort())
        return KvuCtlExit::LinkError;
    return session.ReadFailed() ? KvuCtlExit::FileError : KvuCtlExit::Ok;
}

int RunMonitor(CCliRun& run) {
    bool limited = false;
    int seconds = 0;
    if (run.IsSet(QStringLiteral("seconds"))) {
        bool ok = false;
        seconds = run.Value(QStringLiteral("seconds")).toInt(&ok);
        if (!ok || seconds < 1)
            return run.UsageError(QStringLiteral("--seconds takes a whole number of seconds"));
        limited = true;
    }
    // -o FILE keeps a copy of what is shown, written as it comes, so that an interrupt or a
    // lost link loses nothing of it. The file is made before the port is opened.
    const QString copyPath =
        run.IsSet(QStringLiteral("output")) ? run.Value(QStringLiteral("output")) : QString();
    QFile copy(copyPath);
    if (!copyPath.isEmpty() && !run.IsStdout(copyPath)) {
        if (FileAccess::IsNonRegular(copyPath)) {
            run.FileError(copyPath, QStringLiteral("Failed to open a file for write."),
                          FileAccess::NotRegularText(copyPath));
            return KvuCtlExit::FileError;
        }
        if (!copy.open(QIODevice::WriteOnly | QIODevice::Truncate)) {
            run.FileError(copyPath, QStringLiteral("Failed to open a file for write."),
                          copy.errorString());
            return KvuCtlExit::FileError;
        }
    }
    if (const int rc = run.PrepareLink(); rc != KvuCtlExit::Ok)
        return rc;
    CMacroSession session(run.Link(), run.Services());
    if (!session.OpenLink())
        return KvuCtlExit::LinkError;
    CLineBreaks lines;
    bool copyFailed = false;
    // Ctrl-C is the usual end of an unlimited monitor: exit 0 then.
    QDeadlineTimer deadline(limited ? qint64(seconds) * 1000 : -1);
    while (!run.Services().Interrupted() && !deadline.hasExpired() && run.Link().m_bOpen) {
        // Each poll waits about 10 ms at most for what has arrived.
        const QString text = lines.Lines(session.ReceiveStep());
        if (text.isEmpty())
            continue;
        run.Out() << text;
        run.Out().flush();
        if (copy.isOpen()) {
            const QByteArray bytes = text.toUtf8();
            if (copy.write(bytes) != bytes.size() || !copy.flush()) {
                copyFailed = true;
                break;
            }
        }
    }
    session.CloseLink();
    if (copyFailed) {
        run.FileError(copyPath, QStringLiteral("the copy could not be written; the monitor ended"),
                      copy.errorString());
        return KvuCtlExit::FileError;
    }
    // A printer that went away is no end of the watch: the link is gone, and a script
    // must see that.
    return session.LinkLost() ? KvuCtlExit::LinkError : KvuCtlExit::Ok;
}
} // namespace

std::vector<CCliCommand> MacrosCommands() {
    const QString linkHelp = CCliRun::LinkHelp();
    std::vector<CCliCommand> rows = {
        {QStringLiteral("query"),
         QStringLiteral("battery|buffer|firmware|model|cancel-mcr"),
         QStringLiteral("Send a supervisory query; print the reply and its reading."),
         QStringLiteral(
             "Sends ^V, ^B, ESC P (, ESC P ) or ESC C, as the Supervisory Commands\n"
             "page does. Prints 'reply: ' and the reply in the receive monitor's form,\n"
             "then the interpretation lines; every line ends in LF alone (the reply's CR\n"
             "is a line break, as in the monitor). --json gives the reply and each value\n"
             "as a number (see the manual page). Exit 0 when a reply came, 1 when none came.\n") +
             linkHelp,
         {kPort, kBaud},
         1,
         RunQuery,
         {QStringLiteral("kvuctl query battery --port /dev/ttyUSB0"),
          QStringLiteral("kvuctl query firmware")}},
        {QStringLiteral("macro"),
         QStringLiteral("TEXT"),
         QStringLiteral("Send the bytes TEXT denotes, as a macro button does."),
         QStringLiteral("Sends the notation bytes of TEXT on the link; no line end is added.\n") +
             linkHelp,
         {kPort, kBaud},
         1,
         RunMacro,
         {QStringLiteral("kvuctl macro '^[P5' --port COM2")}},
        {QStringLiteral("send-file"),
         QStringLiteral("FILE"),
         QStringLiteral("Send a text file line by line, as the Macros page does."),
         QStringLiteral(
             "Sends each line of FILE followed by CR LF (CR LF and LF files alike).\n"
             "On a terminal a progress bar shows bytes and lines sent, the rate and the\n"
             "time left. Exit 3 when the file cannot be opened or read, 4 when the port stops\n"
             "taking the lines (the file is cut short; the line is named). FILE - is\n"
             "standard input, read to its end before the port is opened.\n") +
             linkHelp,
         {kPort, kBaud},
         1,
         RunSendFile,
         {QStringLiteral("kvuctl send-file font.bdf --port /dev/ttyUSB0 --baud 115200"),
          QStringLiteral("kvuctl send-file - --port COM1")}},
        {QStringLiteral("monitor"),
         QStringLiteral("[--seconds S] [-o FILE]"),
         QStringLiteral("Print what the printer sends, as the receive monitor shows it."),
         QStringLiteral(
             "Prints what arrives, in the receive monitor's form, until Ctrl-C or for S\n"
             "seconds; the port is closed either way. Exit 4 when the link is lost (a pulled\n"
             "cable, a printer gone from its adapter). Lines end in LF alone: a CR that\n"
             "came is a line break, as in the monitor. -o FILE writes the same text to FILE\n"
             "as well (replacing it; written as it comes). Exit 3 when FILE cannot be\n"
             "written.\n") +
             linkHelp,
         {kPort, kBaud, QStringLiteral("seconds"), QStringLiteral("output")},
         0,
         RunMonitor,
         {QStringLiteral("kvuctl monitor --seconds 10 --port COM1"),
          QStringLiteral("kvuctl monitor -o printer.log")}},
    };
    CCliRun::AllowManyPorts(rows[0], QStringLiteral("query battery"));
    rows[0].json = {
        {QStringLiteral("query"), QStringLiteral("string"),
         QStringLiteral("battery, buffer, firmware, model or cancel-mcr")},
        {QStringLiteral("reply"), QStringLiteral("string"),
         QStringLiteral("the reply in the receive monitor's form")},
        {QStringLiteral("replyHex"), QStringLiteral("string"),
         QStringLiteral("its bytes in hexadecimal")},
        {QStringLiteral("interpretation"), QStringLiteral("array"),
         QStringLiteral("the interpretation lines")},
        {QStringLiteral("interpretation[]"), QStringLiteral("string"), QString()},
        {QStringLiteral("bufferCharacters"), QStringLiteral("integer?"),
         QStringLiteral("Characters in Buffer (ESC B)")},
        {QStringLiteral("millivolts"), QStringLiteral("integer?"),
         QStringLiteral("the battery voltage in mV (ESC V)")},
        {QStringLiteral("voltage"), QStringLiteral("number?"),
         QStringLiteral("the same in volts, not rounded")},
        {QStringLiteral("timerSeconds"), QStringLiteral("integer?"),
         QStringLiteral("the timer (ESC M) in seconds")},
        {QStringLiteral("temperature"), QStringLiteral("integer?"),
         QStringLiteral("the temperature (ESC T) in degrees Celsius")},
    };
    return rows;
}
