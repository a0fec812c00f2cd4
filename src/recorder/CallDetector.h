#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>

namespace ambrin {

// Hours, minutes and seconds of a recording's elapsed time.
struct ElapsedTime {
    int hours = 0;
    int minutes = 0;
    int seconds = 0;
    bool operator==(const ElapsedTime&) const = default;
};

// Recognises calls from the signal alone: a sample above the start level asks for a
// recording; during a recording, silence (no sample above the end level) for longer than
// the call-end time asks for its end. Also keeps the recording's elapsed-time clock.
//
// Time is the audio clock: a recording's start is anchored at the wall-clock time and the
// captured byte count of that moment, and every later moment is that time plus the bytes
// captured since (16000 a second). Elapsed time and silence are whole-second differences of
// that clock, so a live line gives real time, across midnight and clock changes alike, and
// audio fed faster than real time gives audio time.
//
// Used on the capture thread under the recorder's lock; recordingStarted() is called on the
// event thread under the same lock.
class CallDetector {
  public:
    static constexpr std::uint64_t kBytesPerSecond = 16000;

    // The level of a sample on the 0 to 100 scale: sample × 100/32767 in single precision,
    // truncated toward zero (so -100 to 99; silence is 0, negative samples are never loud).
    static int levelOf(std::int16_t sample);

    struct Settings {
        bool automatic = true;
        int startLevel = 20;
        int endLevel = 2;
        int timeOfCallEnd = 8;  // seconds; 0 or less switches the call-end rule off
    };

    struct Verdict {
        bool startRequest = false;           // ask for a recording to start
        bool stopRequest = false;            // ask for the recording to end
        std::optional<ElapsedTime> elapsed;  // a new whole second of elapsed time
    };

    // A recording starts now: `capturedBytes` on the audio clock, `wallMilliseconds` since
    // the epoch. In automatic mode the last sound time becomes the start time.
    void recordingStarted(std::uint64_t capturedBytes, std::int64_t wallMilliseconds,
                          bool automatic);

    // One captured buffer. `examined` are the samples published to the level block (the first
    // 512 at most); `capturedBytes` is the clock after this buffer; `recording` is true while a
    // sink is installed and the capture runs.
    Verdict onBuffer(const std::int16_t* examined, std::size_t count, std::uint64_t capturedBytes,
                     bool recording, const Settings& settings);

  private:
    std::int64_t clockMilliseconds(std::uint64_t capturedBytes) const;
    static std::int64_t wholeSeconds(std::int64_t milliseconds);

    std::uint64_t m_startBytes = 0;
    std::int64_t m_startMilliseconds = 0;
    std::int64_t m_lastSoundMilliseconds = 0;
    ElapsedTime m_lastShown;
};

}  // namespace ambrin
