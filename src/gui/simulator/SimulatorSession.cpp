#include "SimulatorSession.h"

#ifdef Q_OS_UNIX
#include "SimPrinterWindow.h"
#include "Simulator.h"
#endif

CSimulatorSession::CSimulatorSession() = default;

CSimulatorSession::~CSimulatorSession() {
#ifdef Q_OS_UNIX
    if (m_simulator)
        m_simulator->Stop();
#endif
}

CSimPrinterWindow* CSimulatorSession::Window() const {
    return m_window.data();
}

SimulatedPrinterStarter CSimulatorSession::Starter() {
    return [this](int baudRate, int paperDots, SimulatedPrinter* started, QString* error) {
#ifdef Q_OS_UNIX
        SimConfig config;
        config.baudRate = baudRate;
        config.paperDots = paperDots;
        m_simulator = std::make_unique<CSimulator>(config);
        if (!m_simulator->Start(error)) {
            m_simulator.reset();
            return false;
        }
        started->devicePath = m_simulator->DevicePath();
        started->showWindow = [this](IUiServices& services, QWidget* frame) -> QWidget* {
            if (!m_simulator)
                return nullptr;
            // Made on first use, a child window of the frame: it goes with the frame.
            if (!m_window)
                m_window = new CSimPrinterWindow(*m_simulator, services, frame);
            m_window->ShowBeside(frame);
            return m_window.data();
        };
        started->stop = [this] {
            if (m_simulator)
                m_simulator->Stop();
        };
        return true;
#else
        (void)baudRate;
        (void)paperDots;
        (void)started;
        *error = QStringLiteral("the simulated printer is not available on this platform");
        return false;
#endif
    };
}
