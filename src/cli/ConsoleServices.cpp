#include "ConsoleServices.h"

#include "CliInterrupt.h"

#include <QThread>
#include <cstdio>

void CConsoleServices::Print(const QString& line) {
    const qint64 ms = m_clock.elapsed();
    fprintf(stderr, "[%4lld.%03lld] %s\n", ms / 1000, ms % 1000, qPrintable(line));
    fflush(stderr);
}

void CConsoleServices::Status(const QString& text) {
    Print(text);
}

MsgAnswer CConsoleServices::Message(const QString& text, const QString& /*caption*/,
                                    MsgIcon /*icon*/, MsgButtons buttons, MsgAnswer defaultAnswer) {
    QString oneLine = text;
    oneLine.replace(QLatin1Char('\n'), QLatin1Char(' '));
    m_messages << text;
    if (buttons == MsgButtons::Ok) {
        Print(oneLine);
        return MsgAnswer::Ok;
    }
    const MsgAnswer answer = m_assumeYes                          ? MsgAnswer::Yes
                             : defaultAnswer == MsgAnswer::Cancel ? MsgAnswer::Cancel
                                                                  : MsgAnswer::No;
    Print(QStringLiteral("%1 -> %2%3")
              .arg(oneLine, answer == MsgAnswer::Yes ? QStringLiteral("Yes") : QStringLiteral("No"),
                   m_assumeYes ? QString() : QStringLiteral(" (use --yes to go on)")));
    return answer;
}

void CConsoleServices::Pause(int ms) {
    // In slices, so that Ctrl-C ends a 2 s printer pause at once.
    const int kSliceMs = 20;
    QElapsedTimer clock;
    clock.start();
    for (qint64 left = ms; left > 0 && !Interrupted(); left = ms - clock.elapsed())
        QThread::msleep(ulong(qMin<qint64>(left, kSliceMs)));
}

bool CConsoleServices::Interrupted() {
    return CliInterrupt::Requested();
}

void CConsoleServices::LinkProblem(const QString& text) {
    if (!text.isEmpty())
        Print(text);
}
