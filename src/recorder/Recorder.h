#pragma once

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <memory>
#include <mutex>
#include <optional>
#include <string>

#include "codec/RecordingSink.h"
#include "core/EngineEvent.h"
#include "core/EngineParts.h"
#include "platform/Clock.h"
#include "platform/WaveInput.h"
#include "platform/WorkerThread.h"
#include "recorder/CallDetector.h"
#include "recorder/CaptureTap.h"
#include "recorder/LevelBlock.h"
#include "recorder/PreRoll.h"

namespace ambrin {

class AppContext;

enum class CaptureState {
    Idle = 0,  // the device was never opened
    Running = 1,
    Stopping = 2,  // the device is being closed, or failed to open
};

// One row of the sample-format table ("OutputFormat").
struct SampleFormat {
    const char* text;
    std::uint32_t sampleRate;
    int bits;
};
inline constexpr SampleFormat kSampleFormats[] = {
    {"8000 Hz 8 bits mono", 8000, 8},   {"8000 Hz 16 bits mono", 8000, 16},
    {"16000 Hz 8 bits mono", 16000, 8}, {"16000 Hz 16 bits mono", 16000, 16},
    {"22050 Hz 8 bits mono", 22050, 8}, {"22050 Hz 16 bits mono", 22050, 16},
    {"24000 Hz 8 bits mono", 24000, 8}, {"24000 Hz 16 bits mono", 24000, 16},
    {"32000 Hz 8 bits mono", 32000, 8}, {"32000 Hz 16 bits mono", 32000, 16},
    {"44100 Hz 8 bits mono", 44100, 8}, {"44100 Hz 16 bits mono", 44100, 16},
    {"48000 Hz 8 bits mono", 48000, 8}, {"48000 Hz 16 bits mono", 48000, 16},
};
// The MP3 bit-rate table ("AudioQuality"), kbit/s.
inline constexpr int kMp3BitRates[] = {8,  16,  24,  32,  40,  48,  64,  80,
                                       96, 112, 128, 160, 192, 224, 256, 320};

// Record formats ("RecordFormat").
inline constexpr int kFormatOgg = 0;
inline constexpr int kFormatMp3 = 1;
inline constexpr int kFormatWave = 2;

// The name of a recording file: <day folder>/[<user>@]<yyyymmddhhmmss>.<ext>, with the day
// folder <database folder>/<yyyymmdd>. Characters a file name cannot hold ('/' and control
// characters) in the user name become '_', so a name can never lead outside the day folder.
std::string dayFolderFor(const std::string& databaseFolder, const SystemTime& start);
std::string recordingFileName(const std::string& dayFolder, const std::string& userName,
                              const SystemTime& start, int recordFormat);

// Keeps the sound card's input open from start-up to shutdown and captures it without a
// pause, whether or not a call is being recorded. Every captured buffer goes, in this
// order, to the current RecordingSink (only while a recording runs), to the LevelBlock, and
// to the call detector with its clock. Recording a call is installing a sink into the
// running capture and removing it again.
//
// Capture format: 8000 Hz, 16-bit signed little-endian, mono; buffers of 4096 bytes (256 ms).
//
// Threads: initialize, startRecording, stopRecording and close run on the event thread (or
// the main thread at start-up); buffers are processed on the capture thread; level() from
// any thread.
class Recorder : public RecorderInterface {
  public:
    static constexpr std::size_t kBufferBytes = 4096;
    static constexpr std::uint32_t kSampleRate = 8000;
    static constexpr std::uint32_t kBytesPerSecond = 16000;

    explicit Recorder(AppContext& context);
    ~Recorder() override;
    Recorder(const Recorder&) = delete;
    Recorder& operator=(const Recorder&) = delete;

    // Opens the device on the capture thread and starts capturing. False with lastError().
    bool initialize(InputLine line) override;
    CaptureError lastError() const override { return m_lastError.load(std::memory_order_acquire); }
    bool startRecording() override;
    void stopRecording() override;
    void close() override { stopCapture(); }

    // Installs the sink that the next captured buffer goes to, after the pre-roll; the
    // recording's clock starts now. A sink already installed is closed first.
    void installSink(std::unique_ptr<RecordingSink> sink);
    bool recording() const;

    // Stops capturing and waits for the capture thread. Safe to call twice.
    void stopCapture();

