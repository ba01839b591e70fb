#pragma once

#include <QByteArray>
#include <QString>

// The receive monitor's other view: the bytes as they arrived, sixteen to a row, each row
// with its offset since the link opened and the printable bytes beside the hexadecimal.
// It keeps rows as the monitor keeps lines: past 40 rows the oldest are dropped down to the
// last 21, so both views show about the same stretch of what arrived.
class CMonitorHex {
public:
    static constexpr int kBytesPerRow = 16;

    // Past `maxRows` rows the oldest are dropped, down to the rows from `firstKeptRow` on.
    CMonitorHex(int maxRows, int firstKeptRow) : m_maxRows(maxRows), m_firstKeptRow(firstKeptRow) {}

    void Append(const QByteArray& bytes);
    void Clear();
    // "00000010  1B 55 31 0D 0A                                   .U1.."
    QString Text() const;
    qint64 Received() const { return m_firstOffset + m_bytes.size(); }

private:
    QByteArray m_bytes;       // starts at a row boundary
    qint64 m_firstOffset = 0; // offset of m_bytes[0] since the link opened
    int m_maxRows;
    int m_firstKeptRow;
};
