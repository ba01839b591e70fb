// kvuctl bt and wlan against the simulated modules: the printed settings, the bytes sent,
// the exit codes and the verified write.

#include "KvuCtl.h"
#include "SimHarness.h"

#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>
#include <QSettings>
#include <QTemporaryDir>
#include <QTextStream>
#include <gtest/gtest.h>

#include "KvuCtlFixture.h"

namespace {
// Hands kvuctl the harness's recorder, so the guard pauses run on the virtual clock.
class WirelessCliTest : public KvuCtlFixture {
protected:
    void SetUp() override {
        KvuCtlFixture::SetUp();
        forwardYes = false;
    }
};
} // namespace

TEST_F(WirelessCliTest, BtReadPrintsEverySetting) {
    CSimHarness h;
    EXPECT_EQ(Run({"bt", "read"}, h), 0) << err.toStdString();
    EXPECT_EQ(out, "address=0012F3004A21\nversion=cB-OEMSPA33i 3.1.2\nname=BT Printer\n"
                   "class=263808\npin=0\ndiscoverable=2\npower=1\nsecurity=0\n");
    const QByteArray received = h.TakeReceived();
    EXPECT_TRUE(received.startsWith("\x1BPU0U1T999\r///AT*AILBA?\r"));
    EXPECT_TRUE(received.endsWith("AT*AGSM?\rAT*ADDM\r###"));
    EXPECT_TRUE(h.Services().StatusTexts().contains("Success: Received OK."));
    EXPECT_EQ(Run({"bt", "read", "--json"}, h), 0);
    const QJsonObject o = QJsonDocument::fromJson(out.toUtf8()).object();
    EXPECT_EQ(o.value("class"), 263808);
    EXPECT_EQ(o.value("discoverable"),
              (QJsonObject{{"value", 2}, {"text", "General Disc. (default)"}}));
}

TEST_F(WirelessCliTest, WlanReadAsJsonWithConnectionOptions) {
    CSimHarness h;
    EXPECT_EQ(Run({"wlan", "read", "--json", "--timeout", "7", "--guard-before", "1200"}, h), 0)
        << err.toStdString();
    const QJsonObject o = QJsonDocument::fromJson(out.toUtf8()).object();
    EXPECT_EQ(o.size(), 18);
    // Texts as strings, numbers as numbers, choices as their number and the page's text.
    const struct {
        const char* key;
        QJsonValue value;
    } typed[] = {
        {"ssid", "WLAN Printer"},
        {"channel", 0},
        {"rate", 12},
        {"link_adaptation", true},
        {"active_key", 1},
        {"gateway", "192.168.1.1"},
        {"mode", QJsonObject{{"value", 2}, {"text", "Ad-Hoc (default)"}}},
        {"encryption", QJsonObject{{"value", 0}, {"text", "Open (default)"}}},
        {"dhcp", QJsonObject{{"value", 0}, {"text", "Disable (default)"}}},
        {"dns2", "0.0.0.0"},
    };
    for (const auto& t : typed)
        EXPECT_EQ(o.value(t.key), t.value) << t.key;
    EXPECT_FALSE(o.contains("key"));
    EXPECT_TRUE(h.TakeReceived().startsWith("\x1BPU0U2T007\r///"));
}

TEST_F(WirelessCliTest, ReadWithoutOkExitsOneAndPrintsNothingGiven) {
    SimConfig config;
    config.faults.moduleIgnoresEscape = true;
    CSimHarness h(config);
    EXPECT_EQ(Run({"bt", "read"}, h), 1);
    EXPECT_EQ(out, "address=\nversion=\nname=\nclass=\npin=\ndiscoverable=\npower=\nsecurity=\n");
    // In JSON a setting the reply did not give is null; a choice given names its button.
    EXPECT_EQ(Run({"bt", "read", "--json"}, h), 1);
    const QJsonObject o = QJsonDocument::fromJson(out.toUtf8()).object();
    EXPECT_EQ(o.size(), 8);
    EXPECT_TRUE(o.value("class").isNull() && o.value("discoverable").isNull());
}

