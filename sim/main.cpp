// tarvo3-sim: a simulated Tarvo3 printer on a new pseudo-terminal.

#include "SimOptions.h"
#include "Simulator.h"

#include <QFile>
#include <QGuiApplication>
#include <QTimer>
#include <atomic>
#include <csignal>
#include <cstdio>

namespace {
std::atomic<bool> g_stop{false};
void OnSignal(int) {
    g_stop = true;
}
} // namespace

int main(int argc, char* argv[]) {
    // Only used to paint the paper picture; no window is ever shown.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    app.setApplicationName(QStringLiteral("tarvo3-sim"));

    SimOptions options;
    QString message;
    bool exitNow = false;
    if (!options.Parse(app.arguments(), &message, &exitNow)) {
        fprintf(stderr, "tarvo3-sim: %s\n", qPrintable(message));
        return 2;
    }
    if (exitNow) {
        fputs(qPrintable(message), stdout);
        return 0;
    }

    CSimulator simulator(options.config);
    if (!options.stateFile.isEmpty() && !simulator.LoadState(options.stateFile, &message)) {
        fprintf(stderr, "tarvo3-sim: cannot read %s: %s\n", qPrintable(options.stateFile),
                qPrintable(message));
        return 1;
    }
    if (!simulator.Start(&message)) {
        fprintf(stderr, "tarvo3-sim: %s\n", qPrintable(message));
        return 1;
    }
    if (!options.linkPath.isEmpty()) {
        QFile::remove(options.linkPath);
        if (!QFile::link(simulator.DevicePath(), options.linkPath))
            fprintf(stderr, "tarvo3-sim: cannot make the link %s\n", qPrintable(options.linkPath));
    }
    printf("%s\n", qPrintable(simulator.DevicePath()));
    fflush(stdout);

    std::signal(SIGINT, OnSignal);
    std::signal(SIGTERM, OnSignal);
    QTimer poll;
    QObject::connect(&poll, &QTimer::timeout, &app, [&] {
        if (g_stop)
            app.quit();
    });
    poll.start(200);
    app.exec();

    simulator.Stop();
    int rc = 0;
    if (!options.stateFile.isEmpty() && !simulator.SaveState(options.stateFile, &message)) {
        fprintf(stderr, "tarvo3-sim: cannot write %s: %s\n", qPrintable(options.stateFile),
                qPrintable(message));
        rc = 1;
    }
    if (!options.transcriptFile.isEmpty() &&
        !simulator.Transcript().WriteTo(options.transcriptFile)) {
        fprintf(stderr, "tarvo3-sim: cannot write %s\n", qPrintable(options.transcriptFile));
        rc = 1;
    }
    if (!options.paperFile.isEmpty()) {
        const bool ok = simulator.WithPrinter([&](CPrinterModel& printer) {
            return printer.Paper().WritePng(options.paperFile, printer.Config().paperDots);
        });
        if (!ok) {
            fprintf(stderr, "tarvo3-sim: cannot write %s\n", qPrintable(options.paperFile));
            rc = 1;
        }
    }
    if (!options.linkPath.isEmpty())
        QFile::remove(options.linkPath);
    return rc;
}
