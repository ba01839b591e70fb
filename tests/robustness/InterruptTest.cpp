// An exchange interrupted (a terminal's Ctrl-C or SIGTERM) between its steps, in a pause
// or in a wait of the link, on the virtual clock: it ends at once with its own result,
// sends nothing more (the radio exchanges only their closing steps), closes the link,
// says after which step it stopped and what the printer may be left doing, and once the
// user has done what it says, the next command reaches the printer.

#include "SimHarness.h"
#include "logo/LogoRaster.h"
#include "logo/LogoTransfer.h"
#include "module1/AttributeForm.h"
#include "module1/AttributeProgrammer.h"
#include "module1/SupervisoryQuery.h"
#include "wireless/AtExchange.h"
#include "wireless/BluetoothForm.h"
#include "wireless/WlanForm.h"

#include <gtest/gtest.h>

#include <functional>

namespace {
const QByteArray kBurnStart("\x1B"
                            "EN\x1BXX\x1B"
                            "DS");
const QByteArray kBold("\x1BU1");
const QByteArray kBurnEnd("\x1BST\xFF\r\x1BSB\r", 9);
const QByteArray kPrologue("\x1BXX\x1B"
                           "DL\r");

CAttributeForm BoldForm() {
    CAttributeForm form;
    form.m_bBold = 1;
    return form;
}

CLogoRaster SmallRaster() {
    CLogoRaster raster;
    raster.m_nHeight = 4;
    raster.Row(0)[0] = 0x80;
    return raster;
}

template <class Form> Form OpenedForm() {
    Form form;
    form.InitDialog();
    return form;
}

// Runs the exchange; true when it ended with its interrupted result.
using Run = std::function<bool(CSimHarness&)>;

bool Burn(CSimHarness& h) {
    return CAttributeProgrammer(h.Link(), h.Services()).Burn(BoldForm()) ==
           CAttributeProgrammer::BurnResult::Interrupted;
}

bool Flash(CSimHarness& h) {
    return CLogoTransfer(h.Link(), h.Services()).FlashLogo(SmallRaster(), 2) ==
           CLogoTransfer::Result::Interrupted;
}

template <class Form> bool Radio(CSimHarness& h, bool write) {
    Form form = OpenedForm<Form>();
    const QString before = form.m_strOutput;
    CAtExchange exchange(h.Link(), h.Services(), form);
    const CAtExchange::Result r = write ? exchange.Write(form) : exchange.Read(form);
    return r.outcome == CAtExchange::Outcome::Interrupted && !r.ok;
}

struct Row {
    const char* name;
    Run run;
    // Where the interrupt comes: after the status text that starts so, or (empty) as the
    // pause with this number begins.
    const char* afterStatus;
    int atPause;
    // What the printer has received when it is over, from the start.
    QByteArray received;
    bool wholeReceived; // received is all of it, not only its start
    // What the message says of the printer, and how long the user waits as it says.
    const char* note;
    int waitMs;
};

QString MessageStart(const Row& row) {
    return row.afterStatus ? QStringLiteral("Interrupted after \"%1").arg(row.afterStatus)
                           : QStringLiteral("Interrupted");
}
} // namespace

