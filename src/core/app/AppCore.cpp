#include "AppCore.h"

#include <QSettings>

namespace {
const char* const kCompany = "Velqor Vuzuvurizod";
const char* const kApplication = "KVU";

// An integer entry; text, a number too large for 32 bits or a missing entry reads as 0,
// which the callers treat as "use the default".
int ReadInt(QSettings& settings, const char* key) {
    bool ok = false;
    const int value = settings.value(QLatin1String(key)).toString().trimmed().toInt(&ok);
    return ok ? value : 0;
}
} // namespace

CAppCore::CAppCore() {
    m_serial.SetPortMap(&m_ports);
}

std::unique_ptr<QSettings> CAppCore::OpenUserSettings() {
#ifdef Q_OS_WIN
    return std::make_unique<QSettings>(QSettings::NativeFormat, QSettings::UserScope,
                                       QLatin1String(kCompany), QLatin1String(kApplication));
#else
    return std::make_unique<QSettings>(QSettings::IniFormat, QSettings::UserScope,
                                       QLatin1String(kCompany), QLatin1String(kApplication));
#endif
}

void CAppCore::SetServices(IUiServices* services) {
    m_serial.SetServices(services);
}

void CAppCore::LoadSettings(QSettings& settings) {
    settings.beginGroup(QStringLiteral("Communication"));
    QString baud = settings.value(QStringLiteral("BAUDRATE")).toString();
    if (baud.isEmpty())
        baud = QStringLiteral("38400");
    m_serial.SetBaudRateText(baud);
    QString port = settings.value(QStringLiteral("COMPORT")).toString();
    if (port.isEmpty())
        port = QStringLiteral("COM1");
    m_serial.SetPortName(port);
    settings.endGroup();

    settings.beginGroup(QStringLiteral("Logo Size"));
    const int width = ReadInt(settings, "WIDTH");
    m_logo.m_raster.SetWidthCode(width == 0 ? CLogoRaster::kDefaultWidthCode : width);
    const int height = ReadInt(settings, "HEIGHT");
    // The raster holds 300 rows: a stored height outside 1 to 300 is brought into range.
    m_logo.m_raster.m_nHeight =
        height == 0 ? CLogoRaster::kDefaultHeight
                    : qBound(CLogoRaster::kMinHeight, height, CLogoRaster::kMaxRows);
    settings.endGroup();

    m_ports.Load(settings);
    m_recentFiles.Load(settings);
}

void CAppCore::SaveSettings(QSettings& settings) const {
    if (!m_bLinkForThisRunOnly) {
        settings.beginGroup(QStringLiteral("Communication"));
        settings.setValue(QStringLiteral("BAUDRATE"), m_serial.GetBaudRateText());
        settings.setValue(QStringLiteral("COMPORT"), m_serial.GetPortName());
        settings.endGroup();
    }
    settings.beginGroup(QStringLiteral("Logo Size"));
    settings.setValue(QStringLiteral("WIDTH"), m_logo.m_raster.m_nWidthCode);
    settings.setValue(QStringLiteral("HEIGHT"), m_logo.m_raster.m_nHeight);
    settings.endGroup();
    m_ports.Save(settings);
    m_recentFiles.Save(settings);
    settings.sync();
}
