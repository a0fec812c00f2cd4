// The recorder against the private sound server: real PulseAudio, real stream, real buffers.

#include "recorder/Recorder.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <mutex>
#include <thread>

#include "core/AppContext.h"
#include "core/SettingsStore.h"
#include "support/AudioLine.h"

namespace ambrin {
namespace {

using namespace std::chrono_literals;

// What a collecting sink received; outlives the sink, which the recorder frees.
struct Collected {
    std::mutex mutex;
    signals::Samples samples;
    std::vector<std::size_t> sizes;
    int closes = 0;
};

class CollectingSink : public RecordingSink {
  public:
    explicit CollectingSink(std::shared_ptr<Collected> into) : m_into(std::move(into)) {}
    bool write(const std::int16_t* samples, std::size_t byteCount) override {
        std::lock_guard lock(m_into->mutex);
        m_into->sizes.push_back(byteCount);
        m_into->samples.insert(m_into->samples.end(), samples, samples + byteCount / 2);
        return true;
    }
    void close() override {
        std::lock_guard lock(m_into->mutex);
        ++m_into->closes;
    }

  private:
    std::shared_ptr<Collected> m_into;
};

class RecorderTest : public test::EnvironmentTest {
  protected:
    RecorderTest() : line(env), settings(env.path("opt") + "/") { context.settings = &settings; }

    // Waits until the recorder has captured at least `bytes` bytes.
    static bool waitCaptured(const Recorder& recorder, std::uint64_t bytes) {
        const auto deadline = std::chrono::steady_clock::now() + 20s;
        while (recorder.capturedBytes() < bytes) {
            if (std::chrono::steady_clock::now() > deadline) {
                return false;
            }
            std::this_thread::sleep_for(2ms);
        }
        return true;
    }

    // Where `needle` starts in `haystack`, or npos.
    static std::size_t find(const signals::Samples& haystack, const signals::Samples& needle) {
        const auto it = std::search(haystack.begin(), haystack.end(), needle.begin(), needle.end());
        return it == haystack.end() ? std::string::npos
                                    : static_cast<std::size_t>(it - haystack.begin());
    }

    // Feeds `samples` framed by silence and waits until all of it has been captured.
    void feed(Recorder& recorder, const signals::Samples& samples) {
        signals::Samples all = signals::silence(0.3);
        signals::append(all, samples);
        // The tail fills the last buffer, so every sample of `samples` arrives.
        signals::append(all, signals::silence(0.6));
        const std::uint64_t before = recorder.capturedBytes();
        ASSERT_TRUE(line.write(all));
        ASSERT_TRUE(waitCaptured(recorder, before + all.size() * 2 - Recorder::kBufferBytes));
    }

