#include "Simulator.h"

#include "Clock.h"
#include "files/FileAccess.h"

#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <cerrno>
#include <fcntl.h>
#include <poll.h>
#include <sys/ioctl.h>
#include <unistd.h>

namespace {
// While settling, the line must stay quiet this long before the program counts as caught
// up: the kernel hands what the program wrote over to the master side on a worker of its
// own, which a loaded machine may run some milliseconds later (a settle that looked only
// once missed 200 bytes of a paced line in a CI run on a busy machine). The virtual
// clock's own settles look once: the link looks again at each slice of its waits.
const int kQuietMs = 5;
const int kSettleLimitMs = 3000;
// A paced line banks at most this much line time while nothing is waiting on it, so a
// sender never gets more than a short burst above the line rate.
const int kPaceBurstMs = 50;
} // namespace

CSimulator::CSimulator(const SimConfig& config, IClock* clock) : m_config(config), m_clock(clock) {
    if (!m_clock) {
        m_ownClock = std::make_unique<CSteadyClock>();
        m_clock = m_ownClock.get();
    }
    m_model = std::make_unique<CPrinterModel>(config, m_clock->NowMs());
}

CSimulator::~CSimulator() {
    Stop();
}

qint64 CSimulator::NowMs() const {
    return m_clock->NowMs();
}

bool CSimulator::Start(QString* error) {
    if (!m_pty.IsValid()) {
        if (error)
            *error = QStringLiteral("cannot create a pseudo-terminal: %1").arg(m_pty.ErrorString());
        return false;
    }
    if (m_config.baudRate != 0 && !m_pty.SetInitialSpeed(m_config.baudRate)) {
        if (error)
            *error =
                QStringLiteral("cannot set the pseudo-terminal to %1 bit/s").arg(m_config.baudRate);
        return false;
    }
    if (::pipe(m_wakePipe) != 0) {
        if (error)
            *error = QStringLiteral("cannot create a pipe");
        return false;
    }
    fcntl(m_wakePipe[0], F_SETFL, O_NONBLOCK);
    fcntl(m_wakePipe[1], F_SETFL, O_NONBLOCK);
    // Without it the printer only misses the program's dropped output (a line that was
    // queued when a file send was interrupted prints all the same).
    m_pty.UsePacketMode();
    m_stop = false;
    m_thread = std::thread([this] { Run(); });
    return true;
}

void CSimulator::Stop() {
    if (m_attachedClock) {
        m_attachedClock->RemoveSettler(m_settlerId);
        m_attachedClock = nullptr;
    }
    if (m_thread.joinable()) {
        m_stop = true;
        Wake();
        m_thread.join();
    }
    for (int& fd : m_wakePipe) {
        if (fd >= 0)
            ::close(fd);
        fd = -1;
    }
    {
        // Wake anyone still waiting for a settle.
        std::lock_guard<std::mutex> lock(m_settleMutex);
        m_settleDone = m_settleRequested;
    }
    m_settleCv.notify_all();
}

void CSimulator::Wake() {
    if (m_wakePipe[1] >= 0) {
        const char c = 1;
        [[maybe_unused]] ssize_t n = ::write(m_wakePipe[1], &c, 1);
    }
}

void CSimulator::AttachTo(CVirtualClock& clock) {
    m_attachedClock = &clock;
    m_settlerId = clock.AddSettler([this] { Settle(true); });
}

void CSimulator::Settle(bool quick) {
    if (!m_thread.joinable())
        return;
    std::unique_lock<std::mutex> lock(m_settleMutex);
    m_settleQuick = (m_settleRequested == m_settleDone ? true : m_settleQuick) && quick;
    const quint64 generation = ++m_settleRequested;
    Wake();
    m_settleCv.wait_for(lock, std::chrono::milliseconds(kSettleLimitMs),
                        [&] { return m_settleDone >= generation || m_stop; });
}

void CSimulator::Hangup() {
    m_hangupRequested = true;
    Wake();
    Settle();
}

void CSimulator::HandleReceived(const QByteArray& bytes, qint64 now) {
    QByteArray take = bytes;
    bool drop = false;
    const int dropAfter = m_config.faults.dropAfterBytes;
    if (dropAfter >= 0 && m_receivedCount + take.size() >= dropAfter) {
        take.truncate(int(qMax<qint64>(0, dropAfter - m_receivedCount)));
        drop = true;
    }
    m_receivedCount += take.size();
    m_transcript.Add(now, true, take);
    const int hostBaud = m_pty.SlaveBaudRate();
    if (m_config.baudRate != 0 && hostBaud != 0 && hostBaud != m_config.baudRate) {
        // The wrong line speed: the printer's UART sees only framing errors.
        m_transcript.Note(now, QStringLiteral("%1 bytes at %2 bit/s ignored (printer at %3)")
                                   .arg(take.size())
                                   .arg(hostBaud)
                                   .arg(m_config.baudRate));
    } else {
        std::lock_guard<std::mutex> lock(m_modelMutex);
        m_model->Receive(take, now);
    }
    if (drop)
        m_hangupRequested = true;
    NotifyObservers();
}

