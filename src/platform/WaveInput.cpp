#include "platform/WaveInput.h"

#include <pulse/context.h>
#include <pulse/error.h>
#include <pulse/mainloop.h>
#include <pulse/stream.h>

#include <algorithm>
#include <chrono>
#include <cstring>

namespace ambrin {

namespace {

constexpr int kConnectTimeoutMs = 5000;

std::string contextError(pa_context* context, const char* what) {
    return std::string(what) + ": " + pa_strerror(pa_context_errno(context));
}

void setError(std::string* error, std::string text) {
    if (error != nullptr) {
        *error = std::move(text);
    }
}

}  // namespace

WaveInput::~WaveInput() { close(); }

bool WaveInput::iterate(int timeoutMs) {
    // prepare/poll/dispatch instead of a blocking iterate, so that waits are bounded.
    if (pa_mainloop_prepare(m_loop, timeoutMs < 0 ? -1 : timeoutMs * 1000) < 0) {
        return false;
    }
    if (pa_mainloop_poll(m_loop) < 0) {
        return false;
    }
    return pa_mainloop_dispatch(m_loop) >= 0;
}

bool WaveInput::open(std::uint32_t sampleRate, std::string* error) {
    close();
    m_stopRequested.store(false, std::memory_order_release);
    m_failed = false;
    m_failure.clear();
    {
        std::lock_guard lock(m_loopMutex);
        m_loop = pa_mainloop_new();
    }
    if (m_loop == nullptr) {
        setError(error, "cannot create the sound-server main loop");
        return false;
    }
    m_context = pa_context_new(pa_mainloop_get_api(m_loop), "Ambrin+");
    if (m_context == nullptr) {
        setError(error, "cannot create a sound-server context");
        return false;
    }
    if (pa_context_connect(m_context, nullptr, PA_CONTEXT_NOAUTOSPAWN, nullptr) < 0) {
        setError(error, contextError(m_context, "cannot reach the sound server"));
        return false;
    }
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(kConnectTimeoutMs);
    for (;;) {
        const pa_context_state_t state = pa_context_get_state(m_context);
        if (state == PA_CONTEXT_READY) {
            break;
        }
        if (!PA_CONTEXT_IS_GOOD(state)) {
            setError(error, contextError(m_context, "cannot reach the sound server"));
            return false;
        }
        if (std::chrono::steady_clock::now() >= deadline || !iterate(100)) {
            setError(error, "the sound server does not answer");
            return false;
        }
    }
    const pa_sample_spec spec{PA_SAMPLE_S16LE, sampleRate, 1};
    m_stream = pa_stream_new(m_context, "Telephone line", &spec, nullptr);
    if (m_stream == nullptr) {
        setError(error, contextError(m_context, "cannot create the record stream"));
        return false;
    }
    pa_stream_set_read_callback(
        m_stream, [](pa_stream*, size_t, void* self) { static_cast<WaveInput*>(self)->onReadable(); },
        this);
    return true;
}

void WaveInput::queue(WaveBuffer* buffer) {
    buffer->bytesRecorded = 0;
    m_queue.push_back(buffer);
}

bool WaveInput::start(std::size_t fragmentBytes, std::string* error) {
    if (m_stream == nullptr) {
        setError(error, "the record stream is not open");
        return false;
    }
    pa_buffer_attr attributes{};
    attributes.maxlength = static_cast<std::uint32_t>(-1);
    attributes.tlength = static_cast<std::uint32_t>(-1);
    attributes.prebuf = static_cast<std::uint32_t>(-1);
    attributes.minreq = static_cast<std::uint32_t>(-1);
    attributes.fragsize = static_cast<std::uint32_t>(fragmentBytes);
    if (pa_stream_connect_record(m_stream, nullptr, &attributes, PA_STREAM_ADJUST_LATENCY) < 0) {
        setError(error, contextError(m_context, "cannot start recording"));
        return false;
    }
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(kConnectTimeoutMs);
    for (;;) {
        const pa_stream_state_t state = pa_stream_get_state(m_stream);
        if (state == PA_STREAM_READY) {
            return true;
        }
        if (!PA_STREAM_IS_GOOD(state)) {
            setError(error, contextError(m_context, "cannot start recording"));
            return false;
        }
        if (std::chrono::steady_clock::now() >= deadline || !iterate(100)) {
            setError(error, "the sound server does not start the recording");
            return false;
        }
    }
}

void WaveInput::take(const std::uint8_t* data, std::size_t bytes) {
    while (bytes > 0) {
        if (m_queue.empty()) {
            m_dropped += bytes;
            return;
        }
        WaveBuffer& buffer = *m_queue.front();
        const std::size_t room = buffer.size - buffer.bytesRecorded;
        const std::size_t now = std::min(room, bytes);
        if (data != nullptr) {
            std::memcpy(buffer.data + buffer.bytesRecorded, data, now);
            data += now;
        } else {
            std::memset(buffer.data + buffer.bytesRecorded, 0, now);  // a hole: silence
        }
        buffer.bytesRecorded += now;
        bytes -= now;
        if (buffer.bytesRecorded == buffer.size) {
            m_queue.pop_front();
            (*m_filled)(buffer);
        }
    }
}

void WaveInput::onReadable() {
    while (!m_failed && pa_stream_readable_size(m_stream) > 0) {
        const void* data = nullptr;
        size_t bytes = 0;
        if (pa_stream_peek(m_stream, &data, &bytes) < 0) {
            m_failed = true;
            m_failure = contextError(m_context, "reading the record stream failed");
            return;
        }
        if (bytes == 0) {
            return;
        }
        if (m_filled != nullptr) {
            take(static_cast<const std::uint8_t*>(data), bytes);
        }
        pa_stream_drop(m_stream);
    }
}

bool WaveInput::run(const std::function<void(WaveBuffer&)>& filled) {
    if (m_loop == nullptr || m_stream == nullptr) {
        return false;
    }
    m_filled = &filled;
    bool ok = true;
    while (!m_stopRequested.load(std::memory_order_acquire)) {
        if (!iterate(-1) || m_failed) {
            ok = false;
            break;
        }
        if (!PA_CONTEXT_IS_GOOD(pa_context_get_state(m_context)) ||
            !PA_STREAM_IS_GOOD(pa_stream_get_state(m_stream))) {
            m_failure = contextError(m_context, "the sound server ended the recording");
            ok = false;
            break;
        }
    }
    if (ok) {
        // The device's reset: every queued buffer comes back with what it holds.
        while (!m_queue.empty()) {
            WaveBuffer& buffer = *m_queue.front();
            m_queue.pop_front();
            filled(buffer);
        }
    }
    m_queue.clear();
    m_filled = nullptr;
    return ok;
}

void WaveInput::stop() {
    m_stopRequested.store(true, std::memory_order_release);
    std::lock_guard lock(m_loopMutex);
    if (m_loop != nullptr) {
        pa_mainloop_wakeup(m_loop);
    }
}

void WaveInput::close() {
    if (m_stream != nullptr) {
        pa_stream_set_read_callback(m_stream, nullptr, nullptr);
        if (PA_STREAM_IS_GOOD(pa_stream_get_state(m_stream)) &&
            pa_stream_get_state(m_stream) != PA_STREAM_UNCONNECTED) {
            pa_stream_disconnect(m_stream);
        }
        pa_stream_unref(m_stream);
        m_stream = nullptr;
    }
    if (m_context != nullptr) {
        pa_context_disconnect(m_context);
        pa_context_unref(m_context);
        m_context = nullptr;
    }
    std::lock_guard lock(m_loopMutex);
    if (m_loop != nullptr) {
        pa_mainloop_free(m_loop);
        m_loop = nullptr;
    }
    m_queue.clear();
}

}  // namespace ambrin
