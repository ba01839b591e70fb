#include "Pty.h"

#include "PtySpeed.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <poll.h>
#include <stdlib.h>
#include <termios.h>
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
}

int CPty::SlaveBaudRate() const {
    if (m_slaveKeeper < 0)
        return 0;
    termios tio{};
    if (tcgetattr(m_slaveKeeper, &tio) != 0)
        return 0;
    switch (cfgetospeed(&tio)) {
    case B1200:
        return 1200;
    case B2400:
        return 2400;
    case B4800:
        return 4800;
    case B9600:
        return 9600;
    case B19200:
        return 19200;
    case B38400:
        return 38400;
    case B57600:
        return 57600;
    case B115200:
        return 115200;
    default:
        // 14400 and other rates without a constant.
        return PtyCustomSpeed(m_slaveKeeper);
    }
}

bool CPty::WriteAll(const char* data, int count) {
    int done = 0;
    while (done < count && m_master >= 0) {
        const ssize_t n = ::write(m_master, data + done, size_t(count - done));
        if (n > 0) {
            done += int(n);
        } else if (n < 0 && (errno == EAGAIN || errno == EINTR)) {
            pollfd pfd{m_master, POLLOUT, 0};
            ::poll(&pfd, 1, 50);
        } else {
            return false;
        }
    }
    return done == count;
}
