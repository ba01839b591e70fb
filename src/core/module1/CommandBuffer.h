#pragma once

#include <QByteArray>
#include <QString>

class CSerialPort;

// The bytes of one Module 1 command, assembled for one action and handed to the link.
class CCommandBuffer {
public:
    static constexpr int kMaxText = 65536;

    void RemoveAll() { m_bytes.clear(); }
    int GetSize() const { return int(m_bytes.size()); }
    const QByteArray& Bytes() const { return m_bytes; }

    // The bytes of the text up to its first zero byte, at most 65,536 of them.
    void AppendText(const QByteArray& text);
    // All bytes of the string, zero bytes included.
    void AppendString(const QByteArray& bytes);
    // AppendText when the low 8 bits of the flag are not 0.
    void AppendIf(const QByteArray& text, int flag);
    // The text and the decimal digits of index - 1; nothing for index 0.
    void AppendNumbered(const QByteArray& text, int index);
    // The text and the low byte of the value; nothing for -1.
    void AppendWithByte(const QByteArray& text, int value);
    // The text, the low byte and the next byte of the value; nothing for -1.
    void AppendWithWord(const QByteArray& text, int value);
    // The bytes the typed text denotes in the command notation.
    void ParseNotation(const QString& text);

    // One-shot send: open with 50 and 5, one write, close (even when empty).
    bool Send(CSerialPort& link) const;
    // One write on the link that is already open; whether it was written (the link has
    // said so when not).
    bool WriteToOpenPort(CSerialPort& link) const;

private:
    QByteArray m_bytes;
};
