#pragma once

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
        bool ok = false;       // Read: "Success: Received OK."; Write: every command got "OK"
        int answered = 0;      // Write: the commands whose reply held "OK"
        QVector<bool> replies; // Write: per command sent, whether its reply held "OK"
    };
    // A page's reply parser: fills the page's fields and may clear the ok flag.
    using Parser = std::function<void(const QByteArray& reply, bool* ok)>;

    static const char* const kWaitingForOkRead;  // "Waiting for a 'OK' characters..."
    static const char* const kWaitingForOkWrite; // "Waiting for a 'OK' character..."
    static const char* const kReceivedOk;        // "Success: Received OK."
    static const char* const kNoOk;              // "Error: Did not receive OK."
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

    // A page's Read and Write: its queries, largest reply and parser; its set commands,
    // built before anything is sent, so that a value too long for the module is refused
    // with a message naming the field instead of being cut or sent.
    template <class Form> Result Read(Form& form) {
        return ReadExchange(
            Form::Queries(), Form::kLargestReply,
            [&form](const QByteArray& reply, bool* ok) { form.ParseReply(reply, ok); });
    }
    template <class Form> Result Write(const Form& form) {
        QVector<QByteArray> commands;
        QString refusal;
        if (!form.BuildWriteCommands(&commands, &refusal))
            return Refuse(refusal);
        return WriteExchange(commands);
    }

    // The batch text of a Read.
    static QByteArray Batch(const QStringList& queries);

private:
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
