// kvuctl provision against simulated printers: a recipe of every step, bad recipes and
// printer tables refused before a port opens, and a run finished after a pulled cable.

#include "ProvisionTestFixture.h"

#include <QRegularExpression>

namespace {
const char* const kEveryStep = R"(# every step there is
name = "till-rollout"
printers = "printers.csv"
key = "serial"

[[step]]
do = "detect"
[[step]]
do = "check-battery"
min-volts = 7.0
[[step]]
do = "burn"
project = "shop.qpf"
[[step]]
do = "flash"
slot = 2
picture = "{logo}"
[[step]]
do = "bt"
name = "Till {n}"
pin = "{pin}"
[[step]]
do = "wlan"
ssid = "shop-floor"
ip = "{ip}"
key = "k-{serial}"
[[step]]
do = "test-print"
text = "{label} {address}^M^J"
[[step]]
do = "print-logo"
slot = 2
)";

const char* const kPrinters = "serial,pin,ip,logo,label\n"
                              "SIM-1,1111,10.0.0.11,wide.bmp,Front\n"
                              "SIM-2,2222,10.0.0.12,narrow.bmp,\"Back, left\"\n"
                              "SIM-3,3333,10.0.0.13,wide.bmp,Bar\n"
                              "SIM-4,4444,10.0.0.14,narrow.bmp,Office\n";

class ProvisionTest : public ProvisionFixture {
protected:
    void Recipe(const QByteArray& recipe, const QByteArray& printers = kPrinters) {
        Write("recipe.toml", recipe);
        Write("printers.csv", printers);
    }
    int LogoWidth(size_t i) {
        return sims[i]->Sim().WithPrinter([](CPrinterModel& p) {
            const auto& slot = p.Slot(2);
            if (!slot.stored || slot.rows.isEmpty())
                return -1;
            // The dots of the first row that are black: the picture's width.
            int black = 0;
            for (char byte : slot.rows.first())
                for (int b = 0; b < 8; ++b)
                    black += (quint8(byte) >> b) & 1;
            return black;
        });
    }
    QString Radio(size_t i, bool bluetooth, const char* setting) {
        return sims[i]->Sim().WithPrinter([&](CPrinterModel& p) {
            CRadioModule* m = bluetooth ? p.Bluetooth() : p.Wlan();
            return m ? m->Value(QLatin1String(setting)) : QString();
        });
    }
    QString Printed(size_t i) {
        // Every byte sent taken in first: a loaded machine may not have printed it yet.
        sims[i]->Sim().Settle();
        return sims[i]->Sim().WithPrinter([](CPrinterModel& p) { return p.Paper().Text(); });
    }
};
} // namespace

