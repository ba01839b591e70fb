// One kvuctl command on several simulated printers at once, each on its own virtual clock.

#include "../core/logo/BmpBuilder.h"
#include "CliCommand.h"
#include "CliDocs.h"
#include "JsonShape.h"
#include "KvuCtl.h"
#include "KvuCtlFixture.h"
#include "SimHarness.h"
#include "app/BaudDetector.h"
#include "document/KVUDoc.h"
#include "document/ProjectFile.h"

#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QRegularExpression>
#include <QSet>
#include <QSettings>
#include <QTemporaryDir>
#include <QTextStream>
#include <gtest/gtest.h>
#include <mutex>

namespace {
// Qt's warnings while a test runs (from any thread).
std::mutex g_warningsMutex;
QStringList g_warnings;
void KeepWarning(QtMsgType type, const QMessageLogContext&, const QString& text) {
    if (type == QtDebugMsg || type == QtInfoMsg)
        return;
    std::lock_guard<std::mutex> lock(g_warningsMutex);
    g_warnings << text;
}

// A line (of the summary, or of a port's own output) that begins with the port, padded to
// the widest port of the run (/dev/pts/5 beside /dev/pts/10) and two spaces, then `rest`.
QRegularExpression Padded(const QString& port, const QString& rest) {
    return QRegularExpression("(^|\\n)" + QRegularExpression::escape(port) + "  +" +
                              QRegularExpression::escape(rest));
}

SimConfig Faulty(void (*fault)(SimConfig&)) {
    SimConfig c;
    fault(c);
    return c;
}

class ManyPortsTest : public KvuCtlFixture {
protected:
    void SetUp() override {
        KvuCtlFixture::SetUp();
        project = dir.filePath("p.qpf");
        CKVUDoc doc;
        doc.m_bBold = 1;
        ASSERT_EQ(CProjectFile::Save(project, doc), CProjectFile::Result::Ok);
    }
    CSimHarness& Add(const SimConfig& config = SimConfig()) {
        sims.push_back(std::make_unique<CSimHarness>(config));
        EXPECT_TRUE(sims.back()->Started());
        return *sims.back();
    }
    QString Device(size_t i) const { return sims[i]->Sim().DevicePath(); }
    QStringList Devices() const {
        QStringList all;
        for (size_t i = 0; i < sims.size(); ++i)
            all << Device(i);
        return all;
    }
    // The recorder of the printer on `port`, whose virtual clock its pauses and link waits
    // run on.
    IUiServices& ServicesFor(const QString& port) {
        for (auto& h : sims) {
            if (h->Sim().DevicePath() == port)
                return h->Services();
        }
        return stray; // a port with no printer
    }
    int Run(QStringList args) {
        KvuCtlContext context;
        context.makePortServices = [this](const QString& port, bool yes) {
            return std::make_unique<CForwardingServices>(ServicesFor(port), yes);
        };
        // A command that runs on one port only (its --port follows the command's name).
        const int port = int(args.indexOf(QStringLiteral("--port")));
        const QString single = port >= 0 ? args.value(port + 1) : QString();
        context.makeServices = [this, single](bool yes) {
            return std::make_unique<CForwardingServices>(ServicesFor(single), yes);
        };
        context.listPorts = [this] {
            QList<CPortInfo> ports;
            for (const QString& d : Devices()) {
                CPortInfo info;
                info.device = d;
                ports << info;
            }
            return ports;
        };
        return RunWith(args, context);
    }
    QJsonObject Json() const { return QJsonDocument::fromJson(out.toUtf8()).object(); }
    // The JSON result of one port.
    QJsonObject Result(const QString& port) const {
        for (const auto& r : Json().value("ports").toArray()) {
            if (r.toObject().value("port").toString() == port)
                return r.toObject();
        }
        ADD_FAILURE() << "no result for " << port.toStdString();
        return {};
    }
    QByteArray Burned(size_t i) {
        return sims[i]->Sim().WithPrinter([](CPrinterModel& p) { return p.BurnedStream(); });
    }

