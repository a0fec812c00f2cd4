#include "recorder/Recorder.h"

#include <sys/stat.h>

#include <cerrno>
#include <chrono>
#include <cstdio>
#include <new>

#include "codec/Mp3Library.h"
#include "codec/Mp3Sink.h"
#include "codec/OggSink.h"
#include "codec/ResamplingSink.h"
#include "codec/WavSink.h"
#include "core/AppContext.h"
#include "core/RecordingJournal.h"
#include "core/SettingsStore.h"
#include "platform/DiskSpace.h"
#include "recorder/InputMixer.h"

namespace ambrin {

namespace {

std::string datePart(const SystemTime& t) {
    char buffer[32];
    std::snprintf(buffer, sizeof buffer, "%d%02d%02d", t.year, t.month, t.day);
    return buffer;
}

constexpr std::uint32_t kCheckpointBuffers = 20;  // about 5 s of audio
constexpr std::uint32_t kDiskCheckBuffers = 40;   // about 10 s
constexpr std::uint64_t kDiskLowBytes = 40ull << 20;
constexpr auto kLongestReconnectDelay = std::chrono::seconds(30);

std::string recordKeyOf(const SystemTime& t) {
    char key[48];
    std::snprintf(key, sizeof key, "%d%02d%02d%02d%02d%02d", t.year, t.month, t.day, t.hour,
                  t.minute, t.second);
    return key;
}

std::int64_t epochMilliseconds() {
    return std::chrono::duration_cast<std::chrono::milliseconds>(
               std::chrono::system_clock::now().time_since_epoch())
        .count();
}

}  // namespace

std::string dayFolderFor(const std::string& databaseFolder, const SystemTime& start) {
    std::string folder = databaseFolder;
    if (folder.empty() || folder.back() != '/') {
        folder += '/';
    }
    return folder + datePart(start);
}

std::string recordingFileName(const std::string& dayFolder, const std::string& userName,
                              const SystemTime& start, int recordFormat) {
    const char* extension = recordFormat == kFormatOgg   ? ".ogg"
                            : recordFormat == kFormatMp3 ? ".mp3"
                                                         : ".wav";
    std::string name = dayFolder + "/";
    if (!userName.empty()) {
        for (const char c : userName) {
            name += (c == '/' || static_cast<unsigned char>(c) < 0x20) ? '_' : c;
        }
        name += '@';
    }
    char stamp[48];
    std::snprintf(stamp, sizeof stamp, "%s%02d%02d%02d", datePart(start).c_str(), start.hour,
                  start.minute, start.second);
    return name + stamp + extension;
}

Recorder::Recorder(AppContext& context) : m_context(context) {
    m_preRoll.configure(PreRoll::buffersFor(m_preRollMilliseconds.load()));
}

Recorder::~Recorder() {
    stopCapture();
    std::unique_ptr<RecordingSink> sink;
    {
        std::lock_guard lock(m_lock);
        sink = std::move(m_sink);
    }
    if (sink) {
        sink->close();
    }
    m_thread.wait();
}

bool Recorder::initialize(InputLine line) {
    m_input = line;
    // Selecting the input source on the mixer may fail without consequence for capture.
    InputMixer::selectInputSource(line);
    // Before the first buffer: a loud first moment must not start a recording in manual mode.
    readDetectionSettings();
    {
        std::lock_guard lock(m_openMutex);
        m_openResult.reset();
    }
    if (!m_thread.isRunning() && !m_thread.start([this] { captureLoop(); })) {
        std::lock_guard lock(m_lock);
        m_sink.reset();
        m_lastError.store(CaptureError::ThreadFailed, std::memory_order_release);
        return false;
    }
    CaptureError result = CaptureError::None;
    {
        std::unique_lock lock(m_openMutex);
        m_opened.wait(lock, [this] { return m_openResult.has_value(); });
        result = *m_openResult;
    }
    m_lastError.store(result, std::memory_order_release);
    if (result != CaptureError::None) {
        m_thread.wait();
        return false;
    }
    if (m_context.settings != nullptr) {
        std::lock_guard lock(m_lock);
        m_databaseFolder = m_context.settings->stringOr(setting::kDatabasePath, "");
    }
    return true;
}

void Recorder::readDetectionSettings() {
    if (m_context.settings == nullptr) {
        return;
    }
    m_recordMode.store(m_context.settings->intOr(setting::kRecordMode, 0),
                       std::memory_order_relaxed);
    m_startLevel.store(m_context.settings->intOr(setting::kStartSoundValue, 20),
                       std::memory_order_relaxed);
    m_endLevel.store(m_context.settings->intOr(setting::kEndSoundValue, 2),
                     std::memory_order_relaxed);
    const int preRoll = m_context.settings->intOr(setting::kPreRecordTime, 500);
    if (preRoll != m_preRollMilliseconds.exchange(preRoll)) {
        std::lock_guard lock(m_lock);
        m_preRoll.configure(PreRoll::buffersFor(preRoll));
    }
}

void Recorder::reloadDetectionSettings() {
    readDetectionSettings();
}

std::size_t Recorder::preRollCapacityBytes() const {
    std::lock_guard lock(m_lock);
    return m_preRoll.capacityBytes();
}

std::string Recorder::fileName() const {
    std::lock_guard lock(m_lock);
    return m_fileName;
}

void Recorder::post(std::unique_ptr<EngineEvent> event) {
    if (m_context.events != nullptr) {
        m_context.events->postEvent(std::move(event));
    }
}

CaptureError Recorder::openDevice(bool initial) {
    std::string why;
    if (!m_device.open(kSampleRate, &why)) {
        if (initial) {
            m_state.store(CaptureState::Stopping, std::memory_order_release);
        }
        m_device.close();
        std::lock_guard lock(m_openMutex);
        m_failure = why;
        return CaptureError::OpenFailed;
    }
    if (initial) {
        m_state.store(CaptureState::Running, std::memory_order_release);
    }
    if (!m_block) {
        m_block.reset(new (std::nothrow) std::uint8_t[2 * kBufferBytes]);
        if (!m_block) {
            m_state.store(CaptureState::Stopping, std::memory_order_release);
            m_device.close();
            return CaptureError::BlockFailed;
        }
    }
    for (int i = 0; i < 2; ++i) {
        m_headers[i].data = m_block.get() + i * kBufferBytes;
        m_headers[i].size = kBufferBytes;
        m_headers[i].bytesRecorded = 0;
    }
    {
        std::lock_guard lock(m_lock);
        m_returnedBuffers = 0;
        m_device.queue(&m_headers[0]);
        m_device.queue(&m_headers[1]);
    }
    if (!m_device.start(kBufferBytes, &why)) {
        if (initial) {
            m_state.store(CaptureState::Stopping, std::memory_order_release);
        }
        m_device.close();
        std::lock_guard lock(m_openMutex);
        m_failure = why;
        return CaptureError::StartFailed;
    }
    return CaptureError::None;
}

void Recorder::captureLoop() {
    nameThisThread("capture");
    const CaptureError result = openDevice(true);
    {
        std::lock_guard lock(m_openMutex);
        m_openResult = result;
    }
    m_opened.notify_all();
    if (result != CaptureError::None) {
        return;
    }
    for (;;) {
        // A stop asked for while the device was opening is honoured here.
        if (captureState() == CaptureState::Stopping) {
            m_device.stop();
        }
        const bool stoppedOnRequest =
            m_device.run([this](WaveBuffer& buffer) { onBuffer(buffer); });
        m_device.close();
        if (stoppedOnRequest || captureState() == CaptureState::Stopping) {
            break;
        }
        // The server went away or ended the stream (restarted, adapter unplugged): the call in
        // progress is stored, and the input is opened again with a growing delay until it is back.
        {
            std::lock_guard lock(m_openMutex);
            m_failure = m_device.failure();
        }
        post(std::make_unique<EngineEvent>(EventCode::CaptureLost));
        auto delay = std::chrono::seconds(1);
        bool back = false;
        while (!back) {
            if (!waitBeforeReconnecting(delay)) {
                m_state.store(CaptureState::Stopping, std::memory_order_release);
                return;
            }
            delay = std::min(delay * 2, kLongestReconnectDelay);
            back = openDevice(false) == CaptureError::None;
        }
        InputMixer::selectInputSource(m_input);
        post(std::make_unique<EngineEvent>(EventCode::CaptureBack));
    }
    m_state.store(CaptureState::Stopping, std::memory_order_release);
}

bool Recorder::waitBeforeReconnecting(std::chrono::seconds delay) {
    std::unique_lock lock(m_openMutex);
    return !m_reconnect.wait_for(lock, delay,
                                 [this] { return captureState() == CaptureState::Stopping; });
}

void Recorder::checkDiskSpace() {
    if (++m_buffersSinceDiskCheck < kDiskCheckBuffers || m_databaseFolder.empty()) {
        return;
    }
    m_buffersSinceDiskCheck = 0;
    const auto free = freeDiskBytes(m_databaseFolder);
    if (!free) {
        return;
    }
    if (*free <= kDiskLowBytes && !m_diskLowReported) {
        m_diskLowReported = true;
        post(std::make_unique<EngineEvent>(EventCode::DiskLow));
    } else if (*free > kDiskLowBytes) {
        m_diskLowReported = false;  // warn again should it fall once more
    }
}

void Recorder::onBuffer(WaveBuffer& buffer) {
    std::lock_guard lock(m_lock);
    const bool stopping = captureState() == CaptureState::Stopping;
    if (buffer.bytesRecorded != 0) {
        const bool recording = m_sink && !stopping;
        if (recording && !m_sinkFailed) {
            bool written = m_sink->write(reinterpret_cast<const std::int16_t*>(buffer.data),
                                         buffer.bytesRecorded);
            if (written && ++m_recordedBuffers % kCheckpointBuffers == 0) {
                written = m_sink->checkpoint();
            }
            if (!written) {
                // The file cannot take more (disk full): what it holds is ended and stored by
                // the event thread; nothing more is written into it.
                m_sinkFailed = true;
                post(std::make_unique<EngineEvent>(EventCode::RecordingFailed));
            }
        } else if (!m_sink) {
            m_preRoll.push(buffer.data, buffer.bytesRecorded);
        }
        m_levelBlock.publish(buffer.data, buffer.bytesRecorded);
        checkDiskSpace();
        const std::uint64_t clock =
            m_capturedBytes.fetch_add(buffer.bytesRecorded, std::memory_order_acq_rel) +
            buffer.bytesRecorded;
        if (m_tap) {
            m_tap->offer(buffer.data, buffer.bytesRecorded, clock, recording);
        }

        // The detector examines what the level block holds: the buffer's first 512 samples.
        std::int16_t examined[LevelBlock::kPublishedBytes / 2];
        const std::size_t count = std::min(buffer.bytesRecorded, LevelBlock::kPublishedBytes) / 2;
        for (std::size_t i = 0; i < count; ++i) {
            examined[i] = static_cast<std::int16_t>(
                static_cast<std::uint16_t>(buffer.data[2 * i] | (buffer.data[2 * i + 1] << 8)));
        }
        CallDetector::Settings settings;
        settings.automatic = m_recordMode.load(std::memory_order_relaxed) == 0;
        settings.startLevel = m_startLevel.load(std::memory_order_relaxed);
        settings.endLevel = m_endLevel.load(std::memory_order_relaxed);
        settings.timeOfCallEnd = m_timeOfCallEnd.load(std::memory_order_relaxed);
        const CallDetector::Verdict verdict =
            m_detector.onBuffer(examined, count, clock, recording, settings);
        if (verdict.elapsed) {
            post(std::make_unique<TimeEvent>(verdict.elapsed->hours, verdict.elapsed->minutes,
                                             verdict.elapsed->seconds, 0.0));
        }
        if (verdict.stopRequest) {
            post(std::make_unique<EngineEvent>(EventCode::Stop));
        }
        if (verdict.startRequest && !m_sink) {
            m_preRoll.markTrigger();
            post(std::make_unique<EngineEvent>(EventCode::Record));
        }
    }
    if (stopping) {
        ++m_returnedBuffers;
    } else {
        m_device.queue(&buffer);
    }
}

std::unique_ptr<RecordingSink> Recorder::makeSink(int recordFormat, const std::string& path) {
    if (recordFormat == kFormatOgg) {
        // Always 8000 Hz mono, whatever the sample-format table says.
        auto ogg = std::make_unique<OggSink>();
        return ogg->open(path) ? std::move(ogg) : nullptr;
    }
    if (recordFormat == kFormatMp3) {
        // The encoder library is needed at every start; without it the start fails.
        auto mp3 = std::make_unique<Mp3Sink>(Mp3Library::load(m_context.programFolder), m_bits,
                                             m_sampleRate);
        return mp3->open(path) ? std::move(mp3) : nullptr;
    }
    const bool asCaptured = m_sampleRate == kSampleRate && m_bits == 16;
    auto wav = std::make_unique<WavSink>(1, static_cast<std::uint16_t>(m_bits), m_sampleRate, 0);
    if (!wav->open(path)) {
        return nullptr;
    }
    if (asCaptured) {
        return wav;
    }
    // The file declares another rate or 8 bits: convert, so it plays at the right speed.
    auto converting =
        std::make_unique<ResamplingSink>(std::move(wav), kSampleRate, m_sampleRate, m_bits);
    if (!converting->valid()) {
        converting->close();
        std::remove(path.c_str());
        return nullptr;
    }
    return converting;
}

bool Recorder::startRecording() {
    if (m_context.settings == nullptr) {
        return false;
    }
    SettingsStore& settings = *m_context.settings;
    std::string databaseFolder;
    settings.readString(setting::kDatabasePath, databaseFolder);
    const SystemTime start = localTime();
    const std::int64_t startMilliseconds = epochMilliseconds();

    // One level only: the database folder itself must exist.
    const std::string dayFolder = dayFolderFor(databaseFolder, start);
    ::mkdir(dayFolder.c_str(), 0755);

    m_timeOfCallEnd.store(settings.intOr(setting::kTimeOfCallEnd, 8), std::memory_order_relaxed);
    const int recordFormat = settings.intOr(setting::kRecordFormat, kFormatMp3);
    const int outputFormat = settings.intOr(setting::kOutputFormat, 1);
    const int audioQuality = settings.intOr(setting::kAudioQuality, 1);
    if (outputFormat >= 0 && outputFormat < static_cast<int>(std::size(kSampleFormats))) {
        m_sampleRate = kSampleFormats[outputFormat].sampleRate;
        m_bits = kSampleFormats[outputFormat].bits;
    }
    if (recordFormat == kFormatMp3 && audioQuality >= 0 &&
        audioQuality < static_cast<int>(std::size(kMp3BitRates))) {
        m_bits = kMp3BitRates[audioQuality];
    }
    std::string userName;
    settings.readString(setting::kUserName, userName);

    std::unique_ptr<RecordingSink> sink;
    if (recordFormat == kFormatOgg || recordFormat == kFormatMp3 || recordFormat == kFormatWave) {
        const std::string path = recordingFileName(dayFolder, userName, start, recordFormat);
        {
            std::lock_guard lock(m_lock);
            m_fileName = path;  // kept even when the file cannot be made
        }
        sink = makeSink(recordFormat, path);
    }
    if (sink) {
        // Named beside the database until it is stored, so a crash cannot lose it.
        writeRecordingJournal(m_context, {fileName(), recordKeyOf(start)});
    }
    std::lock_guard lock(m_lock);
    m_databaseFolder = databaseFolder;
    if (!sink) {
        m_preRoll.clearTrigger();
        return false;
    }
    installLocked(std::move(sink), startMilliseconds);
    return true;
}

void Recorder::installSink(std::unique_ptr<RecordingSink> sink) {
    std::unique_ptr<RecordingSink> previous;
    {
        std::lock_guard lock(m_lock);
        previous = std::move(m_sink);
        installLocked(std::move(sink), epochMilliseconds());
    }
    if (previous) {
        previous->close();
    }
}

void Recorder::installLocked(std::unique_ptr<RecordingSink> sink, std::int64_t startMilliseconds) {
    // The audio from before the start goes first, then the live buffers.
    m_preRoll.drainInto([&sink](const std::uint8_t* data, std::size_t bytes) {
        sink->write(reinterpret_cast<const std::int16_t*>(data), bytes);
    });
    m_sink = std::move(sink);
    m_sinkFailed = false;
    m_recordedBuffers = 0;
    m_detector.recordingStarted(m_capturedBytes.load(std::memory_order_acquire), startMilliseconds,
                                m_recordMode.load(std::memory_order_relaxed) == 0);
}

bool Recorder::recording() const {
    std::lock_guard lock(m_lock);
    return m_sink != nullptr;
}

void Recorder::stopRecording() {
    std::lock_guard lock(m_lock);
    if (m_sink) {
        m_sink->close();
        m_sink.reset();
    }
}

void Recorder::stopCapture() {
    {
        std::lock_guard lock(m_lock);
        if (captureState() == CaptureState::Running) {
            m_state.store(CaptureState::Stopping, std::memory_order_release);
        }
    }
    m_device.stop();
    {
        std::lock_guard lock(m_openMutex);  // a reconnection wait sees the state under this lock
    }
    m_reconnect.notify_all();
    m_thread.wait();
}

void Recorder::setRecordMode(int mode) {
    m_recordMode.store(mode, std::memory_order_relaxed);
    if (m_context.settings != nullptr) {
        m_context.settings->writeInt(setting::kRecordMode, mode);
    }
}

std::string Recorder::failure() const {
    std::lock_guard lock(m_openMutex);
    return m_failure;
}

}  // namespace ambrin