TEST_F(ProvisionTest, EveryStepOnFourPrintersGivesEachItsOwnValuesAndASecondRunSkipsThemAll) {
    for (int i = 0; i < 4; ++i)
        Add();
    Recipe(kEveryStep);
    ASSERT_EQ(Provision({"--yes"}), 0) << err.toStdString() << out.toStdString();
    EXPECT_TRUE(out.contains("4 of 4 ports succeeded")) << out.toStdString();

    const int widths[] = {200, 40, 200, 40};
    const char* labels[] = {"Front", "Back, left", "Bar", "Office"};
    for (size_t i = 0; i < 4; ++i) {
        SCOPED_TRACE(i);
        EXPECT_EQ(sims[i]->Sim().WithPrinter([](CPrinterModel& p) { return p.BurnedStream(); }),
                  QByteArray("\x1bU1"));
        EXPECT_EQ(LogoWidth(i), widths[i]);
        EXPECT_EQ(Radio(i, true, "AGLN"), QStringLiteral("Till %1").arg(i + 1));
        EXPECT_EQ(Radio(i, true, "AGFP"), QString::number(1111 * (i + 1)));
        EXPECT_TRUE(Radio(i, false, "ANIP").startsWith(QStringLiteral("10.0.0.1%1,").arg(i + 1)))
            << Radio(i, false, "ANIP").toStdString();
    }

    const QJsonArray runs = Runs();
    ASSERT_EQ(runs.size(), 4);
    for (const QJsonValue& v : runs) {
        const QJsonObject run = v.toObject();
        // The label printed with the address the radio module told.
        const size_t i = size_t(run.value("serial").toString().mid(4).toInt() - 1);
        ASSERT_LT(i, 4u);
        EXPECT_TRUE(Printed(i).contains(
            QStringLiteral("%1 %2").arg(labels[i], run.value("address").toString())))
            << Printed(i).toStdString();
        EXPECT_EQ(run.value("verdict").toString(), "done");
        EXPECT_EQ(run.value("recipe").toString(), "till-rollout");
        EXPECT_FALSE(run.value("address").toString().isEmpty());
        EXPECT_TRUE(run.value("firmware").toString().startsWith("TARVO3"));
        EXPECT_EQ(run.value("steps").toArray().size(), 8);
        for (const QJsonValue& s : run.value("steps").toArray())
            EXPECT_EQ(s.toObject().value("verdict").toString(), "done");
    }
    // Secrets are kept as written and verified, never in clear.
    QFile db(record);
    ASSERT_TRUE(db.open(QIODevice::ReadOnly));
    const QByteArray stored = db.readAll() + [&] {
        QFile wal(record + "-wal");
        return wal.open(QIODevice::ReadOnly) ? wal.readAll() : QByteArray();
    }();
    EXPECT_FALSE(stored.contains("k-SIM-1"));
    RunWith({"record", "show", "--json", "--record", record, serials[1]}, KvuCtlContext());
    const QJsonArray shown = QJsonDocument::fromJson(out.toUtf8()).array();
    ASSERT_EQ(shown.size(), 1) << err.toStdString();
    const QJsonObject bt = shown[0].toObject().value("steps").toArray()[4].toObject();
    EXPECT_EQ(bt.value("values").toObject().value("pin").toString(), "written and verified");
    EXPECT_EQ(bt.value("values").toObject().value("name").toObject().value("read").toString(),
              "Till 2");

    for (size_t i = 0; i < 4; ++i)
        TakeReceived(i);
    ASSERT_EQ(Provision({"--yes"}), 0) << err.toStdString();
    for (size_t i = 0; i < 4; ++i)
        EXPECT_TRUE(TakeReceived(i).isEmpty()) << "printer " << i << " was not skipped";
    EXPECT_EQ(out.count("skipped: every step was done before"), 4) << out.toStdString();
    const QJsonArray again = Runs();
    ASSERT_EQ(again.size(), 8);
    EXPECT_EQ(again.last().toObject().value("verdict").toString(), "skipped");
}

TEST_F(ProvisionTest, APulledCableLeavesThreeDoneAndTheNextRunFinishesTheFourth) {
    Add();
    Add();
    // Unplugged in the middle of the flash: after the burn's bytes and part of the logo.
    SimConfig pulled;
    pulled.faults.dropAfterBytes = 3000;
    Add(pulled);
    Add();
    Recipe(kEveryStep);
    EXPECT_NE(Provision({"--yes"}), 0);
    EXPECT_TRUE(out.contains("3 of 4 ports succeeded")) << out.toStdString();
    QJsonArray runs = Runs();
    ASSERT_EQ(runs.size(), 4);
    int done = 0;
    for (const QJsonValue& v : runs) {
        const QJsonObject run = v.toObject();
        done += run.value("verdict").toString() == "done";
        if (run.value("serial").toString() == "SIM-3") {
            EXPECT_EQ(run.value("verdict").toString(), "failed");
            const QJsonArray steps = run.value("steps").toArray();
            ASSERT_EQ(steps.size(), 8) << "every step is recorded, those after the cut as not run";
            EXPECT_EQ(steps[2].toObject().value("verdict").toString(), "done");
            EXPECT_EQ(steps[3].toObject().value("verdict").toString(), "failed");
            EXPECT_EQ(steps[7].toObject().value("verdict").toString(), "not run");
        }
    }
    EXPECT_EQ(done, 3);

    Replug(2);
    for (size_t i = 0; i < 4; ++i)
        TakeReceived(i);
    ASSERT_EQ(Provision({"--yes"}), 0) << err.toStdString();
    for (size_t i : {0, 1, 3})
        EXPECT_TRUE(TakeReceived(i).isEmpty()) << "printer " << i << " was not skipped";
    EXPECT_EQ(LogoWidth(2), 200);
    EXPECT_EQ(Radio(2, true, "AGLN"), "Till 3");
    runs = Runs();
    ASSERT_EQ(runs.size(), 8);
    QStringList verdicts;
    for (const QJsonValue& v : runs) {
        if (v.toObject().value("serial").toString() == "SIM-3")
            verdicts << v.toObject().value("verdict").toString();
    }
    EXPECT_EQ(verdicts, QStringList({"failed", "done"}));

    // --again does every printer again.
    ASSERT_EQ(Provision({"--yes", "--again"}), 0) << err.toStdString();
    for (size_t i = 0; i < 4; ++i)
        EXPECT_FALSE(TakeReceived(i).isEmpty());
}