    QString project;
    std::vector<std::unique_ptr<CSimHarness>> sims;
    CRecordingServices stray;
};
} // namespace

TEST_F(ManyPortsTest, BurnGoesOnWhereOnePrinterFailsAndTheSummarySaysWhich) {
    Add();
    Add(Faulty([](SimConfig& c) { c.faults.silent = true; }));
    Add(Faulty([](SimConfig& c) { c.faults.noDx = true; }));
    Add(Faulty([](SimConfig& c) { c.faults.dropAfterBytes = 12; }));
    Add();
    const int rc = Run({"burn", project, "--ports", Devices().join(','), "--yes", "--json"});
    const QJsonObject root = Json();
    ASSERT_FALSE(root.isEmpty()) << out.toStdString();
    EXPECT_EQ(root.value("command").toString(), "burn");
    EXPECT_EQ(root.value("ports").toArray().size(), 5);
    EXPECT_EQ(root.value("exit").toInt(), rc);

    for (size_t good : {size_t(0), size_t(4)}) {
        const QJsonObject r = Result(Device(good));
        EXPECT_EQ(r.value("result").toString(), "ok");
        EXPECT_EQ(r.value("exit").toInt(), 0);
        EXPECT_EQ(r.value("device").toString(), Device(good));
        EXPECT_TRUE(r.value("message").toString().startsWith("Success: Received D!X."));
        EXPECT_FALSE(Burned(good).isEmpty()) << "the working printers were burned";
    }
    EXPECT_EQ(Result(Device(1)).value("result").toString(), "not confirmed");
    EXPECT_TRUE(Result(Device(1)).value("message").toString().contains("Did not receive D!X"));
    EXPECT_EQ(Result(Device(2)).value("result").toString(), "not confirmed");
    EXPECT_EQ(Result(Device(2)).value("message").toString(), "Error: Did not receive D!X.");
    const QJsonObject dropped = Result(Device(3));
    EXPECT_NE(dropped.value("exit").toInt(), 0);
    EXPECT_FALSE(dropped.value("message").toString().isEmpty());
    EXPECT_TRUE(Burned(3).isEmpty()) << "the dropped printer never got the whole sequence";
    // The worst of the ports' exit codes.
    EXPECT_EQ(rc, qMax(1, dropped.value("exit").toInt()));
}

TEST_F(ManyPortsTest, TheTextSummaryListsEveryPortAndStatusLinesCarryTheirPort) {
    Add();
    Add(Faulty([](SimConfig& c) { c.faults.noDx = true; }));
    g_warnings.clear();
    const QtMessageHandler previous = qInstallMessageHandler(KeepWarning);
    const int rc = Run({"burn", project, "--port", Device(0), "--port", Device(1)});
    qInstallMessageHandler(previous);
    // Qt Serial Port in a thread without Qt's event dispatcher complains about its socket
    // notifiers; the ports' threads must be ones it can work in.
    EXPECT_TRUE(g_warnings.isEmpty()) << g_warnings.join('\n').toStdString();
    EXPECT_EQ(rc, 1);
    const QStringList lines = out.split('\n', Qt::SkipEmptyParts);
    ASSERT_EQ(lines.size(), 4) << out.toStdString();
    EXPECT_TRUE(lines[0].startsWith("PORT")) << lines[0].toStdString();
    EXPECT_TRUE(lines[0].contains("RESULT") && lines[0].contains("TIME") &&
                lines[0].contains("MESSAGE"));
    EXPECT_TRUE(lines[1].contains(Padded(Device(0), "ok"))) << lines[1].toStdString();
    EXPECT_TRUE(lines[1].contains("Success: Received D!X. Shut off printer."));
    EXPECT_TRUE(lines[2].contains(Padded(Device(1), "not confirmed"))) << lines[2].toStdString();
    EXPECT_TRUE(lines[2].endsWith("Error: Did not receive D!X."));
    EXPECT_EQ(lines[3], "1 of 2 ports succeeded");
    // Each port's steps, with its port in front, on stderr.
    for (size_t i = 0; i < 2; ++i) {
        EXPECT_TRUE(
            err.contains(QRegularExpression("(^|\\n)" + QRegularExpression::escape(Device(i)) +
                                            " +\\[ *\\d+\\.\\d{3}\\] Sent ESC-EN\\.")))
            << err.toStdString();
        EXPECT_TRUE(
            err.contains(Padded(Device(i), "kvuctl: COM1 (" + Device(i) + ") at 38400 bit/s")))
            << err.toStdString();
    }
}