int CSimulator::AddObserver(std::function<void()> observer) {
    std::lock_guard<std::mutex> lock(m_observerMutex);
    const int id = m_nextObserverId++;
    m_observers.emplace(id, std::move(observer));
    return id;
}

void CSimulator::RemoveObserver(int id) {
    // Waits for a call in progress: the observer's owner may be destroyed right after.
    std::lock_guard<std::mutex> lock(m_observerMutex);
    m_observers.erase(id);
}

void CSimulator::NotifyObservers() {
    std::lock_guard<std::mutex> lock(m_observerMutex);
    for (auto& entry : m_observers)
        entry.second();
}

int CSimulator::PacedAllowance(qint64 now, int* waitMs) {
    const int hostBaud = m_pty.SlaveBaudRate();
    const int baud =
        hostBaud != 0 ? hostBaud : (m_config.baudRate != 0 ? m_config.baudRate : 38400);
    const double bytesPerMs = double(baud) / 11.0 / 1000.0;
    if (m_paceLastMs >= 0)
        m_paceCredit += double(now - m_paceLastMs) * bytesPerMs;
    m_paceLastMs = now;
    // Bytes waiting kept the line busy all along; an idle line banks only a short burst.
    int waiting = 0;
    if (::ioctl(m_pty.MasterFd(), FIONREAD, &waiting) != 0 || waiting <= 0)
        m_paceCredit = qMin(m_paceCredit, qMax(1.0, kPaceBurstMs * bytesPerMs));
    const int allowed = int(m_paceCredit);
    *waitMs = allowed > 0 ? 0 : qMax(1, int((1.0 - m_paceCredit) / bytesPerMs + 0.999));
    return allowed;
}

void CSimulator::Run() {
    char buffer[4096];
    while (!m_stop) {
        if (m_hangupRequested && m_pty.IsValid()) {
            m_transcript.Note(NowMs(), QStringLiteral("link dropped"));
            m_pty.Hangup();
        }
        qint64 now = NowMs();
        QByteArray out;
        qint64 next = -1;
        {
            std::lock_guard<std::mutex> lock(m_modelMutex);
            m_model->Tick(now);
            out = m_model->TakeDue(now);
            next = m_model->NextEventMs();
        }
        if (!out.isEmpty() && m_pty.IsValid()) {
            if (m_pty.WriteAll(out.constData(), int(out.size())))
                m_transcript.Add(now, false, out);
        }

        quint64 settleTarget;
        bool settleQuick;
        {
            std::lock_guard<std::mutex> lock(m_settleMutex);
            settleTarget = m_settleRequested > m_settleDone ? m_settleRequested : 0;
            settleQuick = m_settleQuick;
        }
        int timeout = next < 0 ? -1 : int(qBound<qint64>(qint64(0), next - NowMs(), qint64(1000)));
        if (settleTarget) {
            const int quiet = settleQuick ? 0 : kQuietMs;
            timeout = timeout < 0 ? quiet : qMin(timeout, quiet);
        }

        // A paced line leaves the bytes in the pty until the line has carried them.
        int readable = int(sizeof buffer);
        if (m_config.pacedLine && m_pty.IsValid()) {
            int waitMs = 0;
            readable = qMin(readable, PacedAllowance(NowMs(), &waitMs));
            if (readable == 0)
                timeout = timeout < 0 ? waitMs : qMin(timeout, waitMs);
        }

        pollfd fds[3];
        int count = 0;
        fds[count++] = pollfd{m_wakePipe[0], POLLIN, 0};
        const int watch = count;
        fds[count++] = pollfd{m_pty.WatchFd(), POLLIN, 0}; // ignored when -1
        const int master = count;
        if (m_pty.IsValid() && readable > 0)
            fds[count++] = pollfd{m_pty.MasterFd(), POLLIN, 0};
        const int ready = ::poll(fds, nfds_t(count), timeout);
        if (ready < 0 && errno != EINTR)
            break;

        bool received = false;
        if (fds[0].revents & POLLIN) {
            while (::read(m_wakePipe[0], buffer, sizeof buffer) > 0) {
            }
        }
        if (fds[watch].revents & POLLIN)
            m_pty.TakeOpenEvents();
        if (count > master && (fds[master].revents & (POLLIN | POLLHUP | POLLERR))) {
            const ssize_t n = m_pty.ReadFromProgram(buffer, readable);
            if (n > 0) {
                received = true;
                if (m_config.pacedLine)
                    m_paceCredit -= double(n);
                HandleReceived(QByteArray(buffer, int(n)), NowMs());
            } else if (n < 0 && errno != EAGAIN && errno != EINTR) {
                // No one holds the other side any more; wait a little instead of spinning.
                ::poll(nullptr, 0, 10);
            }
        }
        // (On a paced line, caught up as far as the line has carried the bytes.)
        if (settleTarget && !received && (fds[0].revents & POLLIN) == 0) {
            // Quiet for a spell and nothing left due now: the program has been caught up.
            bool pendingNow;
            {
                std::lock_guard<std::mutex> lock(m_modelMutex);
                const qint64 due = m_model->NextEventMs();
                pendingNow = due >= 0 && due <= NowMs();
            }
            if (!pendingNow) {
                {
                    std::lock_guard<std::mutex> lock(m_settleMutex);
                    m_settleDone = settleTarget;
                }
                m_settleCv.notify_all();
            }
        }
    }
}

