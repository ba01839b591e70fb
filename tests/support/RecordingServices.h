#pragma once

#include "Clock.h"
#include "QtPrinters.h"
#include "app/UiServices.h"

#include <QStringList>
#include <QVector>
#include <deque>
#include <functional>

// The services seam for tests: keeps every status text and message in order, answers
// questions from a script, and pauses by advancing a virtual clock instead of sleeping; the
// link's waits run on the same clock.
class CRecordingServices : public IUiServices {
public:
    struct Event {
        enum Kind {
            Status,
            Message,
            Pause,
            BeginWait,
            EndWait,
            Progress,
            FileDialog,
            Dialog,
            LinkProblem
        };
        Kind kind = Status;
        QString text;
        QString caption;
        MsgIcon icon = MsgIcon::None;
        MsgButtons buttons = MsgButtons::Ok;
        MsgAnswer defaultAnswer = MsgAnswer::Ok;
        int value = 0;
        qint64 atMs = 0; // virtual time when it happened
    };

    explicit CRecordingServices(CVirtualClock* clock = nullptr) : m_clock(clock) {}

    void Status(const QString& text) override;
    using IUiServices::Message;
    MsgAnswer Message(const QString& text, const QString& caption, MsgIcon icon,
                      MsgButtons buttons = MsgButtons::Ok,
                      MsgAnswer defaultAnswer = MsgAnswer::Ok) override;
    void Pause(int ms) override;
    void BeginWait() override;
    void EndWait() override;
    void Progress(int done, int total) override;
    void LinkProblem(const QString& text) override;
    // File dialogs are answered by the file script (none: cancelled) and recorded with
    // their title as text and their filter as caption; other dialogs are run by the
    // dialog script (none: rejected) and recorded with their object name.
    QString AskFileName(const FileRequest& request) override;
    int RunModal(QObject& dialog) override;
    using FileScript = std::function<QString(const FileRequest&)>;
    using DialogScript = std::function<int(QObject&)>;
    void SetFileScript(FileScript script) { m_fileScript = std::move(script); }
    void SetDialogScript(DialogScript script) { m_dialogScript = std::move(script); }
    // Whether the seam counted itself busy when a scripted dialog ran.
    bool WasBusyInDialog() const { return m_busyInDialog; }

    // An interrupt (a terminal's Ctrl-C) from the moment a status text starting with this
    // is shown; empty: none. Interrupt() asks for one at once.
    void InterruptAt(const QString& statusText) {
        m_interruptAt = statusText;
        m_interrupted = false;
    }
    void Interrupt() { m_interrupted = true; }
    // The same as the pause with this number (1: the first from now) begins.
    void InterruptAtPause(int n) {
        m_interruptAtPause = m_pauses + n;
        m_interrupted = false;
    }
    bool Interrupted() override { return m_interrupted; }
    ILinkClock* LinkClock() override { return m_clock; }

    // Answers for Yes/No questions, used in order; without one the default is taken.
    void ScriptAnswer(MsgAnswer answer) { m_answers.push_back(answer); }

    QStringList StatusTexts() const;
    QStringList MessageTexts() const;
    QStringList LinkProblems() const;
    QVector<Event> Messages() const;
    const QVector<Event>& Events() const { return m_events; }
    qint64 TotalPausedMs() const { return m_pausedMs; }
    int WaitDepth() const { return m_waitDepth; }
    void Clear() { m_events.clear(); }

private:
    qint64 Now() const { return m_clock ? m_clock->NowMs() : 0; }

    CVirtualClock* m_clock;
    QVector<Event> m_events;
    std::deque<MsgAnswer> m_answers;
    FileScript m_fileScript;
    DialogScript m_dialogScript;
    bool m_busyInDialog = false;
    QString m_interruptAt;
    int m_interruptAtPause = -1;
    int m_pauses = 0;
    bool m_interrupted = false;
    qint64 m_pausedMs = 0;
    int m_waitDepth = 0;
};
