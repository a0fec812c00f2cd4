#pragma once

#include <atomic>
#include <functional>
#include <thread>

namespace ambrin {

// Turns SIGINT and SIGTERM into calls of a handler on a thread of its own, so the handler
// may do anything (post an event). blockSignals() must run on the main thread before any
// other thread starts, so that no other thread receives them.
class SignalWatcher {
  public:
    static void blockSignals();

    SignalWatcher() = default;
    ~SignalWatcher();
    SignalWatcher(const SignalWatcher&) = delete;
    SignalWatcher& operator=(const SignalWatcher&) = delete;

    void start(std::function<void(int signal)> handler);
    void stop();

  private:
    std::atomic<bool> m_stop{false};
    std::thread m_thread;
};

}  // namespace ambrin
