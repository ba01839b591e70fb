#pragma once

#include <QString>

// The one seam through which the core talks to the user while an exchange runs.
// The GUI, kvuctl and the tests each supply their own implementation.

enum class MsgIcon { None, Information, Exclamation, Stop, Question };
enum class MsgButtons { Ok, YesNo, YesNoCancel };
enum class MsgAnswer { Ok, Yes, No, Cancel };

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
                      MsgButtons buttons = MsgButtons::Ok,
                      MsgAnswer defaultAnswer = MsgAnswer::Ok);
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
