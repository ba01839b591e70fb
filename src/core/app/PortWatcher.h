#pragma once

#include "PortDiscovery.h"

#include <functional>

// Notices serial ports coming and going (a USB adapter plugged in or pulled): each Poll()
// looks at the ports the system reports now and tells what changed since the last look.
// It owns no timer, so that any loop can drive it: the Serial Port dialog from a timer,
// kvuctl's ports --watch from its own loop, tests call by call. A port is the same port
// while its device, USB id and serial number stay the same; another adapter on the same
// device name is one gone and one come.
class CPortWatcher {
public:
    struct Change {
        bool added = false; // false: gone
        CPortInfo port;
    };
    using Lister = std::function<QList<CPortInfo>()>;

    explicit CPortWatcher(Lister lister) : m_lister(std::move(lister)) {}

    // Called with each change as Poll() finds it (also given back by Poll()).
    std::function<void(const Change&)> onChange;

    // The ports now, and the changes since the last call: those gone first, in the order
    // the last look had them, then those come, in the order the system reports them. The
    // first call reports every port as come.
    QList<Change> Poll();
    // The ports of the last look.
    const QList<CPortInfo>& Ports() const { return m_ports; }

private:
    Lister m_lister;
    QList<CPortInfo> m_ports;
};
