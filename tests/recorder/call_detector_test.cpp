#include "recorder/CallDetector.h"

#include <gtest/gtest.h>

#include <vector>

#include "recorder/PreRoll.h"

namespace ambrin {
namespace {

constexpr std::uint64_t kBuffer = 4096;  // bytes per captured buffer (256 ms)

TEST(CallDetectorLevel, TruncatesTowardZeroInSinglePrecision) {
    EXPECT_EQ(CallDetector::levelOf(0), 0);
    EXPECT_EQ(CallDetector::levelOf(6881), 20);
    EXPECT_EQ(CallDetector::levelOf(6882), 21);
    // 32767 × 0.003051851 is 100.000002: a full-scale sample reaches level 100.
    EXPECT_EQ(CallDetector::levelOf(32767), 100);
    EXPECT_EQ(CallDetector::levelOf(32765), 99);
    EXPECT_EQ(CallDetector::levelOf(-32768), -100);
    EXPECT_EQ(CallDetector::levelOf(-6882), -21);
    EXPECT_EQ(CallDetector::levelOf(327), 0);
    EXPECT_EQ(CallDetector::levelOf(328), 1);
}

// Drives a detector buffer by buffer on the audio clock.
class DetectorRun {
  public:
    explicit DetectorRun(CallDetector::Settings settings) : m_settings(settings) {}

    CallDetector::Verdict buffer(std::int16_t value, std::size_t loudSamples = 512) {
        std::vector<std::int16_t> examined(512, 0);
        std::fill(examined.begin(), examined.begin() + static_cast<long>(loudSamples), value);
        m_clock += kBuffer;
        const auto verdict =
            m_detector.onBuffer(examined.data(), examined.size(), m_clock, m_recording, m_settings);
        return verdict;
    }
    void start(std::int64_t wallMilliseconds) {
        m_detector.recordingStarted(m_clock, wallMilliseconds, m_settings.automatic);
        m_recording = true;
    }
    double seconds() const { return static_cast<double>(m_clock) / 16000.0; }

