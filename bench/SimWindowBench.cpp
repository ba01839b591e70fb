// What the simulated printer's window costs: one refresh (copying the printer's state
// under its lock and laying out the paper) and one paint of the paper in view, with the
// paper full (20,000 lines); the whole paper as a picture for Save as PNG; and how many
// refreshes a stream of printed lines causes (the window bunches the notices).
//
//   QT_QPA_PLATFORM=offscreen build/bench/simwindow_bench

#include "Simulator.h"
#include "TimedServices.h"
#include "simulator/PaperWidget.h"
#include "simulator/SimPrinterWindow.h"
#include "app/AppCore.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QScrollArea>
#include <cstdio>

namespace {
template <class F> double MeanMs(int runs, F f) {
    QElapsedTimer t;
    t.start();
    for (int i = 0; i < runs; ++i)
        f();
    return double(t.nsecsElapsed()) / 1e6 / runs;
}
} // namespace

int main(int argc, char* argv[]) {
    QApplication qt(argc, argv);
    CSimulator sim{SimConfig()};
    QString error;
    if (!sim.Start(&error)) {
        std::fprintf(stderr, "simwindow_bench: %s\n", qPrintable(error));
        return 1;
    }
    sim.WithPrinter([](CPrinterModel& p) {
        for (int i = 0; i < CPaper::kMaxLines; ++i)
            p.Paper().AddText(QByteArray("RECEIPT LINE ") + QByteArray::number(i) +
                                  " \xC4\xC4\xC4\xC4 12.50",
                              p.Attributes());
    });
    CTimedServices services;
    CSimPrinterWindow window(sim, services);
    window.show();
    QApplication::processEvents();
    auto* paper = window.findChild<CPaperWidget*>("paper");
    auto* scroll = window.findChild<QScrollArea*>("paperScroll");

    const double refreshMs = MeanMs(20, [&] { window.Refresh(); });
    const double paintMs = MeanMs(20, [&] { scroll->viewport()->grab(); });
    QImage picture;
    const double pictureMs = MeanMs(3, [&] { picture = paper->Paper().Picture(576); });
    std::printf("simwindow_bench: full paper (%d lines): refresh %.2f ms, paint in view %.2f ms, "
                "picture %dx%d in %.0f ms\n",
                CPaper::kMaxLines, refreshMs, paintMs, picture.width(), picture.height(),
                pictureMs);

    // A stream of short lines over the link: count the refreshes it causes.
    sim.WithPrinter([](CPrinterModel& p) { p.Paper().Clear(); });
    window.Refresh();
    CAppCore core;
    core.SetServices(&services);
    core.m_ports.SetSessionDevice(QStringLiteral("COM1"), sim.DevicePath());
    CSerialPort& link = core.m_serial;
    link.SetPortName(QStringLiteral("COM1"));
    link.m_nBaudRate = 38400;
    int refreshes = 0;
    const int lines = 2000;
    QElapsedTimer wall;
    wall.start();
    const auto before = window.Snapshot().paper.Lines().size();
    for (int i = 0; i < lines; ++i) {
        link.SendBlock(QByteArray("LINE ") + QByteArray::number(i) + "\r\n");
        const auto shownBefore = window.Snapshot().paper.Lines().size();
        QApplication::processEvents();
        if (window.Snapshot().paper.Lines().size() != shownBefore)
            ++refreshes;
    }
    while (window.Snapshot().paper.Lines().size() < before + lines && wall.elapsed() < 30000)
        QApplication::processEvents(QEventLoop::WaitForMoreEvents, 50);
    std::printf("simwindow_bench: %d lines sent one by one in %lld ms: %d refreshes seen "
                "(bunched every %d ms)\n",
                lines, static_cast<long long>(wall.elapsed()), refreshes,
                CSimPrinterWindow::kRefreshDelayMs);
    sim.Stop();
    return 0;
}