TEST_F(WirelessCliTest, PartialAnswersPrintWhatWasGiven) {
    // A 400-character name pushes the reply beyond 500 bytes: the name and everything
    // after it is not given.
    CSimHarness h;
    h.Sim().WithPrinter([](CPrinterModel& p) {
        p.Bluetooth()->RestoreStored({{"AGLN", {QString(400, 'n')}}});
    });
    EXPECT_EQ(Run({"bt", "read"}, h), 1);
    EXPECT_EQ(out, "address=0012F3004A21\nversion=cB-OEMSPA33i 3.1.2\nname=\nclass=\npin=\n"
                   "discoverable=\npower=\nsecurity=\n");
}

TEST_F(WirelessCliTest, BtWriteWithVerify) {
    CSimHarness h;
    EXPECT_EQ(Run({"bt", "write", "--name", "Till \"4\"", "--pin", "1234", "--class", "1028",
                   "--discoverable", "0", "--power", "2", "--security", "1", "--verify"},
                  h),
              0)
        << err.toStdString();
    const QByteArray received = h.TakeReceived();
    EXPECT_TRUE(received.contains("///AT*AGLN=\"Till \\224\\22\",1\rAT*AGLC=1028,1\r"
                                  "AT*AGFP=\"1234\",1\rAT*AGDM=1,1\rAT*AMPM=3,1\rAT*AGSM=2,1\r"
                                  "AT*ADDM\r###"));
    EXPECT_TRUE(received.endsWith("AT*AILBA?\rAT*AILVI?\rAT*AGLN?\rAT*AGLC?\rAT*AGFP?\r"
                                  "AT*AGDM?\rAT*AMPM?\rAT*AGSM?\rAT*ADDM\r###"))
        << "the read-back";
    h.Sim().WithPrinter(
        [](CPrinterModel& p) { EXPECT_EQ(p.Bluetooth()->StoredValue("AGLN"), "Till \"4\""); });
}

TEST_F(WirelessCliTest, WriteWithoutOkExitsOne) {
    SimConfig config;
    config.faults.moduleNoOk = true;
    CSimHarness h(config);
    EXPECT_EQ(Run({"bt", "write", "--defaults", "--verify"}, h), 1);
    EXPECT_TRUE(err.contains("6 of 6 settings were not confirmed with OK")) << err.toStdString();
}

TEST_F(WirelessCliTest, WlanWriteDefaultsAndOptions) {
    CSimHarness h;
    EXPECT_EQ(Run({"wlan", "write", "--ssid", "Shop", "--mode", "1 = Managed", "--dhcp", "1",
                   "--key-index", "2", "--key", "secret", "--rate", "11", "--link-adaptation", "0",
                   "--defaults", "--verify"},
                  h),
              0)
        << err.toStdString();
    const QByteArray received = h.TakeReceived();
    EXPECT_TRUE(received.contains(
        "///AT*AGSSID=\"Shop\",1\rAT*AGCH=0,1\rAT*AGOM=1,1\rAT*AGAM=0,1\rAT*AGEM=0,1\r"
        "AT*AGRTE=11,0,1\rAT*AGUN=\"\",1\rAT*AGAFP=1,1\rAT*AGFPWI=2,\"secret\",1\r"
        "AT*ANIP=192.168.1.96,255.255.255.0,192.168.1.1,1\rAT*ANDHCP=1,1\r"
        "AT*ANHN=\"connectBlue\",1\rAT*ANDNS=0.0.0.0,0.0.0.0,1\rAT*ADDM\r###"));
    h.Sim().WithPrinter([](CPrinterModel& p) {
        EXPECT_EQ(p.Wlan()->StoredValue("AGFPWI"), "2,secret");
        EXPECT_EQ(p.Wlan()->StoredValue("AGOM"), "1");
    });
}

