// Every exchange against every fault the simulated printer can play, on the virtual clock.
// For each cell: the user sees exactly the message that failure calls for, the link is
// closed, the status ends at "Ready", nothing waits longer than the exchange's pauses and
// read time-outs, and the next exchange on the same COM name works once the fault is gone.
// A new exchange is one more row of Exchanges() with its expected message per fault.

#include "SimHarness.h"
#include "logo/LogoRaster.h"
#include "logo/LogoTransfer.h"
#include "module1/AttributeForm.h"
#include "module1/AttributeProgrammer.h"
#include "module1/MacroSession.h"
#include "module1/SupervisoryQuery.h"

#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <cstdio>
#include <functional>
#include <map>
#include <string>
#include <vector>

namespace {
// Real time a run may spend beyond its pauses and read time-outs: opening the port, the
// simulator catching up after each pause, a loaded machine (the sanitizer build).
constexpr qint64 kOverheadMs = 3000;

const QString kQuestionTimedOut = QStringLiteral("Timed out waiting for a '?' character.\n"
                                                 "Continue anyway?");
const QString kBurnConfirmed = QStringLiteral("Success: Received D!X.\nShut off printer.");
const QString kNoConfirmation = QStringLiteral("Error: Did not receive D!X.");
const QString kCannotTransmit = QStringLiteral("Error: Couldn't transmit through serial port.");
const QString kCannotOpen = QStringLiteral("Error: Couldn't open serial port.");
const QString kLinkError = QStringLiteral("Serial transmission error.");
const QString kCommunicationError = QStringLiteral("Serial communication error.");
const QString kPortNotOpened = QStringLiteral("Com port could not be opened.");
const QString kFlashNoQuestion = QStringLiteral("Timed out waiting for a '?' character.");
const QString kFlashDone = QStringLiteral("Done.\nShut off printer.");

// What the exchanges without a printer state to look at leave for the recovery check.
bool g_lastQueryAnswered = false;

// The form's choice (underline or not) as bytes the other exchanges can carry.
QByteArray UnderlineBytes(const CAttributeForm& form) {
    return form.m_bUnderline ? QByteArray("\x1BUU") : QByteArray("\x1BUu");
}

// A file of one line that sets the form's underline when the printer takes it.
QString FileFor(const CAttributeForm& form) {
    static QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("send.txt"));
    QFile f(path);
    f.open(QIODevice::WriteOnly);
    f.write(UnderlineBytes(form) + "\r\n");
    return path;
}

// A small raster: the flash is about the exchange, not the picture.
CLogoRaster SmallRaster() {
    CLogoRaster raster;
    raster.m_nHeight = 4;
    raster.Row(0)[0] = 0x80;
    return raster;
}

struct Fault {
    std::string name;
    std::function<void(SimConfig&)> configure;
    // Runs on the ready harness just before the exchange (the port vanishing).
    std::function<void(CSimHarness&)> beforeExchange;
    // Answers to the exchange's questions, in order.
    std::vector<MsgAnswer> answers;
    // The pseudo-terminal is gone afterwards: recovery needs a fresh simulated printer
    // behind the same COM name, as a re-plugged adapter would be.
    bool portGone = false;
};

const std::vector<Fault>& Faults() {
    static const std::vector<Fault> faults = {
        {"silent printer", [](SimConfig& c) { c.faults.silent = true; }, nullptr,
         {MsgAnswer::Yes}},
        // The "?" comes after the 2 s pause and the 100 reads are over.
        {"late '?'", [](SimConfig& c) { c.faults.questionDelayMs = 6000; }, nullptr,
         {MsgAnswer::No}},
        // A hundred noise bytes use up every read of the "?" wait.
        {"noise", [](SimConfig& c) { c.faults.noiseBeforeQuestion = 100; }, nullptr,
         {MsgAnswer::Yes}},
        {"no confirmation", [](SimConfig& c) { c.faults.noDx = true; }, nullptr, {}},
        {"reply cut short", [](SimConfig& c) { c.faults.cutReplyAt = 2; }, nullptr, {}},
        {"zero byte in reply", [](SimConfig& c) { c.faults.dxAfterZero = true; }, nullptr, {}},
        // After ESC-EN and ESC-XX the cable is pulled.
        {"link dropped", [](SimConfig& c) { c.faults.dropAfterBytes = 6; }, nullptr, {}, true},
        // After ESC-DS: every read of the "?" wait fails; going on, the next write fails.
        {"dropped in wait", [](SimConfig& c) { c.faults.dropAfterBytes = 9; }, nullptr,
         {MsgAnswer::Yes}, true},
        // After the last command of the burn (30 bytes with BoldForm()): the final read
        // fails instead of bringing "D!X".
        {"dropped at reply", [](SimConfig& c) { c.faults.dropAfterBytes = 30; }, nullptr, {},
         true},
        {"port vanished", [](SimConfig&) {}, [](CSimHarness& h) { h.Sim().Hangup(); }, {}, true},
    };
    return faults;
}

