// Any reply from the printer through the supervisory interpretation and the receive
// monitor's display form: never a crash, interpretation lines only of the four kinds, and
// a monitor that stays within its bounds however the bytes come.

#include "module1/MacroSession.h"
#include "module1/Notation.h"
#include "module1/SupervisoryQuery.h"

#include <QStringList>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const QByteArray reply(reinterpret_cast<const char*>(data), int(size));
    const QString interpretation = CSupervisoryQuery::InterpretReply(reply);
    if (!interpretation.isEmpty() && !interpretation.endsWith(QStringLiteral("\r\n")))
        abort();
    for (const QString& line : interpretation.split(QStringLiteral("\r\n"), Qt::SkipEmptyParts)) {
        if (!line.startsWith(QStringLiteral("Characters in Buffer = ")) &&
            !line.startsWith(QStringLiteral("Voltage = ")) &&
            !line.startsWith(QStringLiteral("Timer = ")) &&
            !line.startsWith(QStringLiteral("Temperature = ")))
            abort();
    }
    const QString shown = Notation::MonitorForm(reply);
    for (QChar c : shown) {
        const bool control = c.unicode() < 0x20 && c != QLatin1Char('\r') && c != QLatin1Char('\n');
        if (control || c.unicode() > 0x7F)
            abort();
    }
    // The reply arriving in small pieces, appended to a monitor that already holds lines: no
    // piece brings more than 7 lines, so the cut keeps the monitor within its line count.
    // Only the first 1024 characters come in pieces (each append copies the monitor, and a
    // long input would cost time in the square of its size); the rest comes in one append,
    // after which only the character bound holds.
    QString monitor = QStringLiteral("a\nb\nc");
    const int inPieces = int(qMin(shown.size(), qsizetype(1024)));
    for (int i = 0; i < inPieces; i += 7) {
        monitor = CMacroSession::AppendToMonitor(monitor, shown.mid(i, qMin(7, inPieces - i)));
        if (monitor.count(QLatin1Char('\n')) + 1 > CMacroSession::kMaxMonitorLines ||
            monitor.size() > CMacroSession::kMaxMonitorChars)
            abort();
    }
    monitor = CMacroSession::AppendToMonitor(monitor, shown.mid(inPieces));
    if (monitor.size() > CMacroSession::kMaxMonitorChars)
        abort();
    return 0;
}