TEST_F(WirelessCliTest, RefusedValuesAndRangeChecks) {
    CSimHarness h;
    struct Case {
        QStringList args;
        const char* message;
    } cases[] = {
        {{"bt", "write", "--name", QString(17, 'n')},
         "--name: Please enter no more than 16 characters."},
        {{"bt", "write", "--class", "16777216"},
         "--class: Please enter an integer between 0 and 16777215."},
        {{"bt", "write", "--discoverable", "3"}, "--discoverable takes 0 to 2"},
        {{"bt", "read", "--guard-after", "10"},
         "--guard-after: Please enter an integer between 50 and 5000."},
        {{"bt", "read", "--escape", "//"}, "--escape: Please enter no more than 1 characters."},
        {{"wlan", "write", "--ip", "1234567890123456"},
         "--ip: Please enter no more than 15 characters."},
        {{"wlan", "write", "--dhcp", "x"}, "--dhcp takes 0 to 1"},
        {{"wlan", "write", "--timeout", "abc"}, "--timeout: Please enter an integer."},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(Run(c.args, h), 2) << c.message;
        EXPECT_TRUE(err.contains(c.message)) << err.toStdString();
    }
    EXPECT_EQ(h.TakeReceived(), QByteArray()) << "nothing sent for a refused command line";
    // A key too long for the module's command is refused before anything is sent.
    EXPECT_EQ(Run({"wlan", "write", "--key", QString(1000, 'k')}, h), 2);
    ASSERT_FALSE(h.Services().MessageTexts().isEmpty());
    EXPECT_TRUE(h.Services().MessageTexts().last().startsWith("Key is too long for the module"));
    EXPECT_EQ(h.TakeReceived(), QByteArray());
}

TEST_F(WirelessCliTest, MissingPortIsALinkError) {
    CSimHarness h;
    EXPECT_EQ(Run({"bt", "read", "--port", dir.filePath("no-such-tty")}, h), 4);
}

TEST_F(WirelessCliTest, VerifyListsEverySettingThatReadsBackDifferently) {
    // Every reply is cut to 7 bytes: the set commands' "OK" survives, the answers of the
    // read-back do not, so nothing that was written reads back.
    SimConfig config;
    config.faults.cutReplyAt = 7;
    CSimHarness h(config);
    EXPECT_EQ(Run({"bt", "write", "--name", "Till 4", "--defaults", "--verify"}, h), 1)
        << err.toStdString();
    for (const char* line : {"verify: name reads back \"\", wrote \"Till 4\"",
                             "verify: class reads back \"\", wrote \"263808\"",
                             "verify: pin reads back differently (not shown)",
                             "verify: discoverable reads back \"\", wrote \"2\"",
                             "verify: power reads back \"\", wrote \"1\"",
                             "verify: security reads back \"\", wrote \"0\""})
        EXPECT_TRUE(err.contains(line)) << line << "\n" << err.toStdString();
    EXPECT_FALSE(err.contains("address")) << "read-only settings are not compared";
}

TEST_F(WirelessCliTest, ReadShowsTextsVisiblyAndNamesWhatGotNoAnswer) {
    struct Case {
        QStringList args;
        bool onlyOk;
        QString storedName;
        int exit;
        QString outHas;
        QString errHas;
    } cases[] = {
        // A name that would retitle the terminal and forge a line prints visibly.
        {{"bt", "read"},
         false,
         "x\nclass=1\x1B]0;t\x07",
         0,
         "\nname=x^Jclass=1^[]0;t^G\nclass=263808\n",
         ""},
        // The WLAN module on U2 answers ERROR to the Bluetooth settings.
        {{"bt", "read", "--to", "U2"},
         false,
         "",
         1,
         "name=\nclass=\n",
         "kvuctl: no usable answer from the module for: name class pin discoverable power "
         "security (printed empty)"},
        {{"wlan", "read"},
         true,
         "",
         1,
         "ssid=\n",
         "kvuctl: no usable answer from the module for: address version ssid channel mode"},
    };
    for (const Case& c : cases) {
        SimConfig config;
        config.faults.moduleOnlyOk = c.onlyOk;
        CSimHarness h(config);
        if (!c.storedName.isEmpty()) {
            h.Sim().WithPrinter([&c](CPrinterModel& p) {
                p.Bluetooth()->RestoreStored({{"AGLN", {c.storedName}}});
            });
        }
        EXPECT_EQ(Run(c.args, h), c.exit) << c.args.join(' ').toStdString();
        EXPECT_TRUE(out.contains(c.outHas)) << out.toStdString();
        EXPECT_TRUE(err.contains(c.errHas)) << err.toStdString();
        EXPECT_FALSE(out.contains(QChar(0x1B)) || out.contains("\nclass=1")) << out.toStdString();
    }
}

