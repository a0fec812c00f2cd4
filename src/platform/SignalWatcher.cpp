#include "platform/SignalWatcher.h"

#include <pthread.h>
#include <csignal>

namespace ambrin {

namespace {

sigset_t watchedSignals() {
    sigset_t set;
    sigemptyset(&set);
    sigaddset(&set, SIGINT);
    sigaddset(&set, SIGTERM);
    return set;
}

}  // namespace

void SignalWatcher::blockSignals() {
    const sigset_t set = watchedSignals();
    pthread_sigmask(SIG_BLOCK, &set, nullptr);
    std::signal(SIGPIPE, SIG_IGN);
}

SignalWatcher::~SignalWatcher() {
    stop();
}

void SignalWatcher::start(std::function<void(int)> handler) {
    m_stop.store(false, std::memory_order_relaxed);
    m_thread = std::thread([this, handler = std::move(handler)] {
        const sigset_t set = watchedSignals();
        for (;;) {
            const int signal = sigwaitinfo(&set, nullptr);
            if (m_stop.load(std::memory_order_acquire)) {
                return;
            }
            if (signal > 0) {
                handler(signal);
            }
        }
    });
}

void SignalWatcher::stop() {
    m_stop.store(true, std::memory_order_release);
    if (m_thread.joinable()) {
        // A signal aimed at the watcher thread alone wakes its wait without a handler call.
        pthread_kill(m_thread.native_handle(), SIGTERM);
        m_thread.join();
    }
}

}  // namespace ambrin
