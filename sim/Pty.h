#pragma once

#include <QString>

// A pseudo-terminal pair: the simulator (or a test) works on the master side, the
// program opens the slave path with its real serial code. The slave is also kept open
// here, in raw mode, so that the master never sees a hang-up while the program has the
// port closed between two actions, and no byte is echoed back.
class CPty {
public:
    CPty();
    ~CPty();
    CPty(const CPty&) = delete;
    CPty& operator=(const CPty&) = delete;

    bool IsValid() const { return m_master >= 0; }
    int MasterFd() const { return m_master; }
    QString SlavePath() const { return m_slavePath; }
    QString ErrorString() const { return m_error; }

    // Line speed the program set on its side, or 0 when it is not a standard rate.
    int SlaveBaudRate() const;

    // The speed the slave has before any program sets one: the printer's own rate, so
    // that a program that closes the port right after writing (Qt then puts the tty back
    // as it found it, before the simulator may have read the bytes) is still heard at
    // the rate it wrote at. False when the rate cannot be set.
    bool SetInitialSpeed(int rate);

    // Simulates pulling the cable: the master is closed, so the slave path is gone and the
    // program's next read or write on the slave fails. The kept slave stays open until
    // this object goes: while it is open the kernel hands the pty's number to no other
    // pseudo-terminal, so another simulator (of this or another process) never appears
    // under the name of the one that was unplugged, and a reopen of the name fails.
    void Hangup();

    // Writes all bytes to the master side; false when the link is gone. When nothing has
    // been read from the line for kStallLimitMs (the program's port is closed), the bytes
    // waiting unread are dropped so that the writing can go on.
    static constexpr long kStallLimitMs = 1000;
    bool WriteAll(const char* data, int count);

    // The master in packet mode, so that it hears the program drop its queued output
    // (tcflush, QSerialPort::clear): a real UART's transmit queue is gone then, while a
    // pty would hand the master every byte all the same. False when the mode is refused.
    bool UsePacketMode();
    // Up to `count` bytes the program wrote; 0 when none (or only a notice came), -1 on
    // an error (errno tells). In packet mode a drop of the program's output also drops
    // what it wrote and the master has not read yet, as the UART would have.
    int ReadFromProgram(char* buffer, int count);

    // The kept slave holds the line open, so the kernel never sees the program's port
    // close for the last time, and an exclusive claim (TIOCEXCL, which Qt sets at open)
    // would outlive the program that made it: every later open by an ordinary user would
    // fail with EBUSY. So the closes of the slave are watched, and when no program's
    // descriptor is left (closed, or its process ended, even by kill -9) the claim is
    // dropped, as a real port's last close drops it. WatchFd is readable when closes are
    // waiting for TakeOpenEvents; -1 when the watch could not be set up.
    int WatchFd() const { return m_watch; }
    void TakeOpenEvents();

private:
    void Close();
    // Whether any process but this one's kept slave has the slave open.
    bool ProgramHoldsSlave() const;

    int m_master = -1;
    int m_slaveKeeper = -1;
    int m_watch = -1;
    bool m_packetMode = false;
    QString m_slavePath;
    QString m_error;
};
