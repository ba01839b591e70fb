#pragma once

#include <QString>
#include <QtGlobal>

// The one seam through which the core talks to the user while an exchange runs.
// The GUI, kvuctl and the tests each supply their own implementation.

enum class MsgIcon { None, Information, Exclamation, Stop, Question };
enum class MsgButtons { Ok, YesNo, YesNoCancel };
enum class MsgAnswer { Ok, Yes, No, Cancel };

class QObject;

// The time the link's waits run on. The program has none: the link waits on the device in
// real time. Tests (and the screenshot tool) give the link the virtual clock their pauses run
// on, so that a read's time-out passes at once once the simulated printer has sent what it
// had to send.
class ILinkClock {
public:
    virtual ~ILinkClock() = default;
    virtual qint64 NowMs() const = 0;
    // Returns once the other end has taken in what was written and sent what is due now.
    virtual void CatchUp() = 0;
    // Moves time on by `ms`, then catches up.
    virtual void MoveOn(qint64 ms) = 0;
};

// A file dialog as the program asks for it: Open or Save As, a suggested folder or name,
// the filter and the extension added to a name typed without one.
struct FileRequest {
    bool save = false;
    QString title;
    QString suggested;
    QString filter;
    QString defaultSuffix;
};

class IUiServices {
public:
    virtual ~IUiServices() = default;

    // Progress text in the main frame's message pane, shown at once.
    virtual void Status(const QString& text) = 0;
    // A modal message box; returns the button the user chose.
    virtual MsgAnswer Message(const QString& text, const QString& caption, MsgIcon icon,
                              MsgButtons buttons = MsgButtons::Ok,
                              MsgAnswer defaultAnswer = MsgAnswer::Ok) = 0;
    // The same with the program's own caption, which nearly every message carries.
    MsgAnswer Message(const QString& text, MsgIcon icon = MsgIcon::Exclamation,
                      MsgButtons buttons = MsgButtons::Ok, MsgAnswer defaultAnswer = MsgAnswer::Ok);
    // A printer pause: the window keeps painting but takes no input.
    virtual void Pause(int ms) = 0;
    // The wait cursor, held for the length of an exchange (calls nest).
    virtual void BeginWait() = 0;
    virtual void EndWait() = 0;
    // Step-wise progress of a long exchange; total 0 hides the indicator.
    virtual void Progress(int done, int total) {
        Q_UNUSED(done);
        Q_UNUSED(total);
    }
    // Called between slices of a blocking serial read so that the window keeps painting.
    virtual void KeepAlive() {}
    // Why the port could not be opened ("COM3 (/dev/ttyUSB0): permission denied ..."),
    // shown beside the caller's own fixed message; an empty text: the port opened again,
    // the reason no longer holds.
    virtual void LinkProblem(const QString& text) { (void)text; }
    // True once the user has asked for the running exchange to end (Ctrl-C in a terminal).
    // Exchanges look at it between their steps, in their pauses and in the link's waits,
    // then end at once: the link closed, with a word on what the printer may be left
    // doing. The window has no such request.
    virtual bool Interrupted() { return false; }
    // The clock of the link's read and write waits; none: real time on the device.
    virtual ILinkClock* LinkClock() { return nullptr; }

    // Every modal thing goes through here, so that tests can script it: a file dialog
    // (the chosen path, empty when cancelled) and any other dialog of the front end (run to
    // its end; its result). A terminal has neither.
    virtual QString AskFileName(const FileRequest& request) {
        (void)request;
        return QString();
    }
    virtual int RunModal(QObject& dialog) {
        (void)dialog;
        return 0;
    }

    // True while the seam runs the event loop or a modal box: a pause, a status text being
    // painted, a read's keep-alive, a message, a dialog, an exchange's wait. Idle
    // processing stays away then (the Macros page's receive poll must never read bytes that
    // belong to a running exchange), and the frame refuses to close.
    bool IsBusy() const { return m_busy > 0; }

protected:
    // Counts one such span for as long as it lives.
    class CBusyScope {
    public:
        explicit CBusyScope(IUiServices& services) : m_services(services) { ++m_services.m_busy; }
        ~CBusyScope() { --m_services.m_busy; }
        CBusyScope(const CBusyScope&) = delete;
        CBusyScope& operator=(const CBusyScope&) = delete;

    private:
        IUiServices& m_services;
    };
    // The spans running now; an exchange's wait cursor counts for its whole length.
    int m_busy = 0;
};

// Holds the wait cursor for one scope, so every early return gives it back.
class CWaitScope {
public:
    explicit CWaitScope(IUiServices& services) : m_services(services) { m_services.BeginWait(); }
    ~CWaitScope() { m_services.EndWait(); }
    CWaitScope(const CWaitScope&) = delete;
    CWaitScope& operator=(const CWaitScope&) = delete;

private:
    IUiServices& m_services;
};

// The caption of the program's own message boxes (the application title).
inline const char* const kAppTitle = "KVU";

inline MsgAnswer IUiServices::Message(const QString& text, MsgIcon icon, MsgButtons buttons,
                                      MsgAnswer defaultAnswer) {
    return Message(text, QLatin1String(kAppTitle), icon, buttons, defaultAnswer);
}
// The caption of the main window (the document template's window title).
inline const char* const kWindowTitle = "Quorlin";
