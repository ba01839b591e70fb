// Read and Write of both radio pages against the simulated printer and its modules, on
// the virtual clock: the bytes on the wire, the guard times, the status texts, the Output
// log, the parsed values and every failure the exchange knows.

#include "wireless/AtExchange.h"
#include "PtyPair.h"
#include "SimHarness.h"
#include "app/PortMap.h"
#include "wireless/BluetoothForm.h"
#include "wireless/WlanForm.h"

#include <QRegularExpression>
#include <gtest/gtest.h>

namespace {
using Outcome = CAtExchange::Outcome;

const QByteArray kBtPassThru("\x1BPU0U1T999\r");
const QByteArray kWlanPassThru("\x1BPU0U2T999\r");
const QByteArray kEscape("///");
const QByteArray kEnd("AT*ADDM\r###");
const QByteArray kBtBatch("AT*AILBA?\rAT*AILVI?\rAT*AGLN?\rAT*AGLC?\rAT*AGFP?\rAT*AGDM?\r"
                          "AT*AMPM?\rAT*AGSM?\r");

template <class Form> Form Opened() {
    Form form;
    form.InitDialog();
    return form;
}

QList<int> Pauses(const CRecordingServices& services) {
    QList<int> out;
    for (const auto& e : services.Events()) {
        if (e.kind == CRecordingServices::Event::Pause)
            out << e.value;
    }
    return out;
}

// The program's writes as the printer took them in, one entry per arrival.
struct Arrival {
    qint64 timeMs;
    QByteArray bytes;
};
QVector<Arrival> Arrivals(CSimHarness& h) {
    h.Sim().Settle();
    QVector<Arrival> out;
    for (const auto& e : h.Sim().Transcript().Entries()) {
        if (e.received)
            out.push_back({e.timeMs, e.bytes});
    }
    return out;
}
// When the printer received the first byte of `what`.
qint64 ArrivalOf(CSimHarness& h, const QByteArray& what) {
    const QByteArray all = h.Sim().Transcript().ReceivedSince(0);
    const qsizetype at = all.indexOf(what);
    return at < 0 ? -1 : h.Sim().Transcript().ReceivedTimeAt(at);
}

QStringList WriteStatus(const QVector<QByteArray>& commands, const QVector<bool>& ok) {
    QStringList out{"Wait...", "Wait..."};
    // The PIN and the key are never shown.
    static const QRegularExpression secret(
        QStringLiteral("^(AT\\*AGFP=|AT\\*AGFPWI=[^,]*,)\"[^\"]*\""));
    for (int i = 0; i < commands.size(); ++i)
        out << "Sent " + QString::fromLatin1(commands[i]).replace(secret, "\\1\"***\"")
            << "Waiting for a 'OK' character..."
            << (ok[i] ? "Success: Received OK." : "Error: Did not receive OK.");
    return out << "Ready";
}
} // namespace

