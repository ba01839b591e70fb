#include "PtyPair.h"

#include <QElapsedTimer>
#include <poll.h>
#include <unistd.h>

QByteArray CPtyPair::Read(int count, int timeoutMs) {
    QByteArray out;
    QElapsedTimer timer;
    timer.start();
    while (out.size() < count) {
        const int left = timeoutMs - int(timer.elapsed());
        if (left <= 0)
            break;
        pollfd pfd{m_pty.MasterFd(), POLLIN, 0};
        if (::poll(&pfd, 1, left) <= 0)
            break;
        char buffer[4096];
        const ssize_t n = ::read(m_pty.MasterFd(), buffer, sizeof buffer);
        if (n > 0)
            out.append(buffer, int(n));
    }
    return out;
}
