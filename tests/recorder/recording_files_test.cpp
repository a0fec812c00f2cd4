// Recording files and calls that start and end by themselves: the real recorder on the
// private sound server's line, driven by the real engine controller.

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <condition_variable>
#include <cstdio>
#include <filesystem>
#include <thread>

#include "app/EngineController.h"
#include "codec/WavReader.h"
#include "core/AppContext.h"
#include "core/SettingsStore.h"
#include "platform/MessageBox.h"
#include "recorder/Recorder.h"
#include "support/AudioLine.h"

namespace ambrin {
namespace {

using namespace std::chrono_literals;

TEST(RecordingFileNames, DayFolderUserAndFormat) {
    SystemTime t;
    t.year = 2012;
    t.month = 7;
    t.day = 31;
    t.hour = 9;
    t.minute = 5;
    t.second = 3;
    const std::string day = dayFolderFor("/calls/db", t);
    EXPECT_EQ(day, "/calls/db/20120731");
    EXPECT_EQ(dayFolderFor("/calls/db/", t), day);
    EXPECT_EQ(recordingFileName(day, "", t, kFormatWave), "/calls/db/20120731/20120731090503.wav");
    EXPECT_EQ(recordingFileName(day, "Kim", t, kFormatOgg),
              "/calls/db/20120731/Kim@20120731090503.ogg");
    EXPECT_EQ(recordingFileName(day, "김", t, kFormatMp3),
              "/calls/db/20120731/김@20120731090503.mp3");
    // A user name never leads out of the day folder.
    EXPECT_EQ(recordingFileName(day, "../../etc/x", t, kFormatWave),
              "/calls/db/20120731/.._.._etc_x@20120731090503.wav");
}

// The broadcasts a window saw.
class EventLog {
  public:
    void add(EventCode code) {
        std::lock_guard lock(m_mutex);
        m_codes.push_back(code);
        m_changed.notify_all();
    }
    bool waitFor(EventCode code, std::chrono::milliseconds timeout = 20s) {
        std::unique_lock lock(m_mutex);
        return m_changed.wait_for(lock, timeout, [&] {
            return std::find(m_codes.begin(), m_codes.end(), code) != m_codes.end();
        });
    }
    std::vector<EventCode> codes() {
        std::lock_guard lock(m_mutex);
        return m_codes;
    }
    void clear() {
        std::lock_guard lock(m_mutex);
        m_codes.clear();
    }

  private:
    std::mutex m_mutex;
    std::condition_variable m_changed;
    std::vector<EventCode> m_codes;
};

class LoggingWindow : public MainWindowInterface {
  public:
    LoggingWindow(AppContext& context, EventLog& log) : m_context(context), m_log(log) {}
    bool start() override {
        m_context.registry->registerObject("MainWindow", std::make_shared<MainWindowObject>(this));
        return true;
    }
    void onEvent(const EngineEvent& event) override { m_log.add(event.code()); }
    std::string selectedFile() override { return {}; }
    void performAction(std::string_view) override {}
    void openManual() override {}

  private:
    AppContext& m_context;
    EventLog& m_log;
};

class RecordingFilesTest : public test::EnvironmentTest {
  protected:
    RecordingFilesTest() : line(env), settings(env.path("opt") + "/") {
        settings.writeBool(setting::kAutoVolume, true);
        settings.writeInt(setting::kRecordFormat, kFormatWave);
        settings.writeString(setting::kDatabasePath, env.path("calls"));
        ::mkdir(env.path("calls").c_str(), 0755);
        context.settings = &settings;
        context.programFolder = env.path("opt") + "/";
        setMessagePresenter([this](const MessageRequest& request) {
            std::lock_guard lock(m_messagesMutex);
            m_messages.push_back(request.text);
            return kIdOk;
        });
    }
    ~RecordingFilesTest() override {
        controller.reset();
        setMessagePresenter({});
    }

