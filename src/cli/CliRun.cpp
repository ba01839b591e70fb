#include "CliRun.h"

#include "CliCommand.h"
#include "CliInterrupt.h"
#include "ConsoleServices.h"
#include "document/KVUDoc.h"
#include "document/ProjectFile.h"
#include "module1/AttributeForm.h"

#include <QFile>
#include <QSettings>
#include <cstdio>
#ifndef Q_OS_WIN
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace {
// The services as the command's run sees them, with what went wrong noted: why the port
// could not be opened and the messages shown.
class CNotingServices : public CForwardingUiServices {
public:
    CNotingServices(IUiServices& inner, QStringList& notes)
        : CForwardingUiServices(inner), m_notes(notes) {}
    using IUiServices::Message;
    MsgAnswer Message(const QString& text, const QString& caption, MsgIcon icon, MsgButtons buttons,
                      MsgAnswer defaultAnswer) override {
        Note(text);
        return Inner().Message(text, caption, icon, buttons, defaultAnswer);
    }
    void LinkProblem(const QString& text) override {
        Note(text);
        Inner().LinkProblem(text);
    }

private:
    void Note(QString text) {
        text.replace(QLatin1Char('\n'), QLatin1Char(' '));
        if (!text.isEmpty() && !m_notes.contains(text))
            m_notes << text;
    }
    QStringList& m_notes;
};
} // namespace

CCliRun::CCliRun(const QStringList& arguments, const QCommandLineParser& parser,
                 KvuCtlContext& context, QTextStream& out, QTextStream& err)
    : m_arguments(arguments), m_parser(parser), m_context(context), m_out(out), m_err(err) {}

int CCliRun::UsageError(const QString& text) {
    m_err << "kvuctl: " << text << " (see kvuctl --help)\n";
    m_err.flush();
    return KvuCtlExit::Usage;
}

void CCliRun::FileError(const QString& path, const QString& message, const QString& detail) {
    m_err << "kvuctl: " << path << ": " << message
          << (detail.isEmpty() ? QString() : QStringLiteral(" (%1)").arg(detail)) << '\n';
    m_err.flush();
}

bool CCliRun::IsStdout(const QString& path) const {
    if (path == QLatin1String("-"))
        return true;
    if (m_context.rawOut || path.isEmpty())
        return false;
#ifdef Q_OS_WIN
    return false;
#else
    // The same file as descriptor 1, whatever it is: a pipe, a terminal, or a file the
    // shell redirected to (written at the stream's place, never replaced).
    struct stat named {
    }, own{};
    return stat(QFile::encodeName(path).constData(), &named) == 0 &&
           fstat(STDOUT_FILENO, &own) == 0 && named.st_dev == own.st_dev &&
           named.st_ino == own.st_ino;
#endif
}

QString CCliRun::StreamName(const QString& path) {
    return path == QLatin1String("-") ? QStringLiteral("standard input") : path;
}

bool CCliRun::WriteStdout(const QByteArray& bytes, QString* detail) {
    m_out.flush();
    QFile own;
    QIODevice* device = m_context.rawOut;
    if (!device) {
        if (!own.open(stdout, QIODevice::WriteOnly | QIODevice::Unbuffered)) {
            *detail = own.errorString();
            return false;
        }
        device = &own;
    }
    if (device->write(bytes) != bytes.size()) {
        *detail = device->errorString();
        return false;
    }
    return true;
}

bool CCliRun::ReadStdin(qint64 limit, QByteArray* bytes, QString* detail) {
    QFile own;
    QIODevice* device = m_context.in;
    if (!device) {
        if (!own.open(stdin, QIODevice::ReadOnly)) {
            *detail = own.errorString();
            return false;
        }
        device = &own;
#ifndef Q_OS_WIN
        // Typed lines are taken too; say how they end, or the command seems to hang.
        if (isatty(STDIN_FILENO)) {
            m_err << "kvuctl: reading standard input from the terminal; Ctrl-D ends it\n";
            m_err.flush();
        }
#endif
    }
    bytes->clear();
    char chunk[65536];
    for (;;) {
        const qint64 n = device->read(chunk, sizeof chunk);
        if (n < 0) {
            *detail = device->errorString();
            return false;
        }
        if (n == 0 && (device->atEnd() || !device->waitForReadyRead(-1)))
            break;
        bytes->append(chunk, int(n));
        if (bytes->size() > limit) {
            *detail = QStringLiteral("more than %1 bytes").arg(limit);
            return false;
        }
    }
    return true;
}

QString CCliRun::ErrorText(const QString& lastNote) const {
    if (!m_problems.isEmpty())
        return m_problems.join(QStringLiteral("; "));
    return lastNote;
}

bool CCliRun::LoadProject(const QString& path, CKVUDoc& doc) {
    QString detail;
    const CProjectFile::Result r = CProjectFile::Load(path, doc, &detail);
    if (r == CProjectFile::Result::Ok)
        return true;
    FileError(path, CProjectFile::Message(r), detail);
    return false;
}

