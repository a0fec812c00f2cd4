#include "records/BackupTask.h"

#include "records/BackupWorker.h"
#include "records/RestoreWorker.h"

namespace ambrin {

BackupTask::BackupTask(std::shared_ptr<BackupProgress> progress)
    : m_progress(std::move(progress)) {}

BackupTask::~BackupTask() {
    m_thread.wait();
}

bool BackupTask::startBackup(BackupPlaces places) {
    return start(std::move(places), {}, false);
}

bool BackupTask::startRestore(BackupPlaces places, std::string dateName) {
    return start(std::move(places), std::move(dateName), true);
}

bool BackupTask::start(BackupPlaces places, std::string dateName, bool restore) {
    if (m_thread.isRunning()) {
        return false;
    }
    m_flags.busy.store(true, std::memory_order_release);
    m_flags.stop.store(false, std::memory_order_release);
    m_result.store(BackupResult::Running, std::memory_order_release);
    const bool started =
        m_thread.start([this, places = std::move(places), dateName = std::move(dateName), restore] {
            BackupResult result;
            if (restore) {
                result = RestoreWorker(places, dateName, m_flags, *m_progress).run();
            } else {
                BackupWorker worker(places, m_flags, *m_progress);
                if (m_date.year != 0) {
                    worker.setDate(m_date);
                }
                if (m_partSize != 0) {
                    worker.setPartSize(m_partSize);
                }
                result = worker.run();
            }
            if (m_whenEnded) {
                m_whenEnded(result);
            }
            m_result.store(result, std::memory_order_release);
        });
    if (!started) {
        m_flags.busy.store(false, std::memory_order_release);
        m_result.store(BackupResult::Failed, std::memory_order_release);
    }
    return started;
}

}  // namespace ambrin
