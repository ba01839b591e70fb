// File sending at 115200 bit/s against a simulated printer that takes bytes no faster than
// the line carries them (11 bits a byte for 8N2: 10,473 bytes a second), so the pty fills
// and the sender is throttled as by a real port. A file of short lines (8 to 40
// characters, like a font file) is sent from the Macros page, driven by the desktop
// program's real idle beat on the offscreen platform, and by `kvuctl send-file`. The rate
// is the bytes on the wire (each line and its CR LF) over the time from the start until
// the printer has taken the last byte. The target is 90% of the line rate or better.
//
//   QT_QPA_PLATFORM=offscreen build/bench/sendfile_bench [gui|kvuctl|both] [kilobytes]

#include "KVUApp.h"
#include "Simulator.h"
#include "app/AppCore.h"
#include "frame/KVUView.h"
#include "frame/MainFrame.h"
#include "frame/ModuleSheet.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QLineEdit>
#include <QProcess>
#include <QPushButton>
#include <QTemporaryDir>
#include <QThread>
#include <QTimer>
#include <cstdio>
#include <cstring>

namespace {
constexpr int kBaud = 115200;
constexpr double kLineBytesPerSecond = kBaud / 11.0;

// Short printable lines of 8 to 40 characters, the same file on every run; returns the
// bytes the sender puts on the wire for it (each line and CR LF).
qint64 WriteFontLikeFile(const QString& path, qint64 size) {
    QFile f(path);
    if (!f.open(QIODevice::WriteOnly))
        return -1;
    quint32 seed = 12345;
    auto next = [&seed] {
        seed = seed * 1103515245u + 12345u;
        return (seed >> 16) & 0x7FFF;
    };
    QByteArray all;
    all.reserve(int(size) + 64);
    qint64 lines = 0;
    while (all.size() < size) {
        const int length = 8 + int(next() % 33);
        for (int i = 0; i < length; ++i)
            all += char('0' + next() % 43); // digits, a few signs, capitals
        all += '\n';
        ++lines;
    }
    f.write(all);
    return all.size() + lines; // each LF goes out as CR LF
}

struct Result {
    qint64 wireBytes = 0;
    qint64 ms = 0;
    bool complete = false;
};

void Report(const char* how, const Result& r) {
    const double rate = r.ms > 0 ? r.wireBytes * 1000.0 / double(r.ms) : 0.0;
    std::printf("sendfile_bench %-7s %lld bytes on the wire in %lld ms: %.0f bytes/s, %.1f%% of "
                "the line rate (%.0f bytes/s; target 90%%)%s\n",
                how, static_cast<long long>(r.wireBytes), static_cast<long long>(r.ms), rate,
                100.0 * rate / kLineBytesPerSecond, kLineBytesPerSecond,
                r.complete ? "" : "  INCOMPLETE");
    std::fflush(stdout);
}

std::unique_ptr<CSimulator> PacedPrinter() {
    SimConfig config;
    config.baudRate = kBaud;
    config.pacedLine = true;
    auto sim = std::make_unique<CSimulator>(config);
    QString error;
    if (!sim->Start(&error)) {
        std::fprintf(stderr, "sendfile_bench: %s\n", qPrintable(error));
        return nullptr;
    }
    return sim;
}

// How long to wait at most: twice the line time and a minute.
qint64 LimitMs(qint64 wireBytes) {
    return qint64(2.0 * wireBytes * 1000.0 / kLineBytesPerSecond) + 60000;
}

Result RunGui(const QString& path, qint64 wireBytes) {
    Result r;
    r.wireBytes = wireBytes;
    auto sim = PacedPrinter();
    if (!sim)
        return r;
    CKVUApp app;
    if (!app.InitInstance({QStringLiteral("kvu")}))
        return r;
    app.Core().m_ports.SetSessionDevice(QStringLiteral("COM1"), sim->DevicePath());
    app.Serial().SetPortName(QStringLiteral("COM1"));
    app.Serial().SetBaudRateText(QString::number(kBaud));
    CModuleSheet* sheet = app.MainFrame()->ModuleView()->Sheet(ModuleId::CustomAttributes);
    sheet->setCurrentIndex(CKVUView::TabOf(sheet, 132)); // the Macros page holds the link
    if (!app.Serial().m_bOpen) {
        std::fprintf(stderr, "sendfile_bench: the Macros page could not open the link\n");
        return r;
    }
    QWidget* page = sheet->currentWidget();
    auto* edit = page->findChild<QLineEdit*>(QStringLiteral("id1089"));
    auto* send = page->findChild<QPushButton*>(QStringLiteral("id1087"));
    if (!edit || !send) {
        std::fprintf(stderr, "sendfile_bench: no Send file row on the Macros page\n");
        return r;
    }
    edit->setText(path);
    const qint64 mark = sim->Transcript().Mark();
    QElapsedTimer clock;
    // A loop of its own: quitting the application's would first close the window.
    QEventLoop loop;
    QTimer watch;
    watch.setInterval(50);
    QObject::connect(&watch, &QTimer::timeout, [&] {
        if (sim->Transcript().Mark() - mark >= wireBytes || clock.elapsed() > LimitMs(wireBytes)) {
            r.ms = clock.elapsed();
            r.complete = sim->Transcript().Mark() - mark >= wireBytes;
            loop.quit();
        }
    });
    QTimer::singleShot(0, [&] {
        clock.start();
        watch.start();
        send->click();
    });
    loop.exec();
    // The page keeps the file's name in the project: no question about saving it.
    app.Document().SetModifiedFlag(false);
    app.ExitInstance(0);
    sim->Stop();
    return r;
}

Result RunKvuctl(const QString& path, qint64 wireBytes) {
    Result r;
    r.wireBytes = wireBytes;
    auto sim = PacedPrinter();
    if (!sim)
        return r;
    const qint64 mark = sim->Transcript().Mark();
    QElapsedTimer clock;
    clock.start();
    QProcess p;
    p.setProcessChannelMode(QProcess::ForwardedOutputChannel);
    p.setStandardErrorFile(QProcess::nullDevice());
    p.start(QStringLiteral(KVUCTL_PATH),
            {QStringLiteral("send-file"), path, QStringLiteral("--port"), sim->DevicePath(),
             QStringLiteral("--baud"), QString::number(kBaud)});
    const qint64 limit = LimitMs(wireBytes);
    while (sim->Transcript().Mark() - mark < wireBytes && clock.elapsed() < limit)
        QThread::msleep(20);
    r.ms = clock.elapsed();
    r.complete = sim->Transcript().Mark() - mark >= wireBytes;
    if (!p.waitForFinished(30000) || p.exitCode() != 0) {
        std::fprintf(stderr, "sendfile_bench: kvuctl send-file ended with %d\n", p.exitCode());
        r.complete = false;
    }
    sim->Stop();
    return r;
}
} // namespace

