#include "app/StartupTrace.h"

#include <atomic>
#include <chrono>
#include <cstdio>
#include <ctime>

namespace ambrin {

namespace {

std::atomic<bool> g_tracing{false};
std::chrono::steady_clock::time_point g_begin;

double cpuMilliseconds() {
    timespec used{};
    ::clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &used);
    return static_cast<double>(used.tv_sec) * 1000.0 + static_cast<double>(used.tv_nsec) / 1e6;
}

}  // namespace

void enableStartupTrace() {
    g_begin = std::chrono::steady_clock::now();
    g_tracing.store(true, std::memory_order_release);
}

void startupStage(const char* stage) {
    if (!g_tracing.load(std::memory_order_acquire)) {
        return;
    }
    const std::chrono::duration<double, std::milli> wall =
        std::chrono::steady_clock::now() - g_begin;
    std::printf("ambrin: start-up %.1f ms (%.1f ms CPU) %s\n", wall.count(), cpuMilliseconds(),
                stage);
    std::fflush(stdout);
}

void startupFinished() {
    if (g_tracing.load(std::memory_order_acquire)) {
        startupStage("main window painted");
        g_tracing.store(false, std::memory_order_release);
    }
}

}  // namespace ambrin
