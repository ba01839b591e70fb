#pragma once

#include "UiServices.h"

#include <QByteArray>
#include <QString>

class CSerialPort;

// One printer exchange as every module runs it: the wait cursor and "Wait..." at the
// start, a step text and the progress indicator as each step passes, printer pauses,
// failures that end it with their message, and every way out ending with the link closed,
// "Ready" in the status bar and the indicator gone. Burn, the logo Flash and the radio
// Read and Write are built from it.
class CExchange {
public:
    // The read time-outs of an exchange: 50 ms between bytes, 5 ms per byte (plus the
    // link's 10 ms), so one 1-byte read waits at most about 15 ms.
    static constexpr quint32 kReadInterval = 50;
    static constexpr quint32 kReadMultiplier = 5;

    static const char* const kOpenFailed;  // "Error: Couldn't open serial port."
    static const char* const kWriteFailed; // "Error: Couldn't transmit through serial port."

    // `steps` is the length of the progress indicator (0: none).
    CExchange(CSerialPort& link, IUiServices& services, int steps = 0);
    ~CExchange();
    CExchange(const CExchange&) = delete;
    CExchange& operator=(const CExchange&) = delete;

    // "Wait...", the indicator at its start, then the first pause (0: none).
    void Start(int pauseMs = 0);
    // Opens the link with the exchange's time-outs; on failure shows `failureText`.
    bool Open(const char* failureText = kOpenFailed);
    // One write of all the bytes; on failure shows `failureText` and closes the link.
    bool Write(const QByteArray& bytes, const char* failureText = kWriteFailed);
    // A write that is a step: written, its status text shown, the indicator one further,
    // then the pause that lets the printer act on it. Once the bytes are out, `cutNote`
    // (when given) becomes the cut note. False when not written or interrupted.
    bool WriteStep(const QByteArray& bytes, const QString& status, int pauseMs,
                   const QString& cutNote = QString());
    // One read of up to `count` bytes; what arrived, empty on a failed read.
    QByteArray Read(int count, bool* ok = nullptr);
    // Up to `reads` one-byte reads until `wanted` arrives; any other byte uses up a read.
    bool WaitForByte(char wanted, int reads);

    void Status(const QString& text) {
        m_lastStatus = text;
        m_services.Status(text);
    }
    void Pause(int ms) {
        if (!Interrupted())
            m_services.Pause(ms);
    }
    void Step() { m_services.Progress(++m_step, m_steps); }
    // A message box with the program's caption.
    MsgAnswer Message(const QString& text, MsgIcon icon = MsgIcon::Exclamation,
                      MsgButtons buttons = MsgButtons::Ok, MsgAnswer defaultAnswer = MsgAnswer::Ok);

    // Whether the user asked for the exchange to end (see IUiServices::Interrupted). The
    // first time it is seen, the exchange says so, after which step, and what the printer
    // may be left doing (the note below); every later write refuses, every pause is
    // skipped. Callers end with their own interrupted result.
    bool Interrupted();
    bool WasInterrupted() const { return m_interrupted; }
    // What the printer may be left doing, and what the user should do, if the exchange is
    // cut from now on ("the printer may still be collecting ...: wait ..., or switch it
    // off and on"). Empty: the printer is left as it was.
    void SetCutNote(const QString& note) { m_cutNote = note; }
    // A part of a longer exchange leaves the telling to the whole.
    void SetTellsInterrupt(bool tells) { m_tellsInterrupt = tells; }
    static QString InterruptText(const QString& lastStep, const QString& note);
    // The last step text the exchange showed.
    const QString& LastStep() const { return m_lastStatus; }

    // Ends the exchange: link closed, "Ready", indicator gone. Runs once; the destructor
    // runs it for any way out that did not.
    void Finish();
    // Ends a part of a longer exchange that goes on after it: the link closed and the
    // indicator gone, but no "Ready" (the radio pages' escape sequence is such a part).
    void FinishQuietly();

    CSerialPort& Link() { return m_link; }
    IUiServices& Services() { return m_services; }

private:
    CSerialPort& m_link;
    IUiServices& m_services;
    CWaitScope m_wait;
    int m_steps;
    int m_step = 0;
    bool m_finished = false;
    bool m_interrupted = false;
    bool m_tellsInterrupt = true;
    QString m_lastStatus;
    QString m_cutNote;
};