    void startEngine() {
        EngineParts parts;
        parts.makeMainWindow = [this](AppContext& c) {
            return std::make_unique<LoggingWindow>(c, log);
        };
        parts.makeRecorder = [this](AppContext& c) {
            auto made = std::make_unique<Recorder>(c);
            recorder = made.get();
            return made;
        };
        controller = std::make_unique<EngineController>(context, parts);
        controller->start();
        ASSERT_NE(recorder, nullptr);
        ASSERT_EQ(recorder->lastError(), CaptureError::None) << recorder->failure();
    }

    // Waits until `seconds` of line audio have been captured beyond `from`, in whole buffers
    // (a last partial buffer waits for more audio).
    void waitAudio(std::uint64_t from, double seconds) {
        const auto wanted = static_cast<std::uint64_t>(seconds * 16000);
        const auto target = from + wanted / Recorder::kBufferBytes * Recorder::kBufferBytes;
        const auto deadline = std::chrono::steady_clock::now() + 30s;
        while (recorder->capturedBytes() < target && std::chrono::steady_clock::now() < deadline) {
            std::this_thread::sleep_for(2ms);
        }
        ASSERT_GE(recorder->capturedBytes(), target);
    }

    // What a refused start leaves to look at: the name it chose, whether that file exists,
    // what the recording folder holds, and the events so far.
    std::string startRefusal() {
        std::string text = "file " + recorder->fileName();
        std::error_code error;
        text += std::filesystem::exists(recorder->fileName(), error) ? " (exists)" : " (absent)";
        for (const auto& entry :
             std::filesystem::recursive_directory_iterator(env.path("calls"), error)) {
            text += "\n  " + entry.path().string();
        }
        text += "\nevents:";
        for (const EventCode code : log.codes()) {
            text += " " + std::to_string(static_cast<int>(code));
        }
        return text;
    }

    std::vector<std::string> messages() {
        std::lock_guard lock(m_messagesMutex);
        return m_messages;
    }