struct Exchange {
    std::string name;
    // The exchange on the program's link, as a page or kvuctl starts it.
    std::function<void(CSerialPort&, IUiServices&, const CAttributeForm&)> run;
    // Its fixed pauses and the longest sum of read time-outs on any path.
    qint64 pausesMs;
    qint64 readTimeoutsMs;
    // Whether the exchange shows status texts (and so must end at "Ready").
    bool showsStatus;
    // The messages after success, and per fault (every fault needs its row).
    QStringList messagesOnSuccess;
    std::map<std::string, QStringList> messagesUnderFault;
    // Whether the printer took the recovery form (underline set).
    std::function<bool(CPrinterModel&)> tookUnderline;
};

const std::vector<Exchange>& Exchanges() {
    static const std::vector<Exchange> exchanges = {
        {"Configure",
         [](CSerialPort& link, IUiServices& ui, const CAttributeForm& form) {
             CAttributeProgrammer(link, ui).Configure(form);
         },
         0, 0, false, {},
         // Nothing is read back, so a printer that answers badly or drops the line after
         // taking the bytes cannot be noticed; a port that is gone can.
         {{"silent printer", {}},
          {"late '?'", {}},
          {"noise", {}},
          {"no confirmation", {}},
          {"reply cut short", {}},
          {"zero byte in reply", {}},
          {"link dropped", {}},
          {"dropped in wait", {}},
          {"dropped at reply", {}},
          {"port vanished", {kLinkError}}},
         [](CPrinterModel& p) { return p.Attributes().underline; }},
        {"Burn",
         [](CSerialPort& link, IUiServices& ui, const CAttributeForm& form) {
             CAttributeProgrammer(link, ui).Burn(form);
         },
         // 1 s, then nine pauses of 2 s; 100 one-byte reads of 15 ms and one read of
         // 1000 bytes (5 x 1000 + 10 ms).
         CAttributeProgrammer::kBurnPauseMs,
         CAttributeProgrammer::kQuestionReads * 15 + 5 * CAttributeProgrammer::kReplySize + 10,
         true, {kBurnConfirmed},
         {{"silent printer", {kQuestionTimedOut, kNoConfirmation}},
          {"late '?'", {kQuestionTimedOut}},
          // Going on anyway, the printer still confirms: the "?" left over only comes
          // before the "D!X".
          {"noise", {kQuestionTimedOut, kBurnConfirmed}},
          {"no confirmation", {kNoConfirmation}},
          {"reply cut short", {kNoConfirmation}},
          {"zero byte in reply", {kNoConfirmation}},
          {"link dropped", {kCannotTransmit}},
          {"dropped in wait", {kQuestionTimedOut, kCannotTransmit}},
          {"dropped at reply", {kNoConfirmation}},
          {"port vanished", {kCannotOpen}}},
         [](CPrinterModel& p) { return p.PowerUpAttributes().underline; }},
    };
    return exchanges;
}

// The exchanges of the other pages: each reaches the printer once; only a port that is
// gone (and for Flash, a printer that never sends its "?") is something they can notice.
std::map<std::string, QStringList> OnlyWhenThePortIsGone(const QStringList& gone) {
    std::map<std::string, QStringList> cells;
    for (const Fault& f : Faults())
        cells[f.name] = f.name == "port vanished" ? gone : QStringList();
    return cells;
}

