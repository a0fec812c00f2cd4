#pragma once

#include <string>

namespace ambrin {

// Held by the one running instance of the program for the user's session: an exclusive
// flock on $XDG_RUNTIME_DIR/ambrin/instance.lock. The lock goes with the process, so a
// crashed instance never blocks the next start.
class InstanceLock {
  public:
    InstanceLock() = default;
    ~InstanceLock();
    InstanceLock(const InstanceLock&) = delete;
    InstanceLock& operator=(const InstanceLock&) = delete;

    // True when this process now holds the lock (or held it already).
    bool tryAcquire();
    bool held() const { return m_fd >= 0; }
    void release();

    static std::string path();

  private:
    int m_fd = -1;
};

}  // namespace ambrin