    test::AudioLine line;
    SettingsStore settings;
    AppContext context;
    EventLog log;
    Recorder* recorder = nullptr;
    std::unique_ptr<EngineController> controller;
    std::mutex m_messagesMutex;
    std::vector<std::string> m_messages;
};

// Samples of a WAVE file written by our sink (16-bit).
signals::Samples wavSamples(const std::string& path) {
    const auto info = readWavInfo(path);
    if (!info) {
        return {};
    }
    const std::string bytes = test::readFile(path);
    signals::Samples out;
    for (std::size_t i = info->dataOffset; i + 1 < bytes.size(); i += 2) {
        out.push_back(static_cast<std::int16_t>(static_cast<std::uint8_t>(bytes[i]) |
                                                (static_cast<std::uint8_t>(bytes[i + 1]) << 8)));
    }
    return out;
}

TEST_F(RecordingFilesTest, ACallStartsAndEndsByItselfWithItsPreRoll) {
    ASSERT_TRUE(line.available());
    settings.writeInt(setting::kTimeOfCallEnd, 2);
    startEngine();
    const std::uint64_t before = recorder->capturedBytes();
    signals::Samples call = signals::noise(2.0, 300, 1);  // line noise: below the start level
    signals::append(call, signals::tone(400, 2.0, 12000));
    ASSERT_TRUE(line.write(call));
    waitAudio(before, 4.0);
    // The line stays open: silence follows until the call has ended.
    for (int i = 0; i < 40 && !log.waitFor(EventCode::StateIdle, 0ms); ++i) {
        ASSERT_TRUE(line.write(signals::silence(0.5)));
        std::this_thread::sleep_for(20ms);
    }
    ASSERT_TRUE(log.waitFor(EventCode::StateIdle, 1s));
    auto codes = log.codes();
    codes.erase(std::remove_if(codes.begin(), codes.end(),
                               [](EventCode code) {
                                   return code == EventCode::PlaybackVolume ||
                                          code == EventCode::RecordVolume;
                               }),
                codes.end());
    ASSERT_FALSE(codes.empty());
    EXPECT_EQ(codes.front(), EventCode::StateRecording);
    EXPECT_EQ(std::count(codes.begin(), codes.end(), EventCode::StateRecording), 1);
    EXPECT_NE(std::find(codes.begin(), codes.end(), EventCode::Time), codes.end());

    const std::string path = recorder->fileName();
    ASSERT_EQ(path.rfind(env.path("calls") + "/", 0), 0u) << path;
    const auto samples = wavSamples(path);
    ASSERT_FALSE(samples.empty());
    const auto firstLoud =
        std::find_if(samples.begin(), samples.end(), [](std::int16_t v) { return v > 6882; });
    ASSERT_NE(firstLoud, samples.end());
    // At least the 500 ms of "PreRecordTime" before the first loud sample.
    EXPECT_GE(firstLoud - samples.begin(), 4000);
    // Ends after 2 to 3.25 s of silence (the whole tone is in the file).
    const auto loudSamples =
        std::count_if(samples.begin(), samples.end(), [](std::int16_t v) { return v > 6882; });
    EXPECT_GT(loudSamples, 2 * 8000 / 3);
    EXPECT_EQ(wavDurationSeconds(path), static_cast<int>(samples.size() / 8000));
}

TEST_F(RecordingFilesTest, ManualModeWaitsForTheCommands) {
    ASSERT_TRUE(line.available());
    settings.writeInt(setting::kRecordMode, 1);
    startEngine();
    std::uint64_t before = recorder->capturedBytes();
    ASSERT_TRUE(line.write(signals::tone(400, 1.5, 15000)));
    waitAudio(before, 1.5);
    std::this_thread::sleep_for(50ms);
    const auto codes = log.codes();
    EXPECT_EQ(std::count(codes.begin(), codes.end(), EventCode::StateRecording), 0);
    EXPECT_EQ(controller->state(), EngineState::Idle);

    controller->postEvent(std::make_unique<EngineEvent>(EventCode::Record));
    ASSERT_TRUE(log.waitFor(EventCode::StateRecording));
    before = recorder->capturedBytes();
    ASSERT_TRUE(line.write(signals::silence(12.0)));  // silence ends nothing in manual mode
    waitAudio(before, 11.0);
    EXPECT_EQ(controller->state(), EngineState::Recording);
    controller->postEvent(std::make_unique<EngineEvent>(EventCode::Stop));
    ASSERT_TRUE(log.waitFor(EventCode::StateIdle));
    EXPECT_GE(wavDurationSeconds(recorder->fileName()), 10);
}

TEST_F(RecordingFilesTest, AMissingDatabaseFolderFailsEveryStartAndIsToldOnce) {
    ASSERT_TRUE(line.available());
    settings.writeInt(setting::kRecordMode, 1);
    startEngine();
    ASSERT_EQ(::rmdir(env.path("calls").c_str()), 0);
    for (int i = 0; i < 2; ++i) {
        controller->postEvent(std::make_unique<EngineEvent>(EventCode::Record));
    }
    controller->postEvent(std::make_unique<EngineEvent>(EventCode::SettingsChanged));
    ASSERT_TRUE(log.waitFor(EventCode::SettingsChanged));
    EXPECT_EQ(messages().size(), 1u);  // the call detector asks again with every loud buffer
    EXPECT_EQ(controller->state(), EngineState::Idle);
    const auto codes = log.codes();
    EXPECT_EQ(std::count(codes.begin(), codes.end(), EventCode::StateRecording), 0);
    // The name of the file that could not be made stays known.
    EXPECT_EQ(recorder->fileName().rfind(env.path("calls") + "/", 0), 0u);
}

TEST_F(RecordingFilesTest, EachFormatGetsItsSinkAndAMissingEncoderFailsTheStart) {
    ASSERT_TRUE(line.available());
    // Manual: the test's own loud audio must not start a recording of the engine's.
    settings.writeInt(setting::kRecordMode, 1);
    startEngine();

    for (const int format : {kFormatOgg, kFormatMp3}) {
        settings.writeInt(setting::kRecordFormat, format);
        ASSERT_TRUE(recorder->startRecording()) << format;
        const std::string path = recorder->fileName();
        EXPECT_EQ(path.substr(path.size() - 4), format == kFormatOgg ? ".ogg" : ".mp3");
        const std::uint64_t before = recorder->capturedBytes();
        ASSERT_TRUE(line.write(signals::speechLike(2.0, 3)));
        waitAudio(before, 2.0);
        recorder->stopRecording();
        EXPECT_GT(test::readFile(path).size(), 1000u) << path;
        std::remove(path.c_str());
        std::this_thread::sleep_for(1s);  // a new second, a new name
    }

    // Without a loadable encoder library an MP3 start fails like any sink failure.
    env.setVariable("AMBRIN_MP3_LIBRARY", env.path("no/libmp3lame.so.0"));
    settings.writeInt(setting::kRecordFormat, kFormatMp3);
    EXPECT_FALSE(recorder->startRecording());
    EXPECT_FALSE(recorder->recording());
}

TEST_F(RecordingFilesTest, TwoStartsInOneSecondShareANameAndTheFirstFileIsKept) {
    ASSERT_TRUE(line.available());
    settings.writeInt(setting::kRecordMode, 1);
    startEngine();
    // Retry until both starts fall in the same wall-clock second.
    for (int attempt = 0; attempt < 5; ++attempt) {
        const auto second = std::chrono::system_clock::to_time_t(std::chrono::system_clock::now());
        ASSERT_TRUE(recorder->startRecording()) << startRefusal();
        const std::string first = recorder->fileName();
        const std::uint64_t before = recorder->capturedBytes();
        ASSERT_TRUE(line.write(signals::tone(300, 0.6, 9000)));
        waitAudio(before, 0.5);
        recorder->stopRecording();
        const auto size = test::readFile(first).size();
        const bool again = recorder->startRecording();
        if (std::chrono::system_clock::to_time_t(std::chrono::system_clock::now()) != second) {
            if (again) {
                recorder->stopRecording();
            }
            std::remove(first.c_str());
            continue;
        }
        EXPECT_EQ(recorder->fileName(), first);
        EXPECT_FALSE(again) << "the second recording would have replaced the first";
        EXPECT_EQ(test::readFile(first).size(), size);
        return;
    }
    GTEST_SKIP() << "could not fit two starts into one second";
}

TEST_F(RecordingFilesTest, DeclaredFormatsDescribeTheData) {
    ASSERT_TRUE(line.available());
    settings.writeInt(setting::kRecordMode, 1);
    settings.writeInt(setting::kPreRecordTime, 0);
    startEngine();
    recorder->reloadDetectionSettings();
    struct Case {
        int outputFormat;
        std::uint32_t rate;
        int bits;
    };
    for (const Case c :
         {Case{1, 8000, 16}, Case{0, 8000, 8}, Case{5, 22050, 16}, Case{12, 48000, 8}}) {
        settings.writeInt(setting::kOutputFormat, c.outputFormat);
        ASSERT_TRUE(recorder->startRecording()) << c.outputFormat;
        const std::uint64_t before = recorder->capturedBytes();
        ASSERT_TRUE(line.write(signals::tone(500, 3.0, 10000)));
        waitAudio(before, 3.0);
        recorder->stopRecording();
        const std::string path = recorder->fileName();
        const auto info = readWavInfo(path);
        ASSERT_TRUE(info.has_value()) << path;
        EXPECT_EQ(info->sampleRate, c.rate);
        EXPECT_EQ(info->bitsPerSample, c.bits);
        const double seconds = static_cast<double>(info->dataSize) / (c.rate * (c.bits / 8));
        EXPECT_NEAR(seconds, 3.0, 0.6) << c.outputFormat;  // whole buffers around the tone
        std::remove(path.c_str());
        std::this_thread::sleep_for(1s);  // a new second, a new name
    }
}

}  // namespace
}  // namespace ambrin
