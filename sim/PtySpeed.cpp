// The line speed a program set on a tty, including the rates that have no Bxxx constant
// (14400): Qt sets those through the Linux termios2 interface, which <termios.h> cannot
// read back. Kept apart from Pty.cpp because <asm/termbits.h> and <termios.h> clash.

#include "PtySpeed.h"

#ifdef __linux__
#include <asm/termbits.h>
#include <sys/ioctl.h>

int PtyCustomSpeed(int fd) {
    struct termios2 tio {};
    if (ioctl(fd, TCGETS2, &tio) != 0)
        return 0;
    return (tio.c_cflag & CBAUD) == BOTHER ? int(tio.c_ospeed) : 0;
}

bool PtySetCustomSpeed(int fd, int rate) {
    struct termios2 tio {};
    if (ioctl(fd, TCGETS2, &tio) != 0)
        return false;
    tio.c_cflag = (tio.c_cflag & ~(CBAUD | (CBAUD << IBSHIFT))) | BOTHER | (BOTHER << IBSHIFT);
    tio.c_ospeed = tio.c_ispeed = speed_t(rate);
    return ioctl(fd, TCSETS2, &tio) == 0;
}
#else
int PtyCustomSpeed(int) {
    return 0;
}

bool PtySetCustomSpeed(int, int) {
    return false;
}
#endif