TEST(AtExchange, BluetoothReadWithTheDefaults) {
    CSimHarness h;
    ASSERT_TRUE(h.Started());
    CBluetoothForm form = Opened<CBluetoothForm>();
    int refreshes = 0;
    CAtExchange exchange(h.Link(), h.Services(), form);
    exchange.SetRefresh([&] { ++refreshes; });
    const CAtExchange::Result result = exchange.Read(form);

    EXPECT_EQ(result.outcome, Outcome::Completed);
    EXPECT_TRUE(result.ok);
    EXPECT_EQ(h.TakeReceived(), kBtPassThru + kEscape + kBtBatch + kEnd);
    EXPECT_EQ(h.Services().StatusTexts(),
              (QStringList{"Wait...", "Wait...", "Waiting for a 'OK' characters...",
                           "Success: Received OK.", "Ready"}));
    EXPECT_TRUE(h.Services().MessageTexts().isEmpty());
    EXPECT_EQ(Pauses(h.Services()), (QList<int>{1100, 1100, 500}));
    EXPECT_EQ(h.Services().WaitDepth(), 0);
    EXPECT_EQ(h.Link().m_bOpen, 0);
    EXPECT_EQ(refreshes, 4) << "pass-through, escape, data mode, marker";

    // The log: each step with CR LF behind it, the reply exactly as the module sent it.
    // (The module's answer to the data-mode command comes after the last read.)
    const QByteArray all = h.Sim().Transcript().Sent();
    const QByteArray sent = all.left(all.indexOf("AT*ADDM"));
    EXPECT_EQ(all.mid(sent.size()), "AT*ADDM\r\r\nOK\r\n");
    EXPECT_EQ(form.m_strOutput,
              QString::fromLatin1(kBtPassThru + "\r\n///\r\n" + sent + "AT*ADDM\r\r\n###\r\n"));
    EXPECT_TRUE(sent.startsWith("AT*AILBA?\r\r\n*AILBA:"));

    EXPECT_EQ(form.m_strDeviceAddress, "0012F3004A21");
    EXPECT_EQ(form.m_strVersion, "cB-OEMSPA33i 3.1.2");
    EXPECT_EQ(form.m_strLocalName, "BT Printer");
    EXPECT_EQ(form.m_nClassOfDevice, 263808);
    EXPECT_EQ(form.m_strFixedPin, "0");
    EXPECT_EQ(form.m_nDiscoverable, 2);
    EXPECT_EQ(form.m_nPowerSaveMode, 1);
    EXPECT_EQ(form.m_nSecurityMode, 0);
    h.Sim().WithPrinter([](CPrinterModel& p) {
        EXPECT_FALSE(p.InPassThrough()) << "### ends the pass-through";
        EXPECT_EQ(p.Bluetooth()->GetMode(), CRadioModule::Mode::Data);
    });
}

TEST(AtExchange, GuardTimesAreHonouredOnTheWire) {
    struct Case {
        int before, after;
    } cases[] = {{1100, 1100}, {1500, 2000}, {50, 50}};
    for (const Case& c : cases) {
        CSimHarness h;
        CBluetoothForm form = Opened<CBluetoothForm>();
        form.m_nSilenceBefore = c.before;
        form.m_nSilenceAfter = c.after;
        CAtExchange exchange(h.Link(), h.Services(), form);
        const auto result = exchange.Read(form);
        (void)Arrivals(h);
        const qint64 passThru = ArrivalOf(h, kBtPassThru);
        const qint64 escape = ArrivalOf(h, kEscape);
        const qint64 batch = ArrivalOf(h, "AT*AILBA?");
        ASSERT_GE(passThru, 0);
        ASSERT_GE(escape, 0);
        ASSERT_GE(batch, 0);
        EXPECT_GE(escape - passThru, c.before) << c.before;
        EXPECT_GE(batch - escape, c.after) << c.after;
        // The module takes the escape only with a second of silence on both sides.
        EXPECT_EQ(result.ok, c.before >= 1000 && c.after >= 1000) << c.before;
    }
}

TEST(AtExchange, BluetoothWriteWithTheDefaultsAndAfterClear) {
    for (bool cleared : {false, true}) {
        CSimHarness h;
        CBluetoothForm form = Opened<CBluetoothForm>();
        if (cleared)
            form.Clear();
        QVector<QByteArray> commands;
        ASSERT_TRUE(form.BuildWriteCommands(&commands, nullptr));
        CAtExchange exchange(h.Link(), h.Services(), form);
        const auto result = exchange.Write(form);

        QByteArray expected = kBtPassThru + kEscape;
        for (const QByteArray& c : commands)
            expected += c;
        EXPECT_EQ(h.TakeReceived(), expected + kEnd);
        // After Clear the radio groups send 0, which the module refuses: no "OK" there.
        const QVector<bool> ok =
            cleared ? QVector<bool>{true, true, true, false, false, false} : QVector<bool>(6, true);
        EXPECT_EQ(result.replies, ok);
        EXPECT_EQ(result.ok, !cleared);
        EXPECT_EQ(h.Services().StatusTexts(), WriteStatus(commands, ok));
        QList<int> pauses{1100, 1100};
        for (int i = 0; i < 12; ++i)
            pauses << 500;
        EXPECT_EQ(Pauses(h.Services()), pauses);
        // The log holds the replies, which echo each command, never the commands alone.
        const QByteArray all = h.Sim().Transcript().Sent();
        const QByteArray sent = all.left(all.indexOf("AT*ADDM"));
        EXPECT_EQ(form.m_strOutput,
                  QString::fromLatin1(kBtPassThru + "\r\n///\r\n" + sent + "AT*ADDM\r\r\n###\r\n"));
        h.Sim().WithPrinter([&](CPrinterModel& p) {
            EXPECT_EQ(p.Bluetooth()->StoredValue("AGLN"), cleared ? "" : "BT Printer");
            EXPECT_EQ(p.Bluetooth()->StoredValue("AGLC"), cleared ? "0" : "263808");
        });
    }
}

