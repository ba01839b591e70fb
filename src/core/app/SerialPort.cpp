#include "SerialPort.h"

#include "PortMap.h"
#include "UiServices.h"
#include "WireLog.h"

#include <QElapsedTimer>
#include <QSerialPort>

#if defined(Q_OS_WIN)
#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>
#elif defined(Q_OS_UNIX)
#include <cerrno>
#include <termios.h>
#endif

const CSerialPort::BaudRow CSerialPort::kBaudTable[8] = {
    {1200, "1200"},   {2400, "2400"},   {9600, "9600"},   {14400, "14400"},
    {19200, "19200"}, {38400, "38400"}, {57600, "57600"}, {115200, "115200"},
};

namespace {
// A blocking read waits in slices of this length so that the window can repaint
// between them.
const int kReadSliceMs = 25;

const char* const kConfigureFailed = "Com port could not be configured.";
const char* const kTransmissionError = "Serial transmission error.";

// Generous bound for one synchronous write: twice the time the bytes take on the line
// (11 bits per byte with two stop bits), never less than two seconds.
int WriteTimeoutMs(int count, int baud) {
    const qint64 lineMs = qint64(count) * 11 * 1000 / qMax(baud, 1);
    return int(qBound<qint64>(qint64(2000), 2 * lineMs + 500, qint64(600000)));
}
// Time since it was made, on the link's clock (the device's real time without one).
class CLinkTimer {
public:
    explicit CLinkTimer(ILinkClock* clock) : m_clock(clock) {
        if (m_clock)
            m_start = m_clock->NowMs();
        else
            m_real.start();
    }
    qint64 Elapsed() const { return m_clock ? m_clock->NowMs() - m_start : m_real.elapsed(); }

private:
    ILinkClock* m_clock;
    qint64 m_start = 0;
    QElapsedTimer m_real;
};

// Waits until everything written to the port has been transmitted.
void DrainOutput(QSerialPort& port) {
#if defined(Q_OS_WIN)
    FlushFileBuffers(port.handle());
#elif defined(Q_OS_UNIX)
    while (::tcdrain(port.handle()) != 0 && errno == EINTR) {
    }
#else
    Q_UNUSED(port);
#endif
}
} // namespace

CSerialPort::CSerialPort() = default;

// Destroying the link releases the name only; an open port closes with its handle object.
CSerialPort::~CSerialPort() = default;

QString CSerialPort::DeviceName() const {
    return m_portMap ? m_portMap->Device(m_strPortName) : CPortMap::DefaultDevice(m_strPortName);
}

void CSerialPort::ShowMessage(const char* text) {
    if (m_services)
        m_services->Message(QString::fromLatin1(text), MsgIcon::Exclamation);
}

int CSerialPort::Open(quint32 interval, quint32 multiplier) {
    // A second open of the exclusive port would fail anyway; never lose the open handle.
    if (m_hComm)
        return 0;

    // A fresh port object each time: Qt keeps its own read buffer across close and open.
    auto port = std::make_unique<QSerialPort>();
    port->setPortName(DeviceName());
    if (!port->open(QIODevice::ReadWrite)) {
        qCDebug(lcWire) << "open" << DeviceName() << "failed:" << port->errorString();
        // A device given for this run only (kvuctl --port /dev/ttyUSB0) is named as such,
        // not as the COM name it stands in for.
        const bool direct = m_portMap && !m_portMap->SessionDevice(m_strPortName).isEmpty();
        m_openProblem = COpenProblem::Classify(
            direct ? QString() : m_strPortName, DeviceName(),
            COpenProblem::Gather(DeviceName(), int(port->error()), port->errorString()));
        if (m_services) {
            m_services->LinkProblem(m_openProblem.text);
            m_problemShown = true;
        }
        return 0;
    }
    m_openProblem = COpenProblem();
    if (m_problemShown && m_services) {
        m_services->LinkProblem(QString());
        m_problemShown = false;
    }

    const bool configured =
        port->setBaudRate(m_nBaudRate) && port->setDataBits(QSerialPort::Data8) &&
        port->setParity(QSerialPort::NoParity) && port->setStopBits(QSerialPort::TwoStop) &&
        port->setFlowControl(QSerialPort::NoFlowControl);
    if (!configured) {
        qCDebug(lcWire) << "configure" << DeviceName() << "failed:" << port->errorString();
        port->close();
        ShowMessage(kConfigureFailed);
        return 0;
    }
    // Assert DTR and RTS explicitly (Qt on Windows drops RTS at open). A device without
    // modem lines, such as a pseudo-terminal, refuses this; that is not an error.
    port->setDataTerminalReady(true);
    port->setRequestToSend(true);
    port->clearError();
    m_failed = false;
    m_failureText.clear();
    // Qt signals from its event loop; the handler is looked up at each signal, so it may
    // be set or cleared while the port is open.
    QObject::connect(port.get(), &QSerialPort::readyRead, [this] {
        if (m_onReadable)
            m_onReadable();
    });
    QSerialPort* signalling = port.get();
    QObject::connect(signalling, &QSerialPort::errorOccurred,
                     [this, signalling](QSerialPort::SerialPortError e) {
                         // Only a device that is gone or broken counts: a pseudo-terminal refusing
                         // a modem-line call is no failure of the link.
                         if (e != QSerialPort::ResourceError && e != QSerialPort::ReadError &&
                             e != QSerialPort::WriteError)
                             return;
                         qCDebug(lcWire) << "error" << int(e) << signalling->errorString();
                         m_failureText = signalling->errorString();
                         // The device is gone or broken: Qt would otherwise keep being woken by a
                         // port that only ever reports its hang-up.
                         m_failed = true;
                         if (m_onReadable)
                             m_onReadable();
                     });

    m_hComm = std::move(port);
    m_readInterval = interval;
    m_readMultiplier = multiplier;
    m_bOpen = 1;
    qCDebug(lcWire) << "open" << DeviceName() << m_nBaudRate << "8N2 interval" << interval
                    << "multiplier" << multiplier;
    return 1;
}