const std::vector<Exchange>& MoreExchanges() {
    static const std::vector<Exchange> exchanges = [] {
        std::vector<Exchange> rows;
        rows.push_back({"Query",
                        [](CSerialPort& link, IUiServices& ui, const CAttributeForm&) {
                            g_lastQueryAnswered =
                                !CSupervisoryQuery(link, ui)
                                     .Send(CSupervisoryQuery::kBatteryStatus)
                                     .bytes.isEmpty();
                        },
                        // One read of up to 100 bytes: 5 x 100 + 10 ms.
                        0, 5 * CSupervisoryQuery::kReplySize + 10, true, {},
                        OnlyWhenThePortIsGone({kCommunicationError}),
                        [](CPrinterModel&) { return g_lastQueryAnswered; }});
        rows.push_back({"Macro",
                        [](CSerialPort& link, IUiServices& ui, const CAttributeForm& form) {
                            CMacroSession session(link, ui);
                            if (session.OpenLink())
                                session.SendMacro(form.m_bUnderline ? "^[UU" : "^[Uu");
                            session.CloseLink();
                        },
                        0, 0, false, {}, OnlyWhenThePortIsGone({kPortNotOpened}),
                        [](CPrinterModel& p) { return p.Attributes().underline; }});
        rows.push_back({"Send file",
                        [](CSerialPort& link, IUiServices& ui, const CAttributeForm& form) {
                            CMacroSession session(link, ui);
                            if (session.OpenLink()) {
                                session.StartSendFile(FileFor(form));
                                for (int i = 0; i < 10 && session.IsSending(); ++i)
                                    session.SendStep();
                            }
                            session.CloseLink();
                        },
                        0, 0, false, {}, OnlyWhenThePortIsGone({kPortNotOpened}),
                        [](CPrinterModel& p) { return p.Attributes().underline; }});
        {
            // The slot tells the runs apart: the faulty run flashes slot 0, the next one
            // slot 1.
            std::map<std::string, QStringList> flash;
            const QStringList noQuestion = {kFlashNoQuestion, kCommunicationError};
            flash["silent printer"] = noQuestion;
            flash["late '?'"] = noQuestion; // 50 reads of 15 ms are over before it comes
            flash["noise"] = noQuestion;    // a hundred bytes use up the 50 reads
            flash["no confirmation"] = {kFlashDone};
            flash["reply cut short"] = {kFlashDone};
            flash["zero byte in reply"] = {kFlashDone};
            flash["link dropped"] = noQuestion;          // gone within the prologue
            flash["dropped in wait"] = {kCommunicationError};  // gone after the slot select
            flash["dropped at reply"] = {kCommunicationError}; // gone in the first line
            flash["port vanished"] = {kCommunicationError};
            rows.push_back({"Flash",
                            [](CSerialPort& link, IUiServices& ui, const CAttributeForm& form) {
                                CLogoTransfer(link, ui).FlashLogo(SmallRaster(),
                                                                  form.m_bUnderline ? 1 : 0);
                            },
                            CLogoTransfer::FlashPauseMs(4), CLogoTransfer::kQuestionReads * 15,
                            true, {kFlashDone}, flash,
                            [](CPrinterModel& p) { return p.Slot(1).stored; }});
        }
        return rows;
    }();
    return exchanges;
}

// Status texts are checked by ExpectCleanEnd only for the exchanges that end at "Ready".
bool EndsAtReady(const Exchange& ex) {
    return ex.showsStatus && ex.name != "Send file";
}

CAttributeForm BoldForm() {
    CAttributeForm form;
    form.m_bBold = 1;
    form.m_nFont = 3;
    form.m_strLineSpacing = QStringLiteral("24");
    return form;
}

CAttributeForm UnderlineForm() {
    CAttributeForm form;
    form.m_bUnderline = 1;
    form.m_strSleepMinutes = QStringLiteral("10");
    return form;
}

int FailedParts() {
    const testing::TestResult* r = testing::UnitTest::GetInstance()->current_test_info()->result();
    int failed = 0;
    for (int i = 0; i < r->total_part_count(); ++i)
        failed += r->GetTestPartResult(i).failed() ? 1 : 0;
    return failed;
}

