// Runs the Bluetooth Read and Write and the WLAN Read against the simulated printer's
// radio modules on a pty in real time, and reports each total against the sum of the
// guard times and pauses the exchange specifies plus the quiet gap that ends each read.
// The difference is what the program adds: opening the port for each step, writing,
// reading and parsing.
//
//   build/bench/radio_bench [runs]

#include "Simulator.h"
#include "app/AppCore.h"
#include "app/UiServices.h"
#include "wireless/AtExchange.h"
#include "wireless/BluetoothForm.h"
#include "wireless/WlanForm.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QThread>
#include <cstdio>

#include "TimedServices.h"
#include <functional>

namespace {

// A read ends once the module has been quiet for the 50 ms interval.
const qint64 kReadGapMs = 50;
} // namespace

int main(int argc, char* argv[]) {
    QCoreApplication app(argc, argv);
    const int runs = argc > 1 ? qMax(1, atoi(argv[1])) : 1;

    CSimulator sim{SimConfig()};
    QString error;
    if (!sim.Start(&error)) {
        fprintf(stderr, "radio_bench: %s\n", qPrintable(error));
        return 1;
    }
    CAppCore core;
    CTimedServices services;
    core.SetServices(&services);
    core.m_ports.SetSessionDevice(QStringLiteral("COM1"), sim.DevicePath());

    CBluetoothForm bt;
    bt.InitDialog();
    CWlanForm wlan;
    wlan.InitDialog();
    wlan.m_strKeyIndex = QStringLiteral("1");
    struct Case {
        const char* name;
        int reads;
        std::function<CAtExchange::Result()> run;
    } cases[] = {
        {"Bluetooth Read", 1, [&] { return CAtExchange(core.m_serial, services, bt).Read(bt); }},
        {"Bluetooth Write", 6, [&] { return CAtExchange(core.m_serial, services, bt).Write(bt); }},
        {"WLAN Read", 1, [&] { return CAtExchange(core.m_serial, services, wlan).Read(wlan); }},
    };
    qint64 totalMs = 0, referenceMs = 0;
    for (int run = 0; run < runs; ++run) {
        for (const Case& c : cases) {
            services.pausedMs = 0;
            QElapsedTimer timer;
            timer.start();
            const CAtExchange::Result result = c.run();
            const qint64 elapsed = timer.elapsed();
            if (!result.ok) {
                fprintf(stderr, "radio_bench: %s failed: %s\n", c.name,
                        qPrintable(services.lastMessage));
                return 1;
            }
            const qint64 reference = services.pausedMs + c.reads * kReadGapMs;
            printf("run %d, %s: total %lld ms, specified pauses and waits %lld ms, overhead "
                   "%lld ms (%.2f%%)\n",
                   run + 1, c.name, elapsed, reference, elapsed - reference,
                   100.0 * double(elapsed - reference) / double(reference));
            totalMs += elapsed;
            referenceMs += reference;
        }
    }
    printf("all runs: overhead %.2f%% of the specified time (target: under 2%%)\n",
           100.0 * double(totalMs - referenceMs) / double(referenceMs));
    sim.Stop();
    return totalMs - referenceMs < referenceMs / 50 ? 0 : 2;
}
