#include "PortWatcher.h"

namespace {
bool SamePort(const CPortInfo& a, const CPortInfo& b) {
    return a.device == b.device && a.usbId == b.usbId && a.serialNumber == b.serialNumber;
}

bool Contains(const QList<CPortInfo>& ports, const CPortInfo& port) {
    for (const CPortInfo& p : ports) {
        if (SamePort(p, port))
            return true;
    }
    return false;
}
} // namespace

QList<CPortWatcher::Change> CPortWatcher::Poll() {
    const QList<CPortInfo> now = m_lister ? m_lister() : QList<CPortInfo>();
    QList<Change> changes;
    for (const CPortInfo& p : m_ports) {
        if (!Contains(now, p))
            changes.append({false, p});
    }
    for (const CPortInfo& p : now) {
        if (!Contains(m_ports, p))
            changes.append({true, p});
    }
    m_ports = now;
    if (onChange) {
        for (const Change& c : changes)
            onChange(c);
    }
    return changes;
}