    // Hands every captured buffer also to `tap` (the caller-ID receiver), which the recorder
    // keeps until it is destroyed. Before initialize() only.
    void setCaptureTap(std::unique_ptr<CaptureTap> tap) { m_tap = std::move(tap); }
    CaptureTap* captureTap() const { return m_tap.get(); }

    void setRecordMode(int mode);
    int recordMode() const { return m_recordMode.load(std::memory_order_relaxed); }
    // Takes over "RecordMode", "StartSoundValue", "EndSoundValue" and "PreRecordTime" (the
    // options were confirmed); effective from the next buffer.
    void reloadDetectionSettings();

    // Full path of the current (or last) recording; kept after a failed start.
    std::string fileName() const override;
    // The declared format of the last start: sample rate, and bits (WAVE) or kbit/s (MP3).
    std::uint32_t sampleRate() const { return m_sampleRate; }
    int bitsOrBitRate() const { return m_bits; }
    // Bytes that the pre-roll holds in memory.
    std::size_t preRollCapacityBytes() const;

    CaptureState captureState() const { return m_state.load(std::memory_order_acquire); }
    bool captureThreadRunning() const { return m_thread.isRunning(); }
    LevelBlock::Snapshot level() const { return m_levelBlock.snapshot(); }
    // Bytes captured since the device opened: the audio clock (16000 bytes a second).
    std::uint64_t capturedBytes() const { return m_capturedBytes.load(std::memory_order_acquire); }
    // Why the device failed, for messages and the console.
    std::string failure() const;

  private:
    void captureLoop();
    CaptureError openDevice(bool initial);
    // Waits before the next reconnection attempt; false when the capture is to stop.
    bool waitBeforeReconnecting(std::chrono::seconds delay);
    void checkDiskSpace();
    void onBuffer(WaveBuffer& buffer);
    void readDetectionSettings();
    std::unique_ptr<RecordingSink> makeSink(int recordFormat, const std::string& path);
    void installLocked(std::unique_ptr<RecordingSink> sink, std::int64_t startMilliseconds);
    void post(std::unique_ptr<EngineEvent> event);

    AppContext& m_context;
    InputLine m_input = InputLine::Microphone;

    mutable std::mutex m_lock;  // guards m_sink, m_returnedBuffers and the device's queue
    std::unique_ptr<RecordingSink> m_sink;
    std::atomic<CaptureState> m_state{CaptureState::Idle};
    std::uint8_t m_returnedBuffers = 0;  // buffers that came back while stopping

    WaveInput m_device;  // used on the capture thread; stop() from others
    WorkerThread m_thread;
    std::unique_ptr<std::uint8_t[]> m_block;  // both 4096-byte areas, allocated once
    WaveBuffer m_headers[2];
    LevelBlock m_levelBlock;
    std::unique_ptr<CaptureTap> m_tap;  // set before the capture thread starts

    // Open's wait for the capture thread's verdict.
    mutable std::mutex m_openMutex;  // guards m_openResult and m_failure
    std::condition_variable m_opened;
    std::optional<CaptureError> m_openResult;
    std::string m_failure;

    std::atomic<CaptureError> m_lastError{CaptureError::None};
    std::atomic<std::uint64_t> m_capturedBytes{0};
    // Detection settings, read at open and when the options change; the capture thread reads
    // them without a lock.
    std::atomic<int> m_recordMode{0};
    std::atomic<int> m_startLevel{20};
    std::atomic<int> m_endLevel{2};
    std::atomic<int> m_timeOfCallEnd{5};
    std::condition_variable m_reconnect;  // wakes a reconnection wait at StopCapture (m_openMutex)
    std::atomic<int> m_preRollMilliseconds{500};

    // Under m_lock: the detector and clock, the pre-roll, the recording's file name.
    CallDetector m_detector;
    PreRoll m_preRoll;
    std::string m_fileName;
    bool m_sinkFailed = false;            // the current sink could not write; reported once
    std::uint32_t m_recordedBuffers = 0;  // buffers of the current recording, for checkpoints
    std::string m_databaseFolder;         // where recordings go, for the free-space watch
    std::uint32_t m_buffersSinceDiskCheck = 0;
    bool m_diskLowReported = false;
    // Declared format of the last start (event thread only).
    std::uint32_t m_sampleRate = 8000;
    int m_bits = 16;
};

}  // namespace ambrin
