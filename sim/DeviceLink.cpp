#include "DeviceLink.h"

#include <QFile>
#include <cerrno>
#include <cstring>
#include <sys/stat.h>
#include <unistd.h>

namespace {
// The target of the symbolic link at `path`; false when there is no symbolic link there.
bool LinkTarget(const QString& path, QString* target) {
    const QByteArray name = QFile::encodeName(path);
    struct stat st {};
    if (::lstat(name.constData(), &st) != 0 || !S_ISLNK(st.st_mode))
        return false;
    char buffer[4096];
    const ssize_t n = ::readlink(name.constData(), buffer, sizeof buffer - 1);
    if (n < 0)
        return false;
    *target = QFile::decodeName(QByteArray(buffer, int(n)));
    return true;
}

bool IsPseudoTerminal(const QString& target) {
    return target.startsWith(QLatin1String("/dev/pts/"));
}
} // namespace

namespace DeviceLink {

bool Make(const QString& path, const QString& device, QString* error) {
    const QByteArray name = QFile::encodeName(path);
    QString target;
    if (LinkTarget(path, &target)) {
        if (!IsPseudoTerminal(target)) {
            *error = QStringLiteral("%1 is a link to %2, not one this simulator made; it is left "
                                    "as it is")
                         .arg(path, target);
            return false;
        }
        ::unlink(name.constData());
    } else {
        struct stat st {};
        if (::lstat(name.constData(), &st) == 0) {
            *error = QStringLiteral("%1 exists and is not a link this simulator made; it is left "
                                    "as it is (give another path, or remove it first)")
                         .arg(path);
            return false;
        }
    }
    if (::symlink(QFile::encodeName(device).constData(), name.constData()) != 0) {
        *error = QStringLiteral("cannot make the link %1: %2")
                     .arg(path, QString::fromLocal8Bit(strerror(errno)));
        return false;
    }
    return true;
}

void Remove(const QString& path, const QString& device) {
    QString target;
    if (LinkTarget(path, &target) && target == device)
        ::unlink(QFile::encodeName(path).constData());
}

} // namespace DeviceLink
