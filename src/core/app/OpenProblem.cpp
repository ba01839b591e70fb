#include "OpenProblem.h"

#include <QFileInfo>
#include <QSerialPort>

namespace {
QString Where(const QString& portName, const QString& device) {
    return portName == device || portName.isEmpty()
               ? device
               : QStringLiteral("%1 (%2)").arg(portName, device);
}

// Qt reports a port held by another program in three ways on Unix: its own lock file
// ("Permission error while locking the device"), EBUSY from an exclusive tty ("Device or
// resource busy") and, on Windows, "Access is denied" for a port opened elsewhere.
bool SaysInUse(const QString& errorString) {
    // Qt's own lock file that cannot even be made is a set-up fault, not another program.
    if (errorString.contains(QLatin1String("creating lock file"), Qt::CaseInsensitive))
        return false;
    for (const char* hint : {"lock", "busy", "in use", "Access is denied"}) {
        if (errorString.contains(QLatin1String(hint), Qt::CaseInsensitive))
            return true;
    }
    return false;
}
} // namespace

COpenProblem::Facts COpenProblem::Gather(const QString& device, int serialError,
                                         const QString& errorString) {
    Facts facts;
    facts.serialError = serialError;
    facts.errorString = errorString;
    const QFileInfo info(device);
#ifdef Q_OS_WIN
    // COM names are not files; only the driver can tell.
    facts.exists = serialError != QSerialPort::DeviceNotFoundError;
    facts.accessible = true;
#else
    facts.exists = info.exists();
    facts.accessible = !facts.exists || (info.isReadable() && info.isWritable());
    facts.group = facts.exists ? info.group() : QString();
    facts.owner = facts.exists ? info.owner() : QString();
    facts.groupMayUse = !facts.exists || ((info.permissions() & QFile::ReadGroup) &&
                                          (info.permissions() & QFile::WriteGroup));
#endif
    return facts;
}

COpenProblem COpenProblem::Classify(const QString& portName, const QString& device,
                                    const Facts& facts) {
    COpenProblem problem;
    const QString where = Where(portName, device);
    if (facts.serialError == QSerialPort::DeviceNotFoundError || !facts.exists) {
        problem.kind = Kind::NotFound;
        problem.text =
            portName.isEmpty() || portName == device
                ? QStringLiteral("%1: the device does not exist (unplugged, or a wrong device "
                                 "path)")
                      .arg(where)
                : QStringLiteral("%1: the device does not exist (unplugged, or %2 is mapped to "
                                 "the wrong device)")
                      .arg(where, portName);
        return problem;
    }
    if (facts.serialError == QSerialPort::PermissionError && !facts.accessible) {
        problem.kind = Kind::PermissionDenied;
#ifdef Q_OS_LINUX
        const QString group = facts.group.isEmpty() ? QStringLiteral("dialout") : facts.group;
        if (facts.groupMayUse)
            problem.text = QStringLiteral("%1: permission denied: the user is not in the group "
                                          "\"%2\" that owns the device; add them with "
                                          "\"sudo usermod -aG %2 $USER\" and log in again")
                               .arg(where, group);
        else
            problem.text =
                QStringLiteral("%1: permission denied: only the device's owner%2 may "
                               "use it, not its group \"%3\"; an administrator can "
                               "give the group access to it (chmod g+rw)")
                    .arg(where,
                         facts.owner.isEmpty() ? QString()
                                               : QStringLiteral(" \"%1\"").arg(facts.owner),
                         group);
#else
        problem.text = QStringLiteral("%1: permission denied").arg(where);
#endif
        return problem;
    }
    if (SaysInUse(facts.errorString) ||
        (facts.serialError == QSerialPort::PermissionError && facts.errorString.isEmpty())) {
        problem.kind = Kind::InUse;
        problem.text = QStringLiteral("%1: the port is in use by another program").arg(where);
        return problem;
    }
    problem.kind = Kind::Other;
    problem.text = QStringLiteral("%1: cannot be opened: %2")
                       .arg(where, facts.errorString.isEmpty() ? QStringLiteral("unknown error")
                                                               : facts.errorString);
    return problem;
}
