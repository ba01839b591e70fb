#pragma once

#include "ShotServices.h"

#include <QImage>
#include <QString>
#include <QTemporaryDir>
#include <memory>

class CKVUApp;
class CMainFrame;
class CSimulator;
class CVirtualClock;
class QWidget;

// The real program, started as a user starts it (a new project in the Custom Attributes
// module, settings from an empty folder, COM1 at 38400 bit/s), for the help's pictures.
// A simulated printer on a virtual clock answers the pictures that show a reply.
class CShotStage {
public:
    CShotStage();
    ~CShotStage();
    CShotStage(const CShotStage&) = delete;
    CShotStage& operator=(const CShotStage&) = delete;

    bool Start(QString* error);
    CKVUApp& App() { return *m_app; }
    CMainFrame& Frame();
    CShotServices& Services() { return m_services; }
    // A file in a folder of the stage's own, for what a picture needs on disk.
    QString ScratchPath(const QString& name) const;

    // Puts a simulated printer (with its Bluetooth and WLAN modules) behind COM1 for the
    // rest of the run; false where there is none.
    bool ConnectPrinter(QString* error);
    // The simulated printer behind COM1 once connected; null before, or where there is none.
    CSimulator* Printer();
    // Whether this platform has the simulated printer (it needs pseudo-terminals).
    static bool CanSimulate();

    // The window shown, laid out and painted, as the user would see it.
    static QImage Photograph(QWidget* window);

private:
    QTemporaryDir m_scratch;
    CShotServices m_services;
    std::unique_ptr<CKVUApp> m_app;
#ifdef Q_OS_UNIX
    std::unique_ptr<CVirtualClock> m_clock;
    std::unique_ptr<CSimulator> m_printer;
#endif
};
