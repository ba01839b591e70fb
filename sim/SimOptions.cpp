#include "SimOptions.h"

#include "app/Version.h"

#include <QCommandLineParser>

namespace {
bool ReadInt(const QCommandLineParser& p, const QString& name, int min, int max, int* out,
             QString* error) {
    if (!p.isSet(name))
        return true;
    bool ok = false;
    const int v = p.value(name).toInt(&ok);
    if (!ok || v < min || v > max) {
        *error =
            QStringLiteral("--%1 takes a whole number from %2 to %3").arg(name).arg(min).arg(max);
        return false;
    }
    *out = v;
    return true;
}
} // namespace

bool SimOptions::Parse(const QStringList& arguments, QString* error, bool* exitNow) {
    *exitNow = false;
    QCommandLineParser p;
    p.setApplicationDescription(
        QStringLiteral("A simulated Tarvo3 printer on a pseudo-terminal. It prints the device "
                       "path to give KVU (or kvuctl --port) and runs until stopped (Ctrl+C)."));
    p.addHelpOption();
    p.addVersionOption();
    p.addOptions({
        {QStringLiteral("paper"), QStringLiteral("Paper width in dots: 384, 576 or 832."),
         QStringLiteral("dots"), QStringLiteral("576")},
        {QStringLiteral("baud"), QStringLiteral("DIP-switch rate; 0 accepts any rate."),
         QStringLiteral("rate"), QStringLiteral("38400")},
        {QStringLiteral("bluetooth-uart"),
         QStringLiteral("UART of the Bluetooth module (-1: none)."), QStringLiteral("n"),
         QStringLiteral("1")},
        {QStringLiteral("wlan-uart"), QStringLiteral("UART of the WLAN module (-1: none)."),
         QStringLiteral("n"), QStringLiteral("2")},
        {QStringLiteral("state"),
         QStringLiteral("Keep burned attributes, logo slots and stored module settings in this "
                        "file between runs."),
         QStringLiteral("file")},
        {QStringLiteral("transcript"),
         QStringLiteral("Write every byte received and sent to this file at exit."),
         QStringLiteral("file")},
        {QStringLiteral("paper-png"),
         QStringLiteral("Write what was printed as a PNG picture at exit."),
         QStringLiteral("file")},
        {QStringLiteral("link"),
         QStringLiteral("Also make a symbolic link to the device at this path (an old link "
                        "to a pseudo-terminal is replaced, anything else is left alone)."),
         QStringLiteral("path")},
        {QStringLiteral("paced"),
         QStringLiteral("Take in bytes no faster than the line rate carries them (11 bits a "
                        "byte), so that a sender is throttled as by a real port.")},
        {QStringLiteral("no-question"),
         QStringLiteral("Fault: never answer a handshake with '?'.")},
        {QStringLiteral("question-delay"), QStringLiteral("Delay of the '?' in ms (default 300)."),
         QStringLiteral("ms")},
        {QStringLiteral("noise-before-question"),
         QStringLiteral("Fault: send this many noise bytes before the '?'."), QStringLiteral("n")},
        {QStringLiteral("no-dx"), QStringLiteral("Fault: no \"D!X\" after a burn.")},
        {QStringLiteral("dx-after-zero"), QStringLiteral("Fault: \"D!X\" only after a zero byte.")},
        {QStringLiteral("module-ignores-escape"),
         QStringLiteral("Fault: the radio module ignores the escape sequence.")},
        {QStringLiteral("module-no-ok"),
         QStringLiteral("Fault: the radio module answers without \"OK\".")},
        {QStringLiteral("module-only-ok"),
         QStringLiteral("Fault: the radio module answers every query with \"OK\" alone.")},
        {QStringLiteral("cut-reply"), QStringLiteral("Fault: cut every reply to this many bytes."),
         QStringLiteral("n")},
        {QStringLiteral("noise-interval"),
         QStringLiteral("Fault: a random noise byte every so many ms."), QStringLiteral("ms")},
        {QStringLiteral("drop-after"),
         QStringLiteral("Fault: drop the link after this many received bytes."),
         QStringLiteral("n")},
        {QStringLiteral("silent"), QStringLiteral("Fault: never send anything back.")},
        {QStringLiteral("count"),
         QStringLiteral("Serve this many printers, each with its own state and device; one "
                        "device path is printed per line. --state, --transcript, --paper-png "
                        "and --link then get -1, -2, ... before the extension."),
         QStringLiteral("n")},
    });
    if (!p.parse(arguments)) {
        *error = p.errorText();
        return false;
    }
    if (p.isSet(QStringLiteral("help"))) {
        *error = p.helpText();
        *exitNow = true;
        return true;
    }
    if (p.isSet(QStringLiteral("version"))) {
        *error = QStringLiteral("tarvo3-sim %1\n").arg(QLatin1String(kVersionText));
        *exitNow = true;
        return true;
    }
    SimFaults& f = config.faults;
    if (!ReadInt(p, QStringLiteral("paper"), 384, 832, &config.paperDots, error) ||
        !ReadInt(p, QStringLiteral("baud"), 0, 115200, &config.baudRate, error) ||
        !ReadInt(p, QStringLiteral("bluetooth-uart"), -1, 4, &config.bluetoothUart, error) ||
        !ReadInt(p, QStringLiteral("wlan-uart"), -1, 4, &config.wlanUart, error) ||
        !ReadInt(p, QStringLiteral("question-delay"), 0, 600000, &f.questionDelayMs, error) ||
        !ReadInt(p, QStringLiteral("noise-before-question"), 0, 100000, &f.noiseBeforeQuestion,
                 error) ||
        !ReadInt(p, QStringLiteral("cut-reply"), 0, 1000000, &f.cutReplyAt, error) ||
        !ReadInt(p, QStringLiteral("noise-interval"), 0, 600000, &f.noiseIntervalMs, error) ||
        !ReadInt(p, QStringLiteral("drop-after"), 0, 1 << 30, &f.dropAfterBytes, error) ||
        !ReadInt(p, QStringLiteral("count"), 1, 64, &count, error))
        return false;
    if (config.paperDots != 384 && config.paperDots != 576 && config.paperDots != 832) {
        *error = QStringLiteral("--paper takes 384, 576 or 832");
        return false;
    }
    config.pacedLine = p.isSet(QStringLiteral("paced"));
    f.noQuestion = p.isSet(QStringLiteral("no-question"));
    f.noDx = p.isSet(QStringLiteral("no-dx"));
    f.dxAfterZero = p.isSet(QStringLiteral("dx-after-zero"));
    f.moduleIgnoresEscape = p.isSet(QStringLiteral("module-ignores-escape"));
    f.moduleNoOk = p.isSet(QStringLiteral("module-no-ok"));
    f.moduleOnlyOk = p.isSet(QStringLiteral("module-only-ok"));
    f.silent = p.isSet(QStringLiteral("silent"));
    stateFile = p.value(QStringLiteral("state"));
    transcriptFile = p.value(QStringLiteral("transcript"));
    paperFile = p.value(QStringLiteral("paper-png"));
    linkPath = p.value(QStringLiteral("link"));
    return true;
}

QString SimOptions::NumberedPath(const QString& path, int index) const {
    if (count <= 1 || path.isEmpty())
        return path;
    const int slash = int(path.lastIndexOf(QLatin1Char('/')));
    const int dot = int(path.lastIndexOf(QLatin1Char('.')));
    const QString suffix = QStringLiteral("-%1").arg(index + 1);
    if (dot > slash + 1)
        return path.left(dot) + suffix + path.mid(dot);
    return path + suffix;
}