TEST_F(ManyPortsTest, ReadCommandsKeepEachPortsOutput) {
    Add();
    Add();
    QFile list(dir.filePath("ports.txt"));
    ASSERT_TRUE(list.open(QIODevice::WriteOnly));
    list.write(("# the shop's two tills\n" + Device(0) + "\n\n  " + Device(1) + "  \n").toUtf8());
    list.close();
    EXPECT_EQ(Run({"query", "battery", "--ports-from", list.fileName()}), 0) << err.toStdString();
    for (size_t i = 0; i < 2; ++i) {
        EXPECT_TRUE(out.contains(Padded(Device(i), "reply: "))) << out.toStdString();
        EXPECT_TRUE(out.contains(Padded(Device(i), "Voltage = "))) << out.toStdString();
    }
    EXPECT_TRUE(out.contains("2 of 2 ports succeeded"));

    // A command's own JSON stays JSON inside the per-port result.
    EXPECT_EQ(Run({"bt", "read", "--json", "--ports", Devices().join(',')}), 0)
        << err.toStdString();
    const QJsonObject r = Result(Device(1));
    ASSERT_TRUE(r.value("output").isObject()) << out.toStdString();
    EXPECT_TRUE(r.value("output").toObject().contains("name"));
}

TEST_F(ManyPortsTest, DetectFindsEachOfTheEightRatesAndNotASilentPrinter) {
    const int rates[] = {1200, 2400, 9600, 14400, 19200, 38400, 57600, 115200};
    for (int rate : rates) {
        SimConfig c;
        c.baudRate = rate;
        Add(c);
    }
    Add(Faulty([](SimConfig& c) { c.faults.silent = true; }));
    // No --port: every port the system lists, all at once.
    const int rc = Run({"detect", "--json"});
    EXPECT_EQ(rc, 1) << "the silent printer was not found";
    for (int i = 0; i < 8; ++i) {
        const QJsonObject r = Result(Device(size_t(i)));
        EXPECT_EQ(r.value("output").toObject().value("rate").toInt(), rates[i]);
        EXPECT_EQ(r.value("exit").toInt(), 0);
        // The wrong rates were ignored by the printer, and the search stopped at its rate.
        const QByteArray probes = sims[size_t(i)]->TakeReceived();
        EXPECT_EQ(probes,
                  QByteArray(CBaudDetector::RateOrder(38400).indexOf(rates[i]) + 1, '\x16'));
    }
    const QJsonObject silent = Result(Device(8));
    EXPECT_EQ(silent.value("result").toString(), "not confirmed");
    EXPECT_EQ(silent.value("message").toString(),
              "no answer to the battery status query at any of the 8 rates");
    EXPECT_EQ(sims[8]->TakeReceived(), QByteArray(8, '\x16')) << "one probe at each rate";
}