// What one run of an exchange left behind.
void ExpectCleanEnd(CSimHarness& h, const Exchange& ex, const QStringList& messages) {
    EXPECT_EQ(h.Services().MessageTexts(), messages);
    EXPECT_EQ(h.Link().m_bOpen, 0) << "the link must be closed afterwards";
    EXPECT_EQ(h.Services().WaitDepth(), 0) << "the wait cursor must be gone";
    const QStringList status = h.Services().StatusTexts();
    if (EndsAtReady(ex)) {
        ASSERT_FALSE(status.isEmpty());
        EXPECT_EQ(status.last(), "Ready");
    } else if (!ex.showsStatus && ex.name != "Send file") {
        EXPECT_TRUE(status.isEmpty()) << status.join(" | ").toStdString();
    }
}

// Runs one cell; *elapsedMs is how long the faulty exchange took on the virtual clock.
void RunCell(const Exchange& ex, const Fault& fault, qint64* elapsedMs) {
    SimConfig config;
    fault.configure(config);
    CSimHarness h(config);
    ASSERT_TRUE(h.Started());
    if (fault.beforeExchange)
        fault.beforeExchange(h);
    for (MsgAnswer a : fault.answers)
        h.Services().ScriptAnswer(a);

    const qint64 start = h.Clock().NowMs();
    const qint64 advancedBefore = h.Clock().Advanced();
    ex.run(h.Link(), h.Services(), BoldForm());
    const qint64 elapsed = h.Clock().NowMs() - start;
    const qint64 paused = h.Clock().Advanced() - advancedBefore;
    *elapsedMs = elapsed;

    const auto expected = ex.messagesUnderFault.find(fault.name);
    ASSERT_NE(expected, ex.messagesUnderFault.end()) << "no expected messages for this fault";
    ExpectCleanEnd(h, ex, expected->second);
    EXPECT_LE(paused, ex.pausesMs) << "paused longer than the exchange's pauses";
    EXPECT_LE(elapsed, ex.pausesMs + ex.readTimeoutsMs + kOverheadMs)
        << "waited longer than the pauses (" << ex.pausesMs << " ms) and read time-outs ("
        << ex.readTimeoutsMs << " ms)";

    // The fault cleared, the next exchange through the same link and COM name works.
    std::unique_ptr<CSimulator> replugged;
    if (fault.portGone) {
        replugged = std::make_unique<CSimulator>(SimConfig{}, &h.Clock());
        ASSERT_TRUE(replugged->Start());
        replugged->AttachTo(h.Clock());
        h.Core().m_ports.SetSessionDevice(QStringLiteral("COM1"), replugged->DevicePath());
    } else {
        h.Sim().WithPrinter([](CPrinterModel& p) { p.Config().faults = SimFaults{}; });
    }
    CSimulator& printer = replugged ? *replugged : h.Sim();
    h.Services().Clear();
    ex.run(h.Link(), h.Services(), UnderlineForm());
    {
        SCOPED_TRACE("the next exchange after the fault");
        ExpectCleanEnd(h, ex, ex.messagesOnSuccess);
        printer.Settle();
        EXPECT_TRUE(printer.WithPrinter(ex.tookUnderline)) << "the printer did not take it";
    }
}
} // namespace

TEST(FaultMatrix, EveryExchangeUnderEveryFault) {
    std::map<std::pair<std::string, std::string>, std::string> cells;
    std::vector<Exchange> all = Exchanges();
    all.insert(all.end(), MoreExchanges().begin(), MoreExchanges().end());
    for (const Exchange& ex : all) {
        for (const Fault& fault : Faults()) {
            SCOPED_TRACE(ex.name + " / " + fault.name);
            const int before = FailedParts();
            qint64 elapsed = -1;
            RunCell(ex, fault, &elapsed);
            char cell[32];
            std::snprintf(cell, sizeof cell, "%s %5.1f s", FailedParts() == before ? "pass" : "FAIL",
                          double(elapsed) / 1000.0);
            cells[{ex.name, fault.name}] = cell;
        }
    }

    // The coverage at a glance, with the time each faulty exchange took (virtual clock).
    std::printf("\n%-12s", "exchange");
    for (const Fault& fault : Faults())
        std::printf(" | %-18s", fault.name.c_str());
    std::printf("\n");
    for (const Exchange& ex : all) {
        std::printf("%-12s", ex.name.c_str());
        for (const Fault& fault : Faults())
            std::printf(" | %-18s", cells[{ex.name, fault.name}].c_str());
        std::printf(" | bound %.1f s\n", double(ex.pausesMs + ex.readTimeoutsMs) / 1000.0);
    }
    std::fflush(stdout);
}
