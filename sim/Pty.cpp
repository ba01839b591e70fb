#include "Pty.h"

#include "PtySpeed.h"

#include <QDir>
#include <QFile>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <poll.h>
#include <stdlib.h>
#include <sys/inotify.h>
#include <sys/ioctl.h>
#include <termios.h>
#include <time.h>
#include <unistd.h>

CPty::CPty() {
    m_master = posix_openpt(O_RDWR | O_NOCTTY);
    if (m_master < 0 || grantpt(m_master) != 0 || unlockpt(m_master) != 0) {
        m_error = QString::fromLocal8Bit(strerror(errno));
        Close();
        return;
    }
    char name[128] = {};
    if (ptsname_r(m_master, name, sizeof name) != 0) {
        m_error = QString::fromLocal8Bit(strerror(errno));
        Close();
        return;
    }
    m_slavePath = QString::fromLocal8Bit(name);
    m_slaveKeeper = ::open(name, O_RDWR | O_NOCTTY);
    if (m_slaveKeeper < 0) {
        m_error = QString::fromLocal8Bit(strerror(errno));
        Close();
        return;
    }
    termios tio{};
    tcgetattr(m_slaveKeeper, &tio);
    cfmakeraw(&tio);
    cfsetspeed(&tio, B38400);
    tcsetattr(m_slaveKeeper, TCSANOW, &tio);
    fcntl(m_master, F_SETFL, fcntl(m_master, F_GETFL) | O_NONBLOCK);
    // Set up after the kept slave opened, so that only the program's opens are counted.
    m_watch = inotify_init1(IN_NONBLOCK | IN_CLOEXEC);
    if (m_watch >= 0 && inotify_add_watch(m_watch, name, IN_CLOSE_WRITE | IN_CLOSE_NOWRITE) < 0) {
        ::close(m_watch);
        m_watch = -1;
    }
}

bool CPty::UsePacketMode() {
    int on = 1;
    m_packetMode = m_master >= 0 && ::ioctl(m_master, TIOCPKT, &on) == 0;
    return m_packetMode;
}

int CPty::ReadFromProgram(char* buffer, int count) {
    if (m_master < 0 || count <= 0)
        return m_master < 0 ? -1 : 0;
    if (!m_packetMode)
        return int(::read(m_master, buffer, size_t(count)));
    // Each read brings one lead byte: 0 before data, or a notice on its own.
    char packet[4097];
    const int n = int(::read(m_master, packet, size_t(qMin(count, 4096) + 1)));
    if (n <= 0)
        return n;
    if (packet[0] != TIOCPKT_DATA) {
        if (packet[0] & TIOCPKT_FLUSHWRITE)
            tcflush(m_master, TCIFLUSH);
        return 0;
    }
    memcpy(buffer, packet + 1, size_t(n - 1));
    return n - 1;
}

bool CPty::ProgramHoldsSlave() const {
    // Every open descriptor of every process this user may look at; this process's own
    // kept slave does not count. (A program of another user, root say, is not seen: its
    // claim does not stop root, and that program still holds the line.)
    const QString own = QString::number(::getpid());
    const QByteArray slave = QFile::encodeName(m_slavePath);
    const QStringList pids =
        QDir(QStringLiteral("/proc")).entryList(QDir::Dirs | QDir::NoDotAndDotDot);
    for (const QString& pid : pids) {
        if (!pid.front().isDigit())
            continue;
        const QString fdDir = QStringLiteral("/proc/%1/fd").arg(pid);
        for (const QString& fd : QDir(fdDir).entryList(QDir::System | QDir::NoDotAndDotDot)) {
            if (pid == own && fd.toInt() == m_slaveKeeper)
                continue;
            char target[256];
            const QByteArray link = QFile::encodeName(fdDir + QLatin1Char('/') + fd);
            const ssize_t n = ::readlink(link.constData(), target, sizeof target);
            if (n == slave.size() && memcmp(target, slave.constData(), size_t(n)) == 0)
                return true;
        }
    }
    return false;
}

