#include "MonitorHex.h"

void CMonitorHex::Append(const QByteArray& bytes) {
    m_bytes += bytes;
    const int rows = (int(m_bytes.size()) + kBytesPerRow - 1) / kBytesPerRow;
    if (rows <= m_maxRows)
        return;
    const int dropped = m_firstKeptRow * kBytesPerRow;
    m_bytes.remove(0, dropped);
    m_firstOffset += dropped;
}

void CMonitorHex::Clear() {
    m_bytes.clear();
    m_firstOffset = 0;
}

QString CMonitorHex::Text() const {
    static const char kDigits[] = "0123456789ABCDEF";
    QString text;
    text.reserve(int(m_bytes.size() / kBytesPerRow + 1) * 80);
    for (int row = 0; row < m_bytes.size(); row += kBytesPerRow) {
        if (row > 0)
            text += QLatin1Char('\n');
        text += QStringLiteral("%1 ").arg(m_firstOffset + row, 8, 16, QLatin1Char('0')).toUpper();
        QString printable;
        for (int i = 0; i < kBytesPerRow; ++i) {
            if (row + i >= m_bytes.size()) {
                text += QStringLiteral("   ");
                continue;
            }
            const auto byte = uchar(m_bytes[row + i]);
            text += QLatin1Char(' ');
            text += QLatin1Char(kDigits[byte >> 4]);
            text += QLatin1Char(kDigits[byte & 0xF]);
            printable += byte >= 0x20 && byte < 0x7F ? QLatin1Char(char(byte)) : QLatin1Char('.');
        }
        text += QStringLiteral("  ") + printable;
    }
    return text;
}
