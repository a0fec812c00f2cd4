#include "recorder/streaming/Stage.h"

namespace ambrin {

bool Stage::launch() {
    std::lock_guard lock(m_mutex);
    if (m_launched) {
        return true;
    }
    m_launched = m_thread.start([this] {
        run();
        std::lock_guard done(m_mutex);
        m_finished = true;
        m_control.notify_all();
    });
    return m_launched;
}

void Stage::start() {
    std::lock_guard lock(m_mutex);
    m_started = true;
    m_control.notify_all();
}

void Stage::hold() {
    {
        std::lock_guard lock(m_mutex);
        if (!m_launched || m_finished) {
            return;
        }
        m_holdAsked = true;
        m_interrupt.store(true, std::memory_order_release);
    }
    wakeWaits();
    std::unique_lock lock(m_mutex);
    m_control.wait(lock, [this] { return m_parked || m_finished; });
}

void Stage::proceed() {
    std::lock_guard lock(m_mutex);
    if (!m_holdAsked) {
        return;
    }
    m_holdAsked = false;
    ++m_holdsEnded;
    if (!m_stop.load(std::memory_order_relaxed)) {
        m_interrupt.store(false, std::memory_order_release);
    }
    m_control.notify_all();
}

void Stage::requestStop() {
    {
        std::lock_guard lock(m_mutex);
        m_stop.store(true, std::memory_order_release);
        m_interrupt.store(true, std::memory_order_release);
        m_control.notify_all();
    }
    wakeWaits();
}

void Stage::join() {
    m_thread.wait();
}

template <typename Ready>
void Stage::parkUntil(std::unique_lock<std::mutex>& lock, Ready ready) {
    m_parked = true;
    m_control.notify_all();
    m_control.wait(lock, [&] { return stopping() || ready(); });
    m_parked = false;
}

bool Stage::waitForStart() {
    std::unique_lock lock(m_mutex);
    parkUntil(lock, [this] { return m_started && !m_holdAsked; });
    return !stopping();
}

bool Stage::checkpoint() {
    std::unique_lock lock(m_mutex);
    if (m_holdAsked) {
        parkUntil(lock, [this] { return !m_holdAsked; });
    }
    return !stopping();
}

void Stage::idle() {
    std::unique_lock lock(m_mutex);
    const std::uint64_t seen = m_holdsEnded;
    parkUntil(lock, [&] { return m_holdsEnded != seen && !m_holdAsked; });
}

}  // namespace ambrin
