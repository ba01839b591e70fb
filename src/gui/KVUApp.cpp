#include "KVUApp.h"

#include "app/Version.h"
#include "frame/CommandIds.h"
#include "frame/Icons.h"
#include "frame/MainFrame.h"
#include "record/RecordWindow.h"

#include <QApplication>
#include <QCommandLineParser>
#include <QDialog>
#include <QSettings>
#include <cstdio>

CKVUApp::CKVUApp(SimulatedPrinterStarter simulatorStarter)
    : m_simulatorStarter(std::move(simulatorStarter)) {
    QCoreApplication::setApplicationName(QStringLiteral("KVU"));
    QCoreApplication::setOrganizationName(QStringLiteral("Velqor Vuzuvurizod"));
    QCoreApplication::setApplicationVersion(QLatin1String(kVersionText));
    QApplication::setWindowIcon(Icons::Application());
    m_core.SetServices(&m_services);
    m_doc.SetSourceBitmap(&m_core.m_logo.m_source);
    m_idleTimer.setSingleShot(true);
    connect(&m_idleTimer, &QTimer::timeout, this, [this] { OnIdle(0); });
}

CKVUApp::~CKVUApp() {
    m_core.m_serial.SetOnReadable(nullptr);
    m_frame.reset();
}

void CKVUApp::SetServices(IUiServices* services) {
    m_activeServices = services ? services : &m_services;
    m_core.SetServices(m_activeServices);
}

int CKVUApp::RunDialog(QDialog& dialog) {
    return Services().RunModal(dialog);
}

bool CKVUApp::InitInstance(const QStringList& arguments) {
    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral("KVU, the Tarvo3 configuration utility"));
    parser.addHelpOption();
    parser.addVersionOption();
    parser.addOption({QStringLiteral("simulator"),
                      QStringLiteral("Start a simulated Tarvo3 printer and use it as COM1.")});
    // Answered in main() before the window is made; listed here so that --help shows it.
    parser.addOption({QStringLiteral("help-path"),
                      QStringLiteral("Print where the help file is, and exit (1 when there is "
                                     "none).")});
    parser.addPositionalArgument(QStringLiteral("project"),
                                 QStringLiteral("A project file (.qpf) to open; without one, "
                                                "a new project."),
                                 QStringLiteral("[project]"));
    parser.process(arguments);

    m_settings = CAppCore::OpenUserSettings();
    m_core.LoadSettings(*m_settings);

    if (parser.isSet(QStringLiteral("simulator")) && !StartSimulator())
        return false;

    m_frame = std::make_unique<CMainFrame>(PageContext{m_doc, m_core, Services()},
                                           [this] { UpdateIdleTimer(); });
    m_services.SetOwner(m_frame.get());
    m_services.SetStatusSink([this](const QString& text) { m_frame->SetMessageText(text); });
    m_services.SetProgressSink([this](int done, int total) { m_frame->SetProgress(done, total); });
    if (m_bSimulating) {
        m_frame->AddViewCommand(Cmd::ViewSimulatedPrinter, QStringLiteral("Simulated Printer"),
                                QStringLiteral("Show what the simulated printer printed and "
                                               "keeps\nSimulated Printer"),
                                [this] { ShowSimulatedPrinter(); });
    }
    m_frame->AddViewCommand(Cmd::ViewProvisioningRecord, QStringLiteral("Provisioning Record"),
                            QStringLiteral("Show which printer kvuctl provision gave what\n"
                                           "Provisioning Record"),
                            [this] { ShowProvisioningRecord(); });
    m_services.SetLinkProblemSink(
        [this](const QString& text) { m_frame->SetLinkProblemText(text); });

    const QStringList positional = parser.positionalArguments();
    if (!positional.isEmpty()) {
        if (!m_frame->OpenDocumentFile(positional.first()))
            return false;
    } else {
        m_frame->OnFileNew();
    }
    m_frame->show();
    return true;
}

QWidget* CKVUApp::ShowSimulatedPrinter() {
    if (!m_bSimulating || !m_frame || !m_simulated.showWindow)
        return nullptr;
    return m_simulated.showWindow(Services(), m_frame.get());
}

CRecordWindow* CKVUApp::ShowProvisioningRecord() {
    if (!m_frame)
        return nullptr;
    if (!m_recordWindow) {
        m_recordWindow = new CRecordWindow(Services(), m_frame.get());
        m_recordWindow->OpenRecord(QString());
    }
    m_recordWindow->show();
    m_recordWindow->raise();
    m_recordWindow->activateWindow();
    return m_recordWindow;
}

bool CKVUApp::StartSimulator() {
    if (!m_simulatorStarter) {
        fprintf(stderr, "kvu: the simulated printer is not part of this program\n");
        return false;
    }
    // The printer model KVU is set up for: its paper as wide as the configured logo size,
    // so a logo flashed at that width comes out whole.
    const int baudRate = m_core.m_serial.m_nBaudRate;
    QString error;
    if (!m_simulatorStarter(baudRate, m_core.m_logo.m_raster.m_nDots, &m_simulated, &error)) {
        fprintf(stderr, "kvu: cannot start the simulated printer: %s\n", qPrintable(error));
        return false;
    }
    m_bSimulating = true;
    // For this run only: the user's stored port table is left alone.
    m_core.m_serial.SetPortName(m_core.m_ports.UsePortOrDevice(m_simulated.devicePath));
    m_core.m_bLinkForThisRunOnly = true;
    fprintf(stderr, "kvu: simulated Tarvo3 printer on %s (COM1, %d bit/s)\n",
            qPrintable(m_simulated.devicePath), baudRate);
    return true;
}

int CKVUApp::ExitInstance(int code) {
    if (m_settings)
        m_core.SaveSettings(*m_settings);
    m_core.m_serial.Close();
    if (m_bSimulating && m_simulated.stop)
        m_simulated.stop();
    return code;
}

bool CKVUApp::OnIdle(int /*count*/) {
    if (!m_frame)
        return false;
    // The poller exists only while the Macros page is on top in its module.
    IMacrosPoller* macros = m_frame->MacrosPoller();
    CSerialPort& link = m_core.m_serial;
    // Never read bytes that belong to a running exchange or arrive under a modal box:
    // look again once it is over.
    if (IsBusy()) {
        if (macros && link.m_bOpen)
            m_idleTimer.start(kBusyRetryMs);
        return false;
    }
    const bool again = m_idle.OnIdle(false, macros != nullptr, macros, link);
    // Another pass at once while there is work: a file being sent (the writes set the
    // pace) or bytes still waiting (a printer that sends steadily is read one 50-byte
    // step after another). Otherwise nothing runs until the link has something to read.
    if (macros && link.m_bOpen && (macros->IsSending() || link.BytesWaiting() > 0))
        m_idleTimer.start(0);
    else if (macros && !link.m_bOpen)
        UpdateIdleTimer(); // the receive step found the link lost
    return again;
}

void CKVUApp::UpdateIdleTimer() {
    IMacrosPoller* macros = m_frame ? m_frame->MacrosPoller() : nullptr;
    if (macros)
        macros->SetWake([this] { WakeIdle(); });
    const bool wanted = macros && m_core.m_serial.m_bOpen;
    if (wanted) {
        // Whatever arrived before the page took the link is read at once.
        m_core.m_serial.SetOnReadable([this] { WakeIdle(); });
        WakeIdle();
    } else {
        m_core.m_serial.SetOnReadable(nullptr);
        m_idleTimer.stop();
    }
}

void CKVUApp::WakeIdle() {
    if (!m_idleTimer.isActive() || m_idleTimer.interval() > 0)
        m_idleTimer.start(0);
}
