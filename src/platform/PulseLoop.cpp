#include "platform/PulseLoop.h"

#include <pulse/thread-mainloop.h>

#include <condition_variable>
#include <mutex>

namespace ambrin {

bool startThreadedLoop(pa_threaded_mainloop* loop) {
    struct Started {
        std::mutex mutex;  // guards running
        std::condition_variable ran;
        bool running = false;
    } started;
    pa_mainloop_api_once(
        pa_threaded_mainloop_get_api(loop),
        [](pa_mainloop_api*, void* data) {
            auto* state = static_cast<Started*>(data);
            std::lock_guard lock(state->mutex);
            state->running = true;
            state->ran.notify_all();
        },
        &started);
    if (pa_threaded_mainloop_start(loop) < 0) {
        return false;
    }
    std::unique_lock lock(started.mutex);
    started.ran.wait(lock, [&] { return started.running; });
    return true;
}

}  // namespace ambrin