qint64 CSerialPort::BytesWaiting() const {
    return m_hComm && m_hComm->isOpen() ? m_hComm->bytesAvailable() : 0;
}

void CSerialPort::DiscardInput() {
    if (m_hComm && m_hComm->isOpen()) {
        m_hComm->clear(QSerialPort::Input);
        m_hComm->readAll();
    }
}

void CSerialPort::DiscardOutput() {
    if (m_hComm && m_hComm->isOpen())
        m_hComm->clear(QSerialPort::Output);
}

ILinkClock* CSerialPort::LinkClock() const {
    return m_services ? m_services->LinkClock() : nullptr;
}

bool CSerialPort::WaitOnDevice(qint64 ms, bool forWrite) {
    const auto wait = [&](int waitMs) {
        return forWrite ? m_hComm->waitForBytesWritten(waitMs) : m_hComm->waitForReadyRead(waitMs);
    };
    ILinkClock* clock = LinkClock();
    if (!clock)
        return wait(int(ms));
    // On a virtual clock, when the device is not ready at once, the other end first catches
    // up: what it has sent by now is on the device then. Only when nothing is there yet
    // does time move on by the whole wait, after which whatever fell due within it has
    // been sent.
    const auto readyNow = [&] {
        if (wait(0))
            return true;
        const auto error = m_hComm->error();
        if (error == QSerialPort::TimeoutError)
            m_hComm->clearError();
        return false;
    };
    if (readyNow())
        return true;
    if (m_hComm->error() != QSerialPort::NoError)
        return false;
    clock->CatchUp();
    if (readyNow())
        return true;
    if (m_hComm->error() != QSerialPort::NoError)
        return false;
    clock->MoveOn(ms);
    return wait(0);
}

bool CSerialPort::InterruptRequested() const {
    return m_closing == 0 && m_services && m_services->Interrupted();
}

void CSerialPort::CloseHandle() {
    if (!m_hComm)
        return;
    if (m_hComm->isOpen()) {
        // Qt puts the port's settings back as it found them when it closes it, at once.
        // Bytes still on their way out (a command written just before the close, in the
        // driver or a USB adapter) would go out at the old rate, and a printer at another
        // rate would see garbage: wait until they are on the wire first.
        DrainOutput(*m_hComm);
        m_hComm->close();
    }
    m_hComm.reset();
}

void CSerialPort::Close() {
    if (!m_bOpen)
        return;
    m_bOpen = 0;
    CloseHandle();
    qCDebug(lcWire) << "close";
}

bool CSerialPort::WriteFile(const char* bytes, int count, int* written) {
    if (written)
        *written = 0;
    if (!m_hComm || !m_hComm->isOpen() || count < 0)
        return false;
    if (InterruptRequested())
        return false;
    LogWire("write", bytes, count);
    if (count == 0)
        return true;
    if (m_hComm->write(bytes, count) != count)
        return false;
    const CLinkTimer clock(LinkClock());
    const qint64 timeoutMs = WriteTimeoutMs(count, m_nBaudRate);
    while (m_hComm->bytesToWrite() > 0) {
        // In slices, so that an interrupt ends a long write at a slow rate soon.
        if (InterruptRequested())
            return false;
        const qint64 slice = qMin<qint64>(timeoutMs - clock.Elapsed(), kReadSliceMs);
        if (!WaitOnDevice(qMax<qint64>(slice, 0), true)) {
            const auto error = m_hComm->error();
            if (error != QSerialPort::TimeoutError && error != QSerialPort::NoError) {
                qCDebug(lcWire) << "write failed:" << m_hComm->errorString();
                m_failed = true;
                m_failureText = m_hComm->errorString();
                return false;
            }
            m_hComm->clearError();
            if (clock.Elapsed() >= timeoutMs)
                return false;
        }
        if (m_services)
            m_services->KeepAlive();
        // The window may have closed the link while it painted.
        if (!m_hComm)
            return false;
    }
    if (written)
        *written = count;
    return true;
}