TEST(AtExchange, QuotedTextsSurviveTheRoundTrip) {
    CSimHarness h;
    CBluetoothForm form = Opened<CBluetoothForm>();
    form.m_strLocalName = "Till \"4\" \\ A";
    form.m_strFixedPin = "12\"34";
    form.m_nDiscoverable = 0;
    form.m_nPowerSaveMode = 2;
    form.m_nSecurityMode = 1;
    form.m_nClassOfDevice = 1234;
    {
        CAtExchange exchange(h.Link(), h.Services(), form);
        EXPECT_TRUE(exchange.Write(form).ok);
    }
    h.Sim().WithPrinter([](CPrinterModel& p) {
        EXPECT_EQ(p.Bluetooth()->StoredValue("AGLN"), "Till \"4\" \\ A");
        EXPECT_EQ(p.Bluetooth()->StoredValue("AGFP"), "12\"34");
        EXPECT_EQ(p.Bluetooth()->StoredValue("AGSM"), "2");
    });
    CBluetoothForm back = Opened<CBluetoothForm>();
    back.Clear();
    CAtExchange reader(h.Link(), h.Services(), back);
    EXPECT_TRUE(reader.Read(back).ok);
    EXPECT_EQ(back.m_strLocalName, form.m_strLocalName);
    EXPECT_EQ(back.m_strFixedPin, form.m_strFixedPin);
    EXPECT_EQ(back.m_nClassOfDevice, 1234);
    EXPECT_EQ(back.m_nDiscoverable, 0);
    EXPECT_EQ(back.m_nPowerSaveMode, 2);
    EXPECT_EQ(back.m_nSecurityMode, 1);
}

