#pragma once

#include <QElapsedTimer>
#include <QtGlobal>
#include <atomic>
#include <functional>
#include <mutex>
#include <vector>

// A millisecond time source. It lives with its users, the simulated printer and the tests;
// the program itself only pauses through its services. The simulated printer judges its
// guard times and reply delays on one of these, so tests can share a virtual clock with
// the program's pauses.
class IClock {
public:
    virtual ~IClock() = default;
    virtual qint64 NowMs() const = 0;
};

class CSteadyClock : public IClock {
public:
    CSteadyClock() { m_timer.start(); }
    qint64 NowMs() const override { return m_timer.elapsed(); }

private:
    QElapsedTimer m_timer;
};

// Real elapsed time plus whatever Advance() added. Serial reads still take their real
// (short) time, while the long printer pauses pass at once. Before and after every
// advance the registered settlers run, so a simulator thread can catch up with the
// bytes already written and with the replies that fall due.
class CVirtualClock : public IClock {
public:
    CVirtualClock() { m_timer.start(); }
    qint64 NowMs() const override { return m_timer.elapsed() + m_offset.load(); }

    void Advance(qint64 ms);
    qint64 Advanced() const { return m_offset.load(); }

    int AddSettler(std::function<void()> settle);
    void RemoveSettler(int id);

private:
    void Settle();

    QElapsedTimer m_timer;
    std::atomic<qint64> m_offset{0};
    std::mutex m_mutex;
    std::vector<std::pair<int, std::function<void()>>> m_settlers;
    int m_nextId = 1;
};
