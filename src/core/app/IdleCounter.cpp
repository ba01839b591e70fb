#include "IdleCounter.h"

#include "SerialPort.h"

bool CIdleCounter::OnIdle(bool frameworkResult, bool module1Shown, IMacrosPoller* macros,
                          const CSerialPort& link) {
    if (!module1Shown || !macros)
        return frameworkResult;
    if (++m_count > 20) {
        m_count = 0;
        if (!link.m_bOpen)
            return true;
        macros->ReceiveStep();
    }
    if (link.m_bOpen && macros->IsSending())
        macros->SendStep();
    return true;
}
