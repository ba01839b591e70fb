#pragma once

#include <QByteArray>
#include <QMap>
#include <QString>
#include <QStringList>
#include <QVector>

// A connectBlue-style serial radio module behind the printer's second UART. It starts in
// data mode; three escape characters sent within 200 ms, with at least one second of
// silence before and after, switch it to AT mode, where every command line ends with CR,
// the command is echoed as received, a query answers CR LF "*" NAME ":" VALUE CR LF "OK"
// CR LF and a set command CR LF "OK" CR LF (or CR LF "ERROR" CR LF).
class CRadioModule {
public:
    enum class Kind { Bluetooth, Wlan };
    enum class Mode { Data, At };

    struct Arg {
        enum Type { Quoted, Int, Ip, Plain } type;
        int min = 0; // Int: lowest value; Quoted: unused
        int max = 0; // Int: highest value; Quoted: longest text
    };
    struct Setting {
        QVector<Arg> args;
        bool readOnly = false;
        QStringList current;
        QStringList stored;
    };

    explicit CRadioModule(Kind kind);

    Kind GetKind() const { return m_kind; }
    Mode GetMode() const { return m_mode; }
    // The relay starts: the silence before an escape counts from here.
    void Attach(qint64 now);
    // Bytes from the printer's relay; returns what the module sends back at once.
    QByteArray Receive(const QByteArray& bytes, qint64 now);
    // Time passes: a completed escape sequence turns into AT mode after the guard time.
    void Tick(qint64 now);
    // When Tick next has something to decide, or -1.
    qint64 NextEventMs() const;

    void SetIgnoreEscape(bool ignore) { m_ignoreEscape = ignore; }
    void SetAnswerWithoutOk(bool noOk) { m_noOk = noOk; }
    // Queries are answered "OK" with no answer line, as a module of another make may do.
    void SetAnswerOnlyOk(bool onlyOk) { m_onlyOk = onlyOk; }

    QString Value(const QString& name) const;       // current value, as answered
    QString StoredValue(const QString& name) const; // start-up value
    QMap<QString, QStringList> StoredSettings() const;
    // Every setting's name, and its start-up value written as a query would answer it.
    QStringList SettingNames() const { return m_settings.keys(); }
    QString StoredAnswer(const QString& name) const;
    void RestoreStored(const QMap<QString, QStringList>& stored);
    // Adds `unit` to the last byte of the module's address (wrapping within the byte).
    void SetUnitNumber(int unit);
    void PowerCycle();

    static constexpr int kGuardMs = 1000;
    static constexpr int kEscapeWindowMs = 200;
    static constexpr char kEscapeChar = '/';

private:
    void Define(const QString& name, QVector<Arg> args, QStringList defaults,
                bool readOnly = false);
    QByteArray ExecuteLine(const QByteArray& line);
    QString Answer(const Setting& setting, const QStringList& values) const;
    bool ParseArgs(const QByteArray& text, QStringList* args, QVector<bool>* quoted) const;
    bool Validate(const Arg& arg, const QString& value, bool quoted) const;

    Kind m_kind;
    Mode m_mode = Mode::Data;
    QMap<QString, Setting> m_settings;
    QByteArray m_line;
    qint64 m_lastRx = 0;
    int m_escapeCount = 0;
    qint64 m_escapeFirst = 0;
    qint64 m_escapeDone = -1; // time of the third escape character, awaiting silence
    bool m_ignoreEscape = false;
    bool m_noOk = false;
    bool m_onlyOk = false;
};