void CPty::TakeOpenEvents() {
    if (m_watch < 0)
        return;
    // Events of the same kind that come together are merged, so they are not counted:
    // each batch of closes is a moment to look who still holds the line.
    alignas(inotify_event) char events[4096];
    bool closed = false;
    while (::read(m_watch, events, sizeof events) > 0)
        closed = true;
    // A program that closes the line itself gives up its claim first (Qt does): only a
    // claim still standing needs the look at who holds the line.
    int exclusive = 0;
    if (!closed || m_slaveKeeper < 0 || ::ioctl(m_slaveKeeper, TIOCGEXCL, &exclusive) != 0 ||
        !exclusive || ProgramHoldsSlave())
        return;
    ::ioctl(m_slaveKeeper, TIOCNXCL);
    // A program that opened the line (and claimed it) between the look and the drop keeps
    // its claim.
    if (ProgramHoldsSlave())
        ::ioctl(m_slaveKeeper, TIOCEXCL);
}

CPty::~CPty() {
    Close();
}

void CPty::Hangup() {
    if (m_master >= 0)
        ::close(m_master);
    m_master = -1;
}

void CPty::Close() {
    Hangup();
    if (m_slaveKeeper >= 0)
        ::close(m_slaveKeeper);
    m_slaveKeeper = -1;
    if (m_watch >= 0)
        ::close(m_watch);
    m_watch = -1;
}

namespace {
// The rates termios names by a constant; the others (14400) go through the custom-rate
// interface.
struct SpeedRow {
    int rate;
    speed_t constant;
};
const SpeedRow kSpeeds[] = {{1200, B1200},   {2400, B2400},   {4800, B4800},   {9600, B9600},
                            {19200, B19200}, {38400, B38400}, {57600, B57600}, {115200, B115200}};
} // namespace

bool CPty::SetInitialSpeed(int rate) {
    if (m_slaveKeeper < 0)
        return false;
    for (const SpeedRow& row : kSpeeds) {
        if (row.rate != rate)
            continue;
        termios tio{};
        if (tcgetattr(m_slaveKeeper, &tio) != 0)
            return false;
        cfsetspeed(&tio, row.constant);
        return tcsetattr(m_slaveKeeper, TCSANOW, &tio) == 0;
    }
    return PtySetCustomSpeed(m_slaveKeeper, rate);
}

int CPty::SlaveBaudRate() const {
    if (m_slaveKeeper < 0)
        return 0;
    termios tio{};
    if (tcgetattr(m_slaveKeeper, &tio) != 0)
        return 0;
    const speed_t speed = cfgetospeed(&tio);
    for (const SpeedRow& row : kSpeeds) {
        if (row.constant == speed)
            return row.rate;
    }
    return PtyCustomSpeed(m_slaveKeeper);
}

bool CPty::WriteAll(const char* data, int count) {
    int done = 0;
    timespec lastProgress{};
    clock_gettime(CLOCK_MONOTONIC, &lastProgress);
    while (done < count && m_master >= 0) {
        const ssize_t n = ::write(m_master, data + done, size_t(count - done));
        timespec now{};
        clock_gettime(CLOCK_MONOTONIC, &now);
        if (n > 0) {
            done += int(n);
            lastProgress = now;
        } else if (n < 0 && (errno == EAGAIN || errno == EINTR)) {
            const long stalledMs = long(now.tv_sec - lastProgress.tv_sec) * 1000 +
                                   (now.tv_nsec - lastProgress.tv_nsec) / 1000000;
            if (stalledMs >= kStallLimitMs && m_slaveKeeper >= 0) {
                // Nothing has been read for a while: the program has its port closed and
                // only the kept slave holds the line, which never reads. Bytes sent to a
                // closed port are lost on a real line too; dropping what waits unread keeps
                // the printer going (it would otherwise wait here for ever, and could not
                // even be stopped).
                tcflush(m_slaveKeeper, TCIFLUSH);
                lastProgress = now;
                continue;
            }
            pollfd pfd{m_master, POLLOUT, 0};
            ::poll(&pfd, 1, 50);
        } else {
            return false;
        }
    }
    return done == count;
}
