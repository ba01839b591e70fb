// One kvuctl burn on eight simulated printers at once against one burn alone, in real
// time (the printer pauses of a burn are slept through, about 19 s). The target:
// the eight together take at most 1.2 times as long as the one.
//
//   build/bench/many_burn_bench [printers]

#include "Simulator.h"
#include "document/KVUDoc.h"
#include "document/ProjectFile.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QProcess>
#include <QTemporaryDir>
#include <cstdio>
#include <memory>
#include <vector>

namespace {
// Runs kvuctl with the user's settings kept out of the way; its wall-clock time in ms,
// or -1 when it did not exit with 0.
qint64 RunKvuCtl(const QStringList& args, const QString& configHome) {
    QProcess p;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("XDG_CONFIG_HOME"), configHome);
    p.setProcessEnvironment(env);
    p.setProcessChannelMode(QProcess::ForwardedChannels);
    QElapsedTimer timer;
    timer.start();
    p.start(QStringLiteral(KVUCTL_PATH), args);
    const bool ok =
        p.waitForFinished(300000) && p.exitStatus() == QProcess::NormalExit && p.exitCode() == 0;
    const qint64 elapsed = timer.elapsed();
    if (!ok)
        fprintf(stderr, "many_burn_bench: kvuctl %s failed (exit %d)\n",
                qPrintable(args.join(QLatin1Char(' '))), p.exitCode());
    return ok ? elapsed : -1;
}
} // namespace

int main(int argc, char* argv[]) {
    QCoreApplication app(argc, argv);
    const int count = argc > 1 ? qBound(2, atoi(argv[1]), 64) : 8;

    QTemporaryDir dir;
    const QString project = dir.filePath(QStringLiteral("bench.qpf"));
    CKVUDoc doc;
    doc.m_bBold = 1;
    doc.m_nLineSpacing = 24;
    if (CProjectFile::Save(project, doc) != CProjectFile::Result::Ok) {
        fprintf(stderr, "many_burn_bench: cannot write %s\n", qPrintable(project));
        return 1;
    }

    std::vector<std::unique_ptr<CSimulator>> printers;
    QStringList devices;
    for (int i = 0; i < count + 1; ++i) {
        printers.push_back(std::make_unique<CSimulator>(SimConfig()));
        QString error;
        if (!printers.back()->Start(&error)) {
            fprintf(stderr, "many_burn_bench: %s\n", qPrintable(error));
            return 1;
        }
        devices << printers.back()->DevicePath();
    }
    const QString alone = devices.takeLast(); // a printer of its own for the single burn

    const QString config = dir.filePath(QStringLiteral("config"));
    const qint64 oneMs = RunKvuCtl(
        {QStringLiteral("burn"), project, QStringLiteral("--port"), alone, QStringLiteral("--yes")},
        config);
    const qint64 manyMs = RunKvuCtl({QStringLiteral("burn"), project, QStringLiteral("--ports"),
                                     devices.join(QLatin1Char(',')), QStringLiteral("--yes")},
                                    config);
    for (auto& p : printers)
        p->Stop();
    if (oneMs < 0 || manyMs < 0)
        return 1;
    const double ratio = double(manyMs) / double(oneMs);
    printf("one burn:            %7.2f s\n", oneMs / 1000.0);
    printf("%2d burns in parallel: %7.2f s\n", count, manyMs / 1000.0);
    printf("ratio:               %7.3f (target at most 1.200) %s\n", ratio,
           ratio <= 1.2 ? "met" : "NOT MET");
    return ratio <= 1.2 ? 0 : 2;
}