bool CCliRun::LoadForm(const QString& path, CAttributeForm& form) {
    CKVUDoc doc;
    if (!LoadProject(path, doc))
        return false;
    form.FromDocument(doc);
    return true;
}

void CCliRun::LoadSettings() {
    if (m_settingsLoaded)
        return;
    m_settingsLoaded = true;
    QSettings* settings = m_context.settings;
    if (!settings) {
        m_ownSettings = CAppCore::OpenUserSettings();
        settings = m_ownSettings.get();
    }
    m_core.LoadSettings(*settings);
}

QString CCliRun::ManyPortsHelp() {
    return QStringLiteral(
        "Several printers at once: --port given more than once, --ports P1,P2,... or\n"
        "--ports-from FILE (one port per line; blank lines and # comments skipped).\n"
        "Each port runs in its own thread with its own link; status lines start with\n"
        "the port, and a summary (port, result, time, message) ends the run, as JSON\n"
        "with --json. Exit 0 only when every port succeeded, else the worst exit code.\n");
}

void CCliRun::AllowManyPorts(CCliCommand& row, const QString& example) {
    row.manyPorts = true;
    row.ownJson = row.options.contains(QStringLiteral("json"));
    if (row.synopsis.contains(QStringLiteral("[--port P]")))
        row.synopsis.replace(QStringLiteral("[--port P]"), QStringLiteral("[--port P...]"));
    else if (!row.synopsis.contains(QStringLiteral("--port")))
        row.synopsis += QStringLiteral(" [--port P...]");
    row.options += ManyPortsOptions();
    row.options.removeDuplicates();
    row.help += ManyPortsHelp();
    row.examples +=
        QStringLiteral("kvuctl %1 --ports /dev/ttyUSB0,/dev/ttyUSB1,/dev/ttyUSB2").arg(example);
}

QList<CPortInfo> CCliRun::ListPorts() {
    LoadSettings();
    return m_context.listPorts ? m_context.listPorts() : PortDiscovery::Available(m_core.m_ports);
}

void CCliRun::UseSettingsOf(const CAppCore& loaded) {
    m_settingsLoaded = true;
    m_core.m_ports = loaded.m_ports;
    m_core.m_serial.m_nBaudRate = loaded.m_serial.m_nBaudRate;
    m_core.m_serial.SetPortName(loaded.m_serial.GetPortName());
    m_core.m_logo.m_raster.SetWidthCode(loaded.m_logo.m_raster.m_nWidthCode);
    m_core.m_logo.m_raster.m_nHeight = loaded.m_logo.m_raster.m_nHeight;
}

int CCliRun::PrepareLink() {
    LoadSettings();
    const QString givenPort =
        !m_portOverride.isEmpty()
            ? m_portOverride
            : (IsSet(QStringLiteral("port")) ? Value(QStringLiteral("port")) : QString());
    if (!givenPort.isEmpty()) {
        const QString port = m_core.m_ports.UsePortOrDevice(givenPort);
        if (port.isEmpty())
            return UsageError(QStringLiteral("--port takes COM1 to COM20 or a device path"));
        m_core.m_serial.SetPortName(port);
    }
    if (IsSet(QStringLiteral("baud"))) {
        const QString rate = Value(QStringLiteral("baud"));
        bool known = false;
        for (const auto& row : CSerialPort::kBaudTable)
            known |= rate == QLatin1String(row.text);
        if (!known)
            return UsageError(QStringLiteral("--baud takes 1200, 2400, 9600, 14400, 19200, "
                                             "38400, 57600 or 115200"));
        m_core.m_serial.SetBaudRateText(rate);
    }
    const bool yes = IsSet(QStringLiteral("yes"));
    if (!m_services)
        m_services = m_context.makeServices ? m_context.makeServices(yes)
                                            : std::make_unique<CConsoleServices>(yes);
    if (!m_noting)
        m_noting = std::make_unique<CNotingServices>(*m_services, m_problems);
    if (!m_interruptible)
        m_interruptible = std::make_unique<CInterruptibleServices>(*m_noting);
    m_core.SetServices(m_interruptible.get());
    m_linkLine = QStringLiteral("kvuctl: %1 (%2) at %3 bit/s")
                     .arg(m_core.m_serial.GetPortName(), m_core.m_serial.DeviceName(),
                          m_core.m_serial.GetBaudRateText());
    m_err << m_linkLine << '\n';
    m_err.flush();
    return KvuCtlExit::Ok;
}

int CCliRun::Finished(int rc) {
    const bool interrupted =
        CliInterrupt::Requested() || (m_interruptible && m_interruptible->Interrupted());
    return rc != KvuCtlExit::Ok && interrupted ? CliInterrupt::ExitCode() : rc;
}
