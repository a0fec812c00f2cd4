#pragma once

#include <array>
#include <atomic>
#include <cstdint>
#include <memory>
#include <string>
#include <thread>

#include "recorder/CaptureTap.h"

struct adsi_rx_state_s;
struct dtmf_rx_state_s;

namespace ambrin {

class AppContext;

// Reads the caller's number off the line and the digits dialled on it. Copies of the
// captured buffers reach a worker thread through a fixed ring of slots: the capture thread
// fills a free slot or, when the worker has fallen behind and none is free, drops the
// buffer and counts it; it never waits. The worker runs spandsp's caller-ID receivers
// (Bell 202 FSK, ETSI V.23 FSK, DTMF caller ID) and a DTMF receiver over them.
//
// A number belongs to the recording that starts at most 30 s after it arrived, or to the
// recording in whose first 15 s it arrives. Digits dialled in a recording's first 15 s
// (a run of digits with no caller-ID framing, ended by 3 s without a digit) are the number
// that was called. Either is told once per recording as a CallerNumberEvent to the event
// sink. All times are those of the captured audio (the capture clock), so they hold
// however late the worker runs.
class CallerIdReceiver : public CaptureTap {
  public:
    static constexpr std::uint64_t kBytesPerSecond = 16000;
    static constexpr std::uint64_t kBeforeCall = 30 * kBytesPerSecond;
    static constexpr std::uint64_t kFirstSeconds = 15 * kBytesPerSecond;
    static constexpr std::uint64_t kDigitGap = 3 * kBytesPerSecond;
    static constexpr std::size_t kSlots = 32;  // 8 s of audio
    static constexpr std::size_t kSlotBytes = 4096;
    // A buffer whose every sample stays within this is quiet: far below what any of the
    // receivers can hear (about -51 dBm0). After 2 s of quiet line they are left idle until
    // the line brings sound again; what they were in the middle of has ended by then.
    static constexpr int kQuietPeak = 64;
    static constexpr std::uint64_t kQuietBeforeIdle = 2 * kBytesPerSecond;

    // Tells its numbers to the context's event sink (when there is one).
    explicit CallerIdReceiver(AppContext& context);
    ~CallerIdReceiver() override;
    CallerIdReceiver(const CallerIdReceiver&) = delete;
    CallerIdReceiver& operator=(const CallerIdReceiver&) = delete;

    // Capture thread. Never blocks.
    void offer(const std::uint8_t* data, std::size_t bytes, std::uint64_t clock,
               bool recording) noexcept override;

    // Buffers dropped because the worker was behind.
    std::uint64_t dropped() const { return m_dropped.load(std::memory_order_relaxed); }
    // Buffers the worker has decoded.
    std::uint64_t decoded() const { return m_decoded.load(std::memory_order_acquire); }
    // Holds the worker (as a slow machine would); offered buffers then pile up and drop.
    void suspend() { m_suspended.store(true, std::memory_order_release); }
    void resume();

  private:
    struct Slot {
        std::array<std::uint8_t, kSlotBytes> data;
        std::size_t bytes = 0;
        std::uint64_t clock = 0;
        std::uint64_t call = 0;  // recordings started up to this buffer
        std::uint64_t callStart = 0;
        bool recording = false;
    };

    void run();
    void decode(const Slot& slot);
    void heard(const std::string& number);
    void tell(const std::string& number, bool dialled);
    void digitsEnded();
    static void onMessage(void* self, const std::uint8_t* message, int length);
    static void onDigits(void* self, const char* digits, int length);

    AppContext& m_context;
    std::unique_ptr<Slot[]> m_slots;
    // Single producer (capture thread), single consumer (worker). The producer writes a
    // slot, then publishes it by a release store of m_head; the consumer reads m_head with
    // acquire, decodes, then frees the slot by a release store of m_tail, which the producer
    // reads with acquire before reusing it.
    std::atomic<std::uint64_t> m_head{0};
    std::atomic<std::uint64_t> m_tail{0};
    // Bumped (and notified) after every publish and at the end: the worker sleeps on it.
    std::atomic<std::uint32_t> m_signal{0};
    std::atomic<bool> m_stop{false};
    std::atomic<bool> m_suspended{false};
    std::atomic<std::uint64_t> m_dropped{0};
    std::atomic<std::uint64_t> m_decoded{0};

    // Capture thread only: the recording in progress as the buffers show it.
    bool m_wasRecording = false;
    std::uint64_t m_calls = 0;
    std::uint64_t m_callStart = 0;

    // Worker only.
    adsi_rx_state_s* m_bell = nullptr;
    adsi_rx_state_s* m_v23 = nullptr;
    adsi_rx_state_s* m_dtmfId = nullptr;
    dtmf_rx_state_s* m_dtmf = nullptr;
    std::uint64_t m_now = 0;      // capture clock of the buffer being decoded
    bool m_recordingNow = false;  // whether that buffer went into a recording
    std::uint64_t m_call = 0;     // recordings started so far
    std::uint64_t m_callStartAt = 0;
    std::uint64_t m_toldCall = 0;  // the recording last told a number (0: none)
    std::string m_heardNumber;     // the last caller's number, waiting for its recording
    std::uint64_t m_heardAt = 0;
    bool m_heardWaiting = false;
    std::string m_digits;  // a run of DTMF digits in progress
    std::uint64_t m_digitsStart = 0;
    std::uint64_t m_lastDigitAt = 0;
    std::uint64_t m_lastSoundAt = 0;  // capture clock of the last buffer that was not quiet

    std::thread m_worker;  // last: starts when everything above exists
};

}  // namespace ambrin