TEST(AtExchange, WlanWriteThenReadBack) {
    CSimHarness h;
    CWlanForm form = Opened<CWlanForm>();
    form.m_strSsid = "Shop \"floor\"";
    form.m_strChannel = "6";
    form.m_strOperationalMode = "1 = Managed";
    form.m_strAuthentication = "2 = WPA/WPA2 PSK";
    form.m_strEncryption = "4";
    form.m_strDataRate = "11";
    form.m_bLinkAdaptation = 0;
    form.m_strUserName = "op";
    form.m_strActiveKey = "2";
    form.m_strKeyIndex = "2";
    form.m_strKey = "secret";
    form.m_strIpAddress = "10.1.2.3";
    form.m_strNetmask = "255.0.0.0";
    form.m_strGateway = "192.168.100.254";
    form.m_nDhcp = 1;
    form.m_strHostName = "press7";
    form.m_strDnsPrimary = "10.0.0.1";
    form.m_strDnsSecondary = "192.168.100.200";
    QVector<QByteArray> commands;
    ASSERT_TRUE(form.BuildWriteCommands(&commands, nullptr));
    {
        CAtExchange exchange(h.Link(), h.Services(), form);
        const auto result = exchange.Write(form);
        EXPECT_TRUE(result.ok);
        EXPECT_EQ(result.answered, 13);
    }
    QByteArray expected = kWlanPassThru + kEscape;
    for (const QByteArray& c : commands)
        expected += c;
    EXPECT_EQ(h.TakeReceived(), expected + kEnd);
    h.Sim().WithPrinter([](CPrinterModel& p) {
        EXPECT_EQ(p.Wlan()->StoredValue("AGFPWI"), "2,secret");
        EXPECT_EQ(p.Wlan()->StoredValue("AGSSID"), "Shop \"floor\"");
    });

    CWlanForm back = Opened<CWlanForm>();
    back.Clear();
    back.m_strKey = "typed";
    h.Services().Clear();
    CAtExchange reader(h.Link(), h.Services(), back);
    EXPECT_TRUE(reader.Read(back).ok);
    QByteArray batch;
    for (const QString& q : CWlanForm::Queries())
        batch += q.toLatin1() + "?\r";
    EXPECT_EQ(h.TakeReceived(), kWlanPassThru + kEscape + batch + kEnd);
    EXPECT_EQ(back.m_strSsid, "Shop \"floor\"");
    EXPECT_EQ(back.m_strChannel, "6");
    EXPECT_EQ(back.m_strOperationalMode, "1");
    EXPECT_EQ(back.m_strAuthentication, "2");
    EXPECT_EQ(back.m_strEncryption, "4");
    EXPECT_EQ(back.m_strDataRate, "11");
    EXPECT_EQ(back.m_bLinkAdaptation, 0);
    EXPECT_EQ(back.m_strUserName, "op");
    EXPECT_EQ(back.m_strActiveKey, "2");
    EXPECT_EQ(back.m_strIpAddress, "10.1.2.3");
    EXPECT_EQ(back.m_strNetmask, "255.0.0.0");
    EXPECT_EQ(back.m_strGateway, "192.168.100.254");
    EXPECT_EQ(back.m_nDhcp, 1);
    EXPECT_EQ(back.m_strHostName, "press7");
    EXPECT_EQ(back.m_strDnsPrimary, "10.0.0.1");
    EXPECT_EQ(back.m_strDnsSecondary, "192.168.100.200");
    EXPECT_EQ(back.m_strKey, "typed");
    EXPECT_EQ(back.m_strDeviceAddress, "0012F3A1B2C4");
    EXPECT_EQ(back.m_strVersion, "cB-OWS451 2.0.4");
}

TEST(AtExchange, WlanEscapeTextsAreRepeatedWhole) {
    struct Case {
        QString escape;
        QByteArray sent;
    } cases[] = {{"", ""}, {"+", "+++"}, {"ab", "ababab"}};
    for (const Case& c : cases) {
        CSimHarness h;
        CWlanForm form = Opened<CWlanForm>();
        form.m_strEscapeChar = c.escape;
        CAtExchange exchange(h.Link(), h.Services(), form);
        exchange.Read(form);
        EXPECT_TRUE(h.TakeReceived().startsWith(kWlanPassThru + c.sent + "AT*AILBA?\r"));
        EXPECT_EQ(Pauses(h.Services()).mid(0, 2), (QList<int>{1100, 1100})) << "pauses kept";
        EXPECT_TRUE(h.Services().MessageTexts().isEmpty()) << "an empty escape is still written";
        EXPECT_TRUE(form.m_strOutput.startsWith(
            QString::fromLatin1(kWlanPassThru + "\r\n" + c.sent + "\r\n")));
        // Only the module's own escape switches it to AT mode.
        EXPECT_EQ(h.Services().StatusTexts().at(3),
                  c.escape == "/" ? "Success: Received OK." : "Error: Did not receive OK.");
    }
}

