#include "PortDiscovery.h"

#include "PortMap.h"
#include "PortNames.h"

#include <QDir>
#include <QFileInfo>
#include <QSerialPortInfo>
#include <algorithm>

namespace {
// The file a device name leads to, links followed; the name itself where it is no file
// (COM3 on Windows) or does not exist.
QString Resolved(const QString& device) {
    const QString canonical = QFileInfo(device).canonicalFilePath();
    return canonical.isEmpty() ? device : canonical;
}
} // namespace

namespace PortDiscovery {

bool SameDevice(const QString& a, const QString& b) {
    if (a.isEmpty() || b.isEmpty())
        return false;
    return a == b || Resolved(a) == Resolved(b);
}

QString StableName(const QString& device, const QString& folder) {
    const QDir dir(folder);
    if (!dir.exists())
        return QString();
    const QString target = Resolved(device);
    const QFileInfoList links =
        dir.entryInfoList(QDir::System | QDir::Files | QDir::NoDotAndDotDot, QDir::Name);
    for (const QFileInfo& link : links) {
        if (link.isSymLink() && link.canonicalFilePath() == target)
            return link.absoluteFilePath();
    }
    return QString();
}

QStringList ComNamesFor(const QString& device, const CPortMap& map) {
    QStringList names;
    for (int i = 0; i < PortNames::kPortCount; ++i) {
        const QString name = PortNames::ComName(i);
        if (SameDevice(map.Device(name), device))
            names << name;
    }
    return names;
}

QList<CPortInfo> Available(const CPortMap& map) {
    QList<CPortInfo> ports;
    for (const QSerialPortInfo& info : QSerialPortInfo::availablePorts()) {
        CPortInfo port;
        port.device = info.systemLocation();
        port.stableName = StableName(port.device);
        port.description = info.description();
        port.manufacturer = info.manufacturer();
        if (info.hasVendorIdentifier() && info.hasProductIdentifier())
            port.usbId = QStringLiteral("%1:%2")
                             .arg(info.vendorIdentifier(), 4, 16, QLatin1Char('0'))
                             .arg(info.productIdentifier(), 4, 16, QLatin1Char('0'));
        port.serialNumber = info.serialNumber();
        // Links are followed, so a table entry that names the stable link counts too.
        port.comNames = ComNamesFor(port.device, map);
        ports << port;
    }
    std::sort(ports.begin(), ports.end(),
              [](const CPortInfo& a, const CPortInfo& b) { return a.device < b.device; });
    return ports;
}

} // namespace PortDiscovery
