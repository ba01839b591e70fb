// Every exchange against every fault the simulated printer can play, on the virtual clock.
// For each cell: the user sees exactly the message that failure calls for, the link is
// closed, the status ends at "Ready", nothing waits longer than the exchange's pauses and
// read time-outs, and the next exchange on the same COM name works once the fault is gone.
// A new exchange is one more row of Exchanges() with its expected message per fault.

#include "SimHarness.h"
#include "app/ForwardingUiServices.h"
#include "logo/LogoRaster.h"
#include "logo/LogoTransfer.h"
#include "module1/AttributeForm.h"
#include "module1/AttributeProgrammer.h"
#include "module1/MacroSession.h"
#include "module1/SupervisoryQuery.h"
#include "wireless/AtExchange.h"
#include "wireless/BluetoothForm.h"
#include "wireless/WlanForm.h"

#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <functional>
#include <map>
#include <string>
#include <vector>

namespace {
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
    // The exchanges the fault changes anything for (empty: every exchange). A fault of the
    // "?" handshake or of the burn's confirmation leaves a query as it was: such a cell is
    // shown as "-", not run and counted as a pass.
    std::vector<std::string> onlyFor = {};
};

const std::vector<std::string> kHandshakes = {"Burn", "Flash"};
const std::vector<std::string> kReplies = {"Burn",     "Query",     "BT Read",
                                           "BT Write", "WLAN Read", "WLAN Write"};
const std::vector<std::string> kRadio = {"BT Read", "BT Write", "WLAN Read", "WLAN Write"};
// A module that never answers, or answers too little or without "OK".
const std::vector<std::string> kRadioVerdictFaults = {"silent printer", "reply cut short",
                                                      "module ignores escape", "module without OK"};
const QString kOkStatus = QStringLiteral("Success: Received OK.");
const QString kNoOkStatus = QStringLiteral("Error: Did not receive OK.");

bool Applies(const Fault& fault, const std::string& exchange) {
    return fault.onlyFor.empty() ||
           std::find(fault.onlyFor.begin(), fault.onlyFor.end(), exchange) != fault.onlyFor.end();
}

