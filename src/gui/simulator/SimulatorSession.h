#pragma once

#include "KVUApp.h"

#include <QPointer>
#include <memory>

class CSimPrinterWindow;
class CSimulator;

// The desktop program's --simulator session: a simulated Tarvo3 printer started for the
// run, and its Simulated Printer window. The application object knows the printer only
// by what Starter() gives it, a device path and a window factory.
class CSimulatorSession {
public:
    CSimulatorSession();
    ~CSimulatorSession();
    CSimulatorSession(const CSimulatorSession&) = delete;
    CSimulatorSession& operator=(const CSimulatorSession&) = delete;

    // For CKVUApp: starts the printer at the rate and paper width asked.
    SimulatedPrinterStarter Starter();
    // The running printer, or null.
    CSimulator* Simulator() const { return m_simulator.get(); }
    // The window, once shown.
    CSimPrinterWindow* Window() const;

private:
    std::unique_ptr<CSimulator> m_simulator;
    QPointer<CSimPrinterWindow> m_window;
};
