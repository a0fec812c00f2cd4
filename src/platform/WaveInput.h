#pragma once

#include <atomic>
#include <condition_variable>
#include <cstddef>
#include <cstdint>
#include <deque>
#include <functional>
#include <mutex>
#include <string>

#include "platform/PulseConnection.h"

struct pa_stream;

namespace ambrin {

// One capture buffer: an area the device fills, and how much it put in.
struct WaveBuffer {
    std::uint8_t* data = nullptr;
    std::size_t size = 0;           // capacity of the area in bytes
    std::size_t bytesRecorded = 0;  // bytes the device wrote into it
};

// The sound card's input, through the PulseAudio client library (served by PulseAudio or
// PipeWire): a record stream on the default source, signed 16-bit little-endian mono.
//
// The device fills the queued buffers in order, whole, from whatever pieces the server delivers
// (a hole the server reports becomes silence, so time is kept), on the connection's own thread
// as the pieces arrive, and hands each full buffer back on the thread that calls run(), which
// it wakes once a buffer. Everything else but stop() runs on that thread too.
class WaveInput {
  public:
    WaveInput() = default;
    ~WaveInput();
    WaveInput(const WaveInput&) = delete;
    WaveInput& operator=(const WaveInput&) = delete;

    // Connects to the sound server (never starting one) and creates the stream. False, with
    // the reason in `error`, when the server cannot be reached or the stream not created.
    bool open(std::uint32_t sampleRate, std::string* error);
    // Appends an empty buffer to the device's queue.
    void queue(WaveBuffer* buffer);
    // Connects the stream to the default source, asking for fragments of `fragmentBytes`,
    // and waits until it records. False, with the reason, when it does not.
    bool start(std::size_t fragmentBytes, std::string* error);
    // Records until stop() is asked or the stream fails. Each full buffer goes to `filled`
    // (which normally queues it again). At a requested stop the buffers still queued come back
    // through `filled` with what they hold. True after a requested stop, false on a failure.
    bool run(const std::function<void(WaveBuffer&)>& filled);
    // Asks run() to return. Safe from any thread, also before run() starts.
    void stop();
    // Disconnects and frees the stream and the connection. Safe to call twice.
    void close();

    const std::string& failure() const { return m_failure; }

  private:
    void readAvailable();
    std::size_t take(const std::uint8_t* data, std::size_t bytes);
    void wakeRun();

    PulseConnection m_connection{"Ambrin+"};
    pa_stream* m_stream = nullptr;
    std::atomic<bool> m_stopRequested{false};
    // Taken inside the connection's lock (never the other way round).
    std::mutex m_buffersMutex;
    std::condition_variable m_buffersChanged;  // run() waits on it
    std::deque<WaveBuffer*> m_queue;           // buffers to fill, the front one filling
    std::deque<WaveBuffer*> m_full;            // filled, waiting for run() to hand them back
    std::size_t m_pieceOffset = 0;             // bytes of the peeked piece already taken
    bool m_dataWaiting = false;                // the stream holds data no buffer could take
    bool m_runWoken = false;  // run() should look at the stream (a state change, a failure)
    // Guarded by the connection's lock.
    bool m_failed = false;
    std::string m_failure;
};

}  // namespace ambrin