TEST_F(ManyPortsTest, PortListsThatCannotWorkAreRefused) {
    Add();
    Add();
    EXPECT_EQ(Run({"burn", project, "--ports", Device(0) + "," + Device(0)}), 2);
    EXPECT_TRUE(err.contains("given twice")) << err.toStdString();
    EXPECT_EQ(Run({"burn", project, "--ports", Device(0) + ",tty7"}), 2);
    EXPECT_TRUE(err.contains("'tty7' is not a port"));
    EXPECT_EQ(Run({"logo", "feed", "--ports", Devices().join(',')}), 2);
    EXPECT_TRUE(err.contains("'logo feed' runs on one port at a time"));
    EXPECT_FALSE(err.contains("ignores")) << "the refusal is the only word on the port list";
    EXPECT_EQ(Run({"burn", project, "--ports-from", dir.filePath("missing.txt")}), 3);
    EXPECT_TRUE(err.contains("missing.txt: cannot be read"));
    // COM1 of the port table and its device given both are one port.
    settings->setValue("Ports/COM1", Device(1));
    settings->sync();
    EXPECT_EQ(Run({"burn", project, "--ports", "COM1," + Device(1)}), 2);
    EXPECT_TRUE(err.contains("are the same device")) << err.toStdString();
    for (auto& h : sims)
        EXPECT_TRUE(h->TakeReceived().isEmpty()) << "nothing was sent for a refused list";
}

TEST_F(ManyPortsTest, APortThatCannotBeOpenedSaysWhyWhileTheOthersSucceed) {
    Add();
    const QString missing = "/dev/nonexistent-kvu-port";
    const int rc = Run({"query", "battery", "--ports", Device(0) + "," + missing, "--json"});
    EXPECT_EQ(rc, 4);
    EXPECT_EQ(Result(Device(0)).value("result").toString(), "ok");
    const QJsonObject r = Result(missing);
    EXPECT_EQ(r.value("result").toString(), "link error");
    EXPECT_EQ(r.value("message").toString(),
              "/dev/nonexistent-kvu-port: the device does not exist (unplugged, or a wrong "
              "device path); Serial communication error.");
}

TEST_F(ManyPortsTest, LogoFlashStoresTheSameLogoInEveryPrinter) {
    Add();
    Add();
    Add(Faulty([](SimConfig& c) { c.faults.noQuestion = true; }));
    BmpBuilder b;
    b.width = 40;
    b.height = 20;
    b.pixel = [](int x, int y) { return x < 10 && y < 5 ? 0u : 0xFFFFFFu; };
    const QString bmp = dir.filePath("logo.bmp");
    QFile f(bmp);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(b.Build());
    f.close();
    EXPECT_EQ(Run({"logo", "flash", "3", bmp, "--height", "20", "--ports", Devices().join(',')}), 1)
        << err.toStdString();
    const auto slot = [this](size_t i) {
        return sims[i]->Sim().WithPrinter([](CPrinterModel& p) { return p.Slot(3); });
    };
    ASSERT_TRUE(slot(0).stored);
    ASSERT_TRUE(slot(1).stored);
    EXPECT_EQ(slot(0).rows, slot(1).rows);
    EXPECT_EQ(slot(0).rows.size(), 20);
    EXPECT_FALSE(slot(2).stored) << "no '?', so nothing was sent";
    EXPECT_TRUE(out.contains("2 of 3 ports succeeded")) << out.toStdString();
    // The summary gives the cause before the verdict.
    EXPECT_TRUE(out.contains("Timed out waiting for a '?' character.; Serial communication error."))
        << out.toStdString();
}

TEST_F(ManyPortsTest, OnePortWithJsonGivesTheSameResultAsAListOfPorts) {
    Add();
    ASSERT_EQ(Run({"detect", "--port", Device(0), "--json"}), 0) << err.toStdString();
    EXPECT_EQ(Json().value("command").toString(), "detect");
    EXPECT_EQ(Result(Device(0)).value("output").toObject().value("rate").toInt(), 38400);
    ASSERT_EQ(Run({"query", "battery", "--port", Device(0), "--json"}), 0) << err.toStdString();
    EXPECT_EQ(Result(Device(0)).value("result").toString(), "ok");
    // bt read's own --json stays the settings object on one port.
    ASSERT_EQ(Run({"bt", "read", "--port", Device(0), "--json"}), 0) << err.toStdString();
    EXPECT_EQ(Json().value("name").toString(), "BT Printer");
    EXPECT_FALSE(Json().contains("ports"));
}

