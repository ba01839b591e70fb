// kvuctl commands for setting up many printers: ports, detect.

#include "CliCommand.h"
#include "CliRun.h"
#include "app/BaudDetector.h"
#include "app/PortDiscovery.h"
#include "module1/Notation.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

namespace {
const QString kJson = QStringLiteral("json");

// What the system reports comes from the device (a USB adapter's descriptors): shown in
// the visible form, so that control bytes in it cannot move the cursor, retitle the
// terminal or forge lines of the table.
QString OrDash(const QString& text) {
    return text.isEmpty() ? QStringLiteral("-") : Notation::VisibleForm(text);
}

int RunPorts(CCliRun& run) {
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
    run.Out() << result.rate << '\n';
    run.Err() << "kvuctl: the printer answers at " << result.rate << " bit/s\n";
    return KvuCtlExit::Ok;
}
} // namespace

std::vector<CCliCommand> ProvisioningCommands() {
    std::vector<CCliCommand> rows = {
        {QStringLiteral("ports"),
         QStringLiteral("[--json]"),
         QStringLiteral("List the serial ports of this computer and the\n"
                        "COMn of KVU's port table that leads to each."),
         QStringLiteral(
             "One line per port the system reports: device, the COMn that KVU's port table\n"
             "maps to it, its stable name (the /dev/serial/by-id/ link on Linux, which stays\n"
             "the same when the adapter is plugged in elsewhere; the port table may hold it\n"
             "instead of /dev/ttyUSBn), description, manufacturer, USB vendor:product and\n"
             "serial number; '-' where the system does not know. --json prints an array of\n"
             "objects with the keys device, comPorts, stableName, description,\n"
             "manufacturer, usb and serialNumber.\n"),
         {kJson},
         0,
         RunPorts,
         {QStringLiteral("kvuctl ports"), QStringLiteral("kvuctl ports --json")}},
        {QStringLiteral("detect"), QStringLiteral("[--port P...]"),
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
         0, RunDetect,
         {QStringLiteral("kvuctl detect --port /dev/ttyUSB0"), QStringLiteral("kvuctl detect")},
         true, true},
    };
    rows[1].help += CCliRun::ManyPortsHelp();
    return rows;
}