TEST(AtExchange, ModuleThatIgnoresTheEscapeOrAnswersWithoutOk) {
    for (bool ignores : {true, false}) {
        SimConfig config;
        config.faults.moduleIgnoresEscape = ignores;
        config.faults.moduleNoOk = !ignores;
        CSimHarness h(config);
        CBluetoothForm form = Opened<CBluetoothForm>();
        form.m_strLocalName = "mine";
        CAtExchange exchange(h.Link(), h.Services(), form);
        const auto result = exchange.Read(form);
        EXPECT_FALSE(result.ok);
        // What got no answer stays in the status bar after "Ready".
        EXPECT_EQ(h.Services().StatusTexts(),
                  (QStringList{"Wait...", "Wait...", "Waiting for a 'OK' characters...",
                               "Error: Did not receive OK.", "Ready",
                               "Error: No usable answer for: Bluetooth Device Address, "
                               "Bluetooth Device Version, Local Name, Class of Device, Fixed "
                               "PIN, Discoverable, Power Save Mode, Security Mode."}));
        EXPECT_EQ(form.m_strLocalName, "mine");
        EXPECT_EQ(form.m_nClassOfDevice, 263808);
        // Without its OK not even the address is taken.
        EXPECT_EQ(form.m_strDeviceAddress, "");
        if (ignores) {
            EXPECT_EQ(form.m_strOutput,
                      QString::fromLatin1(kBtPassThru + "\r\n///\r\nAT*ADDM\r\r\n###\r\n"))
                << "no reply, nothing logged for it";
        }
        EXPECT_TRUE(h.TakeReceived().endsWith(kEnd));
        EXPECT_EQ(h.Link().m_bOpen, 0);
    }
}

TEST(AtExchange, WriteWithoutAnyOkStillSendsEverything) {
    SimConfig config;
    config.faults.moduleNoOk = true;
    CSimHarness h(config);
    CWlanForm form = Opened<CWlanForm>();
    QVector<QByteArray> commands;
    ASSERT_TRUE(form.BuildWriteCommands(&commands, nullptr));
    CAtExchange exchange(h.Link(), h.Services(), form);
    const auto result = exchange.Write(form);
    EXPECT_EQ(result.outcome, Outcome::Completed);
    EXPECT_EQ(result.answered, 0);
    EXPECT_EQ(h.Services().StatusTexts(), WriteStatus(commands, QVector<bool>(13, false)));
    QByteArray expected = kWlanPassThru + kEscape;
    for (const QByteArray& c : commands)
        expected += c;
    EXPECT_EQ(h.TakeReceived(), expected + kEnd);
}

TEST(AtExchange, ReplyCutAtTheLargestSize) {
    // A name long enough to push the reply beyond 500 bytes: the name's next echo lies
    // beyond the cut, the answers after it are missing.
    CSimHarness h;
    h.Sim().WithPrinter([](CPrinterModel& p) {
        p.Bluetooth()->RestoreStored({{"AGLN", {QString(400, 'n')}}});
    });
    CBluetoothForm form = Opened<CBluetoothForm>();
    form.Clear();
    CAtExchange exchange(h.Link(), h.Services(), form);
    EXPECT_FALSE(exchange.Read(form).ok);
    EXPECT_EQ(h.Services().StatusTexts().at(3), "Error: Did not receive OK.");
    EXPECT_EQ(form.m_strVersion, "cB-OEMSPA33i 3.1.2");
    EXPECT_EQ(form.m_strLocalName, "");
    EXPECT_EQ(form.m_nClassOfDevice, 0);
    EXPECT_EQ(form.m_nSecurityMode, -1);
    // Exactly one read of 500 bytes: that much of the reply reached the log.
    const QString log = form.m_strOutput;
    const int start = int(log.indexOf("AT*AILBA?"));
    const int end = int(log.lastIndexOf("AT*ADDM\r\r\n"));
    EXPECT_EQ(end - start, CBluetoothForm::kLargestReply);
}

