#include "platform/WorkerThread.h"

#include <pthread.h>
#include <sys/resource.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <condition_variable>
#include <mutex>

#include "platform/StringTable.h"

namespace ambrin {

struct WorkerThread::Shared {
    std::mutex mutex;  // guards done
    std::condition_variable ended;
    bool done = false;
};

WorkerThread::~WorkerThread() {
    if (m_thread.joinable()) {
        if (m_thread.get_id() == std::this_thread::get_id()) {
            m_thread.detach();  // a routine that frees its own thread object
        } else {
            m_thread.join();
        }
    }
}

bool WorkerThread::start(Routine routine) {
    if (m_thread.joinable()) {
        if (isRunning()) {
            return false;
        }
        m_thread.join();
    }
    m_shared = std::make_shared<Shared>();
    m_running.store(true, std::memory_order_release);
    try {
        m_thread = std::thread([this, shared = m_shared, routine = std::move(routine)] {
            m_tid.store(static_cast<long>(::syscall(SYS_gettid)), std::memory_order_relaxed);
            const int nice = m_priority.load(std::memory_order_relaxed);
            if (nice != 0) {
                ::setpriority(PRIO_PROCESS, static_cast<id_t>(m_tid.load()), nice);
            }
            SetUiLanguage(kLangKorean);
            routine();
            m_running.store(false, std::memory_order_release);
            std::lock_guard lock(shared->mutex);
            shared->done = true;
            shared->ended.notify_all();
        });
    } catch (const std::system_error&) {
        m_running.store(false, std::memory_order_release);
        return false;
    }
    return true;
}

bool WorkerThread::wait(std::chrono::milliseconds timeout) {
    if (!m_thread.joinable()) {
        return true;
    }
    if (m_thread.get_id() == std::this_thread::get_id()) {
        return false;
    }
    if (timeout != std::chrono::milliseconds::max()) {
        std::unique_lock lock(m_shared->mutex);
        if (!m_shared->ended.wait_for(lock, timeout, [&] { return m_shared->done; })) {
            return false;
        }
    }
    m_thread.join();
    return true;
}

bool WorkerThread::isCurrentThread() const {
    return m_thread.get_id() == std::this_thread::get_id();
}

bool WorkerThread::setPriority(int nice) {
    m_priority.store(nice, std::memory_order_relaxed);
    const long tid = m_tid.load(std::memory_order_relaxed);
    if (tid == 0 || !isRunning()) {
        return true;
    }
    return ::setpriority(PRIO_PROCESS, static_cast<id_t>(tid), nice) == 0;
}

void nameThisThread(const char* name) {
    char shortName[16] = {};
    for (std::size_t i = 0; i + 1 < sizeof shortName && name[i] != '\0'; ++i) {
        shortName[i] = name[i];
    }
    ::pthread_setname_np(::pthread_self(), shortName);
}

}  // namespace ambrin
