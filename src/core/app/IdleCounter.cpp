#include "IdleCounter.h"

#include "SerialPort.h"

bool CIdleCounter::OnIdle(bool frameworkResult, bool module1Shown, IMacrosPoller* macros,
                          const CSerialPort& link) {
    if (!module1Shown || !macros)
        return frameworkResult;
    // Bytes already waiting are read at once: the readiness of the link is what wakes idle
    // processing, and a steady sender must not be read only every 21st pass.
    // A device that reported its failure is read at once too: the read finds it gone and
    // the link is closed, instead of waiting for a 21st pass that nothing would bring.
    const bool waiting = link.m_bOpen && (link.BytesWaiting() > 0 || link.HasFailed());
    if (++m_count > 20 || waiting) {
        m_count = 0;
        if (!link.m_bOpen)
            return true;
        macros->ReceiveStep();
    }
    if (link.m_bOpen && macros->IsSending())
        macros->SendStep();
    return true;
}