const std::vector<Fault>& Faults() {
    static const std::vector<Fault> faults = {
        {"silent printer", [](SimConfig& c) { c.faults.silent = true; }, nullptr, {MsgAnswer::Yes}},
        // The "?" comes after the 2 s pause and the 100 reads are over.
        {"late '?'",
         [](SimConfig& c) { c.faults.questionDelayMs = 6000; },
         nullptr,
         {MsgAnswer::No},
         false,
         kHandshakes},
        // A hundred noise bytes use up every read of the "?" wait.
        {"noise",
         [](SimConfig& c) { c.faults.noiseBeforeQuestion = 100; },
         nullptr,
         {MsgAnswer::Yes},
         false,
         kHandshakes},
        // A stray byte every 7 ms whatever is asked, mixed into every reply.
        {"noisy line",
         [](SimConfig& c) { c.faults.noiseIntervalMs = 7; },
         nullptr,
         {MsgAnswer::Yes},
         false,
         kReplies},
        {"no confirmation",
         [](SimConfig& c) { c.faults.noDx = true; },
         nullptr,
         {},
         false,
         {"Burn"}},
        {"reply cut short",
         [](SimConfig& c) { c.faults.cutReplyAt = 2; },
         nullptr,
         {},
         false,
         kReplies},
        {"zero byte in reply",
         [](SimConfig& c) { c.faults.dxAfterZero = true; },
         nullptr,
         {},
         false,
         {"Burn"}},
        {"module ignores escape",
         [](SimConfig& c) { c.faults.moduleIgnoresEscape = true; },
         nullptr,
         {},
         false,
         kRadio},
        {"module without OK",
         [](SimConfig& c) { c.faults.moduleNoOk = true; },
         nullptr,
         {},
         false,
         kRadio},
        // After ESC-EN and ESC-XX the cable is pulled.
        {"link dropped", [](SimConfig& c) { c.faults.dropAfterBytes = 6; }, nullptr, {}, true},
        // After ESC-DS: every read of the "?" wait fails; going on, the next write fails.
        {"dropped in wait",
         [](SimConfig& c) { c.faults.dropAfterBytes = 9; },
         nullptr,
         {MsgAnswer::Yes},
         true},
        // After the last command of the burn (30 bytes with BoldForm()): the final read
        // fails instead of bringing "D!X".
        {"dropped at reply", [](SimConfig& c) { c.faults.dropAfterBytes = 30; }, nullptr, {}, true},
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
    // For exchanges that leave no choice behind (a test print, a feed): what the printer
    // has done so far; the recovery run must move it on.
    std::function<qint64(CPrinterModel&)> progress = nullptr;
    // Runs on the printer before each run (a stored logo for Print Logo to print).
    std::function<void(CPrinterModel&)> prepare = nullptr;
    // The faults under which the status bar must give the exchange's failure verdict
    // (a radio Read or Write that misses an "OK" says so there, not in a message box);
    // after a clean run it must give the success verdict instead.
    std::vector<std::string> failsInTheStatus = {};
    QString successStatus = QString();
    QString failureStatus = QString();
};

const std::vector<Exchange>& Exchanges() {
    static const std::vector<Exchange> exchanges = {
        {"Configure",
         [](CSerialPort& link, IUiServices& ui, const CAttributeForm& form) {
             CAttributeProgrammer(link, ui).Configure(form);
         },
         0,
         0,
         false,
         {},
         // Nothing is read back, so a printer that answers badly or drops the line after
         // taking the bytes cannot be noticed; a port that is gone can.
         {{"silent printer", {}},
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
         true,
         {kBurnConfirmed},
         {{"silent printer", {kQuestionTimedOut, kNoConfirmation}},
          {"late '?'", {kQuestionTimedOut}},
          // Going on anyway, the printer still confirms: the "?" left over only comes
          // before the "D!X".
          {"noise", {kQuestionTimedOut, kBurnConfirmed}},
          // The noise queued while the program pauses after ESC-DS comes before the "?";
          // the hundred one-byte reads take it instead. Going on, the final read of 1000
          // bytes is filled by the noise of the pauses before the "D!X" comes.
          {"noisy line", {kQuestionTimedOut, kNoConfirmation}},
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
                            g_lastQueryAnswered = !CSupervisoryQuery(link, ui)
                                                       .Send(CSupervisoryQuery::kBatteryStatus)
                                                       .bytes.isEmpty();
                        },
                        // One read of up to 100 bytes: 5 x 100 + 10 ms.
                        0,
                        5 * CSupervisoryQuery::kReplySize + 10,
                        true,
                        {},
                        OnlyWhenThePortIsGone({kCommunicationError}),
                        [](CPrinterModel&) { return g_lastQueryAnswered; }});
        rows.push_back({"Macro",
                        [](CSerialPort& link, IUiServices& ui, const CAttributeForm& form) {
                            CMacroSession session(link, ui);
                            if (session.OpenLink())
                                session.SendMacro(form.m_bUnderline ? "^[UU" : "^[Uu");
                            session.CloseLink();
                        },
                        0,
                        0,
                        false,
                        {},
                        OnlyWhenThePortIsGone({kPortNotOpened}),
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
                        0,
                        0,
                        false,
                        {},
                        OnlyWhenThePortIsGone({kPortNotOpened}),
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
            flash["link dropped"] = noQuestion;                // gone within the prologue
            flash["dropped in wait"] = {kCommunicationError};  // gone after the slot select
            flash["dropped at reply"] = {kCommunicationError}; // gone in the first line
            flash["port vanished"] = {kCommunicationError};
            rows.push_back({"Flash",
                            [](CSerialPort& link, IUiServices& ui, const CAttributeForm& form) {
                                CLogoTransfer(link, ui).FlashLogo(SmallRaster(),
                                                                  form.m_bUnderline ? 1 : 0);
                            },
                            CLogoTransfer::FlashPauseMs(4),
                            CLogoTransfer::kQuestionReads * 15,
                            true,
                            {kFlashDone},
                            flash,
                            [](CPrinterModel& p) { return p.Slot(1).stored; }});
        }
        return rows;
    }();
    return exchanges;
}

// One raster row that carries the form's choice in its first dots, so that what came out
// on paper tells the runs apart. One row is one write: a cable pulled after some of its
// bytes can only be noticed by a later write, and there is none (with several rows,
// whether the printer drops the line before the program's next write is a matter of
// thread timing, not of the program).
CLogoRaster MarkedRaster(const CAttributeForm& form) {
    CLogoRaster raster = SmallRaster();
    raster.m_nHeight = 1;
    raster.Row(0)[0] = form.m_bUnderline ? 0x40 : 0x80;
    return raster;
}

// The first byte of the newest bitmap row on the printer's paper (-1: none).
int LastPrintedByte(CPrinterModel& p) {
    const QByteArray rows = p.Paper().BitmapRows();
    const int width = p.Config().BytesPerLine();
    return rows.size() < width ? -1 : quint8(rows.at(rows.size() - width));
}

// Two stored logos for Print Logo to choose between.
void StoreTwoLogos(CPrinterModel& p) {
    for (int n = 0; n < 2; ++n) {
        CPrinterModel::LogoSlot slot;
        slot.stored = true;
        slot.bytesPerLine = p.Config().BytesPerLine();
        slot.rows.append(QByteArray(1, char(n == 0 ? 0x80 : 0x40)) +
                         QByteArray(slot.bytesPerLine - 1, '\0'));
        p.SetSlot(n, slot);
    }
}

// What the radio runs leave for the recovery check.
bool g_lastRadioReadOk = false;

// The printer of the run in progress.
CSimulator* g_cellPrinter = nullptr;

// The radio exchanges close the link after the pass-through command and open it again for
// the escape at once: the printer acts on what it took before the program's next step, so
// a cable pulled within the command is gone when the escape opens the link, as it would
// be on a real line, and not a race between two threads.
class CSettlingServices : public CForwardingUiServices {
public:
    using CForwardingUiServices::CForwardingUiServices;
    void Status(const QString& text) override {
        if (g_cellPrinter)
            g_cellPrinter->Settle();
        Inner().Status(text);
    }
};

// The name and SSID the radio writes set: the form's choice as text.
QString RadioName(const CAttributeForm& form) {
    return form.m_bUnderline ? QStringLiteral("KVU underline") : QStringLiteral("KVU bold");
}

template <class Form> Form OpenedRadioForm() {
    Form form;
    form.InitDialog();
    return form;
}

const std::vector<Exchange>& LogoAndRadioExchanges() {
    static const std::vector<Exchange> exchanges = [] {
        std::vector<Exchange> rows;
        // Test Print reads nothing: a port that is gone, or a cable pulled while the rows
        // are still being written, is all it can notice.
        std::map<std::string, QStringList> testPrint = OnlyWhenThePortIsGone({kLinkError});
        rows.push_back({"Test Print",
                        [](CSerialPort& link, IUiServices& ui, const CAttributeForm& form) {
                            CLogoTransfer(link, ui).TestPrint(MarkedRaster(form));
                        },
                        0,
                        0,
                        true,
                        {},
                        testPrint,
                        [](CPrinterModel& p) { return LastPrintedByte(p) == 0x40; }});
        rows.push_back({"Print Logo",
                        [](CSerialPort& link, IUiServices& ui, const CAttributeForm& form) {
                            CLogoTransfer(link, ui).PrintSlot(form.m_bUnderline ? 1 : 0);
                        },
                        0,
                        0,
                        false,
                        {},
                        OnlyWhenThePortIsGone({kLinkError}),
                        [](CPrinterModel& p) { return LastPrintedByte(p) == 0x40; },
                        nullptr,
                        StoreTwoLogos});
        rows.push_back({"Test Feed",
                        [](CSerialPort& link, IUiServices& ui, const CAttributeForm&) {
                            CLogoTransfer(link, ui).TestFeed();
                        },
                        0,
                        0,
                        false,
                        {},
                        OnlyWhenThePortIsGone({kLinkError}),
                        nullptr,
                        [](CPrinterModel& p) { return qint64(p.Paper().Lines().size()); }});

        // The radio exchanges: the pass-through command, the escape between its two guard
        // pauses, the AT commands, the data-mode command and the marker. A printer that
        // answers nothing or too little ends a Read with "Error: Did not receive OK." in the
        // status bar and no message box; a link that goes away shows the step's message.
        const qint64 guards = 2 * CAtConnection::kDefaultSilenceMs;
        auto readTimeout = [](int largest) { return qint64(5 * largest + 10); };
        const qint64 writeRead = 5 * CAtExchange::kWriteReplySize + 10;
        auto writeCount = [](auto form) {
            QVector<QByteArray> commands;
            form.BuildWriteCommands(&commands, nullptr);
            return qint64(commands.size());
        };
        const qint64 btWrites = writeCount(OpenedRadioForm<CBluetoothForm>());
        const qint64 wlanWrites = writeCount(OpenedRadioForm<CWlanForm>());

        std::map<std::string, QStringList> radio;
        for (const Fault& f : Faults())
            radio[f.name] = {};
        // The cable goes within the pass-through command: neither the escape nor the AT
        // commands can open the link; the exchange ends without the data-mode command.
        radio["link dropped"] = {kCannotOpen, kCannotOpen};
        radio["dropped in wait"] = {kCannotOpen, kCannotOpen};
        // The pass-through command's own message, then the escape's and the AT commands'.
        radio["port vanished"] = {kLinkError, kCannotOpen, kCannotOpen};
        // Gone within the AT commands: a Read's one read fails ("Error: Did not receive
        // OK." in the status bar), then the data-mode command and the marker each report
        // the link's own error; a Write cannot send its next command.
        std::map<std::string, QStringList> read = radio;
        read["dropped at reply"] = {kLinkError, kLinkError};
        std::map<std::string, QStringList> write = radio;
        write["dropped at reply"] = {kCannotTransmit};

        rows.push_back({"BT Read",
                        [](CSerialPort& link, IUiServices& ui, const CAttributeForm&) {
                            CSettlingServices settling(ui);
                            CBluetoothForm form = OpenedRadioForm<CBluetoothForm>();
                            form.Clear();
                            CAtExchange exchange(link, settling, form);
                            g_lastRadioReadOk =
                                exchange.Read(form).ok && form.m_strLocalName == "BT Printer";
                        },
                        guards + CAtExchange::kReplyPauseMs,
                        readTimeout(CBluetoothForm::kLargestReply),
                        true,
                        {},
                        read,
                        [](CPrinterModel&) { return g_lastRadioReadOk; }});
        rows.push_back(
            {"BT Write",
             [](CSerialPort& link, IUiServices& ui, const CAttributeForm& choice) {
                 CBluetoothForm form = OpenedRadioForm<CBluetoothForm>();
                 form.m_strLocalName = RadioName(choice);
                 CSettlingServices settling(ui);
                 CAtExchange(link, settling, form).Write(form);
             },
             guards + btWrites * 2 * CAtExchange::kReplyPauseMs,
             btWrites * writeRead,
             true,
             {},
             write,
             [](CPrinterModel& p) { return p.Bluetooth()->Value("AGLN") == "KVU underline"; }});
        rows.push_back({"WLAN Read",
                        [](CSerialPort& link, IUiServices& ui, const CAttributeForm&) {
                            CSettlingServices settling(ui);
                            CWlanForm form = OpenedRadioForm<CWlanForm>();
                            form.Clear();
                            CAtExchange exchange(link, settling, form);
                            g_lastRadioReadOk =
                                exchange.Read(form).ok && form.m_strSsid == "WLAN Printer";
                        },
                        guards + CAtExchange::kReplyPauseMs,
                        readTimeout(CWlanForm::kLargestReply),
                        true,
                        {},
                        read,
                        [](CPrinterModel&) { return g_lastRadioReadOk; }});
        rows.push_back(
            {"WLAN Write",
             [](CSerialPort& link, IUiServices& ui, const CAttributeForm& choice) {
                 CWlanForm form = OpenedRadioForm<CWlanForm>();
                 form.m_strSsid = RadioName(choice);
                 CSettlingServices settling(ui);
                 CAtExchange(link, settling, form).Write(form);
             },
             guards + wlanWrites * 2 * CAtExchange::kReplyPauseMs,
             wlanWrites * writeRead,
             true,
             {},
             write,
             [](CPrinterModel& p) { return p.Wlan()->Value("AGSSID") == "KVU underline"; }});
        // A radio exchange that misses an "OK" says so in the status bar.
        for (auto row = rows.end() - 4; row != rows.end(); ++row) {
            row->failsInTheStatus = kRadioVerdictFaults;
            row->successStatus = kOkStatus;
            row->failureStatus = kNoOkStatus;
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

// What one run of an exchange left behind.
void ExpectCleanEnd(CSimHarness& h, const Exchange& ex, const QStringList& messages) {
    EXPECT_EQ(h.Services().MessageTexts(), messages);
    EXPECT_EQ(h.Link().m_bOpen, 0) << "the link must be closed afterwards";
    EXPECT_EQ(h.Services().WaitDepth(), 0) << "the wait cursor must be gone";
    const QStringList status = h.Services().StatusTexts();
    if (EndsAtReady(ex)) {
        ASSERT_FALSE(status.isEmpty());
        // A radio Read that missed answers names them after "Ready", so that the status
        // bar keeps them.
        const bool named = !ex.failureStatus.isEmpty() && status.size() >= 2 &&
                           status.last().startsWith("Error: No usable answer for: ");
        EXPECT_EQ(named ? status.at(status.size() - 2) : status.last(), "Ready");
    } else if (!ex.showsStatus && ex.name != "Send file") {
        EXPECT_TRUE(status.isEmpty()) << status.join(" | ").toStdString();
    }
}

// Runs one cell.
void RunCell(const Exchange& ex, const Fault& fault) {
    SimConfig config;
    fault.configure(config);
    CSimHarness h(config);
    ASSERT_TRUE(h.Started());
    if (ex.prepare)
        h.Sim().WithPrinter(ex.prepare);
    if (fault.beforeExchange)
        fault.beforeExchange(h);
    for (MsgAnswer a : fault.answers)
        h.Services().ScriptAnswer(a);

    g_cellPrinter = &h.Sim();
    const qint64 start = h.Clock().NowMs();
    ex.run(h.Link(), h.Services(), BoldForm());
    const qint64 elapsed = h.Clock().NowMs() - start;
    const qint64 paused = h.Services().TotalPausedMs();

    const auto expected = ex.messagesUnderFault.find(fault.name);
    ASSERT_NE(expected, ex.messagesUnderFault.end()) << "no expected messages for this fault";
    ExpectCleanEnd(h, ex, expected->second);
    if (std::find(ex.failsInTheStatus.begin(), ex.failsInTheStatus.end(), fault.name) !=
        ex.failsInTheStatus.end()) {
        const QStringList status = h.Services().StatusTexts();
        EXPECT_TRUE(status.contains(ex.failureStatus)) << status.join(" | ").toStdString();
        EXPECT_FALSE(status.contains(ex.successStatus)) << status.join(" | ").toStdString();
    }
    EXPECT_LE(paused, ex.pausesMs) << "paused longer than the exchange's pauses";
    EXPECT_LE(elapsed, ex.pausesMs + ex.readTimeoutsMs)
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
        // What a noisy line left unread in the port's buffer is not the next exchange's.
        h.Sim().Settle();
        if (h.Link().Open(50, 5)) {
            h.Link().DiscardInput();
            h.Link().Close();
        }
    }
    CSimulator& printer = replugged ? *replugged : h.Sim();
    if (replugged && ex.prepare)
        printer.WithPrinter(ex.prepare);
    printer.Settle();
    const qint64 progressBefore = ex.progress ? printer.WithPrinter(ex.progress) : 0;
    h.Services().Clear();
    g_cellPrinter = &printer;
    ex.run(h.Link(), h.Services(), UnderlineForm());
    g_cellPrinter = nullptr;
    {
        SCOPED_TRACE("the next exchange after the fault");
        ExpectCleanEnd(h, ex, ex.messagesOnSuccess);
        if (!ex.successStatus.isEmpty()) {
            const QStringList status = h.Services().StatusTexts();
            EXPECT_TRUE(status.contains(ex.successStatus)) << status.join(" | ").toStdString();
            EXPECT_FALSE(status.contains(ex.failureStatus)) << status.join(" | ").toStdString();
        }
        printer.Settle();
        if (ex.tookUnderline) {
            EXPECT_TRUE(printer.WithPrinter(ex.tookUnderline)) << "the printer did not take it";
        }
        if (ex.progress) {
            EXPECT_GT(printer.WithPrinter(ex.progress), progressBefore)
                << "the printer did nothing with it";
        }
    }
}

// One cell of the matrix: an exchange under a fault that changes something for it.
struct Cell {
    const Exchange* exchange;
    const Fault* fault;
};

std::vector<Cell> Cells() {
    static const std::vector<Exchange> all = [] {
        std::vector<Exchange> rows = Exchanges();
        rows.insert(rows.end(), MoreExchanges().begin(), MoreExchanges().end());
        rows.insert(rows.end(), LogoAndRadioExchanges().begin(), LogoAndRadioExchanges().end());
        return rows;
    }();
    std::vector<Cell> cells;
    for (const Exchange& ex : all) {
        for (const Fault& fault : Faults()) {
            if (Applies(fault, ex.name))
                cells.push_back({&ex, &fault});
        }
    }
    return cells;
}

// "BT Read" under "late '?'": BTRead_LateQuestion.
std::string CellName(const testing::TestParamInfo<Cell>& info) {
    auto camel = [](const std::string& words) {
        std::string name;
        bool upper = true;
        for (char c : words) {
            if (c == '?')
                name += "Question";
            else if (std::isalnum(static_cast<unsigned char>(c)))
                name += upper ? char(std::toupper(static_cast<unsigned char>(c))) : c;
            upper = !std::isalnum(static_cast<unsigned char>(c));
        }
        return name;
    };
    return camel(info.param.exchange->name) + "_" + camel(info.param.fault->name);
}

class FaultMatrix : public testing::TestWithParam<Cell> {};
} // namespace

TEST_P(FaultMatrix, Cell) {
    RunCell(*GetParam().exchange, *GetParam().fault);
}

INSTANTIATE_TEST_SUITE_P(, FaultMatrix, testing::ValuesIn(Cells()), CellName);
