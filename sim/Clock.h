#pragma once

#include "app/UiServices.h"

#include <QElapsedTimer>
#include <QtGlobal>
#include <atomic>
#include <functional>
#include <mutex>
#include <vector>

// A millisecond time source. It lives with its users, the simulated printer and the tests;
// the program itself only pauses and waits on its link through its services. The simulated
// printer judges its guard times and reply delays on one of these, so tests can share a
// virtual clock with the program's pauses and link waits.
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

// Time that moves only when told to: by the program's pauses and by the link's waits
// (it is the link's clock too), never by itself, so a test sees the same exchange however
// long the machine takes to run it. Before and after every advance the registered settlers
// run, so a simulator thread can catch up with the bytes already written and with the
// replies that fall due.
class CVirtualClock : public IClock, public ILinkClock {
public:
    qint64 NowMs() const override { return m_offset.load(); }

    // Catches up, moves on by `ms` and catches up again.
    void Advance(qint64 ms);
    qint64 Advanced() const { return m_offset.load(); }
    void CatchUp() override { Settle(); }
    void MoveOn(qint64 ms) override;

    int AddSettler(std::function<void()> settle);
    void RemoveSettler(int id);

private:
    void Settle();

    std::atomic<qint64> m_offset{0};
    std::mutex m_mutex;
    std::vector<std::pair<int, std::function<void()>>> m_settlers;
    int m_nextId = 1;
};
