#pragma once

#include <QByteArray>
#include <QString>
#include <QVector>
#include <mutex>

// Every byte the simulated printer received and sent, with the simulator's time.
// Thread-safe: the simulator thread appends, tests read. The oldest entries go once the
// transcript holds more than kMaxBytes, so a long session cannot grow without bound.
class CTranscript {
public:
    struct Entry {
        qint64 timeMs;
        bool received; // true: from the program; false: sent by the printer
        QByteArray bytes;
    };
    static constexpr qint64 kMaxBytes = 8 * 1024 * 1024;

    void Add(qint64 timeMs, bool received, const QByteArray& bytes);
    void Note(qint64 timeMs, const QString& text);

    // A mark is a position in the received stream; bytes since a mark are what the
    // program sent after it was taken.
    qint64 Mark() const;
    QByteArray ReceivedSince(qint64 mark = 0) const;
    QByteArray Sent() const;
    QVector<Entry> Entries() const;
    // Time of the first received byte at or after the given received-stream offset.
    qint64 ReceivedTimeAt(qint64 offset) const;

    bool WriteTo(const QString& path) const;
    QString Format() const;

private:
    void Trim();

    mutable std::mutex m_mutex;
    QVector<Entry> m_entries;
    QVector<QString> m_notes;
    qint64 m_receivedTotal = 0;   // bytes ever received
    qint64 m_receivedDropped = 0; // received bytes trimmed away at the front
    qint64 m_size = 0;
};
