#pragma once

#include "PrinterModel.h"
#include "Pty.h"
#include "SimConfig.h"
#include "Transcript.h"

#include <atomic>
#include <condition_variable>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <thread>

class IClock;
class CVirtualClock;

// The simulated Tarvo3 printer on the master side of a pseudo-terminal, served by its
// own thread. The program under test opens DevicePath() with its real serial code.
class CSimulator {
public:
    // The clock is not owned; without one the simulator uses the real steady clock.
    explicit CSimulator(const SimConfig& config, IClock* clock = nullptr);
    ~CSimulator();
    CSimulator(const CSimulator&) = delete;
    CSimulator& operator=(const CSimulator&) = delete;

    bool Start(QString* error = nullptr);
    void Stop();
    QString DevicePath() const { return m_pty.SlavePath(); }

    // Returns once every byte the program has written so far has been taken in and every
    // reply that is due has been sent: the line quiet for a short spell, so that bytes the
    // kernel has not yet handed over count too (a test reading what the printer got).
    // Registered with a virtual clock, it runs before and after each advance, so a pause in
    // the program is a pause for the printer too; those settles take one look at the line
    // (`quick`), since the link looks again at each slice of its wait.
    void Settle(bool quick = false);
    void AttachTo(CVirtualClock& clock);

    // Pulls the cable: the program's next read or write on the device fails.
    void Hangup();

    CTranscript& Transcript() { return m_transcript; }
    qint64 NowMs() const;

    // Runs f with the printer model locked (from any thread).
    template <class F> auto WithPrinter(F f) {
        std::lock_guard<std::mutex> lock(m_modelMutex);
        return f(*m_model);
    }

    // Observers are told, on the simulator's thread, after the printer took in bytes or
    // loaded its state: whatever they show may have changed. An observer must not block;
    // a window posts itself a refresh and reads the printer later through WithPrinter.
    // Once RemoveObserver returns, the observer is not running and is never called again.
    int AddObserver(std::function<void()> observer);
    void RemoveObserver(int id);

    bool LoadState(const QString& path, QString* error = nullptr);
    bool SaveState(const QString& path, QString* error = nullptr);

private:
    void Run();
    void Wake();
    void HandleReceived(const QByteArray& bytes, qint64 now);
    void NotifyObservers();
    // With a paced line: how many bytes the line has carried since the last read, and
    // the wait until it carries the next one.
    int PacedAllowance(qint64 now, int* waitMs);

    SimConfig m_config;
    IClock* m_clock;
    std::unique_ptr<IClock> m_ownClock;
    CPty m_pty;
    std::unique_ptr<CPrinterModel> m_model;
    std::mutex m_modelMutex;
    CTranscript m_transcript;

    std::thread m_thread;
    std::atomic<bool> m_stop{false};
    int m_wakePipe[2] = {-1, -1};
    std::mutex m_settleMutex;
    std::condition_variable m_settleCv;
    quint64 m_settleRequested = 0;
    bool m_settleQuick = false; // every settle asked for since the last one ended is quick
    quint64 m_settleDone = 0;
    std::atomic<bool> m_hangupRequested{false};
    qint64 m_receivedCount = 0;
    CVirtualClock* m_attachedClock = nullptr;
    int m_settlerId = 0;
    std::mutex m_observerMutex;
    std::map<int, std::function<void()>> m_observers;
    int m_nextObserverId = 1;
    double m_paceCredit = 0; // bytes the line has carried and the printer not yet taken
    qint64 m_paceLastMs = -1;
};
