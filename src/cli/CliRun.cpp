#include "CliRun.h"

#include "ConsoleServices.h"
#include "document/KVUDoc.h"
#include "document/ProjectFile.h"
#include "module1/AttributeForm.h"

#include <QSettings>

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

int CCliRun::PrepareLink() {
    LoadSettings();
    if (IsSet(QStringLiteral("port"))) {
        const QString port = m_core.m_ports.UsePortOrDevice(Value(QStringLiteral("port")));
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
    m_services = m_context.makeServices ? m_context.makeServices(yes)
                                        : std::make_unique<CConsoleServices>(yes);
    m_core.SetServices(m_services.get());
    m_err << "kvuctl: " << m_core.m_serial.GetPortName() << " (" << m_core.m_serial.DeviceName()
          << ") at " << m_core.m_serial.GetBaudRateText() << " bit/s\n";
    m_err.flush();
    return KvuCtlExit::Ok;
}
