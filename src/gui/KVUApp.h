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
class CSimPrinterWindow;
class CSimulator;
class QDialog;
class QSettings;

// The application object: owns the serial link and the logo image (through the core),
// brings up the frame, restores the settings at start and writes them back at exit,
// and drives the Macros page from idle time.
class CKVUApp : public QObject {
public:
    CKVUApp();
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

    void OnAppAbout();
    // View > Simulated Printer: the simulated printer's window beside the frame (made
    // on first use, kept while the frame lives); null without --simulator.
    CSimPrinterWindow* ShowSimulatedPrinter();
    // View > Provisioning Record.
    CRecordWindow* ShowProvisioningRecord();
    CSimulator* Simulator() const { return m_simulator.get(); }

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
    std::unique_ptr<CSimulator> m_simulator;
    CSimPrinterWindow* m_simWindow = nullptr; // a child window of the frame
    CRecordWindow* m_recordWindow = nullptr;  // a child window of the frame
};
