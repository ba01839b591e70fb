#include "ShotStage.h"

#include "KVUApp.h"
#include "frame/MainFrame.h"

#include <QApplication>
#include <QWidget>

#ifdef Q_OS_UNIX
#include "Clock.h"
#include "Simulator.h"
#endif

CShotStage::CShotStage() = default;

CShotStage::~CShotStage() {
    if (m_app)
        m_app->Serial().Close();
    m_app.reset();
#ifdef Q_OS_UNIX
    if (m_printer)
        m_printer->Stop();
#endif
}

bool CShotStage::Start(QString* error) {
    if (!m_scratch.isValid()) {
        *error = QStringLiteral("no scratch folder: %1").arg(m_scratch.errorString());
        return false;
    }
    m_app = std::make_unique<CKVUApp>();
    m_app->SetServices(&m_services);
    if (!m_app->InitInstance({QStringLiteral("kvu")})) {
        *error = QStringLiteral("the program did not start");
        return false;
    }
    CMainFrame* frame = m_app->MainFrame();
    m_services.SetStatusSink([frame](const QString& text) { frame->SetMessageText(text); });
    return true;
}

CMainFrame& CShotStage::Frame() {
    return *m_app->MainFrame();
}

QString CShotStage::ScratchPath(const QString& name) const {
    return m_scratch.filePath(name);
}

bool CShotStage::ConnectPrinter(QString* error) {
#ifdef Q_OS_UNIX
    if (m_printer)
        return true;
    m_clock = std::make_unique<CVirtualClock>();
    SimConfig config;
    config.baudRate = m_app->Serial().m_nBaudRate;
    m_printer = std::make_unique<CSimulator>(config, m_clock.get());
    if (!m_printer->Start(error)) {
        m_printer.reset();
        return false;
    }
    m_printer->AttachTo(*m_clock);
    m_services.SetClock(m_clock.get());
    m_app->Core().m_ports.SetSessionDevice(QStringLiteral("COM1"), m_printer->DevicePath());
    m_app->Serial().SetPortName(QStringLiteral("COM1"));
    Frame().UpdateLinkPane();
    return true;
#else
    *error = QStringLiteral("the simulated printer is not available on this platform");
    return false;
#endif
}

CSimulator* CShotStage::Printer() {
#ifdef Q_OS_UNIX
    return m_printer.get();
#else
    return nullptr;
#endif
}

bool CShotStage::CanSimulate() {
#ifdef Q_OS_UNIX
    return true;
#else
    return false;
#endif
}

QImage CShotStage::Photograph(QWidget* window) {
    window->show();
    // Twice: a layout done while showing may post another round of resizes.
    for (int round = 0; round < 2; ++round) {
        QApplication::sendPostedEvents();
        QApplication::processEvents();
    }
    return window->grab().toImage();
}