int main(int argc, char* argv[]) {
    // A settings folder of its own: the run must not touch the user's KVU settings.
    QTemporaryDir settings;
    qputenv("XDG_CONFIG_HOME", settings.path().toLocal8Bit());
    std::setvbuf(stdout, nullptr, _IOLBF, 0);
    QApplication qt(argc, argv);
    const QString which = argc > 1 ? QString::fromLocal8Bit(argv[1]) : QStringLiteral("both");
    const qint64 kilobytes = argc > 2 ? qMax(1, atoi(argv[2])) : 2048;
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("font.bdf"));
    const qint64 wireBytes = WriteFontLikeFile(path, kilobytes * 1024);
    if (wireBytes < 0)
        return 1;
    std::printf("sendfile_bench: %lld KB file of 8 to 40 character lines, %lld bytes on the "
                "wire, line time %.1f s\n",
                static_cast<long long>(kilobytes), static_cast<long long>(wireBytes),
                wireBytes / kLineBytesPerSecond);
    bool ok = true;
    if (which == QLatin1String("gui") || which == QLatin1String("both")) {
        const Result r = RunGui(path, wireBytes);
        Report("gui", r);
        ok &= r.complete;
    }
    if (which == QLatin1String("kvuctl") || which == QLatin1String("both")) {
        const Result r = RunKvuctl(path, wireBytes);
        Report("kvuctl", r);
        ok &= r.complete;
    }
    return ok ? 0 : 1;
}
