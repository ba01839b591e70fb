#pragma once

#include <functional>

class CSerialPort;

// What idle processing drives on the Macros page: the receive monitor and file sending.
class IMacrosPoller {
public:
    virtual ~IMacrosPoller() = default;
    virtual void ReceiveStep() = 0;
    virtual void SendStep() = 0;
    virtual bool IsSending() const = 0;
    // How the poller asks for an idle pass when it has new work (a file to send): idle
    // processing sleeps while there is none.
    void SetWake(std::function<void()> wake) { m_wake = std::move(wake); }

protected:
    void Wake() {
        if (m_wake)
            m_wake();
    }

private:
    std::function<void()> m_wake;
};

// Idle processing while Module 1 is shown: received bytes are read on every call that
// finds bytes waiting (and polled on every 21st call in any case), and a file being sent
// advances one line on every call.
class CIdleCounter {
public:
    // Returns whether idle processing wants to be called again.
    bool OnIdle(bool frameworkResult, bool module1Shown, IMacrosPoller* macros,
                const CSerialPort& link);
    int Count() const { return m_count; }

private:
    int m_count = 0;
};
