#pragma once

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <mutex>

#include "platform/WorkerThread.h"
#include "recorder/streaming/StreamNotifier.h"

namespace ambrin {

// One stage of the streaming path: a routine on its own WorkerThread and the controls the
// player drives it with.
//
// Control (launch, start, hold, proceed, requestStop, join) comes from the player's thread.
// A hold parks the stage's thread where it holds no block of any buffer, so that the player can
// reset and rewind the stages in between; proceed lets it go on. The stop ends the routine.
//
// The routine runs on the stage's thread and calls the protected waits. Any wait on a buffer
// must take the buffer's changes() first and check interrupted() before waiting, so that the
// wake-up that wakeWaits() sends on a hold or a stop is never lost.
class Stage {
  public:
    explicit Stage(StreamNotifier& notifier) : m_notifier(notifier) {}
    // The thread must have ended: every derived destructor calls shutdown() first.
    virtual ~Stage() = default;
    Stage(const Stage&) = delete;
    Stage& operator=(const Stage&) = delete;

    // Starts the thread; it waits for start(). False when the thread cannot start.
    bool launch();
    void start();
    // Returns once the stage's thread is parked (or has ended, or never started).
    void hold();
    void proceed();
    void requestStop();
    void join();
    void shutdown() {
        requestStop();
        join();
    }

  protected:
    // The stage's routine, on its thread. Returns when stopping.
    virtual void run() = 0;
    // Wakes the stage's thread from whatever buffer wait it is in. Called on the player's thread.
    virtual void wakeWaits() = 0;

    // On the stage's thread. Each parks the thread: hold() returns while it waits here.
    bool waitForStart();  // false when stopping
    bool checkpoint();    // waits while held; false when stopping
    void idle();          // nothing to do until the next hold has ended (a seek) or the stop

    // A hold or the stop has been asked: leave any wait and come back to checkpoint().
    bool interrupted() const { return m_interrupt.load(std::memory_order_acquire); }
    bool stopping() const { return m_stop.load(std::memory_order_acquire); }
    StreamNotifier& notifier() { return m_notifier; }

  private:
    template <typename Ready>
    void parkUntil(std::unique_lock<std::mutex>& lock, Ready ready);

    StreamNotifier& m_notifier;
    std::mutex m_mutex;  // guards the control state below
    std::condition_variable m_control;
    bool m_launched = false;
    bool m_started = false;
    bool m_holdAsked = false;
    bool m_parked = false;
    bool m_finished = false;
    std::uint64_t m_holdsEnded = 0;
    // Set with the flags above; read by the routine inside its buffer waits.
    std::atomic<bool> m_interrupt{false};
    std::atomic<bool> m_stop{false};
    WorkerThread m_thread;
};

}  // namespace ambrin
