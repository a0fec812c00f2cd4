#include "platform/WaveInput.h"

#include <pulse/context.h>
#include <pulse/error.h>
#include <pulse/stream.h>

#include <algorithm>
#include <chrono>
#include <cstring>

namespace ambrin {

namespace {

constexpr std::chrono::milliseconds kConnectTimeout{5000};

void setError(std::string* error, std::string text) {
    if (error != nullptr) {
        *error = std::move(text);
    }
}

}  // namespace

WaveInput::~WaveInput() {
    close();
}

bool WaveInput::open(std::uint32_t sampleRate, std::string* error) {
    close();
    m_stopRequested.store(false, std::memory_order_release);
    m_failed = false;
    m_failure.clear();
    std::string why;
    if (!m_connection.connect(kConnectTimeout, &why)) {
        setError(error, why);
        return false;
    }
    {
        std::lock_guard guard(m_connectedMutex);
        m_connected = true;
    }
    PulseConnection::Lock lock(m_connection);
    const pa_sample_spec spec{PA_SAMPLE_S16LE, sampleRate, 1};
    m_stream = pa_stream_new(m_connection.context(), "Telephone line", &spec, nullptr);
    if (m_stream == nullptr) {
        setError(error, m_connection.error("cannot create the record stream"));
        return false;
    }
    // The connection's thread only wakes run(); the data is taken on run()'s thread.
    pa_stream_set_state_callback(
        m_stream, [](pa_stream*, void* connection) { PulseConnection::wake(connection); },
        &m_connection);
    pa_stream_set_read_callback(
        m_stream,
        [](pa_stream*, size_t readable, void* input) {
            auto* self = static_cast<WaveInput*>(input);
            if (readable >= self->m_wakeBytes.load(std::memory_order_relaxed)) {
                PulseConnection::wake(&self->m_connection);
            }
        },
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
    PulseConnection::Lock lock(m_connection);
    if (pa_stream_connect_record(m_stream, nullptr, &attributes, PA_STREAM_ADJUST_LATENCY) < 0) {
        setError(error, m_connection.error("cannot start recording"));
        return false;
    }
    m_connection.waitUntil([this] { return pa_stream_get_state(m_stream) != PA_STREAM_CREATING; },
                           kConnectTimeout);
    const pa_stream_state_t state = pa_stream_get_state(m_stream);
    if (state == PA_STREAM_READY) {
        return true;
    }
    setError(error, PA_STREAM_IS_GOOD(state)
                        ? std::string("the sound server does not start the recording")
                        : m_connection.error("cannot start recording"));
    return false;
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

// Under the connection's lock, on run()'s thread.
void WaveInput::readAvailable() {
    while (!m_failed && pa_stream_readable_size(m_stream) > 0) {
        const void* data = nullptr;
        size_t bytes = 0;
        if (pa_stream_peek(m_stream, &data, &bytes) < 0) {
            m_failed = true;
            m_failure = m_connection.error("reading the record stream failed");
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
    if (!m_connection.isOpen() || m_stream == nullptr) {
        return false;
    }
    m_filled = &filled;
    bool ok = true;
    {
        // Held while the buffers are filled and handed back, released while waiting.
        PulseConnection::Lock lock(m_connection);
        while (!m_stopRequested.load(std::memory_order_acquire)) {
            readAvailable();
            if (m_failed) {
                ok = false;
                break;
            }
            if (!PA_CONTEXT_IS_GOOD(pa_context_get_state(m_connection.context())) ||
                !PA_STREAM_IS_GOOD(pa_stream_get_state(m_stream))) {
                m_failure = m_connection.error("the sound server ended the recording");
                ok = false;
                break;
            }
            if (m_stopRequested.load(std::memory_order_acquire)) {
                break;
            }
            // Sleep until the front buffer can be filled at once: one wake-up per buffer
            // rather than one per piece the server sends (several a buffer on some sources).
            const std::size_t wanted =
                m_queue.empty() ? 1 : m_queue.front()->size - m_queue.front()->bytesRecorded;
            m_wakeBytes.store(std::max<std::size_t>(wanted, 1), std::memory_order_relaxed);
            if (pa_stream_readable_size(m_stream) < m_wakeBytes.load(std::memory_order_relaxed)) {
                m_connection.wait();
            }
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
    std::lock_guard guard(m_connectedMutex);
    if (m_connected) {
        PulseConnection::Lock lock(m_connection);
        m_connection.signal();
    }
}

void WaveInput::close() {
    if (m_connection.isOpen()) {
        PulseConnection::Lock lock(m_connection);
        PulseConnection::releaseStream(m_stream);
    }
    {
        std::lock_guard guard(m_connectedMutex);
        m_connected = false;
    }
    m_connection.close();
    m_queue.clear();
}

}  // namespace ambrin
