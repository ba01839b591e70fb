#pragma once

#include "Pty.h"

#include <QByteArray>

// A bare pseudo-terminal for link tests: the test plays the printer on the master fd,
// the program's CSerialPort opens SlavePath().
class CPtyPair {
public:
    QString SlavePath() const { return m_pty.SlavePath(); }
    bool IsValid() const { return m_pty.IsValid(); }
    bool Write(const QByteArray& bytes) {
        return m_pty.WriteAll(bytes.constData(), int(bytes.size()));
    }
    // Everything that arrives within the time limit, or once `count` bytes are there.
    QByteArray Read(int count, int timeoutMs);
    void Hangup() { m_pty.Hangup(); }

private:
    CPty m_pty;
};