TEST(KvuCtlTable, EveryCommandForManyPortsSaysSoInItsUsageLine) {
    for (const CCliCommand& command : CommandTable()) {
        if (command.manyPorts) {
            EXPECT_TRUE(command.synopsis.contains("[--port P...]")) << command.name.toStdString();
        }
    }
}

TEST_F(ManyPortsTest, TheResultsComeInTheOrderThePortsWereGiven) {
    for (int i = 0; i < 4; ++i)
        Add();
    QFile list(dir.filePath("tills.txt"));
    ASSERT_TRUE(list.open(QIODevice::WriteOnly));
    list.write((Device(1) + "\n").toUtf8());
    list.close();
    ASSERT_EQ(Run({"query", "battery", "--ports-from", list.fileName(), "--port", Device(3),
                   "--ports=" + Device(0), "--port", Device(2), "--json"}),
              0)
        << err.toStdString();
    QStringList order;
    for (const auto& r : Json().value("ports").toArray())
        order << r.toObject().value("port").toString();
    EXPECT_EQ(order, (QStringList{Device(1), Device(3), Device(0), Device(2)}));
}

// Every command that takes --json, run against the simulated printer: what it prints is one
// JSON document with the keys and types the manual page lists (the same table makes both),
// or on failure the {"exit", "error"} object.
TEST_F(ManyPortsTest, EveryJsonCommandPrintsTheShapeItsManualPageLists) {
    Add();
    const QString port = Device(0);
    const QString missing = "/dev/nonexistent-kvu-port";
    BmpBuilder b;
    b.width = 16;
    b.height = 8;
    b.pixel = [](int x, int) { return x < 4 ? 0u : 0xFFFFFFu; };
    const QString bmp = dir.filePath("logo.bmp");
    QFile f(bmp);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(b.Build());
    f.close();
    const QString recipe = dir.filePath("r.toml");
    QFile r(recipe);
    ASSERT_TRUE(r.open(QIODevice::WriteOnly));
    r.write("name = \"json\"\n[[step]]\ndo = \"check-battery\"\nmin-volts = 1.0\n");
    r.close();
    const QString record = dir.filePath("record.sqlite");

    enum Shape { Own, DryRun, Failure };
    const struct {
        QStringList args;
        int exit;
        Shape shape;
    } rows[] = {
        {{"configure", project, "--port", port}, 0, Own},
        {{"configure", dir.filePath("none.qpf"), "--port", port}, 3, Own},
        {{"burn", project, "--port", port, "--yes"}, 0, Own},
        {{"send", "^[@", "--port", port}, 0, Own},
        {{"query", "battery", "--port", port}, 0, Own},
        {{"query", "buffer", "--port", port}, 0, Own},
        {{"query", "firmware", "--ports", port + "," + missing}, 4, Own},
        {{"query", "battery", "--ports", port + "," + port}, 2, Failure},
        {{"query", "battery", "--bogus"}, 2, Failure},
        {{"detect", "--port", port}, 0, Own},
        {{"logo", "flash", "1", bmp, "--height", "8", "--port", port}, 0, Own},
        {{"logo", "print", "1", "--port", port}, 0, Own},
        {{"bt", "read", "--port", missing}, 4, Failure},
        {{"bt", "read", "--port", port}, 0, Own},
        {{"wlan", "read", "--port", port}, 0, Own},
        {{"bt", "write", "--name", "Till", "--port", port}, 0, Own},
        {{"wlan", "read", "--port", missing}, 4, Failure},
        {{"wlan", "write", "--ssid", "shop", "--port", port}, 0, Own},
        {{"ports"}, 0, Own},
        {{"provision", recipe, "--port", port, "--dry-run"}, 0, DryRun},
        {{"provision", recipe, "--port", port, "--record", record}, 0, Own},
        {{"provision", dir.filePath("none.toml"), "--port", port}, 3, Failure},
        {{"record", "list", "--record", record}, 0, Own},
        {{"record", "show", port, "--record", record}, 0, Own},
        {{"record", "show", "nobody", "--record", record}, 3, Failure},
    };
    QSet<QString> covered;
    for (const auto& row : rows) {
        const QString line = row.args.join(' ');
        const int rc = Run(row.args + QStringList{"--json"});
        EXPECT_EQ(rc, row.exit) << line.toStdString() << "\n" << err.toStdString();
        QJsonParseError parseError;
        const QJsonDocument doc = QJsonDocument::fromJson(out.toUtf8(), &parseError);
        ASSERT_EQ(parseError.error, QJsonParseError::NoError)
            << line.toStdString() << ": " << out.toStdString();
        const QJsonValue value = doc.isArray() ? QJsonValue(doc.array()) : QJsonValue(doc.object());
        int words = 0;
        const CCliCommand* command = nullptr;
        for (const CCliCommand& c : CommandTable()) {
            const int n = int(c.name.count(' ')) + 1;
            if (row.args.mid(0, n).join(' ') == c.name && n > words) {
                command = &c;
                words = n;
            }
        }
        ASSERT_TRUE(command) << line.toStdString();
        covered.insert(command->name);
        const CJsonShape shape = row.shape == Own      ? command->json
                                 : row.shape == DryRun ? command->jsonOther.value(0).shape
                                                       : JsonShape::Error();
        QString problem;
        EXPECT_TRUE(JsonShape::Matches(value, shape, &problem))
            << line.toStdString() << ": " << problem.toStdString() << "\n"
            << out.toStdString();
        if (doc.isObject() && doc.object().contains("exit")) {
            EXPECT_EQ(doc.object().value("exit").toInt(), rc) << line.toStdString();
            EXPECT_EQ(doc.object().contains("error"), rc != 0) << line.toStdString();
        }
        if (row.shape == Failure)
            EXPECT_FALSE(doc.object().value("error").toString().isEmpty()) << line.toStdString();
    }
    // Every command with --json has a row, and its keys are in the manual page.
    const QString page = CliDocs::ManJson();
    for (const CCliCommand& c : CommandTable()) {
        if (!c.options.contains("json"))
            continue;
        EXPECT_TRUE(covered.contains(c.name)) << c.name.toStdString() << " has no row";
        const qsizetype section = page.indexOf(".SS kvuctl " + CliDocs::RoffEscape(c.name) + " ");
        ASSERT_GE(section, 0) << c.name.toStdString();
        const QString own = page.mid(section, page.indexOf(".SS ", section + 1) - section);
        for (const CJsonField& field : c.json) {
            const QString path = QString(field.path).remove("ports[].output.");
            EXPECT_TRUE(
                (path.startsWith("ports") || path == "command" || path == "exit" || path == "error"
                     ? page
                     : own)
                    .contains(".B " + CliDocs::RoffEscape(path) + "\n"))
                << c.name.toStdString() << ": " << path.toStdString();
        }
    }
    // The typed values themselves, as the human output shows them.
    ASSERT_EQ(Run({"query", "battery", "--port", port, "--json"}), 0);
    const QJsonObject battery = Result(port).value("output").toObject();
    EXPECT_TRUE(battery.value("voltage").isDouble()) << out.toStdString();
    EXPECT_EQ(battery.value("voltage").toDouble() * 1000, battery.value("millivolts").toDouble());
    EXPECT_TRUE(
        battery.value("interpretation").toArray().first().toString().startsWith("Voltage = "));
    ASSERT_EQ(Run({"detect", "--port", port, "--json"}), 0);
    EXPECT_EQ(Result(port).value("output").toObject().value("rate").toInt(), 38400);
}