    test::AudioLine line;
    SettingsStore settings;
    AppContext context;
};

TEST_F(RecorderTest, EveryBufferReachesTheSinkWholeOnceAndInOrder) {
    ASSERT_TRUE(line.available()) << "the private sound server is not running";
    Recorder recorder(context);
    ASSERT_TRUE(recorder.initialize(InputLine::Microphone)) << recorder.failure();
    EXPECT_EQ(recorder.captureState(), CaptureState::Running);
    EXPECT_EQ(recorder.lastError(), CaptureError::None);

    auto collected = std::make_shared<Collected>();
    recorder.installSink(std::make_unique<CollectingSink>(collected));
    const auto pattern = signals::counter(40 * 2048 + 777, 1);
    feed(recorder, pattern);
    recorder.stopRecording();

    std::lock_guard lock(collected->mutex);
    EXPECT_EQ(collected->closes, 1);
    ASSERT_FALSE(collected->sizes.empty());
    for (const std::size_t size : collected->sizes) {
        EXPECT_EQ(size, Recorder::kBufferBytes);
    }
    const std::size_t at = find(collected->samples, pattern);
    ASSERT_NE(at, std::string::npos) << "the pattern did not arrive whole and in order";
    // Once: everything around the pattern is the silence that framed it.
    const auto& all = collected->samples;
    EXPECT_TRUE(std::all_of(all.begin(), all.begin() + static_cast<long>(at),
                            [](std::int16_t v) { return v == 0; }));
    EXPECT_TRUE(std::all_of(all.begin() + static_cast<long>(at + pattern.size()), all.end(),
                            [](std::int16_t v) { return v == 0; }));
}

TEST_F(RecorderTest, BetweenRecordingsOnlyTheLevelBlockSeesTheLine) {
    ASSERT_TRUE(line.available());
    Recorder recorder(context);
    ASSERT_TRUE(recorder.initialize(InputLine::Line)) << recorder.failure();
    const auto pattern = signals::counter(16 * 2048, 100);
    feed(recorder, pattern);
    EXPECT_FALSE(recorder.recording());
    const auto level = recorder.level();
    // The block holds the first 1024 bytes of the last buffer: here the silent tail.
    EXPECT_EQ(level.byteCount, 1024u);

    // A buffer of the pattern publishes its first 512 samples, consecutive counter values.
    auto collected = std::make_shared<Collected>();
    recorder.installSink(std::make_unique<CollectingSink>(collected));
    signals::Samples loud = signals::counter(4 * 2048, 5000);
    const std::uint64_t before = recorder.capturedBytes();
    ASSERT_TRUE(line.write(loud));
    ASSERT_TRUE(waitCaptured(recorder, before + 2 * Recorder::kBufferBytes));
    const auto snapshot = recorder.level();
    ASSERT_EQ(snapshot.sampleCount(), 512u);
    for (std::size_t i = 1; i < snapshot.sampleCount(); ++i) {
        if (snapshot.samples[i - 1] != 0 && snapshot.samples[i] != 0) {
            EXPECT_EQ(snapshot.samples[i], snapshot.samples[i - 1] + 1) << i;
        }
    }
    recorder.stopRecording();
}

TEST_F(RecorderTest, StopCaptureEndsTheThreadAndIsHarmlessTwice) {
    ASSERT_TRUE(line.available());
    Recorder recorder(context);
    ASSERT_TRUE(recorder.initialize(InputLine::Microphone)) << recorder.failure();
    auto collected = std::make_shared<Collected>();
    recorder.installSink(std::make_unique<CollectingSink>(collected));
    recorder.stopCapture();
    EXPECT_EQ(recorder.captureState(), CaptureState::Stopping);
    EXPECT_FALSE(recorder.captureThreadRunning());
    recorder.stopCapture();
    recorder.stopRecording();
    recorder.stopRecording();
    std::lock_guard lock(collected->mutex);
    EXPECT_EQ(collected->closes, 1);
}

TEST_F(RecorderTest, SinksComeAndGoWhileTheLineRuns) {
    ASSERT_TRUE(line.available());
    Recorder recorder(context);
    ASSERT_TRUE(recorder.initialize(InputLine::Microphone)) << recorder.failure();
    std::atomic<bool> done{false};
    std::thread writer([&] {
        line.write(signals::noise(6.0, 9000, 7));
        done = true;
    });
    std::vector<std::shared_ptr<Collected>> all;
    while (!done) {
        all.push_back(std::make_shared<Collected>());
        recorder.installSink(std::make_unique<CollectingSink>(all.back()));
        std::this_thread::sleep_for(3ms);
        recorder.stopRecording();
    }
    writer.join();
    for (const auto& collected : all) {
        std::lock_guard lock(collected->mutex);
        EXPECT_EQ(collected->closes, 1);
        for (const std::size_t size : collected->sizes) {
            EXPECT_EQ(size, Recorder::kBufferBytes);
        }
    }
}

TEST_F(RecorderTest, AnUnreachableServerFailsWithThirtyAndEndsTheThread) {
    env.setVariable("PULSE_SERVER", "unix:" + env.path("no-server-here"));
    Recorder recorder(context);
    EXPECT_FALSE(recorder.initialize(InputLine::Microphone));
    EXPECT_EQ(recorder.lastError(), CaptureError::OpenFailed);
    EXPECT_EQ(recorder.captureState(), CaptureState::Stopping);
    EXPECT_FALSE(recorder.captureThreadRunning());
    EXPECT_FALSE(recorder.failure().empty());
    recorder.stopCapture();  // harmless after a failed open
}

}  // namespace
}  // namespace ambrin
