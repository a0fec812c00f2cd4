#pragma once

#include <atomic>
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
// Everything but stop() runs on one thread, the one that calls run(): the device fills the
// queued buffers in order, whole, from whatever pieces the server delivers (a hole the server
// reports becomes silence, so time is kept), and hands each full buffer back on that thread.
// The connection's own thread only wakes run() when data or a state change arrives.
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

    // Bytes the server delivered that no queued buffer could take (only while stopping).
    std::uint64_t droppedBytes() const { return m_dropped; }
    const std::string& failure() const { return m_failure; }

  private:
    void readAvailable();
    void take(const std::uint8_t* data, std::size_t bytes);

    PulseConnection m_connection{"Ambrin+"};
    std::mutex m_connectedMutex;  // guards m_connected
    bool m_connected = false;     // m_connection may be locked by stop()
    pa_stream* m_stream = nullptr;
    std::atomic<bool> m_stopRequested{false};
    std::deque<WaveBuffer*> m_queue;  // run thread only
    // What run() waits for: the bytes that fill the front buffer. The server's smaller
    // deliveries in between do not wake it (read on the connection's thread).
    std::atomic<std::size_t> m_wakeBytes{1};
    const std::function<void(WaveBuffer&)>* m_filled = nullptr;
    std::uint64_t m_dropped = 0;
    bool m_failed = false;
    std::string m_failure;
};

}  // namespace ambrin
