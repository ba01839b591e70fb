// tarvo3-sim: a simulated Tarvo3 printer on a new pseudo-terminal.

#include "DeviceLink.h"
#include "SimOptions.h"
#include "Simulator.h"

#include <QFile>
#include <QGuiApplication>
#include <QTimer>
#include <atomic>
#include <csignal>
#include <cstdio>
#include <memory>
#include <vector>

namespace {
std::atomic<bool> g_stop{false};
void OnSignal(int) {
    g_stop = true;
}
} // namespace

int main(int argc, char* argv[]) {
    // The display system is only needed to paint the paper picture (text needs fonts), and
    // starting it says things that have nothing to do with the simulator, such as that
    // XDG_RUNTIME_DIR is not set: --help, --version, a wrong option and a run without
    // --paper-png do without it.
    auto app = std::make_unique<QCoreApplication>(argc, argv);
    app->setApplicationName(QStringLiteral("tarvo3-sim"));
    SimOptions options;
    QString message;
    bool exitNow = false;
    if (!options.Parse(app->arguments(), &message, &exitNow)) {
        fprintf(stderr, "tarvo3-sim: %s\n", qPrintable(message));
        return 2;
    }
    if (exitNow) {
        fputs(qPrintable(message), stdout);
        return 0;
    }
    if (!options.paperFile.isEmpty()) {
        // No window is ever shown.
        app.reset();
        if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
            qputenv("QT_QPA_PLATFORM", "offscreen");
        app = std::make_unique<QGuiApplication>(argc, argv);
        app->setApplicationName(QStringLiteral("tarvo3-sim"));
    }

    // Each printer has its own model, state and device; they share nothing.
    std::vector<std::unique_ptr<CSimulator>> simulators;
    for (int n = 0; n < options.count; ++n) {
        SimConfig config = options.config;
        config.unitNumber = options.count > 1 ? n : 0;
        auto simulator = std::make_unique<CSimulator>(config);
        const QString state = options.NumberedPath(options.stateFile, n);
        if (!state.isEmpty() && !simulator->LoadState(state, &message)) {
            fprintf(stderr, "tarvo3-sim: cannot read %s: %s\n", qPrintable(state),
                    qPrintable(message));
            return 1;
        }
        if (!simulator->Start(&message)) {
            fprintf(stderr, "tarvo3-sim: %s\n", qPrintable(message));
            return 1;
        }
        const QString link = options.NumberedPath(options.linkPath, n);
        if (!link.isEmpty() && !DeviceLink::Make(link, simulator->DevicePath(), &message)) {
            fprintf(stderr, "tarvo3-sim: %s\n", qPrintable(message));
            for (int made = 0; made < n; ++made)
                DeviceLink::Remove(options.NumberedPath(options.linkPath, made),
                                   simulators[size_t(made)]->DevicePath());
            return 1;
        }
        simulators.push_back(std::move(simulator));
    }
    for (const auto& simulator : simulators)
        printf("%s\n", qPrintable(simulator->DevicePath()));
    fflush(stdout);

    std::signal(SIGINT, OnSignal);
    std::signal(SIGTERM, OnSignal);
    QTimer poll;
    QObject::connect(&poll, &QTimer::timeout, app.get(), [&] {
        if (g_stop)
            QCoreApplication::quit();
    });
    poll.start(200);
    QCoreApplication::exec();

    int rc = 0;
    for (int n = 0; n < int(simulators.size()); ++n) {
        CSimulator& simulator = *simulators[size_t(n)];
        simulator.Stop();
        const QString state = options.NumberedPath(options.stateFile, n);
        if (!state.isEmpty() && !simulator.SaveState(state, &message)) {
            fprintf(stderr, "tarvo3-sim: cannot write %s: %s\n", qPrintable(state),
                    qPrintable(message));
            rc = 1;
        }
        const QString transcript = options.NumberedPath(options.transcriptFile, n);
        if (!transcript.isEmpty() && !simulator.Transcript().WriteTo(transcript)) {
            fprintf(stderr, "tarvo3-sim: cannot write %s\n", qPrintable(transcript));
            rc = 1;
        }
        const QString paper = options.NumberedPath(options.paperFile, n);
        if (!paper.isEmpty()) {
            const bool ok = simulator.WithPrinter([&](CPrinterModel& printer) {
                return printer.Paper().WritePng(paper, printer.Config().paperDots);
            });
            if (!ok) {
                fprintf(stderr, "tarvo3-sim: cannot write %s\n", qPrintable(paper));
                rc = 1;
            }
        }
        const QString link = options.NumberedPath(options.linkPath, n);
        if (!link.isEmpty())
            DeviceLink::Remove(link, simulator.DevicePath());
    }
    return rc;
}
