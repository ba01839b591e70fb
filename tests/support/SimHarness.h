#pragma once

#include "RecordingServices.h"
#include "Simulator.h"
#include "app/AppCore.h"

#include <memory>

// One simulated printer on a pty, the program's core with COM1 mapped to it, and the
// recorder; the simulator and the recorder share one virtual clock.
class CSimHarness {
public:
    explicit CSimHarness(const SimConfig& config = SimConfig()) : m_services(&m_clock) {
        m_sim = std::make_unique<CSimulator>(config, &m_clock);
        QString error;
        m_started = m_sim->Start(&error);
        m_sim->AttachTo(m_clock);
        m_core.SetServices(&m_services);
        m_core.m_ports.SetSessionDevice(QStringLiteral("COM1"), m_sim->DevicePath());
        m_core.m_serial.SetPortName(QStringLiteral("COM1"));
        m_core.m_serial.m_nBaudRate = config.baudRate == 0 ? 38400 : config.baudRate;
    }
    ~CSimHarness() { m_sim->Stop(); }

    bool Started() const { return m_started; }
    CSimulator& Sim() { return *m_sim; }
    CAppCore& Core() { return m_core; }
    CSerialPort& Link() { return m_core.m_serial; }
    CRecordingServices& Services() { return m_services; }
    CVirtualClock& Clock() { return m_clock; }
    // What the printer received since the last call (or since start).
    QByteArray TakeReceived() {
        m_sim->Settle();
        const QByteArray all = m_sim->Transcript().ReceivedSince(m_mark);
        m_mark += all.size();
        return all;
    }

private:
    CVirtualClock m_clock;
    CRecordingServices m_services;
    std::unique_ptr<CSimulator> m_sim;
    CAppCore m_core;
    qint64 m_mark = 0;
    bool m_started = false;
};
