#include "BaudDetector.h"

#include "Exchange.h"
#include "SerialPort.h"
#include "UiServices.h"

const QByteArray CBaudDetector::kProbe = QByteArray("\x16", 1);

namespace {
// Most printers are left at the factory rate or set to one of the usual PC rates; the
// slow and odd rates come last.
const int kCommonFirst[8] = {38400, 9600, 115200, 57600, 19200, 14400, 2400, 1200};
} // namespace

QVector<int> CBaudDetector::RateOrder(int first) {
    QVector<int> order;
    for (const auto& row : CSerialPort::kBaudTable) {
        if (row.rate == first)
            order << first;
    }
    for (int rate : kCommonFirst) {
        if (!order.contains(rate))
            order << rate;
    }
    return order;
}

bool CBaudDetector::IsBatteryReply(const QByteArray& reply) {
    // ESC "V", at least one digit, then the line's end. Noise on the line may come before
    // it, so it is looked for anywhere, not only at the start of a line.
    for (qsizetype at = reply.indexOf("\x1BV"); at >= 0; at = reply.indexOf("\x1BV", at + 1)) {
        qsizetype i = at + 2;
        while (i < reply.size() && reply[i] >= '0' && reply[i] <= '9')
            ++i;
        if (i > at + 2 && (i == reply.size() || reply[i] == '\r' || reply[i] == '\n'))
            return true;
    }
    return false;
}

CBaudDetector::Result CBaudDetector::Detect() {
    Result result;
    const int ownRate = m_link.m_nBaudRate;
    CWaitScope wait(m_services);
    for (int rate : RateOrder(ownRate)) {
        if (m_onTry)
            m_onTry(rate);
        ++result.tried;
        m_link.m_nBaudRate = rate;
        if (!m_link.Open(CExchange::kReadInterval, CExchange::kReadMultiplier)) {
            result.problem = m_link.LastOpenProblem();
            if (result.problem.kind == COpenProblem::Kind::None) {
                // Opened but not configured: the link has said so itself.
                result.problem.kind = COpenProblem::Kind::Other;
                result.problem.text = QStringLiteral("%1: cannot be configured at %2 bit/s")
                                          .arg(m_link.GetPortName())
                                          .arg(rate);
            }
            break;
        }
        m_link.DiscardInput();
        if (!m_link.WriteFile(kProbe)) {
            result.writeFailed = true;
            m_link.Close();
            break;
        }
        QByteArray reply(kReplySize, '\0');
        int got = 0;
        const bool read = m_link.ReadFile(reply.data(), kReplySize, &got);
        m_link.Close();
        reply.truncate(read ? got : 0);
        if (IsBatteryReply(reply)) {
            result.rate = rate;
            result.reply = reply;
            break;
        }
    }
    m_link.m_nBaudRate = ownRate;
    return result;
}
