#include "platform/WaveInput.h"

#include <pulse/context.h>
#include <pulse/error.h>
#include <pulse/stream.h>

#include <algorithm>
#include <chrono>
#include <cstring>
#include <utility>

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
    PulseConnection::Lock lock(m_connection);
    const pa_sample_spec spec{PA_SAMPLE_S16LE, sampleRate, 1};
    m_stream = pa_stream_new(m_connection.context(), "Telephone line", &spec, nullptr);
    if (m_stream == nullptr) {
        setError(error, m_connection.error("cannot create the record stream"));
        return false;
    }
    pa_stream_set_state_callback(
        m_stream,
        [](pa_stream*, void* input) {
            auto* self = static_cast<WaveInput*>(input);
            PulseConnection::wake(&self->m_connection);  // start() waits for the state
            self->wakeRun();
        },
        this);
    // The connection's thread copies what arrives into the queued buffers as it comes: the
    // server's memory goes back to it on that thread, and run() is woken once a buffer, by
    // a signal of its own that never makes it wait for the connection's lock.
    pa_stream_set_read_callback(
        m_stream,
        [](pa_stream*, size_t, void* input) { static_cast<WaveInput*>(input)->readAvailable(); },
        this);
    return true;
}

void WaveInput::queue(WaveBuffer* buffer) {
    buffer->bytesRecorded = 0;
    std::lock_guard guard(m_buffersMutex);
    m_queue.push_back(buffer);
}

void WaveInput::wakeRun() {
    {
        std::lock_guard guard(m_buffersMutex);
        m_runWoken = true;
    }
    m_buffersChanged.notify_one();
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

std::size_t WaveInput::take(const std::uint8_t* data, std::size_t bytes) {
    std::size_t taken = 0;
    while (bytes > 0 && !m_queue.empty()) {
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
        taken += now;
        if (buffer.bytesRecorded == buffer.size) {
            m_queue.pop_front();
            m_full.push_back(&buffer);
        }
    }
    return taken;
}

// Under the connection's lock: on the connection's thread as data arrive, and on run()'s
// thread when data waited for a buffer. What finds no queued buffer stays in the stream (the
// server keeps seconds of it) until one is queued.
void WaveInput::readAvailable() {
    bool wake = false;
    {
        std::lock_guard guard(m_buffersMutex);
        while (!m_failed && m_stream != nullptr && pa_stream_readable_size(m_stream) > 0) {
            if (m_queue.empty()) {
                m_dataWaiting = true;
                break;
            }
            const void* data = nullptr;
            size_t bytes = 0;
            if (pa_stream_peek(m_stream, &data, &bytes) < 0) {
                m_failed = true;
                m_failure = m_connection.error("reading the record stream failed");
                m_runWoken = true;
                break;
            }
            if (bytes == 0) {
                break;
            }
            // The same piece comes back from a second peek until it is dropped.
            const auto* from = static_cast<const std::uint8_t*>(data);
            m_pieceOffset += take(from != nullptr ? from + m_pieceOffset : nullptr,
                                  bytes - std::min(m_pieceOffset, bytes));
            if (m_pieceOffset < bytes) {
                m_dataWaiting = true;  // the buffers are full: the rest waits for one
                break;
            }
            pa_stream_drop(m_stream);
            m_pieceOffset = 0;
        }
        wake = !m_full.empty() || m_runWoken;
    }
    if (wake) {
        m_buffersChanged.notify_one();
    }
}

bool WaveInput::run(const std::function<void(WaveBuffer&)>& filled) {
    if (!m_connection.isOpen() || m_stream == nullptr) {
        return false;
    }
    // Look at the stream once before the first wait: it may have failed already.
    bool look = true;
    bool ok = true;
    while (!m_stopRequested.load(std::memory_order_acquire)) {
        if (look) {
            PulseConnection::Lock lock(m_connection);
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
        }
        std::deque<WaveBuffer*> full;
        {
            std::unique_lock lock(m_buffersMutex);
            m_buffersChanged.wait(lock, [this] {
                return !m_full.empty() || m_runWoken ||
                       m_stopRequested.load(std::memory_order_acquire);
            });
            full.swap(m_full);
            look = std::exchange(m_runWoken, false);
        }
        for (WaveBuffer* buffer : full) {
            filled(*buffer);  // normally queued again
        }
        std::lock_guard guard(m_buffersMutex);
        look = look || std::exchange(m_dataWaiting, false);
    }
    // The device's reset: every buffer comes back with what it holds, in order.
    std::deque<WaveBuffer*> rest;
    {
        std::lock_guard guard(m_buffersMutex);
        rest.swap(m_full);
        if (ok) {
            rest.insert(rest.end(), m_queue.begin(), m_queue.end());
        }
        m_queue.clear();
    }
    for (WaveBuffer* buffer : rest) {
        filled(*buffer);
    }
    return ok;
}

void WaveInput::stop() {
    {
        std::lock_guard guard(m_buffersMutex);
        m_stopRequested.store(true, std::memory_order_release);
    }
    m_buffersChanged.notify_all();
}

void WaveInput::close() {
    if (m_connection.isOpen()) {
        PulseConnection::Lock lock(m_connection);
        PulseConnection::releaseStream(m_stream);
    }
    m_connection.close();
    std::lock_guard guard(m_buffersMutex);
    m_queue.clear();
    m_full.clear();
    m_pieceOffset = 0;
    m_dataWaiting = false;
    m_runWoken = false;
}

}  // namespace ambrin