TEST(AtExchange, ReadSucceedsOnlyWhenEveryQuerySentWasAnswered) {
    const QString allMissing =
        "Error: No usable answer for: Bluetooth Device Address, Bluetooth Device Version, "
        "Local Name, Class of Device, Fixed PIN, Discoverable, Power Save Mode, Security Mode.";
    struct Case {
        const char* what;
        bool onlyOk;
        QString to;         // the UART the pass-through joins
        QString storedName; // the module's name, when set
        bool ok;
        QString lastStatus;
        QString name;
        int classOfDevice;
    } cases[] = {
        // The WLAN module on U2 answers ERROR to the six Bluetooth settings.
        {"bt on the wlan uart", false, "U2", "", false,
         "Error: No usable answer for: Local Name, Class of Device, Fixed PIN, Discoverable, "
         "Power Save Mode, Security Mode.",
         "mine", 263808},
        {"only OK", true, "U1", "", false, allMissing, "mine", 263808},
        // A name holding another answer's prefix or echo is the name, and only the name.
        {"name AGLC:5", false, "U1", "AGLC:5", true, "Ready", "AGLC:5", 263808},
        {"name with an echo", false, "U1", "Till AGLC? 3", true, "Ready", "Till AGLC? 3", 263808},
        {"name with OK", false, "U1", "BOOK\r\nOK", true, "Ready", "BOOK\r\nOK", 263808},
        // A reply cut at its 500 bytes after the discoverability's answer.
        {"cut before the last two", false, "U1", QString(300, 'n'), false,
         "Error: No usable answer for: Power Save Mode, Security Mode.", QString(300, 'n'), 263808},
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
        CBluetoothForm form = Opened<CBluetoothForm>();
        form.m_strPassThruTo = c.to;
        form.m_strLocalName = "mine";
        CAtExchange exchange(h.Link(), h.Services(), form);
        const auto result = exchange.Read(form);
        EXPECT_EQ(result.ok, c.ok) << c.what;
        const QStringList status = h.Services().StatusTexts();
        EXPECT_TRUE(status.contains(c.ok ? "Success: Received OK." : "Error: Did not receive OK."))
            << c.what;
        EXPECT_EQ(status.last(), c.lastStatus) << c.what;
        EXPECT_EQ(form.m_strLocalName, c.name) << c.what;
        EXPECT_EQ(form.m_nClassOfDevice, c.classOfDevice) << c.what;
        EXPECT_TRUE(h.TakeReceived().endsWith(kEnd)) << c.what;
    }
}

TEST(AtExchange, WriteVerdictIsTheModulesOwnLineAndTextsUseTheCodePage) {
    // A host name of 36 characters, which the module refuses with ERROR: its echo holds
    // "OK" (TOKYO), which is no answer.
    {
        CSimHarness h;
        CWlanForm form = Opened<CWlanForm>();
        form.m_strHostName = "TOKYO-STORE-BACKOFFICE-PRINTER-0001";
        CAtExchange exchange(h.Link(), h.Services(), form);
        const auto result = exchange.Write(form);
        EXPECT_FALSE(result.ok);
        EXPECT_EQ(result.answered, 12);
        EXPECT_FALSE(result.replies.value(11, true)) << "the host name";
        EXPECT_TRUE(
            form.m_strOutput.contains("TOKYO-STORE-BACKOFFICE-PRINTER-0001\",1\r\r\nERROR"));
    }
    // The euro sign goes out as 0x80 in Windows-1252 and reads back as itself.
    {
        CSimHarness h;
        CBluetoothForm form = Opened<CBluetoothForm>();
        form.m_strLocalName = QString::fromUtf8("\xE2\x82\xACuro");
        CAtExchange exchange(h.Link(), h.Services(), form);
        EXPECT_TRUE(exchange.Write(form).ok);
        EXPECT_TRUE(h.TakeReceived().contains("AT*AGLN=\"\x80uro\",1\r"));
        form.m_strLocalName.clear();
        EXPECT_TRUE(exchange.Read(form).ok);
        EXPECT_EQ(form.m_strLocalName, QString::fromUtf8("\xE2\x82\xACuro"));
    }
    // A character the code page lacks is refused, named, before anything is sent; in the
    // escape text too, which a Read sends.
    {
        CSimHarness h;
        CBluetoothForm form = Opened<CBluetoothForm>();
        form.m_strLocalName = QString::fromUtf8("\xC5\x81\xC3\xB3"
                                                "dz");
        CAtExchange exchange(h.Link(), h.Services(), form);
        EXPECT_EQ(exchange.Write(form).outcome, Outcome::Refused);
        form.m_strLocalName = "fine";
        form.m_strEscapeChar = QString::fromUtf8("\xE2\x86\x92");
        EXPECT_EQ(exchange.Read(form).outcome, Outcome::Refused);
        EXPECT_EQ(h.TakeReceived(), QByteArray()) << "nothing sent";
        EXPECT_EQ(
            h.Services().MessageTexts(),
            (QStringList{
                QString::fromUtf8("Local Name holds the character \"\xC5\x81\" (U+0141), which "
                                  "the printer's code page (Windows-1252) cannot carry. Nothing "
                                  "was sent."),
                QString::fromUtf8("Escape Sequence holds the character \"\xE2\x86\x92\" "
                                  "(U+2192), which the printer's code page (Windows-1252) "
                                  "cannot carry. Nothing was sent.")}));
    }
}

