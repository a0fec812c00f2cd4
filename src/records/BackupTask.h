#pragma once

#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>

#include "platform/WorkerThread.h"
#include "records/BackupFiles.h"
#include "records/BackupProgress.h"

namespace ambrin {

// One backup or restore on a thread of its own, with its flags. Whoever starts it owns it;
// the destructor waits for the worker to end. Used by one thread (the starter); the worker
// shares only the flags and the progress.
class BackupTask {
  public:
    explicit BackupTask(std::shared_ptr<BackupProgress> progress);
    ~BackupTask();
    BackupTask(const BackupTask&) = delete;
    BackupTask& operator=(const BackupTask&) = delete;

    // For a backup; defaults: today's UTC date, 1 GiB parts.
    void setDate(const BackupDate& date) { m_date = date; }
    void setPartSize(std::uint64_t bytes) { m_partSize = bytes; }
    // Called on the worker thread with the result once the work has ended, before ended()
    // turns true. Set before starting.
    void setWhenEnded(std::function<void(BackupResult)> whenEnded) {
        m_whenEnded = std::move(whenEnded);
    }

    // Set the busy flag, clear the stop flag and start the worker. False when one runs already.
    bool startBackup(BackupPlaces places);
    bool startRestore(BackupPlaces places, std::string dateName);

    BackupFlags& flags() { return m_flags; }
    // The worker has returned.
    bool ended() const { return result() != BackupResult::Running; }
    BackupResult result() const { return m_result.load(std::memory_order_acquire); }
    void wait() { m_thread.wait(); }

  private:
    bool start(BackupPlaces places, std::string dateName, bool restore);

    std::shared_ptr<BackupProgress> m_progress;
    BackupFlags m_flags;
    BackupDate m_date;
    std::uint64_t m_partSize = 0;
    std::function<void(BackupResult)> m_whenEnded;
    std::atomic<BackupResult> m_result{BackupResult::Running};
    WorkerThread m_thread;  // last: destroyed (and waited for) first
};

}  // namespace ambrin