bool CSimulator::SaveState(const QString& path, QString* error) {
    QJsonObject root;
    WithPrinter([&](CPrinterModel& printer) {
        root.insert(QStringLiteral("burnedStream"),
                    QString::fromLatin1(printer.BurnedStream().toHex()));
        QJsonArray slotArray;
        for (int n = 0; n < CPrinterModel::kSlotCount; ++n) {
            const auto& slot = printer.Slot(n);
            QJsonObject s;
            s.insert(QStringLiteral("stored"), slot.stored);
            s.insert(QStringLiteral("bytesPerLine"), slot.bytesPerLine);
            QJsonArray rows;
            for (const QByteArray& row : slot.rows)
                rows.append(QString::fromLatin1(row.toHex()));
            s.insert(QStringLiteral("rows"), rows);
            slotArray.append(s);
        }
        root.insert(QStringLiteral("slotArray"), slotArray);
        for (CRadioModule* module : {printer.Bluetooth(), printer.Wlan()}) {
            if (!module)
                continue;
            QJsonObject settings;
            const auto stored = module->StoredSettings();
            for (auto it = stored.begin(); it != stored.end(); ++it)
                settings.insert(it.key(), QJsonArray::fromStringList(*it));
            root.insert(module->GetKind() == CRadioModule::Kind::Bluetooth
                            ? QStringLiteral("bluetooth")
                            : QStringLiteral("wlan"),
                        settings);
        }
    });
    return FileAccess::WriteFileSafely(path, QJsonDocument(root).toJson(), error);
}

bool CSimulator::LoadState(const QString& path, QString* error) {
    if (!QFileInfo::exists(path))
        return true; // a first run starts with a factory-fresh printer
    QByteArray bytes;
    if (FileAccess::ReadRegularFile(path, 64 * 1024 * 1024, &bytes, error) !=
        FileAccess::ReadResult::Ok)
        return false;
    QJsonParseError parseError;
    const QJsonDocument doc = QJsonDocument::fromJson(bytes, &parseError);
    if (!doc.isObject()) {
        // Well-formed JSON of another shape parses without an error to tell.
        if (error)
            *error = parseError.error != QJsonParseError::NoError
                         ? QStringLiteral("%1 at offset %2")
                               .arg(parseError.errorString())
                               .arg(parseError.offset)
                         : QStringLiteral("not a simulator state (its top level is %1, not an "
                                          "object)")
                               .arg(doc.isArray() ? QStringLiteral("a list")
                                                  : QStringLiteral("a single value"));
        return false;
    }
    const QJsonObject root = doc.object();
    WithPrinter([&](CPrinterModel& printer) {
        printer.SetBurnedStream(
            QByteArray::fromHex(root.value(QStringLiteral("burnedStream")).toString().toLatin1()));
        const QJsonArray slotArray = root.value(QStringLiteral("slotArray")).toArray();
        for (int n = 0; n < CPrinterModel::kSlotCount && n < slotArray.size(); ++n) {
            const QJsonObject s = slotArray[n].toObject();
            CPrinterModel::LogoSlot slot;
            slot.stored = s.value(QStringLiteral("stored")).toBool();
            slot.bytesPerLine = s.value(QStringLiteral("bytesPerLine")).toInt();
            for (const auto& row : s.value(QStringLiteral("rows")).toArray()) {
                if (slot.rows.size() < CPrinterModel::kMaxLogoRows)
                    slot.rows.append(QByteArray::fromHex(row.toString().toLatin1()));
            }
            printer.SetSlot(n, slot);
        }
        for (CRadioModule* module : {printer.Bluetooth(), printer.Wlan()}) {
            if (!module)
                continue;
            const QJsonObject settings =
                root.value(module->GetKind() == CRadioModule::Kind::Bluetooth
                               ? QStringLiteral("bluetooth")
                               : QStringLiteral("wlan"))
                    .toObject();
            QMap<QString, QStringList> stored;
            for (auto it = settings.begin(); it != settings.end(); ++it) {
                QStringList values;
                for (const auto& v : it.value().toArray())
                    values << v.toString();
                stored.insert(it.key(), values);
            }
            module->RestoreStored(stored);
        }
        printer.PowerCycle(NowMs());
    });
    NotifyObservers();
    return true;
}
