#include "Transcript.h"

#include "files/FileAccess.h"

void CTranscript::Add(qint64 timeMs, bool received, const QByteArray& bytes) {
    if (bytes.isEmpty())
        return;
    std::lock_guard<std::mutex> lock(m_mutex);
    if (received && !m_entries.isEmpty() && m_entries.last().received &&
        m_entries.last().timeMs == timeMs)
        m_entries.last().bytes += bytes;
    else
        m_entries.append(Entry{timeMs, received, bytes});
    if (received)
        m_receivedTotal += bytes.size();
    m_size += bytes.size();
    Trim();
}

void CTranscript::Note(qint64 timeMs, const QString& text) {
    std::lock_guard<std::mutex> lock(m_mutex);
    m_notes.append(QStringLiteral("%1 # %2").arg(timeMs).arg(text));
    if (m_notes.size() > 1000)
        m_notes.removeFirst();
}

void CTranscript::Trim() {
    while (m_size > kMaxBytes && !m_entries.isEmpty()) {
        const Entry& first = m_entries.first();
        m_size -= first.bytes.size();
        if (first.received)
            m_receivedDropped += first.bytes.size();
        m_entries.removeFirst();
    }
}

qint64 CTranscript::Mark() const {
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_receivedTotal;
}

QByteArray CTranscript::ReceivedSince(qint64 mark) const {
    std::lock_guard<std::mutex> lock(m_mutex);
    QByteArray all;
    for (const Entry& e : m_entries) {
        if (e.received)
            all += e.bytes;
    }
    return all.mid(int(qMax<qint64>(0, mark - m_receivedDropped)));
}

QByteArray CTranscript::Sent() const {
    std::lock_guard<std::mutex> lock(m_mutex);
    QByteArray all;
    for (const Entry& e : m_entries) {
        if (!e.received)
            all += e.bytes;
    }
    return all;
}

QVector<CTranscript::Entry> CTranscript::Entries() const {
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_entries;
}

qint64 CTranscript::ReceivedTimeAt(qint64 offset) const {
    std::lock_guard<std::mutex> lock(m_mutex);
    qint64 position = m_receivedDropped;
    for (const Entry& e : m_entries) {
        if (!e.received)
            continue;
        if (offset < position + e.bytes.size())
            return e.timeMs;
        position += e.bytes.size();
    }
    return -1;
}

QString CTranscript::Format() const {
    std::lock_guard<std::mutex> lock(m_mutex);
    QString out;
    for (const Entry& e : m_entries) {
        out += QStringLiteral("%1 %2 %3\n")
                   .arg(e.timeMs, 9)
                   .arg(e.received ? QLatin1String("<<") : QLatin1String(">>"))
                   .arg(QString::fromLatin1(e.bytes.toHex(' ').toUpper()));
    }
    for (const QString& note : m_notes)
        out += note + QLatin1Char('\n');
    return out;
}

bool CTranscript::WriteTo(const QString& path) const {
    return FileAccess::WriteFileSafely(path, Format().toUtf8());
}
