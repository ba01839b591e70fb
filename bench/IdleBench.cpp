// The CPU the desktop program uses while the Macros page is shown and nothing arrives:
// the idle beat, the receive poll every 21st beat and its short reads, on the offscreen
// platform against the simulated printer. The target is at most 0.5% of one core.
//
//   QT_QPA_PLATFORM=offscreen build/bench/idle_bench [seconds]

#include "KVUApp.h"
#include "frame/KVUView.h"
#include "frame/MainFrame.h"
#include "frame/ModuleSheet.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QTemporaryDir>
#include <QTimer>
#include <cstdio>
#include <ctime>

int main(int argc, char* argv[]) {
    // A settings folder of its own: the run must not touch the user's KVU settings.
    QTemporaryDir settings;
    qputenv("XDG_CONFIG_HOME", settings.path().toLocal8Bit());
    QApplication qt(argc, argv);
    const int seconds = argc > 1 ? qMax(1, atoi(argv[1])) : 10;
    CKVUApp app;
    if (!app.InitInstance({QStringLiteral("kvu"), QStringLiteral("--simulator")}))
        return 1;
    CModuleSheet* sheet = app.MainFrame()->ModuleView()->Sheet(ModuleId::CustomAttributes);
    sheet->setCurrentIndex(CKVUView::TabOf(sheet, 132)); // the Macros page holds the link
    if (!app.Serial().m_bOpen) {
        std::fprintf(stderr, "idle_bench: the Macros page could not open the link\n");
        return 1;
    }
    // Let start-up settle, then measure the process's CPU time over the interval.
    QTimer::singleShot(1000, [&] {
        const std::clock_t cpuStart = std::clock();
        QElapsedTimer wall;
        wall.start();
        QTimer::singleShot(seconds * 1000, [&, cpuStart, wall] {
            const double cpuMs = double(std::clock() - cpuStart) * 1000.0 / CLOCKS_PER_SEC;
            const double share = 100.0 * cpuMs / double(wall.elapsed());
            std::printf("idle_bench: %.0f ms of CPU in %lld ms with the Macros page shown: "
                        "%.2f%% of a core (target 0.5%%)\n",
                        cpuMs, static_cast<long long>(wall.elapsed()), share);
            QApplication::quit();
        });
    });
    QApplication::exec();
    app.ExitInstance(0);
    return 0;
}
