#pragma once

#include <atomic>
#include <chrono>
#include <cstdint>
#include <deque>
#include <mutex>
#include <optional>
#include <vector>

#include "platform/WaveOutput.h"
#include "recorder/streaming/ByteBuffer.h"
#include "recorder/streaming/Stage.h"
#include "recorder/streaming/StreamItemQueue.h"

namespace ambrin {

class VorbisDecoder;

// The last stage: hands the decoder's PCM to the wave-output device in buffers of the format
// item's size (16384 bytes), keeps those bytes in its input until the device has played them,
// reports the position once per whole second (23) and the end of the file (21).
//
// Threads: connect, setPaused and rewind on the player's thread (rewind only while held); the
// loop on the renderer's thread; the device's done callback on the device thread, which only
// flips a buffer's played mark under the header mutex and wakes the loop.
class WaveRenderer : public Stage {
  public:
    static constexpr std::size_t kMaxBuffersAtOnce = 8;
    // While audio plays, the loop looks at the position at least this often.
    static constexpr std::chrono::milliseconds kReportInterval{100};

    explicit WaveRenderer(StreamNotifier& notifier);
    ~WaveRenderer() override;

    void connect(VorbisDecoder& decoder);
    // Pauses or resumes the device; takes effect on the renderer's thread at once.
    void setPaused(bool paused);
    // While held: resets the device, gives every buffer back to the input and forgets the
    // position. With `announce` the next position is posted even if it is the same whole
    // second (after a seek); without it position 0 stays silent as at the start.
    void rewind(bool announce);

  protected:
    void run() override;
    void wakeWaits() override;

  private:
    struct Slot {
        WaveHeader header;
        bool inUse = false;
    };

    void onPlayed(WaveHeader* header);
    void recycle();
    bool takeItems();
    bool openDevice(const StreamItem& format);
    void applyPause();
    void handAudio();
    void report();
    void checkEnd();
    double byteRate() const;

    ByteBuffer* m_input = nullptr;
    StreamItemQueue* m_items = nullptr;
    WaveOutput m_device;
    std::atomic<bool> m_pauseAsked{false};  // set by the player, applied by the loop

    std::mutex m_headerMutex;    // guards m_played: the device thread sets the marks
    std::vector<char> m_played;  // per slot

    // The renderer's thread (and the player's while the renderer is held).
    std::vector<Slot> m_slots;
    std::deque<int> m_inFlight;          // slots with the device, in play order
    std::optional<StreamItem> m_format;  // of the open device
    bool m_corked = false;
    std::uint64_t m_consumed = 0;           // input bytes handed to the device since the rewind
    std::uint64_t m_deviceBase = 0;         // input offset of the device's byte 0
    std::optional<StreamItem> m_firstTime;  // the first time item since the start or reset
    bool m_startKnown = false;
    double m_start = 0;  // seconds at the device's byte 0
    double m_lastPosition = -1;
    std::int64_t m_lastPosted = 0;  // whole seconds; position 0 is not announced
    bool m_endPosted = false;
};

}  // namespace ambrin
