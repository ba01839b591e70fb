#pragma once

#include "Paper.h"
#include "PrinterAttributes.h"
#include "PrinterCommand.h"
#include "RadioModule.h"
#include "SimConfig.h"

#include <QByteArray>
#include <QVector>
#include <array>
#include <deque>
#include <memory>

// The Tarvo3 printer as seen from its RS-232 port (UART0): a byte-stream command parser
// with the attribute commands, power-up programming and burn, supervisory queries, logo
// download and printing, text printing, and the pass-through mode that relays UART0 to a
// radio module. Replies are scheduled on the caller's clock and collected with TakeDue.
class CPrinterModel {
public:
    struct LogoSlot {
        bool stored = false;
        int bytesPerLine = 0;
        QVector<QByteArray> rows;
    };
    static constexpr int kSlotCount = 8;
    static constexpr int kMaxLogoRows = 300;
    // A half-received command is dropped after this much silence; an attribute stream
    // being programmed (with its 2 s pauses) after the longer one.
    static constexpr int kCommandTimeoutMs = 1000;
    static constexpr int kStreamTimeoutMs = 10000;

    explicit CPrinterModel(const SimConfig& config, qint64 now = 0);

    void Receive(const QByteArray& bytes, qint64 now);
    void Tick(qint64 now);
    QByteArray TakeDue(qint64 now);
    qint64 NextEventMs() const;

    // Power switched off and on: the burned attributes become the current ones, the
    // radio modules forget what was not stored, pass-through ends.
    void PowerCycle(qint64 now);

    const PrinterAttributes& Attributes() const { return m_attributes; }
    const PrinterAttributes& PowerUpAttributes() const { return m_powerUp; }
    const QByteArray& BurnedStream() const { return m_burnedStream; }
    void SetBurnedStream(const QByteArray& stream);
    const LogoSlot& Slot(int n) const { return m_slots[size_t(n)]; }
    void SetSlot(int n, const LogoSlot& slot) { m_slots[size_t(n)] = slot; }
    const CPaper& Paper() const { return m_paper; }
    CPaper& Paper() { return m_paper; }
    bool InPassThrough() const { return m_passThrough.active; }
    CRadioModule* Module(int uart);
    CRadioModule* Bluetooth() { return m_bluetooth.get(); }
    CRadioModule* Wlan() { return m_wlan.get(); }
    SimConfig& Config() { return m_config; }
    int BatteryMillivolts() const { return m_batteryMv; }

private:
    enum class Parse { Incomplete, Done, Invalid };
    struct Scheduled {
        qint64 due;
        QByteArray bytes;
    };

    void Schedule(qint64 now, int delayMs, const QByteArray& bytes);
    void ReceiveNormal(char c, qint64 now);
    void ReceivePassThrough(const QByteArray& bytes, qint64 now);
    Parse ParseCommand(const QByteArray& cmd, qint64 now, bool execute, PrinterAttributes& target);
    void HandleCommand(PrinterCommand::Kind kind, const QByteArray& cmd, qint64 now, bool execute,
                       PrinterAttributes& target);
    void StartPassThrough(const QByteArray& body, qint64 now);
    void PrintByte(char c);
    void EndLine();
    void AnswerHandshake(qint64 now);
    QByteArray SupervisoryBattery(qint64 now);

    SimConfig m_config;
    std::deque<Scheduled> m_out;
    QByteArray m_cmd; // the command being received
    qint64 m_lastReceived = 0;
    QByteArray m_line; // text waiting to be printed
    PrinterAttributes m_lineAttributes;
    bool m_lastWasCr = false;
    PrinterAttributes m_attributes;
    PrinterAttributes m_powerUp;
    CPaper m_paper;
    QByteArray m_burnedStream;

    // Power-up programming: ESC "EN", ESC "XX", ESC "DS" -> "?", ESC "SL" stream
    // ESC "ST" FF CR, ESC "SB" CR -> "D!X".
    bool m_armed = false;       // ESC "XX" seen
    bool m_programming = false; // "?" given after ESC "DS"
    bool m_collecting = false;  // between ESC "SL" and ESC "ST" FF CR
    bool m_haveStream = false;
    QByteArray m_collected;

    // Logo download: ESC "XX" ESC "DL" CR -> "?", slot select, line blocks, epilogue.
    bool m_downloadReady = false;
    int m_downloadSlot = -1;
    LogoSlot m_incoming;
    std::array<LogoSlot, kSlotCount> m_slots;

    struct PassThrough {
        bool active = false;
        int toUart = -1;
        int timeoutS = 0;
        qint64 lastActivity = 0;
        QByteArray tail; // last bytes relayed, to spot "###"
    } m_passThrough;
    std::unique_ptr<CRadioModule> m_bluetooth;
    std::unique_ptr<CRadioModule> m_wlan;

    qint64 m_poweredOn = 0;
    int m_batteryMv = 7456;
    int m_temperature = 31;
    quint32 m_noiseSeed = 12345;
    qint64 m_nextNoise = -1;
};
