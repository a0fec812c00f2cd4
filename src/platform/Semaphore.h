#pragma once

#include <chrono>
#include <condition_variable>
#include <functional>
#include <mutex>

namespace ambrin {

// Counting semaphore (maximum 0x7FFFFFFF) with an optional hook that runs after every
// release, outside the lock; the main thread uses it to leave the GUI event loop when the
// exit semaphore is released.
class Semaphore {
  public:
    static constexpr long kMaximum = 0x7FFFFFFF;

    explicit Semaphore(long initial = 0) : m_count(initial) {}

    // False when the count would exceed the maximum; nothing changes then.
    bool release(long count = 1);
    void acquire();
    bool tryAcquireFor(std::chrono::milliseconds timeout);
    long count() const;

    void setReleaseHook(std::function<void()> hook);

  private:
    mutable std::mutex m_mutex;  // guards m_count and m_hook
    std::condition_variable m_available;
    long m_count;
    std::function<void()> m_hook;
};

}  // namespace ambrin
