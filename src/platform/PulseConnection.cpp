#include "platform/PulseConnection.h"

#include <pulse/context.h>
#include <pulse/error.h>
#include <pulse/operation.h>
#include <pulse/rtclock.h>
#include <pulse/stream.h>
#include <pulse/thread-mainloop.h>

#include <condition_variable>
#include <mutex>

namespace ambrin {

namespace {

// Starts a threaded main loop and returns once its thread has run a first callback.
//
// The loop's thread sets up the library's record of itself when it starts, published in a way
// a race detector cannot follow, while the first lock taken by another thread looks at that
// record too. Waiting for a callback through our own mutex orders the two, so nothing touches
// the library from outside until the loop's thread is fully set up. False when it cannot start.
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

void setError(std::string* error, std::string text) {
    if (error != nullptr) {
        *error = std::move(text);
    }
}

}  // namespace

PulseConnection::Lock::Lock(const PulseConnection& connection) : m_loop(connection.m_loop) {
    pa_threaded_mainloop_lock(m_loop);
}

PulseConnection::Lock::~Lock() {
    pa_threaded_mainloop_unlock(m_loop);
}

PulseConnection::PulseConnection(std::string clientName) : m_clientName(std::move(clientName)) {}

PulseConnection::~PulseConnection() {
    close();
}

void PulseConnection::wake(void* connection) {
    static_cast<PulseConnection*>(connection)->signal();
}

bool PulseConnection::connect(std::chrono::milliseconds timeout, std::string* error) {
    close();
    m_loop = pa_threaded_mainloop_new();
    if (m_loop == nullptr) {
        setError(error, "cannot create the sound-server main loop");
        return false;
    }
    m_context = pa_context_new(pa_threaded_mainloop_get_api(m_loop), m_clientName.c_str());
    if (m_context == nullptr) {
        setError(error, "cannot create a sound-server context");
        close();
        return false;
    }
    // Before the loop's thread runs, no lock is needed yet.
    pa_context_set_state_callback(
        m_context, [](pa_context*, void* self) { wake(self); }, this);
    if (pa_context_connect(m_context, nullptr, PA_CONTEXT_NOAUTOSPAWN, nullptr) < 0) {
        setError(error, this->error("cannot reach the sound server"));
        close();
        return false;
    }
    if (!startThreadedLoop(m_loop)) {
        setError(error, "cannot start the sound-server main loop");
        close();
        return false;
    }
    m_running = true;
    bool connected = false;
    {
        Lock lock(*this);
        waitUntil(
            [this] { return !PA_CONTEXT_IS_GOOD(pa_context_get_state(m_context)) || ready(); },
            timeout);
        connected = ready();
        if (!connected) {
            setError(error, PA_CONTEXT_IS_GOOD(pa_context_get_state(m_context))
                                ? std::string("the sound server does not answer")
                                : this->error("cannot reach the sound server"));
        }
    }
    if (!connected) {
        close();
    }
    return connected;
}

void PulseConnection::close() {
    if (m_loop == nullptr) {
        return;
    }
    if (m_context != nullptr) {
        // Stopped or not, the loop's thread is no longer inside a callback once we hold the lock.
        if (m_running) {
            pa_threaded_mainloop_lock(m_loop);
        }
        pa_context_set_state_callback(m_context, nullptr, nullptr);
        pa_context_disconnect(m_context);
        pa_context_unref(m_context);
        m_context = nullptr;
        if (m_running) {
            pa_threaded_mainloop_unlock(m_loop);
        }
    }
    // Stopping joins the loop's thread, so it must not hold the lock.
    if (m_running) {
        pa_threaded_mainloop_stop(m_loop);
        m_running = false;
    }
    pa_threaded_mainloop_free(m_loop);
    m_loop = nullptr;
}

bool PulseConnection::ready() const {
    return m_context != nullptr && pa_context_get_state(m_context) == PA_CONTEXT_READY;
}

pa_mainloop_api* PulseConnection::api() const {
    return pa_threaded_mainloop_get_api(m_loop);
}

void PulseConnection::wait() const {
    pa_threaded_mainloop_wait(m_loop);
}

void PulseConnection::signal() const {
    pa_threaded_mainloop_signal(m_loop, 0);
}

bool PulseConnection::waitUntil(const std::function<bool()>& done,
                                std::chrono::milliseconds timeout) const {
    if (done()) {
        return true;
    }
    // A timer on the loop wakes the wait at the deadline.
    struct Deadline {
        const PulseConnection* connection;
        bool passed = false;
    } deadline{this, false};
    const auto microseconds =
        std::chrono::duration_cast<std::chrono::microseconds>(timeout).count();
    pa_time_event* timer = pa_context_rttime_new(
        m_context, pa_rtclock_now() + static_cast<pa_usec_t>(microseconds < 0 ? 0 : microseconds),
        [](pa_mainloop_api*, pa_time_event*, const struct timeval*, void* data) {
            auto* d = static_cast<Deadline*>(data);
            d->passed = true;
            d->connection->signal();
        },
        &deadline);
    bool met = false;
    while (!(met = done()) && !deadline.passed && timer != nullptr) {
        wait();
    }
    if (timer != nullptr) {
        api()->time_free(timer);
    }
    return met;
}

bool PulseConnection::waitFor(pa_operation* operation) const {
    if (operation == nullptr) {
        return false;
    }
    while (pa_operation_get_state(operation) == PA_OPERATION_RUNNING) {
        wait();
    }
    const bool done = pa_operation_get_state(operation) == PA_OPERATION_DONE;
    pa_operation_unref(operation);
    return done;
}

void PulseConnection::releaseStream(pa_stream*& stream) {
    if (stream == nullptr) {
        return;
    }
    pa_stream_set_read_callback(stream, nullptr, nullptr);
    pa_stream_set_write_callback(stream, nullptr, nullptr);
    pa_stream_set_state_callback(stream, nullptr, nullptr);
    const pa_stream_state_t state = pa_stream_get_state(stream);
    if (PA_STREAM_IS_GOOD(state) && state != PA_STREAM_UNCONNECTED) {
        pa_stream_disconnect(stream);
    }
    pa_stream_unref(stream);
    stream = nullptr;
}

std::string PulseConnection::error(const char* what) const {
    return std::string(what) + ": " +
           pa_strerror(m_context != nullptr ? pa_context_errno(m_context) : PA_ERR_UNKNOWN);
}

}  // namespace ambrin
