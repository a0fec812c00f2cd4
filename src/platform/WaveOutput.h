#pragma once

#include <cstddef>
#include <cstdint>
#include <deque>
#include <functional>
#include <string>

#include "platform/PulseConnection.h"

struct pa_stream;
struct pa_time_event;
struct pa_operation;

namespace ambrin {

// One buffer handed to the wave-output device. The device reads `data` from write() until it
// hands the header back; the caller keeps the bytes alive and unchanged until then.
struct WaveHeader {
    const std::uint8_t* data = nullptr;
    std::size_t size = 0;
    int tag = 0;  // the caller's own mark, for finding its bookkeeping again
};

// The sound card's output, through the PulseAudio client library: a playback stream on the
// default sink, used like a wave-output device. Buffers are queued with write() and come back,
// in the order they were queued, through the done callback once the server has played them.
//
// Threads: the public operations may be called from any thread, one at a time (the streaming
// renderer and, while it is held, the player's thread). They never run on the device thread.
// The device thread (the PulseAudio main loop) feeds the stream, watches the play position and
// calls the done callback; every piece of state below is guarded by the main loop's lock.
class WaveOutput {
  public:
    // Called with a header the device has finished with: on the device thread when it has been
    // played, on the calling thread for the headers that reset() and close() hand back. Must
    // not call into the WaveOutput.
    using DoneCallback = std::function<void(WaveHeader*)>;

    WaveOutput() = default;
    ~WaveOutput();
    WaveOutput(const WaveOutput&) = delete;
    WaveOutput& operator=(const WaveOutput&) = delete;

    // Connects to the sound server (never starting one) and opens a stream of PCM with `bits`
    // (8 unsigned or 16 signed little-endian), `channels` and `rate`. False, with the reason
    // in `error`, when the server cannot be reached or the stream does not start.
    bool open(int bits, int channels, std::uint32_t rate, DoneCallback done, std::string* error);
    bool isOpen() const { return m_stream != nullptr; }

    // Queues a buffer behind those already queued. False when the device is not open or the
    // stream has failed; the header is then not taken.
    bool write(WaveHeader* header);
    // Pauses the device (corks the stream); the position stands still until restart().
    bool pause();
    bool restart();
    // Drops every queued buffer, played or not, hands them all back and sets the position to 0.
    // A paused device stays paused.
    bool reset();
    // Bytes played since open() or the last reset().
    std::uint64_t position();
    // Resets and closes. Safe to call twice.
    void close();

    const std::string& failure() const { return m_failure; }

  private:
    struct Queued {
        WaveHeader* header;
        std::size_t sent;   // bytes of this header already given to the server
        std::uint64_t end;  // byte position at which this header has been played
    };

    void feed();
    void onTimer();
    void onTiming();
    std::deque<WaveHeader*> takeAll();
    void fail(const char* what);

    PulseConnection m_connection{"Ambrin+"};
    pa_stream* m_stream = nullptr;
    pa_time_event* m_timer = nullptr;
    DoneCallback m_done;

    std::deque<Queued> m_queue;    // in play order
    std::size_t m_unsent = 0;      // index of the first header not wholly sent
    std::uint64_t m_queued = 0;    // bytes queued since open or reset
    std::uint64_t m_sent = 0;      // bytes given to the server since open or reset
    std::uint64_t m_played = 0;    // bytes played since open or reset, from the last timing
    std::int64_t m_baseIndex = 0;  // the server's read index at open or reset
    bool m_triggered = false;      // playback forced for what has been sent so far
    bool m_failed = false;
    std::string m_failure;
};

}  // namespace ambrin
