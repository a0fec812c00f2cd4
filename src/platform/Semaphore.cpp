#include "platform/Semaphore.h"

namespace ambrin {

bool Semaphore::release(long count) {
    std::function<void()> hook;
    {
        std::lock_guard lock(m_mutex);
        if (count <= 0 || m_count > kMaximum - count) {
            return false;
        }
        m_count += count;
        hook = m_hook;
    }
    m_available.notify_all();
    if (hook) {
        hook();
    }
    return true;
}

void Semaphore::acquire() {
    std::unique_lock lock(m_mutex);
    m_available.wait(lock, [this] { return m_count > 0; });
    --m_count;
}

bool Semaphore::tryAcquireFor(std::chrono::milliseconds timeout) {
    std::unique_lock lock(m_mutex);
    if (!m_available.wait_for(lock, timeout, [this] { return m_count > 0; })) {
        return false;
    }
    --m_count;
    return true;
}

long Semaphore::count() const {
    std::lock_guard lock(m_mutex);
    return m_count;
}

void Semaphore::setReleaseHook(std::function<void()> hook) {
    std::lock_guard lock(m_mutex);
    m_hook = std::move(hook);
}

}  // namespace ambrin
