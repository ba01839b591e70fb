#include "CommandBuffer.h"

#include "Notation.h"
#include "app/SerialPort.h"

void CCommandBuffer::AppendText(const QByteArray& text) {
    int length = int(text.indexOf('\0'));
    if (length < 0)
        length = int(text.size());
    m_bytes.append(text.constData(), qMin(length, kMaxText));
}

void CCommandBuffer::AppendString(const QByteArray& bytes) {
    m_bytes += bytes;
}

void CCommandBuffer::AppendIf(const QByteArray& text, int flag) {
    if (flag & 0xFF)
        AppendText(text);
}

void CCommandBuffer::AppendNumbered(const QByteArray& text, int index) {
    if (index != 0) {
        AppendText(text);
        m_bytes += QByteArray::number(index - 1);
    }
}

void CCommandBuffer::AppendWithByte(const QByteArray& text, int value) {
    if (value != -1) {
        AppendText(text);
        m_bytes += char(value & 0xFF);
    }
}

void CCommandBuffer::AppendWithWord(const QByteArray& text, int value) {
    if (value != -1) {
        AppendText(text);
        m_bytes += char(value & 0xFF);
        m_bytes += char((value >> 8) & 0xFF);
    }
}

void CCommandBuffer::ParseNotation(const QString& text) {
    m_bytes += Notation::Parse(text);
}

bool CCommandBuffer::Send(CSerialPort& link) const {
    return link.SendBlock(m_bytes);
}

bool CCommandBuffer::WriteToOpenPort(CSerialPort& link) const {
    return link.Write(m_bytes);
}