TEST(AtExchange, ReadInTextTooLongIsRefusedAtWriteBeforeAnythingIsSent) {
    CSimHarness h;
    h.Sim().WithPrinter([](CPrinterModel& p) {
        p.Wlan()->RestoreStored({{"ANHN", {QString(300, 'h')}}});
    });
    CWlanForm form = Opened<CWlanForm>();
    CAtExchange exchange(h.Link(), h.Services(), form);
    EXPECT_TRUE(exchange.Read(form).ok);
    EXPECT_EQ(form.m_strHostName, QString(300, 'h'));
    (void)h.TakeReceived();
    h.Services().Clear();
    const auto result = exchange.Write(form);
    EXPECT_EQ(result.outcome, Outcome::Refused);
    EXPECT_EQ(h.TakeReceived(), QByteArray()) << "nothing sent";
    ASSERT_EQ(h.Services().MessageTexts().size(), 1);
    EXPECT_TRUE(h.Services().MessageTexts()[0].startsWith("Host Name is too long"));
    EXPECT_EQ(h.Services().Messages()[0].caption, "KVU");
    EXPECT_TRUE(h.Services().StatusTexts().isEmpty());
}

TEST(AtExchange, PortThatCannotBeOpened) {
    CVirtualClock clock;
    CRecordingServices services(&clock);
    CPortMap ports;
    ports.SetSessionDevice("COM1", "/nonexistent/tty-kvu");
    CSerialPort link;
    link.SetPortMap(&ports);
    link.SetServices(&services);
    for (bool read : {true, false}) {
        services.Clear();
        CBluetoothForm form = Opened<CBluetoothForm>();
        CAtExchange exchange(link, services, form);
        const auto result = read ? exchange.Read(form) : exchange.Write(form);
        EXPECT_EQ(result.outcome, Outcome::OpenFailed);
        // The pass-through's own message, the escape's, the AT commands'; the exchange
        // ends there: no data-mode command, no marker, so no further message.
        EXPECT_EQ(services.MessageTexts(),
                  (QStringList{"Serial transmission error.", "Error: Couldn't open serial port.",
                               "Error: Couldn't open serial port."}));
        EXPECT_EQ(services.StatusTexts(), (QStringList{"Wait...", "Wait...", "Ready", "Ready"}));
        EXPECT_EQ(form.m_strOutput, QString::fromLatin1(kBtPassThru + "\r\n"))
            << "a failed escape is not logged";
        EXPECT_EQ(services.WaitDepth(), 0);
        EXPECT_EQ(link.m_bOpen, 0);
    }
}

namespace {
// Pulls the cable at a chosen moment: during the first pause (the guard time before the
// escape sequence), or when the escape step begins (right after the pass-through command).
class CHangupServices : public CRecordingServices {
public:
    enum class When { FirstPause, SecondPause, EscapeStarts };
    CHangupServices(CPtyPair& pty, When when) : m_pty(pty), m_when(when) {}
    void Pause(int ms) override {
        ++m_pauses;
        if ((m_when == When::FirstPause && m_pauses == 1) ||
            (m_when == When::SecondPause && m_pauses == 2))
            HangupOnce();
        CRecordingServices::Pause(ms);
    }
    void Status(const QString& text) override {
        if (m_when == When::EscapeStarts && text == QLatin1String("Wait...") && ++m_waits == 2)
            HangupOnce();
        CRecordingServices::Status(text);
    }

private:
    void HangupOnce() {
        if (!m_done) {
            m_done = true;
            m_pty.Hangup();
        }
    }
    CPtyPair& m_pty;
    When m_when;
    int m_waits = 0;
    int m_pauses = 0;
    bool m_done = false;
};

struct PtyLink {
    CPtyPair pty;
    CHangupServices services;
    CPortMap ports;
    CSerialPort link;
    explicit PtyLink(CHangupServices::When when) : services(pty, when) {
        ports.SetSessionDevice("COM1", pty.SlavePath());
        link.SetPortMap(&ports);
        link.SetServices(&services);
    }
};
} // namespace

