// kvuctl commands for setting up many printers: ports, detect.

#include "CliCommand.h"
#include "CliInterrupt.h"
#include "CliRun.h"
#include "app/BaudDetector.h"
#include "app/PortDiscovery.h"
#include "app/PortWatcher.h"
#include "module1/Notation.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QThread>
#include <QTime>

namespace {
const QString kJson = QStringLiteral("json");

// What the system reports comes from the device (a USB adapter's descriptors): shown in
// the visible form, so that control bytes in it cannot move the cursor, retitle the
// terminal or forge lines of the table.
QString OrDash(const QString& text) {
    return text.isEmpty() ? QStringLiteral("-") : Notation::VisibleForm(text);
}

int RunWatch(CCliRun& run);

int RunPorts(CCliRun& run) {
    if (run.IsSet(QStringLiteral("watch")))
        return RunWatch(run);
    const QList<CPortInfo> ports = run.ListPorts();
    if (run.IsSet(kJson)) {
        QJsonArray array;
        for (const CPortInfo& p : ports) {
            QJsonObject o;
            o.insert(QStringLiteral("device"), p.device);
            o.insert(QStringLiteral("stableName"), p.stableName);
            o.insert(QStringLiteral("description"), p.description);
            o.insert(QStringLiteral("manufacturer"), p.manufacturer);
            o.insert(QStringLiteral("usb"), p.usbId);
            o.insert(QStringLiteral("serialNumber"), p.serialNumber);
            o.insert(QStringLiteral("comPorts"), QJsonArray::fromStringList(p.comNames));
            array.append(o);
        }
        run.Out() << QJsonDocument(array).toJson(QJsonDocument::Indented);
        return KvuCtlExit::Ok;
    }
    if (ports.isEmpty()) {
        run.Err() << "kvuctl: no serial ports found\n";
        return KvuCtlExit::Ok;
    }
    // Columns lined up; "-" where the system knows nothing.
    const QStringList heads = {QStringLiteral("DEVICE"),       QStringLiteral("COM"),
                               QStringLiteral("STABLE NAME"),  QStringLiteral("DESCRIPTION"),
                               QStringLiteral("MANUFACTURER"), QStringLiteral("USB"),
                               QStringLiteral("SERIAL")};
    QList<QStringList> rows;
    rows << heads;
    for (const CPortInfo& p : ports)
        rows << QStringList{Notation::VisibleForm(p.device),
                            OrDash(p.comNames.join(QLatin1Char(','))),
                            OrDash(p.stableName),
                            OrDash(p.description),
                            OrDash(p.manufacturer),
                            OrDash(p.usbId),
                            OrDash(p.serialNumber)};
    QVector<int> widths(int(heads.size()), 0);
    for (const QStringList& row : rows)
        for (int c = 0; c < row.size(); ++c)
            widths[c] = qMax(widths[c], int(row[c].size()));
    for (const QStringList& row : rows) {
        QString line;
        for (int c = 0; c < row.size(); ++c)
            line += c + 1 < row.size() ? row[c].leftJustified(widths[c] + 2) : row[c];
        run.Out() << line << '\n';
    }
    return KvuCtlExit::Ok;
}

// One port of a ports --watch line: what names it, visible however odd.
QString WatchText(const CPortInfo& p) {
    QStringList parts;
    for (const QString& part : {p.comNames.join(QLatin1Char(',')), p.stableName, p.description,
                                p.manufacturer, p.usbId, p.serialNumber}) {
        if (!part.isEmpty())
            parts << Notation::VisibleForm(part);
    }
    return Notation::VisibleForm(p.device) +
           (parts.isEmpty() ? QString()
                            : QStringLiteral(" (%1)").arg(parts.join(QStringLiteral(", "))));
}

// About a second between two looks, ended early by Ctrl-C.
bool WaitASecond() {
    for (int slice = 0; slice < 50 && !CliInterrupt::Requested(); ++slice)
        QThread::msleep(20);
    return !CliInterrupt::Requested();
}

int RunWatch(CCliRun& run) {
    if (run.IsSet(kJson))
        return run.UsageError(QStringLiteral("--watch prints lines; --json lists the ports once"));
    CPortWatcher watcher([&run] { return run.ListPorts(); });
    const auto print = [&run](const char* word, const CPortInfo& p) {
        run.Out() << QTime::currentTime().toString(QStringLiteral("HH:mm:ss")) << ' ' << word << ' '
                  << WatchText(p) << '\n';
        run.Out().flush();
    };
    for (const CPortWatcher::Change& c : watcher.Poll())
        print("present", c.port);
    run.Err() << "kvuctl: watching the serial ports; Ctrl-C ends\n";
    run.Err().flush();
    watcher.onChange = [&print](const CPortWatcher::Change& c) {
        print(c.added ? "added" : "removed", c.port);
    };
    const std::function<bool()> pause =
        run.WatchPause() ? run.WatchPause() : std::function<bool()>(WaitASecond);
    while (pause() && !CliInterrupt::Requested())
        watcher.Poll();
    return KvuCtlExit::Ok;
}

int RunDetect(CCliRun& run) {
    if (const int rc = run.PrepareLink(); rc != KvuCtlExit::Ok)
        return rc;
    CBaudDetector detector(run.Link(), run.Services());
    detector.SetOnTry([&run](int rate) {
        run.Services().Status(QStringLiteral("Trying %1 bit/s...").arg(rate));
    });
    const CBaudDetector::Result result = detector.Detect();
    if (result.problem.kind != COpenProblem::Kind::None) {
        run.Err() << "kvuctl: " << result.problem.text << '\n';
        return KvuCtlExit::LinkError;
    }
    if (result.writeFailed) {
        run.Err() << "kvuctl: the query could not be written\n";
        return KvuCtlExit::LinkError;
    }
    if (!result.Found()) {
        run.Err() << "kvuctl: no answer to the battery status query at any of the " << result.tried
                  << " rates\n";
        return KvuCtlExit::NotConfirmed;
    }
    if (run.IsSet(kJson)) {
        QJsonObject o;
        o.insert(QStringLiteral("rate"), result.rate);
        o.insert(QStringLiteral("tried"), result.tried);
        run.Out() << QJsonDocument(o).toJson(QJsonDocument::Compact) << '\n';
    } else {
        run.Out() << result.rate << '\n';
    }
    run.Err() << "kvuctl: the printer answers at " << result.rate << " bit/s\n";
    return KvuCtlExit::Ok;
}
} // namespace

