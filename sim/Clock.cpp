#include "Clock.h"

void CVirtualClock::Advance(qint64 ms) {
    Settle();
    MoveOn(ms);
}

void CVirtualClock::MoveOn(qint64 ms) {
    if (ms <= 0)
        return;
    m_offset += ms;
    Settle();
}

int CVirtualClock::AddSettler(std::function<void()> settle) {
    std::lock_guard<std::mutex> lock(m_mutex);
    m_settlers.emplace_back(m_nextId, std::move(settle));
    return m_nextId++;
}

void CVirtualClock::RemoveSettler(int id) {
    std::lock_guard<std::mutex> lock(m_mutex);
    for (auto it = m_settlers.begin(); it != m_settlers.end(); ++it) {
        if (it->first == id) {
            m_settlers.erase(it);
            return;
        }
    }
}

void CVirtualClock::Settle() {
    std::vector<std::function<void()>> settlers;
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        for (auto& s : m_settlers)
            settlers.push_back(s.second);
    }
    for (auto& settle : settlers)
        settle();
}
