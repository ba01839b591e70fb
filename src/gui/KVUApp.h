#pragma once

#include "GuiServices.h"
#include "app/AppCore.h"
#include "app/IdleCounter.h"
#include "document/KVUDoc.h"

#include <QApplication>
#include <QTimer>
#include <memory>

class CMainFrame;
class CSimulator;
class QSettings;

// The application object: owns the serial link and the logo image (through the core),
// brings up the frame, restores the settings at start and writes them back at exit,
// and drives the Macros page from idle time.
class CKVUApp : public QApplication {
public:
    CKVUApp(int& argc, char** argv);
    ~CKVUApp() override;

    // Start-up; false ends the process.
    bool InitInstance();
    // Writes the settings; returns the exit code.
    int ExitInstance(int code);

    CAppCore& Core() { return m_core; }
    CSerialPort& Serial() { return m_core.m_serial; }
    CLogoImage& Logo() { return m_core.m_logo; }
    CGuiServices& Services() { return m_services; }
    CKVUDoc& Document() { return m_doc; }
    CMainFrame* MainFrame() const { return m_frame.get(); }

    // Idle processing: runs on a timer while the Macros page holds the link open.
    bool OnIdle(int count);
    void UpdateIdleTimer();

    void OnAppAbout();

    static CKVUApp* Instance() { return static_cast<CKVUApp*>(QCoreApplication::instance()); }

private:
    bool StartSimulator();

    CAppCore m_core;
    CKVUDoc m_doc;
    CGuiServices m_services;
    CIdleCounter m_idle;
    QTimer m_idleTimer;
    std::unique_ptr<QSettings> m_settings;
    std::unique_ptr<CMainFrame> m_frame;
    std::unique_ptr<CSimulator> m_simulator;
};