TEST_F(WirelessCliTest, WriteChangesOnlyTheSettingsGiven) {
    const auto module = [](CPrinterModel& p) {
        p.Bluetooth()->RestoreStored({{"AGFP", {"4711"}}, {"AGSM", {"2"}}, {"AGDM", {"1"}}});
        p.Wlan()->RestoreStored(
            {{"ANIP", {"10.0.0.5", "255.255.0.0", "10.0.0.1"}}, {"ANHN", {"press"}}});
    };
    const auto file = [this](const char* name, const QByteArray& bytes) {
        QFile f(dir.filePath(QLatin1String(name)));
        EXPECT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(bytes);
        return f.fileName();
    };
    const QString pinFile = file("pin", "2468\n");
    const QString keyFile = file("key", "s3cr3t,key\r\n");
    const QString twoLines = file("two", "1234\n5678\n");
    struct Case {
        QStringList args;
        bool onlyOk;
        int exit;
        QByteArray sent;                        // the whole exchange after the escape
        QMap<QString, QString> bluetooth, wlan; // stored afterwards
        QString errHas;
        QByteArray environment = {}; // NAME=value set for the run
        QString secret = {};         // never in a status line or message
    } cases[] = {
        {{"bt", "write", "--name", "Till 9"},
         false,
         0,
         "AT*AGLN=\"Till 9\",1\rAT*ADDM\r###",
         {{"AGLN", "Till 9"}, {"AGFP", "4711"}, {"AGSM", "2"}, {"AGDM", "1"}},
         {},
         ""},
        {{"wlan", "write", "--ssid", "shop-floor"},
         false,
         0,
         "AT*AGSSID=\"shop-floor\",1\rAT*ADDM\r###",
         {},
         {{"AGSSID", "shop-floor"}, {"ANIP", "10.0.0.5,255.255.0.0,10.0.0.1"}, {"ANHN", "press"}},
         ""},
        // A command that carries settings not given reads them first, in the same exchange.
        {{"wlan", "write", "--gateway", "10.0.0.254", "--hostname", "till-3"},
         false,
         0,
         "AT*ANIP?\rAT*ANIP=10.0.0.5,255.255.0.0,10.0.0.254,1\rAT*ANHN=\"till-3\",1\r"
         "AT*ADDM\r###",
         {},
         {{"ANIP", "10.0.0.5,255.255.0.0,10.0.0.254"}, {"ANHN", "till-3"}},
         ""},
        // Without that answer nothing is written.
        {{"wlan", "write", "--gateway", "10.0.0.254", "--hostname", "till-3"},
         true,
         1,
         "AT*ANIP?\rAT*ADDM\r###",
         {},
         {{"ANIP", "10.0.0.5,255.255.0.0,10.0.0.1"}, {"ANHN", "press"}},
         "kvuctl: no usable answer from the module for: ip netmask gateway; nothing was written"},
        // --defaults: the page's Write, with its opening values for what is not given.
        {{"bt", "write", "--name", "Till 9", "--defaults"},
         false,
         0,
         "AT*AGLN=\"Till 9\",1\rAT*AGLC=263808,1\rAT*AGFP=\"0\",1\rAT*AGDM=3,1\rAT*AMPM=2,1\r"
         "AT*AGSM=1,1\rAT*ADDM\r###",
         {{"AGFP", "0"}, {"AGSM", "1"}},
         {},
         ""},
        // A module's ERROR after an echo that holds "OK" is a failure.
        {{"wlan", "write", "--hostname", "TOKYO-STORE-BACKOFFICE-PRINTER-0001"},
         false,
         1,
         "AT*ANHN=\"TOKYO-STORE-BACKOFFICE-PRINTER-0001\",1\rAT*ADDM\r###",
         {},
         {{"ANHN", "press"}},
         "1 of 1 settings were not confirmed with OK"},
        // Texts in the printer's code page; a character it lacks is refused, named.
        {{"bt", "write", "--name", QString::fromUtf8("\xE2\x82\xACuro")},
         false,
         0,
         "AT*AGLN=\"\x80uro\",1\rAT*ADDM\r###",
         {},
         {},
         ""},
        {{"bt", "write", "--pin", QString::fromUtf8("\xC5\x81")},
         false,
         2,
         "",
         {},
         {},
         QString::fromUtf8("Fixed PIN holds the character \"\xC5\x81\" (U+0141)")},
        {{"bt", "write"}, false, 2, "", {}, {}, "nothing to write"},
        // Secrets from a file (its line end dropped) or the environment, never shown.
        {{"bt", "write", "--pin-file", pinFile},
         false,
         0,
         "AT*AGFP=\"2468\",1\rAT*ADDM\r###",
         {{"AGFP", "2468"}},
         {},
         "",
         {},
         "2468"},
        {{"wlan", "write", "--key-index", "2", "--key-file", keyFile},
         false,
         0,
         "AT*AGFPWI=2,\"s3cr3t,key\",1\rAT*ADDM\r###",
         {},
         {{"AGFPWI", "2,s3cr3t,key"}},
         "",
         {},
         "s3cr3t"},
        {{"bt", "write", "--name", "Till 9"},
         false,
         0,
         "AT*AGLN=\"Till 9\",1\rAT*AGFP=\"1357\",1\rAT*ADDM\r###",
         {{"AGFP", "1357"}},
         {},
         "--pin taken from KVU_BT_PIN",
         "KVU_BT_PIN=1357",
         "1357"},
        {{"wlan", "write", "--key", "x"},
         false,
         0,
         "AT*AGFPWI=1,\"x\",1\rAT*ADDM\r###",
         {},
         {{"AGFPWI", "1,x"}},
         "",
         "KVU_WLAN_KEY=ignored",
         "ignored"},
        {{"bt", "write", "--pin", "1", "--pin-file", pinFile},
         false,
         2,
         "",
         {},
         {},
         "give --pin or --pin-file, not both"},
        {{"bt", "write", "--pin-file", twoLines}, false, 2, "", {}, {}, "holds more than one line"},
        {{"bt", "write", "--pin-file", dir.filePath("none")},
         false,
         3,
         "",
         {},
         {},
         "cannot be read"},
        {{"wlan", "write", "--key-index", "2"}, false, 2, "", {}, {}, "give --key too"},
    };
    for (const Case& c : cases) {
        SimConfig config;
        config.faults.moduleOnlyOk = c.onlyOk;
        CSimHarness h(config);
        h.Sim().WithPrinter(module);
        const QByteArray variable = c.environment.left(c.environment.indexOf('='));
        if (!variable.isEmpty())
            qputenv(variable.constData(), c.environment.mid(variable.size() + 1));
        const std::string what = c.args.join(' ').toStdString();
        EXPECT_EQ(Run(c.args, h), c.exit) << what << "\n" << err.toStdString();
        const QByteArray received = h.TakeReceived();
        if (c.sent.isEmpty()) {
            EXPECT_EQ(received, QByteArray()) << what;
        } else {
            EXPECT_TRUE(received.endsWith("///" + c.sent)) << what << "\n" << received.constData();
            EXPECT_EQ(received.count("\x1BP"), 1) << what << ": one exchange";
        }
        h.Sim().WithPrinter([&](CPrinterModel& p) {
            for (auto it = c.bluetooth.begin(); it != c.bluetooth.end(); ++it)
                EXPECT_EQ(p.Bluetooth()->StoredValue(it.key()), it.value()) << what;
            for (auto it = c.wlan.begin(); it != c.wlan.end(); ++it)
                EXPECT_EQ(p.Wlan()->StoredValue(it.key()), it.value()) << what;
        });
        // Messages go to stderr in kvuctl, to the recorder here.
        const QString said = err + h.Services().MessageTexts().join('\n');
        EXPECT_TRUE(said.contains(c.errHas)) << what << "\n" << said.toStdString();
        if (!c.secret.isEmpty())
            EXPECT_FALSE((said + h.Services().StatusTexts().join('\n')).contains(c.secret)) << what;
        if (!variable.isEmpty())
            qunsetenv(variable.constData());
    }
}
