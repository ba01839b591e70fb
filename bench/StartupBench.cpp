// Start-up to a painted main window: `kvu` against the floor of this machine (a Qt
// Widgets program that opens one empty QMainWindow), each started as a whole process on
// the display given (Xvfb) until it says it has painted. Cold runs drop the page cache
// first (root only; otherwise they are reported as not cold); warm runs follow at once.
//
//   DISPLAY=:9 build/bench/startup_bench [runs, default 3]

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <algorithm>
#include <cstdio>
#include <vector>

namespace {
bool DropCaches() {
    QProcess::execute(QStringLiteral("sync"), {});
    QFile drop(QStringLiteral("/proc/sys/vm/drop_caches"));
    return drop.open(QIODevice::WriteOnly) && drop.write("3\n") == 2;
}

// Milliseconds from the start of the process to its "first paint" line; -1 on failure.
qint64 TimeToFirstPaint(const QString& program) {
    QProcess process;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("KVU_REPORT_FIRST_PAINT"), QStringLiteral("1"));
    // A settings folder of its own, as on a new user's first start.
    env.insert(QStringLiteral("XDG_CONFIG_HOME"), QStringLiteral("/tmp/startup-bench-config"));
    process.setProcessEnvironment(env);
    QElapsedTimer clock;
    clock.start();
    process.setReadChannel(QProcess::StandardError);
    process.start(program, {});
    qint64 painted = -1;
    QByteArray seen;
    while (painted < 0 && clock.elapsed() < 20000 && process.state() != QProcess::NotRunning) {
        process.waitForReadyRead(100);
        seen += process.readAllStandardError();
        if (seen.contains("first paint"))
            painted = clock.elapsed();
    }
    process.kill();
    process.waitForFinished(5000);
    return painted;
}

qint64 Median(std::vector<qint64> v) {
    std::sort(v.begin(), v.end());
    return v.empty() ? -1 : v[v.size() / 2];
}
} // namespace

int main(int argc, char* argv[]) {
    QCoreApplication app(argc, argv);
    const int runs = argc > 1 ? qMax(1, atoi(argv[1])) : 3;
    const QString kvu = QStringLiteral(KVU_PATH);
    const QString floor = QStringLiteral(FLOOR_PATH);
    struct Row {
        const char* name;
        QString path;
        std::vector<qint64> cold, warm;
    } rows[] = {{"kvu", kvu, {}, {}}, {"floor (one empty QMainWindow)", floor, {}, {}}};
    bool cold = true;
    for (int i = 0; i < runs; ++i) {
        for (Row& row : rows) {
            cold = DropCaches() && cold;
            row.cold.push_back(TimeToFirstPaint(row.path));
            row.warm.push_back(TimeToFirstPaint(row.path));
        }
    }
    for (const Row& row : rows) {
        std::printf("startup_bench: %s: %s %lld ms, warm %lld ms (medians of %d)\n", row.name,
                    cold ? "cold" : "not cold (caches could not be dropped)",
                    static_cast<long long>(Median(row.cold)),
                    static_cast<long long>(Median(row.warm)), runs);
    }
    std::printf("startup_bench: kvu / floor: cold %.2f x, warm %.2f x (targets: kvu under 250 ms "
                "cold, 100 ms warm)\n",
                double(Median(rows[0].cold)) / double(qMax<qint64>(1, Median(rows[1].cold))),
                double(Median(rows[0].warm)) / double(qMax<qint64>(1, Median(rows[1].warm))));
    return 0;
}