std::vector<CCliCommand> ProvisioningCommands() {
    std::vector<CCliCommand> rows = {
        {QStringLiteral("ports"),
         QStringLiteral("[--json|--watch]"),
         QStringLiteral("List the serial ports of this computer and the\n"
                        "COMn of KVU's port table that leads to each;\n"
                        "--watch: a line whenever one comes or goes."),
         QStringLiteral(
             "One line per port the system reports: device, the COMn that KVU's port table\n"
             "maps to it, its stable name (the /dev/serial/by-id/ link on Linux, which stays\n"
             "the same when the adapter is plugged in elsewhere; the port table may hold it\n"
             "instead of /dev/ttyUSBn), description, manufacturer, USB vendor:product and\n"
             "serial number; '-' where the system does not know. --json prints an array of\n"
             "objects with the keys device, comPorts, stableName, description,\n"
             "manufacturer, usb and serialNumber.\n"
             "--watch prints a line per port present, then one whenever a port appears\n"
             "or disappears (an adapter plugged in or pulled), with the time:\n"
             "'HH:MM:SS added DEVICE (COMn, stable name, description, ...)', 'removed', and\n"
             "'present' for those there at the start; until Ctrl-C (exit 0).\n"),
         {kJson, QStringLiteral("watch")},
         0,
         RunPorts,
         {QStringLiteral("kvuctl ports"), QStringLiteral("kvuctl ports --json"),
          QStringLiteral("kvuctl ports --watch")}},
        {QStringLiteral("detect"),
         QStringLiteral("[--port P...]"),
         QStringLiteral("Find the printer's baud rate: the battery query\n"
                        "(CTRL-V) at each rate until one is answered."),
         QStringLiteral(
             "Sends the battery status query (CTRL-V, harmless) at one rate after another:\n"
             "the rate of --baud or the one KVU last used, then 38400, 9600, 115200, 57600,\n"
             "19200, 14400, 2400 and 1200. Stops at the first well-formed answer (an ESC V\n"
             "line) and prints that rate on stdout. At most about 0.5 s per rate.\n"
             "Exit 0 when a rate was found, 1 when no rate got an answer, 4 when the port\n"
             "cannot be opened (the reason is printed). Without --port, every port that\n"
             "'kvuctl ports' lists is tried, all at once.\n") +
             CCliRun::LinkHelp(),
         QStringList{QStringLiteral("port"), QStringLiteral("baud")} + CCliRun::ManyPortsOptions(),
         0,
         RunDetect,
         {QStringLiteral("kvuctl detect --port /dev/ttyUSB0"), QStringLiteral("kvuctl detect")},
         true,
         true},
    };
    rows[1].help += CCliRun::ManyPortsHelp();
    rows[0].json = {
        {QStringLiteral("[]"), QStringLiteral("object"), QStringLiteral("one per port")},
        {QStringLiteral("[].device"), QStringLiteral("string"), QStringLiteral("/dev/ttyUSB0")},
        {QStringLiteral("[].comPorts"), QStringLiteral("array"),
         QStringLiteral("the COMn of KVU's port table that lead to it")},
        {QStringLiteral("[].comPorts[]"), QStringLiteral("string"), QString()},
        {QStringLiteral("[].stableName"), QStringLiteral("string"),
         QStringLiteral("the /dev/serial/by-id/ link, empty when none")},
        {QStringLiteral("[].description"), QStringLiteral("string"), QString()},
        {QStringLiteral("[].manufacturer"), QStringLiteral("string"), QString()},
        {QStringLiteral("[].usb"), QStringLiteral("string"),
         QStringLiteral("vendor:product, empty when not USB")},
        {QStringLiteral("[].serialNumber"), QStringLiteral("string"), QString()},
    };
    rows[1].json = {
        {QStringLiteral("rate"), QStringLiteral("integer"),
         QStringLiteral("the rate the printer answered at, in bit/s")},
        {QStringLiteral("tried"), QStringLiteral("integer"),
         QStringLiteral("how many rates were tried")},
    };
    return rows;
}
