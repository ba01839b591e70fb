#pragma once

#include "KvuCtlContext.h"
#include "app/AppCore.h"
#include "app/UiServices.h"

#include <QCommandLineParser>
#include <QSettings>
#include <QTextStream>
#include <memory>

class CAttributeForm;
class CKVUDoc;
struct CCliCommand;
struct CCliShared;

// One kvuctl command being run: its arguments and options, the terminal, and the helpers
// every command file shares (loading a project, opening the link as KVU would).
class CCliRun {
public:
    CCliRun(const QStringList& arguments, const QCommandLineParser& parser, KvuCtlContext& context,
            QTextStream& out, QTextStream& err);

    // The arguments after the command's name.
    const QStringList& Arguments() const { return m_arguments; }
    const QString& Argument(int i) const { return m_arguments[i]; }
    bool IsSet(const QString& option) const { return m_parser.isSet(option); }
    QString Value(const QString& option) const { return m_parser.value(option); }

    QTextStream& Out() { return m_out; }
    QTextStream& Err() { return m_err; }
    // The lines every command on the link adds to its help about --port and --baud.
    static QString LinkHelp() {
        return QStringLiteral(
            "--port takes COM1 to COM20 (through KVU's port table) or a device path;\n"
            "--baud one of the eight rates. Both default to what KVU last used.\n");
    }
    // The lines a command that runs on several ports at once adds to its help, with an
    // example of the command (its name and arguments).
    static QString ManyPortsHelp();
    // Lets a command's row run on several ports at once: its options and help grow by
    // the lines above.
    static void AllowManyPorts(CCliCommand& row, const QString& example);
    // The options such a command takes besides its own.
    static QStringList ManyPortsOptions() {
        return {QStringLiteral("ports"), QStringLiteral("ports-from"), QStringLiteral("json")};
    }

    // "kvuctl: TEXT (see kvuctl --help)" and the usage exit code.
    int UsageError(const QString& text);
    // "kvuctl: PATH: MESSAGE (DETAIL)" on stderr.
    void FileError(const QString& path, const QString& message, const QString& detail);

    // The file names that stand for the standard streams: "-" for standard input or
    // output, and for output also a name that leads to this process's own standard output
    // (/dev/stdout, /dev/fd/1), which may well be a pipe.
    static bool IsStdin(const QString& path) { return path == QLatin1String("-"); }
    bool IsStdout(const QString& path) const;
    // The name messages give such a file.
    static QString StreamName(const QString& path);
    // Bytes written to standard output as they are; false with the reason.
    bool WriteStdout(const QByteArray& bytes, QString* detail);
    // Standard input to its end, at most `limit` bytes; false with the reason.
    bool ReadStdin(qint64 limit, QByteArray* bytes, QString* detail);

    // What went wrong, for the failure object of --json: why the port could not be opened
    // and the messages shown, else `lastNote` (the command's last line on stderr).
    QString ErrorText(const QString& lastNote) const;

    // Loads a project file; on failure says why and returns false.
    bool LoadProject(const QString& path, CKVUDoc& doc);
    // Loads a project into the attribute form, as the page would show it.
    bool LoadForm(const QString& path, CAttributeForm& form);

    // KVU's settings (port table, port and rate, logo size) into the core; once.
    void LoadSettings();
    // The link as KVU would open it: the user's port table and last port and rate, then
    // --port and --baud. Returns KvuCtlExit::Ok, or the usage code after saying why.
    int PrepareLink();
    CAppCore& Core() { return m_core; }
    // The serial ports of this computer (or the ones the caller gave).
    QList<CPortInfo> ListPorts();
    // The caller's pause between two looks of ports --watch; empty for the default.
    const std::function<bool()>& WatchPause() const { return m_context.watchPause; }

    // For one port of a command run on several: the settings already read (the settings
    // store is read once, by the dispatcher), the port to use instead of --port, and the
    // services of this port.
    void UseSettingsOf(const CAppCore& loaded);
    void SetPort(const QString& port) { m_portOverride = port; }
    // The port SetPort gave, empty when the command runs on one port only.
    const QString& Port() const { return m_portOverride; }
    // What the command's beforePorts worked out for every port.
    void SetShared(std::shared_ptr<const CCliShared> shared) { m_shared = std::move(shared); }
    const std::shared_ptr<const CCliShared>& Shared() const { return m_shared; }
    void AdoptServices(std::unique_ptr<IUiServices> services) {
        m_interruptible.reset();
        m_noting.reset();
        m_services = std::move(services);
    }
    // The line PrepareLink wrote about the link it opens ("COM1 (/dev/ttyUSB0) at ...").
    const QString& LinkLine() const { return m_linkLine; }
    CSerialPort& Link() { return m_core.m_serial; }
    IUiServices& Services() { return m_interruptible ? *m_interruptible : *m_services; }
    // The exit code of a command that has returned `rc`: one that did not finish because it
    // was interrupted exits with the interrupt's code (130 for Ctrl-C).
    int Finished(int rc);

private:
    QStringList m_arguments;
    const QCommandLineParser& m_parser;
    KvuCtlContext& m_context;
    QTextStream& m_out;
    QTextStream& m_err;
    CAppCore m_core;
    std::unique_ptr<QSettings> m_ownSettings;
    bool m_settingsLoaded = false;
    std::unique_ptr<IUiServices> m_services;
    // The services as the core sees them: the terminal's interrupt reported too, and what
    // went wrong noted for ErrorText.
    std::unique_ptr<IUiServices> m_noting;
    std::unique_ptr<IUiServices> m_interruptible;
    QStringList m_problems;
    QString m_portOverride;
    QString m_linkLine;
    std::shared_ptr<const CCliShared> m_shared;
};
