#pragma once

#include "OpenProblem.h"
#include "PortNames.h"

#include <QByteArray>
#include <QString>
#include <QtGlobal>
#include <functional>
#include <memory>

class QSerialPort;
class CPortMap;
class ILinkClock;
class IUiServices;

// The one link to the printer: a COM port opened exclusively, 8 data bits, no parity,
// two stop bits, no flow control, DTR and RTS asserted. It is opened for one user action
// and closed at its end (the Macros page excepted, which holds it open while shown).
class CSerialPort {
public:
    struct BaudRow {
        int rate;
        const char* text;
    };
    static const BaudRow kBaudTable[8];
    static constexpr int kDefaultBaudIndex = 5; // 38400
    static constexpr int kPortCount = PortNames::kPortCount;

    CSerialPort();
    virtual ~CSerialPort();
    CSerialPort(const CSerialPort&) = delete;
    CSerialPort& operator=(const CSerialPort&) = delete;

    // Where the link's own two messages go, and how ports map to devices.
    void SetServices(IUiServices* services) { m_services = services; }
    void SetPortMap(const CPortMap* portMap) { m_portMap = portMap; }
    QString DeviceName() const;

    // 1 when open and configured, 0 otherwise. The time-outs follow the serial driver
    // rule: a read of N bytes returns after N bytes, after a gap of more than `interval`
    // ms between two received bytes, or multiplier x N + 10 ms after it began.
    int Open(quint32 interval, quint32 multiplier);
    // Why the last Open failed to open the device (kind None after a successful one). The
    // reason also goes to the services' LinkProblem, beside the caller's own message.
    const COpenProblem& LastOpenProblem() const { return m_openProblem; }
    // Drops what has arrived but was not read yet (a probe at another rate may have left
    // noise behind).
    void DiscardInput();
    // Drops what was written but has not gone out on the line yet (an interrupted file
    // send leaves hundreds of lines queued in the driver that would print on).
    void DiscardOutput();
    void Close();
    // One synchronous write on the open link; "Serial transmission error." on failure.
    bool Write(const char* bytes, int count);
    bool Write(const QByteArray& bytes) { return Write(bytes.constData(), int(bytes.size())); }
    // Open with 50 and 5, one write, close; the link is closed afterwards in every case.
    // Returns whether the bytes were written (callers may ignore it, as the link has
    // already told the user).
    bool SendBlock(const char* bytes, int count);
    bool SendBlock(const QByteArray& bytes) {
        return SendBlock(bytes.constData(), int(bytes.size()));
    }

    // For callers that drive the open link themselves (the exchanges). Both report
    // success and the count, and show no message: the caller decides what to say.
    bool WriteFile(const char* bytes, int count, int* written = nullptr);
    bool WriteFile(const QByteArray& bytes, int* written = nullptr) {
        return WriteFile(bytes.constData(), int(bytes.size()), written);
    }
    bool ReadFile(char* buffer, int count, int* read);
    bool IsHandleValid() const { return m_hComm != nullptr; }
    // Bytes that have arrived on the open link and wait to be read (0 when closed). They
    // come in while the program's event loop runs, which is what the Macros page lives on.
    qint64 BytesWaiting() const;
    // Called from the event loop when bytes arrive on the open link, or when the device
    // reports an error (a pulled cable, a vanished pseudo-terminal), so that a reader
    // that waits for nothing else can sleep until then. Kept across opens.
    void SetOnReadable(std::function<void()> onReadable) { m_onReadable = std::move(onReadable); }
    // The open device reported that it is gone or broken (not a time-out): its reads and
    // writes will keep failing until the link is closed and opened again.
    bool HasFailed() const { return m_failed; }
    // The device's own words for that failure ("Input/output error"), when it gave any.
    QString FailureText() const { return m_failureText; }

    // While the services report an interrupt, writes refuse to start and the waits of
    // reads and writes end early. The closing steps of an interrupted exchange (which
    // leave the printer as it was) are written all the same, inside this scope; each is
    // still bounded by the write's own time-out.
    class CClosingSteps {
    public:
        explicit CClosingSteps(CSerialPort& link) : m_link(link) { ++m_link.m_closing; }
        ~CClosingSteps() { --m_link.m_closing; }
        CClosingSteps(const CClosingSteps&) = delete;
        CClosingSteps& operator=(const CClosingSteps&) = delete;

    private:
        CSerialPort& m_link;
    };
    bool InterruptRequested() const;
    // The read time-outs of the open link.
    quint32 ReadInterval() const { return m_readInterval; }
    quint32 ReadMultiplier() const { return m_readMultiplier; }

    void SetBaudRateText(const QString& text);
    QString GetBaudRateText() const;
    int GetBaudIndex() const;
    void SetBaudIndex(int index);
    void SetPortName(const QString& name);
    QString GetPortName() const { return m_strPortName; }
    int GetPortIndex() const;
    void SetPortIndex(int index);

    int m_bOpen = 0;
    int m_nBaudRate = 38400;
    QString m_strPortName = QStringLiteral("COM1");

private:
    void ShowMessage(const char* text);
    void CloseHandle();
    // The services' clock for the link's waits (none: real time).
    ILinkClock* LinkClock() const;
    // One slice of a read's or a write's wait on the open device: true when bytes came in
    // (or went out).
    bool WaitOnDevice(qint64 ms, bool forWrite);

    std::unique_ptr<QSerialPort> m_hComm;
    quint32 m_readInterval = 0;
    quint32 m_readMultiplier = 0;
    IUiServices* m_services = nullptr;
    const CPortMap* m_portMap = nullptr;
    COpenProblem m_openProblem;
    bool m_problemShown = false;
    std::function<void()> m_onReadable;
    bool m_failed = false;
    QString m_failureText;
    int m_closing = 0;
};
