#pragma once

#include <atomic>
#include <chrono>
#include <functional>
#include <memory>
#include <thread>

namespace ambrin {

// The program's thread object. Every thread it starts first selects the program's
// user-interface language (SetUiLanguage with Korean) and then runs its routine.
// Owned by whoever started it; the destructor waits for the routine to end.
class WorkerThread {
  public:
    using Routine = std::function<void()>;

    WorkerThread() = default;
    ~WorkerThread();
    WorkerThread(const WorkerThread&) = delete;
    WorkerThread& operator=(const WorkerThread&) = delete;

    // Starts the routine; false when a routine is already running or the thread cannot start.
    bool start(Routine routine);

    // Waits for the routine to end. True when it has ended (or never started) within the time.
    bool wait(std::chrono::milliseconds timeout = std::chrono::milliseconds::max());

    bool isRunning() const { return m_running.load(std::memory_order_acquire); }
    bool isCurrentThread() const;

    // Scheduling priority as a nice value (-20 highest .. 19 lowest); applied to the running
    // thread when it runs, remembered otherwise. Raising it may need privileges: false then.
    bool setPriority(int nice);
    int priority() const { return m_priority.load(std::memory_order_relaxed); }

  private:
    struct Shared;
    std::shared_ptr<Shared> m_shared;
    std::thread m_thread;
    std::atomic<bool> m_running{false};
    std::atomic<int> m_priority{0};
    std::atomic<long> m_tid{0};
};

// Names the calling thread as tools (top -H, /proc, debuggers) show it; up to 15 bytes kept.
void nameThisThread(const char* name);

}  // namespace ambrin