// A recipe or printer table that cannot be run is refused with a message that says where,
// before any port is opened.
TEST_F(ProvisionTest, BadRecipesAndPrinterTablesAreRefusedBeforeAnyPortOpens) {
    struct Row {
        const char* recipe; // the steps, after the name line
        const char* printers;
        const char* message;
    };
    const char* const good = "n,name,pin\n1,A,1\n2,B,2\n";
    const Row rows[] = {
        {"colour = \"red\"\n", good, "recipe.toml:3: unknown key 'colour'"},
        {"[[step]]\ndo = \"paint\"\n", good, "recipe.toml:4: unknown step 'paint'"},
        {"[[step]]\ndo = \"bt\"\nnmae = \"x\"\n", good, "unknown key 'nmae' for 'bt'"},
        {"[[step]]\ndo = \"detect\"\nslot = 1\n", good, "'detect' takes no keys, not 'slot'"},
        {"[[step]]\ndo = \"burn\"\nproject = \"missing.qpf\"\n", good, "missing.qpf"},
        {"[[step]]\ndo = \"flash\"\nslot = 1\npicture = \"missing.png\"\n", good, "missing.png"},
        {"[[step]]\ndo = \"flash\"\nslot = 8\npicture = \"wide.bmp\"\n", good, "slot is 0 to 7"},
        {"[[step]]\ndo = \"bt\"\nname = \"{name} is far too long\"\n", good,
         "bt (printer 1, /dev/pts/"},
        {"[[step]]\ndo = \"bt\"\nname = \"{name} is far too long\"\n", good,
         "name: Please enter no more than 16 characters."},
        {"[[step]]\ndo = \"bt\"\nclass = 16777216\n", good,
         "class: Please enter an integer between 0 and 16777215."},
        {"[[step]]\ndo = \"wlan\"\nguard-before = 10\n", good,
         "guard-before: Please enter an integer between 50 and 5000."},
        {"[[step]]\ndo = \"wlan\"\nip = \"10.0.0.100.100.100\"\n", good,
         "ip: Please enter no more than 15 characters."},
        {"[[step]]\ndo = \"bt\"\ndiscoverable = 3\n", good, "discoverable: takes 0 to 2"},
        {"[[step]]\ndo = \"check-battery\"\n", good, "needs min-volts"},
        {"[[step]]\ndo = \"check-battery\"\nmin-volts = [1, 2]\n", good,
         "'min-volts' must be a text, a number or true/false"},
        {"[[step]]\ndo = \"test-print\"\n", good, "needs text"},
        {"[[step]]\ndo = \"bt\"\nname = \"Till {shop}\"\n", good,
         "{shop} is not a column of printers.csv"},
        {"[[step]]\ndo = \"bt\"\nname = \"Till {n\"\n", good, "is not closed"},
        {"[[step]]\ndo = \"detect\"\n", "n,name\n1,A\n1,B\n", "printer n '1' has a row already"},
        {"[[step]]\ndo = \"detect\"\n", "n,name\n1,A\n", "no row for printer"},
        {"[[step]]\ndo = \"detect\"\n", "n,name\n1,\"A\n", "a quoted field is not closed"},
        {"[[step]]\ndo = \"detect\"\n", "n,name\n1,A,B\n2,C\n", "3 fields where"},
        {"[[step]]\ndo = \"detect\"\n", "serial,name\nX,A\n", "no column 'n'"},
        {"[[step]\n", good, "recipe.toml:3:"},
        {"", good, "the recipe has no [[step]]"},
    };
    Add();
    Add();
    for (const Row& row : rows) {
        SCOPED_TRACE(row.message);
        Write("printers.csv", row.printers);
        Write("recipe.toml",
              QByteArray("name = \"bad\"\nprinters = \"printers.csv\"\n") + row.recipe);
        EXPECT_EQ(Provision({}), 3);
        EXPECT_TRUE(err.contains(QLatin1String(row.message))) << err.toStdString();
        EXPECT_TRUE(err.contains("nothing was sent to any printer")) << err.toStdString();
        EXPECT_TRUE(TakeReceived(0).isEmpty());
        EXPECT_TRUE(TakeReceived(1).isEmpty());
    }
}

