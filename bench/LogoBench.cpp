// The logo pipeline's costs, and Flash against the simulated printer in real time.
//
//   build/bench/logo_bench [--no-flash] [--kvuctl PATH]
//
// 1. Load + render + compose + raster of a 1024 x 768 24-bit picture, in process, and
//    the PNG of its composite.
// 2. Compose alone, the cost of one drag step.
// 3. Whole process against whole process, for OUT.pbm and OUT.png:
//    `kvuctl logo preview IN.bmp -o OUT` and `convert IN.bmp -colorspace gray -threshold
//    50% OUT` on the same file (when convert is there): medians of paired runs, the
//    ratio, and the peak memory of both.
// 4. Flash of a 178-line logo against the simulator: total time against the sum of the
//    pauses the transfer specifies.

#include "Simulator.h"
#include "app/AppCore.h"
#include "app/UiServices.h"
#include "logo/LogoRaster.h"
#include "logo/LogoSurfaces.h"
#include "logo/LogoTransfer.h"
#include "logo/PngWriter.h"
#include "logo/SourceBitmap.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QThread>
#include <algorithm>
#include <cstdio>
#include <fcntl.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

extern char** environ;

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

// One run of a program, its output thrown away: wall time and, through /usr/bin/time,
// the peak memory. (A child's own maximum resident set from wait4 counts the memory of
// this benchmark, which the child shared until its exec; time's small process stands
// between.)
struct Timed {
    bool ok = false;
    qint64 wallNs = 0;
    long maxRssKb = 0;
};
Timed RunTimed(const QString& program, const QStringList& args, const QString& peakFile = {}) {
    std::vector<QByteArray> bytes;
    if (!peakFile.isEmpty())
        bytes = {"/usr/bin/time", "-f", "%M", "-o", QFile::encodeName(peakFile)};
    bytes.push_back(QFile::encodeName(program));
    for (const QString& a : args)
        bytes.push_back(QFile::encodeName(a));
    std::vector<char*> argv;
    for (QByteArray& b : bytes)
        argv.push_back(b.data());
    argv.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
    Timed t;
    QElapsedTimer clock;
    clock.start();
    pid_t pid = 0;
    if (posix_spawn(&pid, argv[0], &actions, nullptr, argv.data(), environ) == 0) {
        int status = 0;
        rusage usage{};
        if (wait4(pid, &status, 0, &usage) == pid) {
            t.wallNs = clock.nsecsElapsed();
            t.ok = WIFEXITED(status) && WEXITSTATUS(status) == 0;
            if (!peakFile.isEmpty()) {
                QFile f(peakFile);
                t.maxRssKb = f.open(QIODevice::ReadOnly) ? f.readAll().trimmed().toLong() : 0;
            }
        }
    }
    posix_spawn_file_actions_destroy(&actions);
    return t;
}

template <class T> T Median(std::vector<T> v) {
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
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
    {
        // What one kvuctl run does, in a fresh store and fresh surfaces each time (their
        // memory is new to the process then, as it is in kvuctl).
        qint64 readNs = 0, buildNs = 0, pngNs = 0;
        qsizetype pngBytes = 0;
        for (int i = 0; i < runs; ++i) {
            auto fresh = std::make_unique<CSourceBitmap>();
            auto once = std::make_unique<CLogoSurfaces>(CLogoSurfaces::Use::Once);
            QElapsedTimer step;
            step.start();
            fresh->Read(input);
            readNs += step.nsecsElapsed();
            step.restart();
            once->RenderSurfaces(*fresh, 50, nullptr);
            once->ComposeView(*fresh, raster, 0, 0, 4);
            once->BuildRaster(*fresh, raster);
            buildNs += step.nsecsElapsed();
            step.restart();
            const CSurface& c = once->m_composite;
            pngBytes = PngWriter::Encode(c.Row(0), c.Width(), c.Height()).size();
            pngNs += step.nsecsElapsed();
        }
        printf("kvuctl's steps, fresh memory: read %.2f ms (target under 3), render + compose "
               "+ raster %.2f ms (target under 3)\n",
               readNs / 1e6 / runs, buildNs / 1e6 / runs);
        printf("kvuctl's PNG of the composite (colours outside the frame): %.2f ms, %lld bytes\n",
               pngNs / 1e6 / runs, static_cast<long long>(pngBytes));
    }
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

    // --kvuctl PATH measures another build (an older one, for a before-and-after).
    const int given = app.arguments().indexOf(QStringLiteral("--kvuctl"));
    const QString kvuctl = given > 0 && given + 1 < app.arguments().size()
                               ? app.arguments().at(given + 1)
                               : QStringLiteral(KVUCTL_PATH);
    const QString convert = RealConvert();
    if (!convert.isEmpty()) {
        // Paired runs, one of each in turn, so that the machine's load falls on both alike.
        for (const char* format : {"pbm", "png"}) {
            const int rounds = 11;
            std::vector<qint64> ours, theirs;
            std::vector<long> oursKb, theirsKb;
            bool ok = true;
            const QString a = dir.filePath(QStringLiteral("a.") + QLatin1String(format));
            const QString b = dir.filePath(QStringLiteral("b.") + QLatin1String(format));
            for (int i = 0; i < rounds && ok; ++i) {
                const Timed k = RunTimed(kvuctl, {QStringLiteral("logo"), QStringLiteral("preview"),
                                                  input, QStringLiteral("-o"), a});
                const Timed c =
                    RunTimed(convert, {input, QStringLiteral("-colorspace"), QStringLiteral("gray"),
                                       QStringLiteral("-threshold"), QStringLiteral("50%"), b});
                // The peak memory in runs of their own, so that time's start is not timed.
                const QString peak = dir.filePath(QStringLiteral("peak"));
                const QStringList kArgs{QStringLiteral("logo"), QStringLiteral("preview"), input,
                                        QStringLiteral("-o"), a};
                const QStringList cArgs{input,
                                        QStringLiteral("-colorspace"),
                                        QStringLiteral("gray"),
                                        QStringLiteral("-threshold"),
                                        QStringLiteral("50%"),
                                        b};
                const long kKb = RunTimed(kvuctl, kArgs, peak).maxRssKb;
                const long cKb = RunTimed(convert, cArgs, peak).maxRssKb;
                ok = k.ok && c.ok && kKb > 0 && cKb > 0;
                ours.push_back(k.wallNs);
                theirs.push_back(c.wallNs);
                oursKb.push_back(kKb);
                theirsKb.push_back(cKb);
            }
            if (!ok) {
                printf("%s: process comparison failed\n", format);
                continue;
            }
            const double mine = Median(ours) / 1e6, yardstick = Median(theirs) / 1e6;
            const double mineMb = Median(oursKb) / 1024.0, theirMb = Median(theirsKb) / 1024.0;
            printf("%s: kvuctl logo preview %.1f ms, convert -colorspace gray -threshold 50%% "
                   "%.1f ms (medians of %d paired runs): %.1f times faster (target 20)\n",
                   format, mine, yardstick, rounds, yardstick / mine);
            printf("%s: peak memory kvuctl %.1f MiB, convert %.1f MiB: %.1f times less "
                   "(target 8)\n",
                   format, mineMb, theirMb, theirMb / mineMb);
        }
        std::vector<qint64> version;
        for (int i = 0; i < 11; ++i)
            version.push_back(RunTimed(kvuctl, {QStringLiteral("--version")}).wallNs);
        printf("kvuctl --version alone: %.1f ms (median of 11)\n", Median(version) / 1e6);
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
