#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

// The connection settings and the Output log that each radio page owns: which of the
// printer's UARTs the pass-through joins, the printer's pass-through time-out, the escape
// sequence with its guard times, and everything the exchanges have logged.
class CAtConnection {
public:
    // The printer's UARTs as the combos list them: U0 the RS-232 port, U1 and U2 the radio
    // modules, U3 IrDA, U4.
    static QStringList UartItems();

    virtual ~CAtConnection() = default;
    // A set command as status lines show it; a form hides its secrets there.
    virtual QString ShownCommand(const QByteArray& command) const;

    static constexpr int kDefaultTimeout = 999;
    static constexpr int kDefaultSilenceMs = 1100;
    static const char* const kDefaultEscape; // "/"
    static constexpr int kTimeoutMax = 999;
    static constexpr int kSilenceMin = 50;
    static constexpr int kSilenceMax = 5000;

    // Default resets the time-out, the guard times and the escape text, not the UARTs.
    void DefaultConnection();

    // ESC "P", the two UART texts as they stand, "T", the time-out in three digits, CR.
    QByteArray PassThruCommand() const;
    // The escape text three times, whole (several characters are repeated as a unit).
    QByteArray EscapeSequence() const;

    // A set command: the name, "=", the arguments, and ",1" CR (the 1 keeps the setting
    // across the module's power-up).
    static QByteArray SetCommand(const char* name, const QByteArray& arguments);
    // False, with a message naming the field, when an argument sent without quotes holds
    // a control character or a double quote, which would end the command or the argument
    // early.
    static bool IsPlain(const QString& argument, const QString& label, QString* refusal);
    // False, with a message naming the field, when a set command is longer than the
    // module takes (`limit` characters, its CR included).
    static bool Fits(const QByteArray& command, int limit, const QString& label, QString* refusal);

    // False, with a message naming the field and the character, when a text holds a
    // character the printer's code page cannot carry (it would go out as another one).
    static bool Carried(const QString& text, const QString& label, QString* refusal);
    // The same for the UART texts and the escape text, which every exchange sends.
    bool ConnectionCarried(QString* refusal) const;

    // Everything the exchanges have logged; only Clear shortens it.
    void AppendOutput(const QByteArray& bytes);

    QString m_strPassThruFrom;
    QString m_strPassThruTo;
    int m_nPassThruTimeout = 0;
    int m_nSilenceBefore = 0;
    QString m_strEscapeChar;
    int m_nSilenceAfter = 0;
    QString m_strOutput;
};