bool CSerialPort::ReadFile(char* buffer, int count, int* read) {
    *read = 0;
    if (!m_hComm || !m_hComm->isOpen() || count < 0)
        return false;
    if (count == 0)
        return true;

    const CLinkTimer clock(LinkClock());
    const qint64 totalMs = qint64(m_readMultiplier) * count + 10;
    qint64 lastByteAt = -1;
    bool ok = true;
    while (*read < count) {
        const qint64 available = m_hComm->bytesAvailable();
        if (available > 0) {
            const qint64 got =
                m_hComm->read(buffer + *read, qMin<qint64>(available, count - *read));
            if (got < 0) {
                m_failed = true;
                m_failureText = m_hComm->errorString();
                ok = false;
                break;
            }
            *read += int(got);
            lastByteAt = clock.Elapsed();
            continue;
        }
        // Interrupted: what has come so far is the read's result.
        if (InterruptRequested())
            break;
        qint64 wait = totalMs - clock.Elapsed();
        if (m_readInterval > 0 && lastByteAt >= 0)
            wait = qMin(wait, lastByteAt + qint64(m_readInterval) + 1 - clock.Elapsed());
        if (wait <= 0)
            break;
        if (!WaitOnDevice(qMin<qint64>(wait, kReadSliceMs), false)) {
            const auto error = m_hComm->error();
            if (error != QSerialPort::TimeoutError && error != QSerialPort::NoError) {
                qCDebug(lcWire) << "read failed:" << m_hComm->errorString();
                m_failed = true;
                m_failureText = m_hComm->errorString();
                ok = false;
                break;
            }
            m_hComm->clearError();
            if (m_services)
                m_services->KeepAlive();
            if (!m_hComm) {
                ok = false;
                break;
            }
        }
    }
    LogWire("read", buffer, *read);
    return ok;
}

bool CSerialPort::Write(const char* bytes, int count) {
    if (WriteFile(bytes, count))
        return true;
    // An interrupted write is no transmission error; its caller says it was interrupted.
    if (!InterruptRequested())
        ShowMessage(kTransmissionError);
    return false;
}

bool CSerialPort::SendBlock(const char* bytes, int count) {
    if (!Open(50, 5)) {
        ShowMessage(kTransmissionError);
        // Refused because the link is already held open (by the Macros page): that link
        // stays exactly as it was, or nothing could close it afterwards.
        if (!m_hComm)
            m_bOpen = 0;
        return false;
    }
    const bool written = WriteFile(bytes, count);
    Close();
    if (!written && !InterruptRequested())
        ShowMessage(kTransmissionError);
    m_bOpen = 0;
    return written;
}

void CSerialPort::SetBaudRateText(const QString& text) {
    for (const auto& row : kBaudTable) {
        if (text == QLatin1String(row.text)) {
            m_nBaudRate = row.rate;
            return;
        }
    }
    m_nBaudRate = kBaudTable[kDefaultBaudIndex].rate;
}

QString CSerialPort::GetBaudRateText() const {
    return QString::fromLatin1(kBaudTable[GetBaudIndex()].text);
}

int CSerialPort::GetBaudIndex() const {
    for (int i = 0; i < 8; ++i) {
        if (kBaudTable[i].rate == m_nBaudRate)
            return i;
    }
    return kDefaultBaudIndex;
}

void CSerialPort::SetBaudIndex(int index) {
    m_nBaudRate =
        (index >= 0 && index < 8) ? kBaudTable[index].rate : kBaudTable[kDefaultBaudIndex].rate;
}

void CSerialPort::SetPortName(const QString& name) {
    m_strPortName = name;
    SetPortIndex(GetPortIndex());
}

int CSerialPort::GetPortIndex() const {
    for (int i = 0; i < kPortCount; ++i) {
        if (m_strPortName == PortNames::ComName(i))
            return i;
    }
    return 0;
}

void CSerialPort::SetPortIndex(int index) {
    // Indexes of 20 and above give COM21, as the old dialog code did; negative ones are
    // not produced by any caller and are treated as 0.
    m_strPortName = PortNames::ComName(qBound(0, index, kPortCount));
}
