#pragma once

class CSerialPort;

// What idle processing drives on the Macros page: the receive monitor and file sending.
class IMacrosPoller {
public:
    virtual ~IMacrosPoller() = default;
    virtual void ReceiveStep() = 0;
    virtual void SendStep() = 0;
    virtual bool IsSending() const = 0;
};

// Idle processing while Module 1 is shown: received bytes are polled on every 21st
// call, and a file being sent advances one line on every call.
class CIdleCounter {
public:
    // Returns whether idle processing wants to be called again.
    bool OnIdle(bool frameworkResult, bool module1Shown, IMacrosPoller* macros,
                const CSerialPort& link);
    int Count() const { return m_count; }

private:
    int m_count = 0;
};
