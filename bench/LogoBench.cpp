// The logo pipeline's costs, and Flash against the simulated printer in real time.
//
//   build/bench/logo_bench [--no-flash]
//
// 1. Load + render + compose + raster of a 1024 x 768 24-bit picture, in process.
// 2. Compose alone, the cost of one drag step.
// 3. Whole process against whole process: `kvuctl logo preview IN.bmp -o OUT.pbm` and
//    `convert IN.bmp -threshold 50% OUT.pbm` on the same file (when convert is there).
// 4. Flash of a 178-line logo against the simulator: total time against the sum of the
//    pauses the transfer specifies.

#include "Simulator.h"
#include "app/AppCore.h"
#include "app/UiServices.h"
#include "logo/LogoRaster.h"
#include "logo/LogoSurfaces.h"
#include "logo/LogoTransfer.h"
#include "logo/SourceBitmap.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QThread>
#include <cstdio>
#include <sys/resource.h>

#include "TimedServices.h"
#include <memory>

namespace {

void Put(QByteArray& a, quint32 v, int bytes) {
    for (int i = 0; i < bytes; ++i)
        a.append(char((v >> (8 * i)) & 0xFF));
}

// A 1024 x 768 24-bit picture with gradients and lines.
QByteArray Picture() {
    const int w = 1024, h = 768, row = CSourceBitmap::RowBytes(w, 24);
    QByteArray f = "BM";
    Put(f, 54 + row * h, 4);
    Put(f, 0, 4);
    Put(f, 54, 4);
    Put(f, 40, 4);
    Put(f, w, 4);
    Put(f, h, 4);
    Put(f, 1, 2);
    Put(f, 24, 2);
    for (int i = 0; i < 6; ++i)
        Put(f, i == 1 ? quint32(row * h) : 0u, 4);
    for (int y = h - 1; y >= 0; --y) {
        QByteArray r(row, '\0');
        for (int x = 0; x < w; ++x) {
            const bool line = (x + y) % 37 == 0;
            r[3 * x] = char(line ? 0 : (x * 255) / w);
            r[3 * x + 1] = char(line ? 0 : (y * 255) / h);
            r[3 * x + 2] = char(line ? 0 : ((x ^ y) & 0xFF));
        }
        f += r;
    }
    return f;
}

// The CPU time (user and system) the finished children have used so far, in ns.
qint64 ChildrenCpuNs() {
    rusage u{};
    getrusage(RUSAGE_CHILDREN, &u);
    auto ns = [](const timeval& t) { return qint64(t.tv_sec) * 1000000000 + qint64(t.tv_usec) * 1000; };
    return ns(u.ru_utime) + ns(u.ru_stime);
}

qint64 RunProcess(const QString& program, const QStringList& args, bool* ok, qint64* cpuNs) {
    const qint64 cpuBefore = ChildrenCpuNs();
    QElapsedTimer t;
    t.start();
    QProcess p;
    p.start(program, args);
    *ok = p.waitForFinished(120000) && p.exitStatus() == QProcess::NormalExit && p.exitCode() == 0;
    const qint64 wall = t.nsecsElapsed();
    *cpuNs += ChildrenCpuNs() - cpuBefore;
    return wall;
}

// ImageMagick's own program: the first "convert" on the PATH that is not a script (a
// wrapper in front of it would add an interpreter's start-up to its side of the ratio).
QString RealConvert() {
    for (const QString& dir : qEnvironmentVariable("PATH").split(QLatin1Char(':'))) {
        const QString candidate = QStandardPaths::findExecutable(QStringLiteral("convert"), {dir});
        if (candidate.isEmpty())
            continue;
        QFile f(candidate);
        if (f.open(QIODevice::ReadOnly) && f.read(2) != "#!")
            return candidate;
    }
    return QString();
}
} // namespace

