#include "PortMap.h"

#include "PortNames.h"

#include <QSettings>

namespace {
const char* const kSection = "Ports";
using PortNames::kPortCount;

QString PortName(int index) {
    return PortNames::ComName(index);
}
} // namespace

QString CPortMap::Device(const QString& portName) const {
    if (auto it = m_session.find(portName); it != m_session.end())
        return *it;
    if (auto it = m_stored.find(portName); it != m_stored.end())
        return *it;
    const QByteArray env = qgetenv(("KVU_PORT_" + portName).toLatin1().constData());
    if (!env.isEmpty())
        return QString::fromLocal8Bit(env);
    return DefaultDevice(portName);
}

QString CPortMap::StoredDevice(const QString& portName) const {
    return m_stored.value(portName);
}

void CPortMap::SetStoredDevice(const QString& portName, const QString& device) {
    if (device.isEmpty())
        m_stored.remove(portName);
    else
        m_stored.insert(portName, device);
}

void CPortMap::SetSessionDevice(const QString& portName, const QString& device) {
    m_session.insert(portName, device);
}

void CPortMap::Load(QSettings& settings) {
    m_stored.clear();
    settings.beginGroup(kSection);
    for (int i = 0; i < kPortCount; ++i) {
        const QString device = settings.value(PortName(i)).toString().trimmed();
        if (!device.isEmpty())
            m_stored.insert(PortName(i), device);
    }
    settings.endGroup();
}

void CPortMap::Save(QSettings& settings) const {
    settings.beginGroup(kSection);
    settings.remove(QString());
    for (auto it = m_stored.begin(); it != m_stored.end(); ++it)
        settings.setValue(it.key(), it.value());
    settings.endGroup();
}

QString CPortMap::DefaultDevice(const QString& portName) {
#ifdef Q_OS_WIN
    return portName;
#else
    bool ok = false;
    const int number = portName.mid(3).toInt(&ok);
    if (!portName.startsWith(QLatin1String("COM")) || !ok || number < 1)
        return portName;
    return QStringLiteral("/dev/ttyS%1").arg(number - 1);
#endif
}

bool CPortMap::IsPortName(const QString& text) {
    // COM1 to COM20 exactly: no leading zero, no blanks. Plain code rather than a shared
    // regular expression, as the ports' threads of kvuctl all ask.
    if (!text.startsWith(QLatin1String("COM")) || text.size() < 4 || text.size() > 5 ||
        text[3] == QLatin1Char('0'))
        return false;
    int number = 0;
    for (int i = 3; i < text.size(); ++i) {
        if (text[i] < QLatin1Char('0') || text[i] > QLatin1Char('9'))
            return false;
        number = number * 10 + (text[i].unicode() - '0');
    }
    return number >= 1 && number <= kPortCount;
}

bool CPortMap::IsDevicePath(const QString& text) {
    return text.contains(QLatin1Char('/')) || text.contains(QLatin1Char('\\'));
}

QString CPortMap::UsePortOrDevice(const QString& text) {
    if (IsPortName(text))
        return text;
    if (!IsDevicePath(text))
        return QString();
    const QString port = QStringLiteral("COM1");
    SetSessionDevice(port, text);
    return port;
}