  private:
    CallDetector m_detector;
    CallDetector::Settings m_settings;
    std::uint64_t m_clock = 0;
    bool m_recording = false;
};

TEST(CallDetector, StartsAboveTheStartLevelOnlyAndOncePerBuffer) {
    DetectorRun run({true, 20, 2, 8});
    EXPECT_FALSE(run.buffer(6881).startRequest);
    EXPECT_FALSE(run.buffer(-32768).startRequest);  // negative excursions are never loud
    EXPECT_TRUE(run.buffer(6882, 1).startRequest);
    run.start(0);
    EXPECT_FALSE(run.buffer(32767).startRequest);  // none while a sink is installed
}

TEST(CallDetector, ManualModeNeitherStartsNorEndsButKeepsTheClock) {
    DetectorRun run({false, 20, 2, 5});
    EXPECT_FALSE(run.buffer(30000).startRequest);
    run.start(0);
    int notices = 0;
    for (int i = 0; i < 4 * 30; ++i) {  // 30 s of silence
        const auto verdict = run.buffer(0);
        EXPECT_FALSE(verdict.stopRequest);
        notices += verdict.elapsed ? 1 : 0;
    }
    EXPECT_EQ(notices, 30);
}

TEST(CallDetector, ElapsedNoticesBeginAtOneSecondAndCountWholeSeconds) {
    DetectorRun run({true, 20, 2, 0});
    run.start(1000);  // on a whole second
    std::vector<ElapsedTime> seen;
    for (int i = 0; i < 4 * 3661 + 4; ++i) {
        if (auto verdict = run.buffer(10000); verdict.elapsed) {
            seen.push_back(*verdict.elapsed);
        }
    }
    ASSERT_GE(seen.size(), 3661u);
    EXPECT_EQ(seen.front(), (ElapsedTime{0, 0, 1}));
    EXPECT_EQ(seen[59], (ElapsedTime{0, 1, 0}));
    EXPECT_EQ(seen[3660], (ElapsedTime{1, 1, 1}));
}

TEST(CallDetector, TimeOfCallEndFiveStopsBetweenFiveAndSixAndAQuarterSeconds) {
    // Wherever within its second the recording started, the stop comes 5 to 6.25 s after
    // the last sound, and again with every buffer until the recording ends.
    for (const std::int64_t phase : {0, 100, 400, 999}) {
        DetectorRun run({true, 20, 2, 5});
        run.start(phase);
        for (int i = 0; i < 8; ++i) {
            run.buffer(10000);  // sound: level 30
        }
        const double lastSound = run.seconds();
        double stoppedAt = -1;
        int stops = 0;
        for (int i = 0; i < 4 * 10; ++i) {
            if (run.buffer(60).stopRequest) {  // level 0: silence
                if (stoppedAt < 0) {
                    stoppedAt = run.seconds();
                }
                ++stops;
            }
        }
        ASSERT_GT(stoppedAt, 0) << phase;
        EXPECT_GT(stoppedAt - lastSound, 5.0) << phase;
        EXPECT_LE(stoppedAt - lastSound, 6.25) << phase;
        EXPECT_GT(stops, 1);
    }
}

TEST(CallDetector, ANegativeSignalNeverSustainsACall) {
    DetectorRun run({true, 20, 2, 2});
    run.start(0);
    bool stopped = false;
    for (int i = 0; i < 4 * 4 && !stopped; ++i) {
        stopped = run.buffer(-30000).stopRequest;
    }
    EXPECT_TRUE(stopped);
}

TEST(CallDetector, ZeroCallEndTimeNeverEndsACall) {
    for (const int timeOfCallEnd : {0, -3}) {
        DetectorRun run({true, 20, 2, timeOfCallEnd});
        run.start(0);
        for (int i = 0; i < 4 * 120; ++i) {
            EXPECT_FALSE(run.buffer(0).stopRequest);
        }
    }
}

TEST(PreRoll, RoundsUpToWholeBuffers) {
    EXPECT_EQ(PreRoll::buffersFor(0), 0u);
    EXPECT_EQ(PreRoll::buffersFor(-5), 0u);
    EXPECT_EQ(PreRoll::buffersFor(1), 1u);
    EXPECT_EQ(PreRoll::buffersFor(256), 1u);
    EXPECT_EQ(PreRoll::buffersFor(257), 2u);
    EXPECT_EQ(PreRoll::buffersFor(500), 2u);
}

class PreRollTest : public ::testing::Test {
  protected:
    void push(std::uint8_t tag) {
        std::vector<std::uint8_t> buffer(4096, tag);
        roll.push(buffer.data(), buffer.size());
    }
    std::vector<std::uint8_t> drain() {
        std::vector<std::uint8_t> tags;
        roll.drainInto([&](const std::uint8_t* data, std::size_t bytes) {
            EXPECT_EQ(bytes, 4096u);
            tags.push_back(data[0]);
        });
        return tags;
    }
    PreRoll roll;
};

TEST_F(PreRollTest, TheBuffersBeforeTheTriggerThenEverythingAfterItEachOnce) {
    roll.configure(2);
    for (std::uint8_t tag = 1; tag <= 10; ++tag) {
        push(tag);
    }
    roll.markTrigger();  // buffer 10 asked for the recording
    roll.markTrigger();  // a second loud buffer does not move the trigger
    push(11);
    push(12);  // arrived while the engine created the file
    // Two buffers of pre-roll, and the one before them whose unexamined tail may hold the
    // call's first sound.
    EXPECT_EQ(drain(), (std::vector<std::uint8_t>{7, 8, 9, 10, 11, 12}));
    EXPECT_EQ(drain(), std::vector<std::uint8_t>{});  // nothing twice
}

TEST_F(PreRollTest, WithoutATriggerTheLastBuffers) {
    roll.configure(3);
    for (std::uint8_t tag = 1; tag <= 9; ++tag) {
        push(tag);
    }
    EXPECT_EQ(drain(), (std::vector<std::uint8_t>{7, 8, 9}));
}

TEST_F(PreRollTest, AStartThatNeverComesIsForgotten) {
    roll.configure(1);
    push(1);
    roll.markTrigger();
    for (std::size_t i = 0; i < PreRoll::kPendingBuffers + 5; ++i) {
        push(static_cast<std::uint8_t>(2 + i % 200));
    }
    EXPECT_LE(drain().size(), 1u);
    push(50);
    push(51);
    roll.markTrigger();
    roll.clearTrigger();  // the start failed
    push(52);
    EXPECT_EQ(drain(), (std::vector<std::uint8_t>{52}));
}

TEST_F(PreRollTest, SwitchedOffKeepsNothing) {
    roll.configure(0);
    push(1);
    roll.markTrigger();
    EXPECT_EQ(drain(), std::vector<std::uint8_t>{});
    EXPECT_EQ(roll.capacityBytes(), 0u);
}

}  // namespace
}  // namespace ambrin