int main(int argc, char* argv[]) {
    QCoreApplication app(argc, argv);
    const bool flash = !app.arguments().contains(QStringLiteral("--no-flash"));
    QTemporaryDir dir;
    const QString input = dir.filePath(QStringLiteral("in.bmp"));
    {
        QFile f(input);
        if (!f.open(QIODevice::WriteOnly) || f.write(Picture()) < 0)
            return 1;
    }

    auto bmp = std::make_unique<CSourceBitmap>();
    auto surfaces = std::make_unique<CLogoSurfaces>();
    CLogoRaster raster;
    raster.m_nHeight = 178;
    const int runs = 20;
    QElapsedTimer t;
    t.start();
    for (int i = 0; i < runs; ++i) {
        bmp->Read(input);
        surfaces->RenderSurfaces(*bmp, 50, nullptr);
        surfaces->ComposeView(*bmp, raster, 0, 0, 4);
        surfaces->BuildRaster(*bmp, raster);
    }
    printf("load + render + compose + raster, 1024 x 768 24-bit: %.2f ms\n",
           t.nsecsElapsed() / 1e6 / runs);
    struct Zoom {
        int q;
        const char* name;
    } zooms[] = {{2, "x0.5"}, {4, "x1.0"}, {6, "x1.5"}, {12, "x3.0"}};
    for (const Zoom& z : zooms) {
        t.restart();
        for (int i = 0; i < 100; ++i)
            surfaces->ComposeView(*bmp, raster, -i, i / 2, z.q);
        printf("compose alone at %s: %.3f ms (target under 4 ms)\n", z.name,
               t.nsecsElapsed() / 1e6 / 100);
    }

    const QString kvuctl = QStringLiteral(KVUCTL_PATH);
    const QString convert = RealConvert();
    if (!convert.isEmpty()) {
        bool okA = false, okB = false;
        qint64 ours = 0, theirs = 0, oursCpu = 0, theirsCpu = 0;
        const int rounds = 5;
        for (int i = 0; i < rounds; ++i) {
            ours += RunProcess(kvuctl,
                               {QStringLiteral("logo"), QStringLiteral("preview"), input,
                                QStringLiteral("-o"), dir.filePath(QStringLiteral("a.pbm"))},
                               &okA, &oursCpu);
            theirs += RunProcess(convert,
                                 {input, QStringLiteral("-threshold"), QStringLiteral("50%"),
                                  dir.filePath(QStringLiteral("b.pbm"))},
                                 &okB, &theirsCpu);
        }
        if (okA && okB) {
            printf("kvuctl logo preview %.1f ms, %s -threshold 50%% %.1f ms: %.1f times "
                   "faster (target 10)\n",
                   ours / 1e6 / rounds, qPrintable(convert), theirs / 1e6 / rounds,
                   double(theirs) / double(ours));
            printf("CPU time: kvuctl %.1f ms, convert %.1f ms: %.1f times less\n",
                   oursCpu / 1e6 / rounds, theirsCpu / 1e6 / rounds,
                   double(theirsCpu) / double(qMax<qint64>(oursCpu, 1)));
        }
        else
            printf("process comparison failed (kvuctl %d, convert %d)\n", okA, okB);
    } else {
        printf("convert not installed: no process comparison\n");
    }

    if (flash) {
        const SimConfig config;
        CSimulator sim{config};
        QString error;
        if (!sim.Start(&error)) {
            fprintf(stderr, "logo_bench: %s\n", qPrintable(error));
            return 1;
        }
        CAppCore core;
        CTimedServices services;
        core.SetServices(&services);
        core.m_ports.SetSessionDevice(QStringLiteral("COM1"), sim.DevicePath());
        CLogoTransfer transfer(core.m_serial, services);
        t.restart();
        const auto result = transfer.FlashLogo(raster, 3);
        const qint64 elapsed = t.elapsed();
        // The printer's own time to answer "?" is part of the reference, not overhead.
        const qint64 reference =
            CLogoTransfer::FlashPauseMs(raster.m_nHeight) + config.faults.questionDelayMs;
        if (result != CLogoTransfer::Result::Done) {
            fprintf(stderr, "logo_bench: flash failed: %s\n", qPrintable(services.lastMessage));
            return 1;
        }
        printf("flash of %d lines: total %lld ms, specified pauses and the printer's '?' delay "
               "%lld ms, overhead %lld ms "
               "(%.2f%%; target under 2%%)\n",
               raster.m_nHeight, elapsed, reference, elapsed - reference,
               100.0 * double(elapsed - reference) / double(reference));
        sim.Stop();
    }
    return 0;
}