TEST(Interrupt, EveryExchangeEndsAtOnceAndSaysWhatThePrinterIsLeftDoing) {
    const QByteArray btPass("\x1BPU0U1T999\r");
    const QByteArray wlanPass("\x1BPU0U2T999\r");
    const Row rows[] = {
        {"burn after ESC-EN", Burn, "Sent ESC-EN.", 0,
         "\x1B"
         "EN",
         true, "waiting for the rest of the programming sequence", 0},
        {"burn in the '?' wait", Burn, "Waiting for a '?'", 0, kBurnStart, true,
         "waiting for the rest of the programming sequence", 0},
        {"burn after the stream", Burn, "Sent user commands.", 0, kBurnStart + "\x1BSL" + kBold,
         true, "still be collecting the attribute stream", 10000},
        {"burn after ESC-ST", Burn, "Sent ESC-ST", 0,
         kBurnStart + "\x1BSL" + kBold + "\x1BST\xFF\r", true, "not told to burn it", 0},
        {"burn in the reply wait", Burn, "Sent ESC-SB-<CR>.", 0,
         kBurnStart + "\x1BSL" + kBold + kBurnEnd, true, "may be burning", 3000},
        {"flash in the lines", Flash, "Received a '?' character. Sending image data.", 0,
         kPrologue + "\x1BLG2\r", false, "partial logo", 0},
        {"flash after the epilogue", Flash, nullptr, 7, kPrologue + "\x1BLG2\r", false,
         "storing the logo in slot 2", 3000},
        // In the guard time before the escape: the module never left data mode, so only
        // the marker goes out.
        {"bt read before the escape",
         [](CSimHarness& h) { return Radio<CBluetoothForm>(h, false); }, nullptr, 1, btPass + "###",
         true, "Sent ### to end the pass-through.", 0},
        {"bt read in the reply wait",
         [](CSimHarness& h) { return Radio<CBluetoothForm>(h, false); },
         "Waiting for a 'OK' characters...", 0, btPass + "///", false,
         "Sent AT*ADDM and ### to end the pass-through.", 0},
        {"bt write after the first command",
         [](CSimHarness& h) { return Radio<CBluetoothForm>(h, true); }, "Sent AT*", 0,
         btPass + "///", false, "Sent AT*ADDM and ### to end the pass-through.", 0},
        {"wlan write after the escape", [](CSimHarness& h) { return Radio<CWlanForm>(h, true); },
         nullptr, 2, wlanPass + "///AT*ADDM\r###", true,
         "Sent AT*ADDM and ### to end the pass-through.", 0},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        CSimHarness h;
        ASSERT_TRUE(h.Started());
        if (row.afterStatus)
            h.Services().InterruptAt(QLatin1String(row.afterStatus));
        else
            h.Services().InterruptAtPause(row.atPause);
        EXPECT_TRUE(row.run(h)) << "not the interrupted result";
        EXPECT_EQ(h.Link().m_bOpen, 0);
        EXPECT_EQ(h.Services().WaitDepth(), 0);
        EXPECT_EQ(h.Services().StatusTexts().value(h.Services().StatusTexts().size() - 1), "Ready");

        // One message, and no failure of its own: the interrupt is no transmission error.
        const QStringList messages = h.Services().MessageTexts();
        ASSERT_EQ(messages.size(), 1) << messages.join(" | ").toStdString();
        EXPECT_TRUE(messages[0].startsWith(MessageStart(row))) << qPrintable(messages[0]);
        EXPECT_TRUE(messages[0].contains(QLatin1String(row.note))) << qPrintable(messages[0]);

        const QByteArray received = h.TakeReceived();
        if (row.wholeReceived) {
            EXPECT_EQ(received, row.received);
        } else {
            EXPECT_TRUE(received.startsWith(row.received)) << received.toHex().toStdString();
            EXPECT_FALSE(received.contains(CLogoTransfer::DownloadEpilogue()) &&
                         QByteArray(row.name).startsWith("flash in"));
        }
        // A radio exchange leaves the printer its own again: it relays no more.
        if (received.startsWith("\x1BP")) {
            EXPECT_TRUE(received.endsWith("###"));
        }
        EXPECT_FALSE(h.Sim().WithPrinter([](CPrinterModel& p) { return p.InPassThrough(); }));

        // Once the user has waited as told, the printer answers the next query itself
        // (what it still sent for the cut exchange is not the query's).
        h.Clock().Advance(1000 + row.waitMs);
        h.Services().InterruptAt(QString());
        ASSERT_TRUE(h.Link().Open(50, 5));
        h.Link().DiscardInput();
        h.Link().Close();
        const CSupervisoryQuery::Reply reply =
            CSupervisoryQuery(h.Link(), h.Services()).Send(CSupervisoryQuery::kBatteryStatus);
        EXPECT_TRUE(reply.bytes.startsWith("\x1BV")) << reply.bytes.toHex().toStdString();
    }
}

TEST(Interrupt, AQueryWhoseReplyIsOnlyItsEchoGotNoReply) {
    // A printer left relaying to its radio module (an exchange killed before its closing
    // steps): the module in AT mode echoes the query's byte, which is no reply.
    CSimHarness h;
    ASSERT_TRUE(h.Started());
    CBluetoothForm form = OpenedForm<CBluetoothForm>();
    CAtExchange exchange(h.Link(), h.Services(), form);
    exchange.SendPassThruCommand();
    exchange.SendEscapeSequence();
    for (const QByteArray* query :
         {&CSupervisoryQuery::kBatteryStatus, &CSupervisoryQuery::kFirmwareVersion}) {
        const CSupervisoryQuery::Reply reply =
            CSupervisoryQuery(h.Link(), h.Services()).Send(*query);
        EXPECT_TRUE(reply.exchanged);
        EXPECT_TRUE(reply.bytes.isEmpty()) << reply.bytes.toHex().toStdString();
        EXPECT_TRUE(reply.response.isEmpty());
    }
}
