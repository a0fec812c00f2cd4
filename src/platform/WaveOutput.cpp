#include "platform/WaveOutput.h"

#include <pulse/context.h>
#include <pulse/error.h>
#include <pulse/mainloop-api.h>
#include <pulse/operation.h>
#include <pulse/rtclock.h>
#include <pulse/stream.h>
#include <pulse/thread-mainloop.h>

#include <algorithm>
#include <chrono>

namespace ambrin {

namespace {

// How often the device thread asks the server how far it has played. Headers come back and
// the position moves in steps of about this much.
constexpr pa_usec_t kWatchIntervalUs = 40 * 1000;
// The server keeps about this much audio of a stream; pause, reset and the end of a file
// take effect within it.
constexpr pa_usec_t kTargetLatencyUs = 250 * 1000;

// How long opening waits for the server to accept the connection and start the stream.
constexpr std::chrono::milliseconds kOpenTimeout{5000};

void setError(std::string* error, const std::string& text) {
    if (error != nullptr) {
        *error = text;
    }
}

}  // namespace

WaveOutput::~WaveOutput() {
    close();
}

void WaveOutput::fail(const char* what) {
    m_failed = true;
    m_failure = m_connection.error(what);
}

bool WaveOutput::open(int bits, int channels, std::uint32_t rate, DoneCallback done,
                      std::string* error) {
    close();
    m_failed = false;
    m_failure.clear();
    m_done = std::move(done);
    bool ok = m_connection.connect(kOpenTimeout, &m_failure);
    if (ok) {
        PulseConnection::Lock lock(m_connection);
        const pa_sample_spec spec{bits == 8 ? PA_SAMPLE_U8 : PA_SAMPLE_S16LE, rate,
                                  static_cast<std::uint8_t>(channels)};
        m_stream = pa_stream_new(m_connection.context(), "Recording playback", &spec, nullptr);
        if (m_stream == nullptr) {
            fail("cannot create the playback stream");
            ok = false;
        }
        if (ok) {
            pa_stream_set_state_callback(
                m_stream, [](pa_stream*, void* connection) { PulseConnection::wake(connection); },
                &m_connection);
            pa_stream_set_write_callback(
                m_stream,
                [](pa_stream*, size_t, void* self) { static_cast<WaveOutput*>(self)->feed(); },
                this);
            pa_buffer_attr attributes{};
            attributes.maxlength = static_cast<std::uint32_t>(-1);
            attributes.tlength = static_cast<std::uint32_t>(
                pa_usec_to_bytes(kTargetLatencyUs, pa_stream_get_sample_spec(m_stream)));
            attributes.prebuf = static_cast<std::uint32_t>(-1);
            attributes.minreq = static_cast<std::uint32_t>(-1);
            attributes.fragsize = static_cast<std::uint32_t>(-1);
            if (pa_stream_connect_playback(m_stream, nullptr, &attributes, PA_STREAM_ADJUST_LATENCY,
                                           nullptr, nullptr) < 0) {
                fail("cannot start the playback stream");
                ok = false;
            }
        }
        if (ok) {
            m_connection.waitUntil(
                [this] { return pa_stream_get_state(m_stream) != PA_STREAM_CREATING; },
                kOpenTimeout);
            if (pa_stream_get_state(m_stream) != PA_STREAM_READY) {
                fail("the sound server refused the playback stream");
                ok = false;
            }
        }
        if (ok) {
            m_timer = pa_context_rttime_new(
                m_connection.context(), pa_rtclock_now() + kWatchIntervalUs,
                [](pa_mainloop_api*, pa_time_event*, const struct timeval*, void* self) {
                    static_cast<WaveOutput*>(self)->onTimer();
                },
                this);
        }
    }
    if (!ok) {
        setError(error, m_failure);
        const std::string reason = m_failure;
        close();
        m_done = nullptr;
        m_failure = reason;
    }
    return ok;
}

namespace {

void wakeOnSuccess(pa_stream*, int, void* connection) {
    PulseConnection::wake(connection);
}

}  // namespace

void WaveOutput::feed() {
    if (m_stream == nullptr || m_failed || pa_stream_get_state(m_stream) != PA_STREAM_READY) {
        return;
    }
    std::size_t room = pa_stream_writable_size(m_stream);
    if (room == static_cast<std::size_t>(-1)) {
        fail("the playback stream failed");
        return;
    }
    while (room > 0 && m_unsent < m_queue.size()) {
        Queued& queued = m_queue[m_unsent];
        const std::size_t now = std::min(room, queued.header->size - queued.sent);
        // No free callback: the server library copies the bytes at once.
        if (now > 0 && pa_stream_write(m_stream, queued.header->data + queued.sent, now, nullptr, 0,
                                       PA_SEEK_RELATIVE) < 0) {
            fail("writing to the playback stream failed");
            return;
        }
        queued.sent += now;
        m_sent += now;
        room -= now;
        if (queued.sent == queued.header->size) {
            ++m_unsent;
        }
    }
    // Everything queued is with the server: let it play even when that is less than it
    // wants before starting (the end of a file, or a decoder that fell behind).
    if (m_unsent == m_queue.size() && !m_triggered && m_sent > m_played) {
        m_triggered = true;
        if (pa_operation* trigger = pa_stream_trigger(m_stream, nullptr, nullptr)) {
            pa_operation_unref(trigger);
        }
    }
}

void WaveOutput::onTimer() {
    if (m_stream != nullptr && pa_stream_get_state(m_stream) == PA_STREAM_READY) {
        pa_operation* update = pa_stream_update_timing_info(
            m_stream,
            [](pa_stream*, int, void* self) { static_cast<WaveOutput*>(self)->onTiming(); }, this);
        if (update != nullptr) {
            pa_operation_unref(update);
        }
    }
    pa_context_rttime_restart(m_connection.context(), m_timer, pa_rtclock_now() + kWatchIntervalUs);
}

void WaveOutput::onTiming() {
    if (m_stream == nullptr) {
        return;
    }
    const pa_timing_info* timing = pa_stream_get_timing_info(m_stream);
    if (timing == nullptr || timing->read_index_corrupt) {
        return;
    }
    // The server's read index counts every byte it took from the stream since it was created.
    const std::int64_t played = std::clamp<std::int64_t>(timing->read_index - m_baseIndex, 0,
                                                         static_cast<std::int64_t>(m_sent));
    m_played = std::max(m_played, static_cast<std::uint64_t>(played));
    while (m_unsent > 0 && m_queue.front().end <= m_played) {
        WaveHeader* header = m_queue.front().header;
        m_queue.pop_front();
        --m_unsent;
        if (m_done) {
            m_done(header);
        }
    }
}

bool WaveOutput::write(WaveHeader* header) {
    if (!m_connection.isOpen() || header == nullptr) {
        return false;
    }
    PulseConnection::Lock lock(m_connection);
    if (m_stream == nullptr || m_failed) {
        return false;
    }
    m_queued += header->size;
    m_queue.push_back(Queued{header, 0, m_queued});
    m_triggered = false;
    feed();
    return !m_failed;
}

bool WaveOutput::pause() {
    if (!m_connection.isOpen()) {
        return false;
    }
    PulseConnection::Lock lock(m_connection);
    return m_stream != nullptr &&
           m_connection.waitFor(pa_stream_cork(m_stream, 1, wakeOnSuccess, &m_connection));
}

bool WaveOutput::restart() {
    if (!m_connection.isOpen()) {
        return false;
    }
    PulseConnection::Lock lock(m_connection);
    return m_stream != nullptr &&
           m_connection.waitFor(pa_stream_cork(m_stream, 0, wakeOnSuccess, &m_connection));
}

std::deque<WaveHeader*> WaveOutput::takeAll() {
    std::deque<WaveHeader*> headers;
    for (const Queued& queued : m_queue) {
        headers.push_back(queued.header);
    }
    m_queue.clear();
    m_unsent = 0;
    m_queued = 0;
    m_sent = 0;
    m_played = 0;
    m_triggered = false;
    return headers;
}

bool WaveOutput::reset() {
    if (!m_connection.isOpen()) {
        return false;
    }
    std::deque<WaveHeader*> back;
    bool ok = true;
    {
        PulseConnection::Lock lock(m_connection);
        if (m_stream != nullptr && !m_failed && pa_stream_get_state(m_stream) == PA_STREAM_READY) {
            // After the flush the server's write index equals its read index; that read index
            // is the new position 0.
            ok = m_connection.waitFor(pa_stream_flush(m_stream, wakeOnSuccess, &m_connection)) &&
                 m_connection.waitFor(
                     pa_stream_update_timing_info(m_stream, wakeOnSuccess, &m_connection));
            const pa_timing_info* timing = pa_stream_get_timing_info(m_stream);
            if (ok && timing != nullptr && !timing->read_index_corrupt) {
                m_baseIndex = timing->read_index;
            }
        }
        back = takeAll();
    }
    for (WaveHeader* header : back) {
        if (m_done) {
            m_done(header);
        }
    }
    return ok;
}

std::uint64_t WaveOutput::position() {
    if (!m_connection.isOpen()) {
        return 0;
    }
    PulseConnection::Lock lock(m_connection);
    return m_played;
}

void WaveOutput::close() {
    if (!m_connection.isOpen()) {
        return;
    }
    reset();
    {
        PulseConnection::Lock lock(m_connection);
        if (m_timer != nullptr) {
            m_connection.api()->time_free(m_timer);
            m_timer = nullptr;
        }
        PulseConnection::releaseStream(m_stream);
    }
    m_connection.close();
    m_done = nullptr;
    m_baseIndex = 0;
}

}  // namespace ambrin
