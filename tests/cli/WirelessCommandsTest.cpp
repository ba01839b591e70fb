// kvuctl bt and wlan against the simulated modules: the printed settings, the bytes sent,
// the exit codes and the verified write.

#include "KvuCtl.h"
#include "SimHarness.h"

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
}

TEST_F(WirelessCliTest, WlanReadAsJsonWithConnectionOptions) {
    CSimHarness h;
    EXPECT_EQ(Run({"wlan", "read", "--json", "--timeout", "7", "--guard-before", "1200"}, h), 0)
        << err.toStdString();
    const QJsonObject o = QJsonDocument::fromJson(out.toUtf8()).object();
    EXPECT_EQ(o.size(), 18);
    EXPECT_EQ(o.value("ssid").toString(), "WLAN Printer");
    EXPECT_EQ(o.value("rate").toString(), "12");
    EXPECT_EQ(o.value("link_adaptation").toString(), "1");
    EXPECT_EQ(o.value("gateway").toString(), "192.168.1.1");
    EXPECT_EQ(o.value("dhcp").toString(), "0");
    EXPECT_EQ(o.value("dns2").toString(), "0.0.0.0");
    EXPECT_FALSE(o.contains("key"));
    EXPECT_TRUE(h.TakeReceived().startsWith("\x1BPU0U2T007\r///"));
}

TEST_F(WirelessCliTest, ReadWithoutOkExitsOneAndPrintsNothingGiven) {
    SimConfig config;
    config.faults.moduleIgnoresEscape = true;
    CSimHarness h(config);
    EXPECT_EQ(Run({"bt", "read"}, h), 1);
    EXPECT_EQ(out, "address=\nversion=\nname=\nclass=\npin=\ndiscoverable=\npower=\nsecurity=\n");
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
    EXPECT_EQ(Run({"bt", "write", "--verify"}, h), 1);
    EXPECT_TRUE(err.contains("6 of 6 settings were not confirmed with OK")) << err.toStdString();
}

TEST_F(WirelessCliTest, WlanWriteDefaultsAndOptions) {
    CSimHarness h;
    EXPECT_EQ(Run({"wlan", "write", "--ssid", "Shop", "--mode", "1 = Managed", "--dhcp", "1",
                   "--key-index", "2", "--key", "secret", "--rate", "11", "--link-adaptation", "0",
                   "--verify"},
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
    EXPECT_EQ(Run({"bt", "write", "--name", "Till 4", "--verify"}, h), 1) << err.toStdString();
    for (const char* line : {"verify: name reads back \"\", wrote \"Till 4\"",
                             "verify: class reads back \"\", wrote \"263808\"",
                             "verify: pin reads back \"\", wrote \"0\"",
                             "verify: discoverable reads back \"\", wrote \"2\"",
                             "verify: power reads back \"\", wrote \"1\"",
                             "verify: security reads back \"\", wrote \"0\""})
        EXPECT_TRUE(err.contains(line)) << line << "\n" << err.toStdString();
    EXPECT_FALSE(err.contains("address")) << "read-only settings are not compared";
}