TEST_F(ProvisionTest, DryRunCountsEveryBytePerPrinterAndOpensNoPort) {
    for (int i = 0; i < 2; ++i)
        Add();
    Recipe(kEveryStep, "serial,pin,ip,logo,label\nSIM-1,1,10.0.0.1,wide.bmp,A\n"
                       "SIM-2,2,10.0.0.2,narrow.bmp,B\n");
    ASSERT_EQ(Provision({"--dry-run", "--json"}), 0) << err.toStdString();
    const QJsonArray printers =
        QJsonDocument::fromJson(out.toUtf8()).object().value("printers").toArray();
    ASSERT_EQ(printers.size(), 2);
    const QJsonArray steps = printers[0].toObject().value("steps").toArray();
    ASSERT_EQ(steps.size(), 8);
    // The flash: prologue 7, slot 5, 178 rows of 4 + 72 bytes, epilogue 5.
    EXPECT_EQ(steps[3].toObject().value("bytes").toInt(), 7 + 5 + 178 * 76 + 5);
    // The burn: 12 + ESC U 1 + 9.
    EXPECT_EQ(steps[2].toObject().value("bytes").toInt(), 24);
    EXPECT_EQ(steps[7].toObject().value("bytes").toInt(), 4);
    EXPECT_EQ(steps[4].toObject().value("values").toObject().value("pin").toString(), "***");
    EXPECT_EQ(steps[4].toObject().value("values").toObject().value("name").toString(), "Till 1");
    EXPECT_TRUE(TakeReceived(0).isEmpty());
    EXPECT_TRUE(TakeReceived(1).isEmpty());
    EXPECT_FALSE(QFile::exists(record)) << "a dry run writes no record";
}

TEST_F(ProvisionTest, ARecordThatCannotBeWrittenIsSaidAndThePrinterWorkStands) {
    Add();
    Recipe("name = \"r\"\n[[step]]\ndo = \"bt\"\nname = \"Till {n}\"\n");
    ASSERT_TRUE(QDir(dir.path()).mkdir("record.sqlite")); // a folder where the file should be
    EXPECT_EQ(Provision({}), 0) << err.toStdString();
    EXPECT_TRUE(err.contains("cannot be opened")) << err.toStdString();
    EXPECT_EQ(Radio(0, true, "AGLN"), "Till 1");
}

// A printer that fails a step is left there: what follows is not run, and the exit code
// says why.
TEST_F(ProvisionTest, AFailedStepLeavesThePrinterWhereItIs) {
    struct Row {
        const char* steps;
        SimFaults faults;
        int exit;
        const char* message;
    };
    SimFaults none, noDx, noOk;
    noDx.noDx = true;
    noOk.moduleNoOk = true;
    const Row rows[] = {
        {"[[step]]\ndo = \"check-battery\"\nmin-volts = 8.5\n", none, 1,
         "below 8.50 V: the printer is left as it is"},
        {"[[step]]\ndo = \"burn\"\nproject = \"shop.qpf\"\n", noDx, 1, "no D!X from the printer"},
        {"[[step]]\ndo = \"bt\"\nname = \"x\"\n", noOk, 1, "were not confirmed with OK"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.message);
        sims.clear();
        serials.clear();
        SimConfig c;
        c.faults = row.faults;
        Add(c);
        QFile::remove(record);
        Write("recipe.toml", QByteArray("name = \"r\"\n") + row.steps +
                                 "[[step]]\ndo = \"print-logo\"\nslot = 1\n");
        EXPECT_EQ(Provision({"--yes"}), row.exit);
        EXPECT_TRUE(err.contains(QLatin1String(row.message))) << err.toStdString();
        const QByteArray received = TakeReceived(0);
        EXPECT_FALSE(received.endsWith(QByteArray("\x1bLg1"))) << "the step after it ran";
        const QJsonArray runs = Runs();
        ASSERT_EQ(runs.size(), 1);
        EXPECT_EQ(runs[0].toObject().value("verdict").toString(), "failed");
        EXPECT_EQ(runs[0].toObject().value("steps").toArray()[1].toObject().value("verdict"),
                  "not run");
    }
}
