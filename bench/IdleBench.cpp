// What the desktop program costs while it waits, on the offscreen platform against the
// simulated printer: CPU share and wake-ups per second with the Macros page shown (the
// link held open) and with another page shown, and how soon a reply the printer sends
// shows in the receive monitor. Targets: at most 0.1 % of a core with the Macros page
// shown, next to nothing with another page, and the monitor within 50 ms of the bytes.
//
//   QT_QPA_PLATFORM=offscreen build/bench/idle_bench [seconds per phase, default 30]

#include "KVUApp.h"
#include "frame/KVUView.h"
#include "frame/MainFrame.h"
#include "frame/ModuleSheet.h"
#include "module1/Mod1Page3.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QLineEdit>
#include <QTemporaryDir>
#include <QTimer>
#include <algorithm>
#include <cstdio>
#include <ctime>
#include <vector>

namespace {
// Times the process gave up the CPU of its own accord: each is one wake-up that ended in
// a wait again.
long VoluntarySwitches() {
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return 0;
    for (const QByteArray& line : status.readAll().split('\n')) {
        if (line.startsWith("voluntary_ctxt_switches:"))
            return line.mid(24).trimmed().toLong();
    }
    return 0;
}

void RunFor(int ms) {
    QEventLoop loop;
    QTimer::singleShot(ms, &loop, &QEventLoop::quit);
    loop.exec();
}

// Runs the event loop for `seconds` and prints the CPU share and wake-ups of that span.
void Measure(const char* what, int seconds, double targetPercent) {
    const std::clock_t cpuStart = std::clock();
    const long switchesStart = VoluntarySwitches();
    QElapsedTimer wall;
    wall.start();
    RunFor(seconds * 1000);
    const double cpuMs = double(std::clock() - cpuStart) * 1000.0 / CLOCKS_PER_SEC;
    const double share = 100.0 * cpuMs / double(wall.elapsed());
    const double wakeups = double(VoluntarySwitches() - switchesStart) * 1000.0 / double(wall.elapsed());
    std::printf("idle_bench: %s: %.0f ms of CPU in %lld ms: %.3f%% of a core (target %.2f%%, "
                "%.1f x the target), %.1f wake-ups/s\n",
                what, cpuMs, static_cast<long long>(wall.elapsed()), share, targetPercent,
                share / targetPercent, wakeups);
}
} // namespace

int main(int argc, char* argv[]) {
    // A settings folder of its own: the run must not touch the user's KVU settings.
    QTemporaryDir settings;
    qputenv("XDG_CONFIG_HOME", settings.path().toLocal8Bit());
    QApplication qt(argc, argv);
    const int seconds = argc > 1 ? qMax(1, atoi(argv[1])) : 30;
    CKVUApp app;
    if (!app.InitInstance({QStringLiteral("kvu"), QStringLiteral("--simulator")}))
        return 1;
    CModuleSheet* sheet = app.MainFrame()->ModuleView()->Sheet(ModuleId::CustomAttributes);
    auto* macros = app.MainFrame()->ModuleView()->FindPage<CMod1Page3>();
    sheet->setCurrentIndex(CKVUView::TabOf(sheet, 132)); // the Macros page holds the link
    if (!app.Serial().m_bOpen || !macros) {
        std::fprintf(stderr, "idle_bench: the Macros page could not open the link\n");
        return 1;
    }
    RunFor(1000); // start-up settles
    Measure("Macros page shown, link held", seconds, 0.1);

    // The printer's model query: its reply comes after the simulated printer's own 20 ms;
    // the rest is the program's.
    const int printerDelayMs = 20;
    macros->findChild<QLineEdit*>(QStringLiteral("id1075"))->setText(QStringLiteral("^[P)"));
    std::vector<qint64> latencies;
    for (int i = 0; i < 20; ++i) {
        const int before = int(macros->MonitorText().count(QLatin1Char('\n')));
        QElapsedTimer clock;
        clock.start();
        macros->OnMacroButton(0);
        while (int(macros->MonitorText().count(QLatin1Char('\n'))) == before && clock.elapsed() < 2000)
            QApplication::processEvents(QEventLoop::WaitForMoreEvents);
        latencies.push_back(clock.elapsed() - printerDelayMs);
        RunFor(100);
    }
    std::sort(latencies.begin(), latencies.end());
    std::printf("idle_bench: reply in the receive monitor %lld ms after the printer sent it "
                "(median of 20; worst %lld ms; target 50 ms)\n",
                static_cast<long long>(latencies[latencies.size() / 2]),
                static_cast<long long>(latencies.back()));

    sheet->setCurrentIndex(0); // Custom Attributes: the link is closed
    RunFor(1000);
    Measure("another page shown", seconds, 0.1);
    app.ExitInstance(0);
    return 0;
}
