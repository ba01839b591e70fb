#pragma once

#include "AtReply.h"

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <QVector>
#include <functional>

class CAtConnection;
class CExchange;
class CSerialPort;
class IUiServices;

// The exchange with a radio module behind the printer, in five steps: the pass-through
// command puts the printer into relaying UART0 to the module's UART, the escape sequence
// between two guard pauses switches the module to AT mode, the AT commands go out with
// their replies checked, "AT*ADDM" CR sends the module back to data mode, and "###" ends.
// Each step logs what it sent or received in the connection's Output and then lets the
// page show its fields again.
class CAtExchange {
public:
    enum class Outcome {
        Completed,   // every step ran
        OpenFailed,  // the link could not be opened for the AT commands
        WriteFailed, // an AT command could not be written; the link was closed
        Refused,     // a value does not fit its command: nothing was sent
        Interrupted, // the user asked for it to end; the closing steps were sent
    };
    struct Result {
        Outcome outcome = Outcome::Completed;
        // Read: every query sent got its answer ("Success: Received OK."); Write: every
        // command got its "OK".
        bool ok = false;
        int answered = 0;      // Write: the commands answered "OK"
        QVector<bool> replies; // Write: per command sent, whether it was answered "OK"
        AtReply::Taken taken;  // Read: what the parser took, what it missed, its notes
    };
    // A page's reply parser: fills the page's fields from the answers that came and says
    // which settings got none.
    using Parser = std::function<AtReply::Taken(const QByteArray& reply)>;
    // Builds the set commands once the Read part of an update has filled the form; false,
    // with a message, when a value does not fit.
    using Builder = std::function<bool(QVector<QByteArray>* commands, QString* refusal)>;

    static const char* const kWaitingForOkRead;  // "Waiting for a 'OK' characters..."
    static const char* const kWaitingForOkWrite; // "Waiting for a 'OK' character..."
    static const char* const kReceivedOk;        // "Success: Received OK."
    static const char* const kNoOk;              // "Error: Did not receive OK."
    static const char* const kNoAnswerFor;       // "Error: No usable answer for: %1."
    static const char* const kDataModeCommand;   // "AT*ADDM" CR
    static const char* const kClosingMarker;     // "###"
    // The pause after the batch reply and the two around each set command's reply.
    static constexpr int kReplyPauseMs = 500;
    // Each set command's reply is read with one read of up to this many bytes.
    static constexpr int kWriteReplySize = 125;

    CAtExchange(CSerialPort& link, IUiServices& services, CAtConnection& connection);

    // Called after every step has logged, so that the page shows its fields again.
    void SetRefresh(std::function<void()> refresh) { m_refresh = std::move(refresh); }

    void SendPassThruCommand();
    void SendEscapeSequence();
    void SendDataModeCommand();
    void SendClosingMarker();

    // All queries in one batch ("AT*NAME?" CR each), one read of up to `largestReply`
    // bytes, the parser, then the data-mode command and the closing marker.
    Result ReadExchange(const QStringList& queries, int largestReply, const Parser& parse);
    // The set commands one at a time, each with its reply read and checked for "OK".
    Result WriteExchange(const QVector<QByteArray>& commands);
    // Both in one exchange: the queries (none: no Read part), then, when every one got
    // its answer, the set commands `build` makes from the form as the answers left it.
    // The module's other settings are not touched.
    // `commands` is how many set commands `build` is expected to make (for the indicator).
    Result UpdateExchange(const QStringList& queries, int largestReply, const Parser& parse,
                          int commands, const Builder& build);

    // A page's Read and Write: its queries, largest reply and parser; its set commands,
    // built before anything is sent, so that a value too long for the module is refused
    // with a message naming the field instead of being cut or sent.
    template <class Form> Result Read(Form& form) {
        QString refusal;
        if (!form.ConnectionCarried(&refusal))
            return Refuse(refusal);
        return ReadExchange(Form::Queries(), Form::kLargestReply,
                            [&form](const QByteArray& reply) { return form.ParseReply(reply); });
    }
    template <class Form> Result Write(const Form& form) {
        QVector<QByteArray> commands;
        QString refusal;
        if (!form.ConnectionCarried(&refusal) || !form.BuildWriteCommands(&commands, &refusal))
            return Refuse(refusal);
        return WriteExchange(commands);
    }

    // The batch text of a Read.
    static QByteArray Batch(const QStringList& queries);

private:
    // The batch, its one read and the parse, on the open link; false when the batch could
    // not be written (the link is closed then).
    bool OpenPassThrough(CExchange& exchange, Result* result);
    bool ReadStep(CExchange& exchange, const QStringList& queries, int largestReply,
                  const Parser& parse, Result* result);
    // The set commands on the open link; false when one could not be written.
    bool WriteSteps(CExchange& exchange, const QVector<QByteArray>& commands, Result* result);
    // After the closing marker: what a Read missed stays in the status bar, and the
    // values it took that the page cannot hold are told.
    void Conclude(const Result& result);
    Result Refuse(const QString& refusal);
    // The end of an interrupted exchange once the pass-through command has gone out.
    Result EndInterrupted(CExchange& exchange);
    void Logged(const QByteArray& bytes);

    CSerialPort& m_link;
    IUiServices& m_services;
    CAtConnection& m_connection;
    std::function<void()> m_refresh;
    bool m_escapeWritten = false; // the module may be in AT mode
};