TEST(AtExchange, LinkDroppedRightAfterThePassThruCommand) {
    // The escape cannot open the link and the exchange goes on; the AT commands cannot
    // open it either and the exchange ends there: no data-mode command, no marker.
    PtyLink p(CHangupServices::When::EscapeStarts);
    ASSERT_TRUE(p.pty.IsValid());
    CBluetoothForm form = Opened<CBluetoothForm>();
    CAtExchange exchange(p.link, p.services, form);
    const auto result = exchange.Read(form);
    EXPECT_EQ(result.outcome, Outcome::OpenFailed);
    EXPECT_EQ(p.services.MessageTexts(), (QStringList{"Error: Couldn't open serial port.",
                                                      "Error: Couldn't open serial port."}));
    EXPECT_EQ(p.services.StatusTexts(), (QStringList{"Wait...", "Wait...", "Ready", "Ready"}));
    EXPECT_EQ(form.m_strOutput, QString::fromLatin1(kBtPassThru + "\r\n"));
    EXPECT_EQ(Pauses(p.services), QList<int>()) << "no guard pauses without a link";
    EXPECT_EQ(p.link.m_bOpen, 0);
}

TEST(AtExchange, EscapeWriteFailureClosesTheLinkAndGoesOn) {
    PtyLink p(CHangupServices::When::FirstPause);
    ASSERT_TRUE(p.pty.IsValid());
    CSerialPort& link = p.link;
    CRecordingServices& services = p.services;
    CWlanForm form = Opened<CWlanForm>();
    CAtExchange exchange(link, services, form);
    const auto result = exchange.Write(form);
    EXPECT_EQ(result.outcome, Outcome::OpenFailed);
    EXPECT_EQ(services.MessageTexts(), (QStringList{"Error: Couldn't transmit through serial port.",
                                                    "Error: Couldn't open serial port."}));
    EXPECT_EQ(services.StatusTexts(), (QStringList{"Wait...", "Wait...", "Ready", "Ready"}));
    EXPECT_EQ(Pauses(services), QList<int>{1100}) << "no pause after a failed write";
    EXPECT_EQ(form.m_strOutput, QString::fromLatin1(kWlanPassThru + "\r\n"));
    EXPECT_EQ(link.m_bOpen, 0);
    EXPECT_EQ(services.WaitDepth(), 0);
}

TEST(AtExchange, PrinterThatDropsTheLinkAfterTheEscape) {
    // The cable is pulled in the guard time after the escape: the AT commands cannot be
    // sent, the exchange ends with the link closed, and nothing waits any longer.
    for (bool read : {true, false}) {
        PtyLink p(CHangupServices::When::SecondPause);
        ASSERT_TRUE(p.pty.IsValid());
        CBluetoothForm form = Opened<CBluetoothForm>();
        CAtExchange exchange(p.link, p.services, form);
        const auto result = read ? exchange.Read(form) : exchange.Write(form);
        EXPECT_EQ(result.outcome, Outcome::OpenFailed);
        EXPECT_FALSE(result.ok);
        EXPECT_EQ(p.services.MessageTexts(), QStringList{"Error: Couldn't open serial port."});
        EXPECT_EQ(p.services.StatusTexts(), (QStringList{"Wait...", "Wait...", "Ready"}));
        EXPECT_EQ(Pauses(p.services), (QList<int>{1100, 1100}));
        EXPECT_EQ(form.m_strOutput, QString::fromLatin1(kBtPassThru + "\r\n///\r\n"));
        EXPECT_EQ(p.link.m_bOpen, 0);
        EXPECT_EQ(p.services.WaitDepth(), 0);
    }
}
