#include "platform/WaveOutput.h"

#include <gtest/gtest.h>

#include <condition_variable>
#include <mutex>
#include <vector>

#include "StreamingTestTools.h"

namespace ambrin {
namespace {

using namespace std::chrono_literals;

constexpr std::uint32_t kRate = 8000;
constexpr std::size_t kQuarterSecond = kRate / 4 * 2;  // bytes of 16-bit mono

// The wave-output device on the private server's null sink, which plays in real time.
class StreamingOutputTest : public test::EnvironmentTest {
  protected:
    void SetUp() override {
        ASSERT_TRUE(test::useAudioServer(env)) << "the private sound server is not running";
        audio.assign(8 * kQuarterSecond, 0);
        for (int i = 0; i < 8; ++i) {
            headers[i].data = audio.data() + i * kQuarterSecond;
            headers[i].size = kQuarterSecond;
            headers[i].tag = i;
        }
    }

    bool open() {
        std::string error;
        const bool opened = device.open(
            16, 1, kRate, [this](WaveHeader* h) { onDone(h); }, &error);
        EXPECT_TRUE(opened) << error;
        return opened;
    }

    void onDone(WaveHeader* header) {
        std::lock_guard lock(mutex);
        done.push_back(header->tag);
        changed.notify_all();
    }

    bool waitForDone(std::size_t count, std::chrono::milliseconds timeout) {
        std::unique_lock lock(mutex);
        return changed.wait_for(lock, timeout, [&] { return done.size() >= count; });
    }

    std::vector<int> doneSoFar() {
        std::lock_guard lock(mutex);
        return done;
    }

    std::vector<std::uint8_t> audio;
    WaveHeader headers[8];
    std::mutex mutex;  // guards done
    std::condition_variable changed;
    std::vector<int> done;
    WaveOutput device;
};

TEST_F(StreamingOutputTest, PlayedBuffersComeBackInOrderAndThePositionCountsThem) {
    ASSERT_TRUE(open());
    for (int i = 0; i < 3; ++i) {
        ASSERT_TRUE(device.write(&headers[i]));
    }
    ASSERT_TRUE(waitForDone(3, 5s));
    EXPECT_EQ(doneSoFar(), (std::vector<int>{0, 1, 2}));
    EXPECT_EQ(device.position(), 3 * kQuarterSecond);
}

TEST_F(StreamingOutputTest, LastShortBufferIsPlayedThoughTheServerWantsMoreToStart) {
    ASSERT_TRUE(open());
    headers[0].size = 400;  // 25 ms: far below what the server buffers before it starts
    ASSERT_TRUE(device.write(&headers[0]));
    ASSERT_TRUE(waitForDone(1, 3s));
    EXPECT_EQ(device.position(), 400u);
}

TEST_F(StreamingOutputTest, PausedDeviceKeepsItsBuffersUntilRestarted) {
    ASSERT_TRUE(open());
    ASSERT_TRUE(device.pause());
    ASSERT_TRUE(device.write(&headers[0]));
    ASSERT_TRUE(device.write(&headers[1]));
    std::this_thread::sleep_for(600ms);
    EXPECT_TRUE(doneSoFar().empty());
    EXPECT_EQ(device.position(), 0u);
    ASSERT_TRUE(device.restart());
    ASSERT_TRUE(waitForDone(2, 5s));
    EXPECT_EQ(device.position(), 2 * kQuarterSecond);
}

TEST_F(StreamingOutputTest, ResetHandsEveryBufferBackAndCountsFromZero) {
    ASSERT_TRUE(open());
    for (int i = 0; i < 8; ++i) {
        ASSERT_TRUE(device.write(&headers[i]));
    }
    std::this_thread::sleep_for(300ms);
    ASSERT_TRUE(device.reset());
    EXPECT_EQ(doneSoFar().size(), 8u) << "reset returns the buffers before it returns";
    EXPECT_EQ(device.position(), 0u);
    ASSERT_TRUE(device.write(&headers[0]));
    ASSERT_TRUE(waitForDone(9, 5s));
    EXPECT_EQ(device.position(), kQuarterSecond);
}

TEST_F(StreamingOutputTest, OpenWithoutAServerFailsWithAReason) {
    env.setVariable("PULSE_SERVER", "unix:" + env.path("no-server"));
    std::string error;
    EXPECT_FALSE(device.open(16, 1, kRate, nullptr, &error));
    EXPECT_FALSE(error.empty());
    EXPECT_FALSE(device.isOpen());
    EXPECT_FALSE(device.write(&headers[0]));
}

}  // namespace
}  // namespace ambrin
