// The caller-ID receiver beside a running capture on the private sound server's line.

#include "recorder/CallerIdReceiver.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <mutex>
#include <thread>

#include "core/AppContext.h"
#include "core/EngineEvent.h"
#include "core/SettingsStore.h"
#include "recorder/Recorder.h"
#include "support/AudioLine.h"
#include "support/CallerIdSignals.h"

namespace ambrin {
namespace {

using namespace std::chrono_literals;

class KeepingSink : public RecordingSink {
  public:
    explicit KeepingSink(std::shared_ptr<signals::Samples> into, std::shared_ptr<std::mutex> lock)
        : m_into(std::move(into)), m_lock(std::move(lock)) {}
    bool write(const std::int16_t* samples, std::size_t byteCount) override {
        std::lock_guard guard(*m_lock);
        m_into->insert(m_into->end(), samples, samples + byteCount / 2);
        return true;
    }
    void close() override {}

  private:
    std::shared_ptr<signals::Samples> m_into;
    std::shared_ptr<std::mutex> m_lock;
};

class Numbers : public EventSink {
  public:
    int postEvent(std::unique_ptr<EngineEvent> event) override {
        if (const auto* caller = dynamic_cast<const CallerNumberEvent*>(event.get())) {
            std::lock_guard lock(m_mutex);
            m_told.push_back((caller->dialled ? "dialled " : "caller ") + caller->number);
        }
        return 0;
    }
    std::vector<std::string> told() const {
        std::lock_guard lock(m_mutex);
        return m_told;
    }

  private:
    mutable std::mutex m_mutex;
    std::vector<std::string> m_told;
};

class CallerIdTest : public test::EnvironmentTest {
  protected:
    CallerIdTest() : line(env), settings(env.path("opt") + "/") {
        context.settings = &settings;
        context.events = &numbers;
        settings.writeInt(setting::kRecordMode, 1);  // the test starts and stops recordings
    }

    // Writes `samples` and waits until the recorder has captured them.
    void feed(Recorder& recorder, const signals::Samples& samples) {
        const std::uint64_t target = recorder.capturedBytes() + samples.size() * 2;
        ASSERT_TRUE(line.write(samples));
        const auto deadline = std::chrono::steady_clock::now() + 30s;
        while (recorder.capturedBytes() + Recorder::kBufferBytes < target) {
            ASSERT_LT(std::chrono::steady_clock::now(), deadline);
            std::this_thread::sleep_for(2ms);
        }
    }

    // Feeds `samples` in pieces of 2 s, as a line brings them, letting the receiver keep up.
    void feedInTime(Recorder& recorder, const CallerIdReceiver& receiver,
                    const signals::Samples& samples) {
        constexpr std::size_t kPiece = 2 * 8000;
        for (std::size_t at = 0; at < samples.size(); at += kPiece) {
            const auto end =
                samples.begin() + static_cast<long>(std::min(samples.size(), at + kPiece));
            feed(recorder, signals::Samples(samples.begin() + static_cast<long>(at), end));
            waitDecoded(receiver, recorder.capturedBytes() / Recorder::kBufferBytes);
        }
    }

    static void waitDecoded(const CallerIdReceiver& receiver, std::uint64_t buffers) {
        const auto deadline = std::chrono::steady_clock::now() + 20s;
        while (receiver.decoded() + receiver.dropped() < buffers &&
               std::chrono::steady_clock::now() < deadline) {
            std::this_thread::sleep_for(5ms);
        }
    }

    test::AudioLine line;
    SettingsStore settings;
    Numbers numbers;
    AppContext context;
};

TEST_F(CallerIdTest, AStalledDecoderLosesNoCapturedBufferAndCountsWhatItDropped) {
    ASSERT_TRUE(line.available());
    Recorder recorder(context);
    auto owned = std::make_unique<CallerIdReceiver>(context);
    CallerIdReceiver& receiver = *owned;
    recorder.setCaptureTap(std::move(owned));
    ASSERT_TRUE(recorder.initialize(InputLine::Line)) << recorder.failure();

    receiver.suspend();
    auto samples = std::make_shared<signals::Samples>();
    auto lock = std::make_shared<std::mutex>();
    recorder.installSink(std::make_unique<KeepingSink>(samples, lock));
    // 20 s of line: far more buffers than the receiver's slots.
    const signals::Samples pattern = signals::counter(20 * 8000, 3);
    signals::Samples all = pattern;
    signals::append(all, signals::silence(0.6));
    feed(recorder, all);
    recorder.stopRecording();

    EXPECT_GT(receiver.dropped(), 0u);
    {
        std::lock_guard guard(*lock);
        const auto at =
            std::search(samples->begin(), samples->end(), pattern.begin(), pattern.end());
        EXPECT_NE(at, samples->end()) << "the recording lost audio while the decoder stood";
    }
    // Once going again it works through what it kept and takes new buffers.
    const std::uint64_t kept = receiver.decoded();
    receiver.resume();
    feed(recorder, signals::silence(1.0));
    const auto deadline = std::chrono::steady_clock::now() + 20s;
    while (receiver.decoded() < kept + CallerIdReceiver::kSlots &&
           std::chrono::steady_clock::now() < deadline) {
        std::this_thread::sleep_for(5ms);
    }
    EXPECT_GE(receiver.decoded(), kept + CallerIdReceiver::kSlots);
}

TEST_F(CallerIdTest, NumbersBelongToTheRecordingThatFollowsWithinThirtySeconds) {
    ASSERT_TRUE(line.available());
    Recorder recorder(context);
    auto owned = std::make_unique<CallerIdReceiver>(context);
    CallerIdReceiver& receiver = *owned;
    recorder.setCaptureTap(std::move(owned));
    ASSERT_TRUE(recorder.initialize(InputLine::Line)) << recorder.failure();
    auto samples = std::make_shared<signals::Samples>();
    auto lock = std::make_shared<std::mutex>();

    const auto call = [&](const signals::Samples& before, const signals::Samples& during) {
        feedInTime(recorder, receiver, before);
        recorder.installSink(std::make_unique<KeepingSink>(samples, lock));
        signals::Samples talk = during;
        signals::append(talk, test::withNoise(signals::silence(1.0), 150, 9));
        feedInTime(recorder, receiver, talk);
        recorder.stopRecording();
        feedInTime(recorder, receiver, signals::silence(0.5));
    };
    signals::Samples bell = test::withNoise(
        test::callerIdBurst(test::CallerIdStandard::Bell202, "0212345678", 0.5), 300, 1);
    signals::append(bell, test::withNoise(signals::silence(20.0), 300, 2));
    call(bell, signals::tone(350, 1.0, 9000));

    // 40 s before the call: another call's, long gone.
    signals::Samples old = test::callerIdBurst(test::CallerIdStandard::V23, "0315550123", 1.0);
    signals::append(old, signals::silence(40.0));
    call(old, signals::tone(350, 1.0, 9000));

    // In the first seconds of the call it still counts.
    signals::Samples late = signals::silence(2.0);
    signals::append(late, test::callerIdBurst(test::CallerIdStandard::Dtmf, "0421234567", 0.3));
    call(signals::silence(0.5), late);

    call(signals::silence(0.5), test::withNoise(test::dialledDigits("0101234567"), 200, 4));

    EXPECT_EQ(numbers.told(), (std::vector<std::string>{"caller 0212345678", "caller 0421234567",
                                                        "dialled 0101234567"}));
    EXPECT_EQ(receiver.dropped(), 0u);
}

}  // namespace
}  // namespace ambrin
