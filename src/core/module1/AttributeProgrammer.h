#pragma once

#include <QByteArray>
#include <QString>

class CAttributeForm;
class CSerialPort;
class IUiServices;

// Configure, Burn and Export of the attribute stream.
class CAttributeProgrammer {
public:
    enum class BurnResult {
        Confirmed,    // "D!X" came back
        NotConfirmed, // a reply without "D!X", or none
        OpenFailed,   // the port could not be opened
        WriteFailed,  // a write failed; the link was closed
        Abandoned,    // no "?" and the user chose not to go on
        Interrupted,  // the user asked for it to end; the link was closed
    };

    CAttributeProgrammer(CSerialPort& link, IUiServices& services)
        : m_link(link), m_services(services) {}

    // ESC "EN" and the stream in one one-shot send.
    bool Configure(const CAttributeForm& form);
    // The programming sequence with its pauses, the "?" handshake and the "D!X" check.
    BurnResult Burn(const CAttributeForm& form);

    // The export file: ESC-EN ESC-XX ESC-DS ESC-SL, the stream, ESC-ST-0xFF-<CR> ESC-SB-<CR>.
    static QByteArray ExportBytes(const CAttributeForm& form);
    // Writes the export file; false (and nothing replaced) when it cannot be written.
    static bool WriteExportFile(const QString& path, const QByteArray& bytes,
                                QString* detail = nullptr);

    // True when the reply, read as text up to its first zero byte, contains "D!X".
    static bool HasConfirmation(const QByteArray& reply);

    // The burn's pauses: one before opening the link, one after each step, so that the
    // printer has acted on a command before the next comes.
    static constexpr int kStartPauseMs = 1000;
    static constexpr int kStepPauseMs = 2000;
    // The sum of the burn's fixed pauses in ms (for the benchmark's reference).
    static constexpr int kBurnPauseMs = kStartPauseMs + 9 * kStepPauseMs;
    static constexpr int kQuestionReads = 100;
    static constexpr int kReplySize = 1000;

private:
    CSerialPort& m_link;
    IUiServices& m_services;
};
