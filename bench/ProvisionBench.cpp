// kvuctl provision with a recipe of every step on eight simulated printers at once against
// the same recipe on one printer alone, in real time (the printer pauses are slept
// through, about a minute), then the same command again, which skips all eight. The
// issue's target: the eight take at most 1.2 times as long as the one.
//
//   build/bench/provision_bench [printers]

#include "Simulator.h"
#include "document/KVUDoc.h"
#include "document/ProjectFile.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <cstdio>
#include <memory>
#include <vector>

namespace {
qint64 RunKvuCtl(const QStringList& args, const QString& home, QByteArray* out = nullptr) {
    QProcess p;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("XDG_CONFIG_HOME"), home + QStringLiteral("/config"));
    env.insert(QStringLiteral("XDG_DATA_HOME"), home + QStringLiteral("/data"));
    p.setProcessEnvironment(env);
    p.setProcessChannelMode(QProcess::SeparateChannels);
    QElapsedTimer timer;
    timer.start();
    p.start(QStringLiteral(KVUCTL_PATH), args);
    const bool ok =
        p.waitForFinished(600000) && p.exitStatus() == QProcess::NormalExit && p.exitCode() == 0;
    const qint64 elapsed = timer.elapsed();
    if (out)
        *out = p.readAllStandardOutput();
    if (!ok)
        fprintf(stderr, "provision_bench: kvuctl %s failed (exit %d)\n%s\n",
                qPrintable(args.join(QLatin1Char(' '))), p.exitCode(),
                p.readAllStandardError().right(2000).constData());
    return ok ? elapsed : -1;
}

bool Write(const QString& path, const QByteArray& bytes) {
    QFile f(path);
    return f.open(QIODevice::WriteOnly) && f.write(bytes) == bytes.size();
}

// A 24-bit BMP: a black frame on white.
QByteArray Picture(int w, int h) {
    const int row = (w * 3 + 3) & ~3;
    QByteArray pixels;
    for (int y = 0; y < h; ++y) {
        QByteArray r;
        for (int x = 0; x < w; ++x) {
            const bool black = x < 4 || y < 4 || x >= w - 4 || y >= h - 4;
            r.append(3, black ? '\0' : '\xFF');
        }
        r.append(row - w * 3, '\0');
        pixels += r;
    }
    QByteArray file("BM");
    const auto put = [&file](quint32 v, int bytes) {
        for (int i = 0; i < bytes; ++i)
            file.append(char((v >> (8 * i)) & 0xFF));
    };
    put(54 + pixels.size(), 4);
    put(0, 4);
    put(54, 4);
    put(40, 4);
    put(w, 4);
    put(h, 4);
    put(1, 2);
    put(24, 2);
    put(0, 4);
    put(pixels.size(), 4);
    put(2835, 4);
    put(2835, 4);
    put(0, 4);
    put(0, 4);
    return file + pixels;
}
} // namespace

int main(int argc, char* argv[]) {
    QCoreApplication app(argc, argv);
    const int count = argc > 1 ? qBound(2, atoi(argv[1]), 64) : 8;
    QTemporaryDir dir;
    CKVUDoc doc;
    doc.m_bBold = 1;
    if (CProjectFile::Save(dir.filePath(QStringLiteral("shop.qpf")), doc) !=
            CProjectFile::Result::Ok ||
        !Write(dir.filePath(QStringLiteral("logo.bmp")), Picture(300, 120))) {
        fprintf(stderr, "provision_bench: cannot write the recipe's files\n");
        return 1;
    }
    QByteArray csv = "n,ip,pin\n";
    for (int i = 1; i <= count; ++i)
        csv += QByteArray::number(i) + ",10.0.0." + QByteArray::number(10 + i) + "," +
               QByteArray::number(1000 + i) + "\n";
    const QByteArray recipe = "name = \"bench\"\nprinters = \"printers.csv\"\nkey = \"n\"\n"
                              "[[step]]\ndo = \"detect\"\n"
                              "[[step]]\ndo = \"check-battery\"\nmin-volts = 7.0\n"
                              "[[step]]\ndo = \"burn\"\nproject = \"shop.qpf\"\n"
                              "[[step]]\ndo = \"flash\"\nslot = 0\npicture = \"logo.bmp\"\n"
                              "[[step]]\ndo = \"bt\"\nname = \"Till {n}\"\npin = \"{pin}\"\n"
                              "[[step]]\ndo = \"wlan\"\nssid = \"shop\"\nip = \"{ip}\"\n"
                              "[[step]]\ndo = \"test-print\"\ntext = \"Till {n} {address}^M^J\"\n"
                              "[[step]]\ndo = \"print-logo\"\nslot = 0\n";
    const QString recipePath = dir.filePath(QStringLiteral("recipe.toml"));
    if (!Write(recipePath, recipe) || !Write(dir.filePath(QStringLiteral("printers.csv")), csv))
        return 1;

    std::vector<std::unique_ptr<CSimulator>> printers;
    QStringList devices;
    for (int i = 0; i < count + 1; ++i) {
        SimConfig config;
        config.unitNumber = i + 1;
        printers.push_back(std::make_unique<CSimulator>(config));
        QString error;
        if (!printers.back()->Start(&error)) {
            fprintf(stderr, "provision_bench: %s\n", qPrintable(error));
            return 1;
        }
        devices << printers.back()->DevicePath();
    }
    const QString alone = devices.takeLast();
    const QString home = dir.path();
    const QString record = dir.filePath(QStringLiteral("record.sqlite"));
    const qint64 oneMs = RunKvuCtl({QStringLiteral("provision"), recipePath, QStringLiteral("--port"),
                                    alone, QStringLiteral("--yes"), QStringLiteral("--record"),
                                    dir.filePath(QStringLiteral("alone.sqlite"))},
                                   home);
    const QStringList many = {QStringLiteral("provision"), recipePath, QStringLiteral("--ports"),
                              devices.join(QLatin1Char(',')), QStringLiteral("--yes"),
                              QStringLiteral("--record"), record};
    QByteArray first, second;
    const qint64 manyMs = RunKvuCtl(many, home, &first);
    const qint64 againMs = RunKvuCtl(many, home, &second);
    for (auto& p : printers)
        p->Stop();
    if (oneMs < 0 || manyMs < 0 || againMs < 0)
        return 1;
    const int skipped = int(second.count("skipped: every step was done before"));
    const double ratio = double(manyMs) / double(oneMs);
    printf("%s\n", first.constData());
    printf("one printer:             %7.2f s\n", oneMs / 1000.0);
    printf("%2d printers in parallel: %7.2f s\n", count, manyMs / 1000.0);
    printf("ratio:                   %7.3f (target at most 1.200) %s\n", ratio,
           ratio <= 1.2 ? "met" : "NOT MET");
    printf("second run:              %7.2f s, %d of %d skipped\n", againMs / 1000.0, skipped,
           count);
    return ratio <= 1.2 && skipped == count ? 0 : 2;
}
