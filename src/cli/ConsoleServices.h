#pragma once

#include "app/UiServices.h"

#include <QElapsedTimer>
#include <QStringList>

// The services seam in a terminal: status steps and messages go to stderr with the time
// since the command began; questions are answered from the command line; pauses sleep.
class CConsoleServices : public IUiServices {
public:
    explicit CConsoleServices(bool assumeYes = false) : m_assumeYes(assumeYes) { m_clock.start(); }

    void Status(const QString& text) override;
    using IUiServices::Message;
    MsgAnswer Message(const QString& text, const QString& caption, MsgIcon icon,
                      MsgButtons buttons = MsgButtons::Ok,
                      MsgAnswer defaultAnswer = MsgAnswer::Ok) override;
    void Pause(int ms) override;
    void BeginWait() override {}
    void EndWait() override {}
    void LinkProblem(const QString& text) override;
    // Ctrl-C or SIGTERM (see CliInterrupt).
    bool Interrupted() override;

    const QStringList& Messages() const { return m_messages; }
    bool IsAssumingYes() const { return m_assumeYes; }

private:
    void Print(const QString& line);

    bool m_assumeYes;
    QElapsedTimer m_clock;
    QStringList m_messages;
};
