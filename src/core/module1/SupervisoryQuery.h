#pragma once

#include <QByteArray>
#include <QString>
#include <optional>

class CSerialPort;
class IUiServices;

// The Supervisory Commands page without widgets: five fixed queries, each one exchange
// (open, one write, one read of up to 100 bytes, close), and the interpretation of the
// battery and buffer status lines of the reply.
class CSupervisoryQuery {
public:
    static const QByteArray kBatteryStatus;   // ^V
    static const QByteArray kBufferStatus;    // ^B
    static const QByteArray kFirmwareVersion; // ESC P (
    static const QByteArray kHardwareModel;   // ESC P )
    static const QByteArray kCancelMcr;       // ESC C
    static constexpr int kReplySize = 100;

    // The values the interpretation shows, as numbers: what ESC B shows replaces what came
    // before it here too, and a value given twice keeps the later one.
    struct Readings {
        std::optional<qint64> bufferCharacters; // ESC B
        std::optional<qint64> millivolts;       // ESC V
        std::optional<qint64> timerSeconds;     // ESC M
        std::optional<qint64> temperature;      // ESC T, degrees Celsius
    };

    struct Reply {
        bool exchanged = false; // the link opened and the query was written
        QByteArray bytes;       // what came back, up to its first zero byte
        QString response;       // the "Printer Response" text
        QString interpretation; // the "Interpretation" text
        Readings readings;      // its values
    };

    CSupervisoryQuery(CSerialPort& link, IUiServices& services)
        : m_link(link), m_services(services) {}

    // One query; "Serial communication error." when the port cannot be opened or written.
    // A reply that is only the query's echo counts as none.
    Reply Send(const QByteArray& query);

    // The readable lines of a reply: ESC B (hexadecimal) replaces what came before with
    // "Characters in Buffer = n"; ESC V (decimal millivolts), ESC M (hexadecimal seconds)
    // and ESC T (decimal degrees) append "Voltage", "Timer" and "Temperature" lines. Lines
    // end at CR, CR LF or LF; anything else is passed over.
    // The values of those lines in `readings` when given.
    static QString InterpretReply(const QByteArray& reply, Readings* readings = nullptr);

private:
    CSerialPort& m_link;
    IUiServices& m_services;
};
