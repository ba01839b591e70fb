#pragma once

#include "GuiServices.h"
#include "app/AppCore.h"
#include "app/IdleCounter.h"
#include "document/KVUDoc.h"

#include <QObject>
#include <QStringList>
#include <QTimer>
#include <functional>
#include <memory>

class CMainFrame;
class CRecordWindow;
class QDialog;
class QSettings;
class QWidget;

// The simulated printer of a --simulator session, as the application knows it: where it
// is, and the window that shows it.
struct SimulatedPrinter {
    QString devicePath; // used as COM1 for the run
    // Shows the Simulated Printer window beside the frame (made on first use).
    std::function<QWidget*(IUiServices& services, QWidget* frame)> showWindow;
    std::function<void()> stop;
};
// Starts the simulated printer at the rate and paper width of the settings; false (with
// why in `error`) when it cannot run.
using SimulatedPrinterStarter =
    std::function<bool(int baudRate, int paperDots, SimulatedPrinter* started, QString* error)>;

// The application object: owns the serial link and the logo image (through the core),
// brings up the frame, restores the settings at start and writes them back at exit,
// and drives the Macros page from idle time. A program that offers --simulator gives it
// the starter of its simulated printer (simulator/SimulatorSession.h); without one the
// option is refused.
class CKVUApp : public QObject {
public:
    explicit CKVUApp(SimulatedPrinterStarter simulatorStarter = {});
    ~CKVUApp() override;

    // Start-up with the program's arguments (the program name first); false ends the
    // process.
    bool InitInstance(const QStringList& arguments);
    // Writes the settings; returns the exit code.
    int ExitInstance(int code);

    CAppCore& Core() { return m_core; }
    CSerialPort& Serial() { return m_core.m_serial; }
    CLogoImage& Logo() { return m_core.m_logo; }
    // The services the program talks through: the desktop's, or a test's recorder.
    IUiServices& Services() { return *m_activeServices; }
    void SetServices(IUiServices* services);
    // True while an exchange, a pause or a modal box runs (see IUiServices::IsBusy).
    bool IsBusy() const { return m_activeServices->IsBusy(); }
    CKVUDoc& Document() { return m_doc; }
    CMainFrame* MainFrame() const { return m_frame.get(); }

    // Idle processing while the Macros page holds the link open: a pass runs when bytes
    // arrive, and pass after pass while a file is sent or bytes wait; nothing runs (and
    // nothing wakes the program) while the link is quiet.
    bool OnIdle(int count);
    void UpdateIdleTimer();
    // Asks for an idle pass as soon as the event loop is free.
    void WakeIdle();

    // View > Simulated Printer: the simulated printer's window beside the frame (made
    // on first use, kept while the frame lives); null without --simulator.
    QWidget* ShowSimulatedPrinter();
    // View > Provisioning Record.
    CRecordWindow* ShowProvisioningRecord();

    // Runs a dialog modally through the services (tests script it there).
    int RunDialog(QDialog& dialog);

private:
    bool StartSimulator();

    // How soon idle processing looks again when a modal box or an exchange kept it away.
    static constexpr int kBusyRetryMs = 50;

    CAppCore m_core;
    CKVUDoc m_doc;
    CGuiServices m_services;
    IUiServices* m_activeServices = &m_services;
    CIdleCounter m_idle;
    QTimer m_idleTimer;
    std::unique_ptr<QSettings> m_settings;
    std::unique_ptr<CMainFrame> m_frame;
    SimulatedPrinterStarter m_simulatorStarter;
    SimulatedPrinter m_simulated; // of a --simulator run
    bool m_bSimulating = false;
    CRecordWindow* m_recordWindow = nullptr; // a child window of the frame
};
