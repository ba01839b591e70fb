// Runs Configure and Burn against the simulated printer on a pty in real time and reports
// the total time against the sum of the pauses and waits the sequence specifies. The
// difference is what the program adds: opening the port, writing, reading, bookkeeping.
//
//   build/bench/burn_bench [runs]

#include "Simulator.h"
#include "app/AppCore.h"
#include "app/UiServices.h"
#include "module1/AttributeForm.h"
#include "module1/AttributeProgrammer.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QThread>
#include <cstdio>

#include "TimedServices.h"

namespace {} // namespace

int main(int argc, char* argv[]) {
    QCoreApplication app(argc, argv);
    const int runs = argc > 1 ? qMax(1, atoi(argv[1])) : 1;

    SimConfig config;
    CSimulator sim(config);
    QString error;
    if (!sim.Start(&error)) {
        fprintf(stderr, "burn_bench: %s\n", qPrintable(error));
        return 1;
    }
    CAppCore core;
    CTimedServices services;
    core.SetServices(&services);
    core.m_ports.SetSessionDevice(QStringLiteral("COM1"), sim.DevicePath());

    CAttributeForm form;
    form.ClickCheck(1022, true);
    form.m_nFont = 3;
    form.m_strLineSpacing = QStringLiteral("24");
    form.m_strSleepMinutes = QStringLiteral("10");
    CAttributeProgrammer programmer(core.m_serial, services);

    // The burn's reply read ends once the printer has been quiet for the 50 ms interval.
    const qint64 replyGapMs = 50;
    qint64 totalMs = 0, referenceMs = 0;
    for (int run = 0; run < runs; ++run) {
        services.pausedMs = 0;
        QElapsedTimer timer;
        timer.start();
        const bool configured = programmer.Configure(form);
        const auto result = programmer.Burn(form);
        const qint64 elapsed = timer.elapsed();
        if (!configured || result != CAttributeProgrammer::BurnResult::Confirmed) {
            fprintf(stderr, "burn_bench: run %d failed: %s\n", run + 1,
                    qPrintable(services.lastMessage));
            return 1;
        }
        const qint64 reference = services.pausedMs + replyGapMs;
        printf("run %d: total %lld ms, specified pauses and waits %lld ms, overhead %lld ms "
               "(%.2f%%)\n",
               run + 1, elapsed, reference, elapsed - reference,
               100.0 * double(elapsed - reference) / double(reference));
        totalMs += elapsed;
        referenceMs += reference;
    }
    printf("all %d runs: overhead %.2f%% of the specified time (target: under 2%%)\n", runs,
           100.0 * double(totalMs - referenceMs) / double(referenceMs));
    sim.Stop();
    return totalMs - referenceMs < referenceMs / 50 ? 0 : 2;
}
