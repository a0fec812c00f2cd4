#include "recorder/streaming/StreamingPlayer.h"

#include <gtest/gtest.h>

#include <cmath>
#include <fstream>
#include <thread>

#include "StreamingTestTools.h"
#include "recorder/streaming/StreamInfoEvent.h"

namespace ambrin {
namespace {

using namespace std::chrono_literals;
using test::CollectingSink;

// The whole path: real OGG files from oggenc, real libvorbisfile, the private server's null
// sink playing in real time.
class StreamingPlayerTest : public test::EnvironmentTest {
  protected:
    void SetUp() override {
        if (!test::toolInstalled("sox") || !test::toolInstalled("oggenc")) {
            GTEST_SKIP() << "sox and oggenc make the test recordings";
        }
        ASSERT_TRUE(test::useAudioServer(env)) << "the private sound server is not running";
        env.setVariable("AMBRIN_UI_LANG", "1033");
        std::thread([] {}).join();  // a sanitizer starts its own thread with the first one
        threadsBefore = test::settledThreadCount();
        player = std::make_unique<StreamingPlayer>(sink);
    }

    void TearDown() override {
        test::finishWithin(
            10s, [this] { player.reset(); }, "tearing the player down");
        EXPECT_EQ(test::settledThreadCount(), threadsBefore) << "a thread outlived the player";
    }

    std::string ogg(double seconds) { return test::makeOgg(env, "call", seconds); }

    bool waitForEnd() { return sink.waitForCode(EventCode::EndOfPlayback, 15s); }

    // The text of the first error notice (28), if any.
    std::string errorText() {
        std::string text;
        sink.inspect([&](const auto& events) {
            for (const auto& event : events) {
                if (const auto* notice = dynamic_cast<const TextEvent*>(event.get());
                    notice != nullptr && notice->code() == EventCode::WarningText) {
                    text = notice->text;
                    return;
                }
            }
        });
        return text;
    }

    // Overwrites `count` bytes at `offset` with a pattern that is no Ogg page.
    void damage(const std::string& path, std::size_t offset, std::size_t count) {
        std::fstream file(path, std::ios::in | std::ios::out | std::ios::binary);
        file.seekp(static_cast<std::streamoff>(offset));
        for (std::size_t i = 0; i < count; ++i) {
            file.put(static_cast<char>(0x5A ^ (i * 31)));
        }
    }

    // Position and end notices posted from event `from` on: what a paused or stopped player
    // must not post. (The decoder may still fill its buffer and post stream information.)
    std::size_t progressSince(std::size_t from) {
        std::size_t count = 0;
        const std::vector<EventCode> codes = sink.codes();
        for (std::size_t i = from; i < codes.size(); ++i) {
            count += codes[i] == EventCode::Time || codes[i] == EventCode::EndOfPlayback ? 1 : 0;
        }
        return count;
    }

    static bool contains(const std::vector<EventCode>& codes, EventCode code) {
        return std::find(codes.begin(), codes.end(), code) != codes.end();
    }

    int threadsBefore = 0;
    CollectingSink sink;
    std::unique_ptr<StreamingPlayer> player;
};

TEST_F(StreamingPlayerTest, PlaysARecordingToItsEndWithTheNoticesInOrder) {
    const std::string path = ogg(3.0);
    ASSERT_TRUE(player->open(path));
    std::this_thread::sleep_for(100ms);
    EXPECT_EQ(sink.size(), 0u) << "nothing is posted before playing starts";
    player->play();
    ASSERT_TRUE(waitForEnd());

    const std::vector<EventCode> codes = sink.codes();
    ASSERT_FALSE(codes.empty());
    EXPECT_EQ(codes.front(), EventCode::FileOpened);
    EXPECT_EQ(codes.back(), EventCode::EndOfPlayback);
    EXPECT_FALSE(contains(codes, EventCode::WarningText));
    EXPECT_FALSE(contains(codes, EventCode::PlaybackError));
    sink.inspect([&](const auto& events) {
        const auto* opened = dynamic_cast<const FileOpenedEvent*>(events.front().get());
        ASSERT_NE(opened, nullptr);
        EXPECT_NEAR(opened->lengthSeconds, 3.0, 0.05);
        EXPECT_EQ(opened->path, path);
        ASSERT_EQ(opened->events.size(), 1u);
        const auto* info = dynamic_cast<const StreamInfoEvent*>(opened->events.front().get());
        ASSERT_NE(info, nullptr);
        EXPECT_EQ(info->code(), EventCode::TimeScale);
        EXPECT_EQ(info->sampleRate, 8000);
        EXPECT_EQ(info->channels, 1);
        EXPECT_GT(info->bitRate, 0);
        EXPECT_DOUBLE_EQ(info->timeScale, 0.1);
        for (const auto& event : events) {
            if (const auto* time = dynamic_cast<const TimeEvent*>(event.get())) {
                // The last field is the position itself, of which the clock shows whole seconds.
                EXPECT_EQ(static_cast<int>(time->totalSeconds),
                          CollectingSink::wholeSecondsOf(*time));
            }
        }
    });
    const std::vector<int> seconds = sink.seconds();
    ASSERT_GE(seconds.size(), 2u);
    EXPECT_EQ(seconds[0], 1) << "position 0 is not announced";
    EXPECT_EQ(seconds[1], 2);
    for (std::size_t i = 1; i < seconds.size(); ++i) {
        EXPECT_EQ(seconds[i], seconds[i - 1] + 1);
    }
    EXPECT_LE(seconds.back(), 3);
}

TEST_F(StreamingPlayerTest, FileThatCannotBeOpenedIsRefusedSilently) {
    EXPECT_FALSE(player->open(env.path("missing.ogg")));
    player->play();
    player->seek(Tenths(10));
    player->stop();
    std::this_thread::sleep_for(100ms);
    EXPECT_EQ(sink.size(), 0u);
}

TEST_F(StreamingPlayerTest, PauseHoldsThePositionAndPlayGoesOnFromThere) {
    ASSERT_TRUE(player->open(ogg(3.0)));
    player->play();
    ASSERT_TRUE(sink.waitForSecond(1, 10s));
    player->pause();
    const std::size_t atPause = sink.size();
    std::this_thread::sleep_for(1500ms);
    EXPECT_EQ(progressSince(atPause), 0u) << "a paused player's clock stands still";
    player->play();
    ASSERT_TRUE(waitForEnd());
    const std::vector<int> seconds = sink.seconds();
    ASSERT_GE(seconds.size(), 2u);
    EXPECT_EQ(seconds[0], 1);
    EXPECT_EQ(seconds[1], 2) << "after the pause the clock goes on from where it stood";
}

TEST_F(StreamingPlayerTest, SeekWhilePausedMovesThePositionAndStaysPaused) {
    ASSERT_TRUE(player->open(ogg(4.0)));
    player->play();
    ASSERT_TRUE(sink.waitForSecond(1, 10s));
    player->pause();
    const std::size_t atSeek = sink.size();
    player->seek(Tenths(35));  // 3.5 s: the whole seconds are kept
    ASSERT_TRUE(sink.waitForSecond(3, 5s, atSeek)) << "the new position is announced";
    const std::size_t announced = sink.size();
    std::this_thread::sleep_for(800ms);
    EXPECT_EQ(progressSince(announced), 0u) << "still paused";
    player->play();
    ASSERT_TRUE(waitForEnd());
    for (const int second : sink.seconds(atSeek)) {
        EXPECT_GE(second, 3);
    }
}

TEST_F(StreamingPlayerTest, StopRewindsAndSeekWhilePlayingJumps) {
    ASSERT_TRUE(player->open(ogg(5.0)));
    player->play();
    ASSERT_TRUE(sink.waitForSecond(1, 10s));
    player->stop();
    const std::size_t atStop = sink.size();
    std::this_thread::sleep_for(500ms);
    EXPECT_EQ(progressSince(atStop), 0u) << "a stopped player's clock stands still";
    player->play();
    ASSERT_TRUE(sink.waitForSecond(1, 10s, atStop)) << "playing again starts from the beginning";
    const std::size_t atSeek = sink.size();
    player->seek(Tenths(30));
    ASSERT_TRUE(waitForEnd());
    const std::vector<int> afterSeek = sink.seconds(atSeek);
    ASSERT_FALSE(afterSeek.empty());
    EXPECT_EQ(afterSeek.front(), 3);
    EXPECT_EQ(sink.codes().back(), EventCode::EndOfPlayback);
}

TEST_F(StreamingPlayerTest, FileThatIsNoVorbisStreamFailsWhenPlayingStarts) {
    const std::string wave = test::makeWave(env, "not-ogg", 1.0);
    ASSERT_TRUE(player->open(wave));
    player->play();
    ASSERT_TRUE(sink.waitForCode(EventCode::PlaybackError, 10s));
    std::this_thread::sleep_for(200ms);
    EXPECT_EQ(sink.codes(),
              (std::vector<EventCode>{EventCode::WarningText, EventCode::PlaybackError}));
    EXPECT_EQ(errorText(), "Fail to initialize decoder.");
}

TEST_F(StreamingPlayerTest, DamagedRecordingStopsWithADecodingError) {
    const std::string path = test::makeNoisyOgg(env, "noise", 4.0);
    const std::size_t size = test::readFile(path).size();
    damage(path, size / 2, 600);  // well behind the headers, in a page in the middle
    ASSERT_TRUE(player->open(path));
    player->play();
    ASSERT_TRUE(sink.waitForCode(EventCode::PlaybackError, 15s));
    std::this_thread::sleep_for(200ms);
    const std::vector<EventCode> codes = sink.codes();
    ASSERT_GE(codes.size(), 2u);
    EXPECT_EQ(codes[codes.size() - 2], EventCode::WarningText);
    EXPECT_EQ(codes.back(), EventCode::PlaybackError);
    EXPECT_FALSE(contains(codes, EventCode::EndOfPlayback));
    EXPECT_EQ(errorText(), "Fail to decode.");
}

// Teardown from every state ends every thread (checked in TearDown) without hanging.
enum class Moment { Opened, Playing, Paused, Stopped, Ended, Failed };

class StreamingPlayerTeardownTest : public StreamingPlayerTest,
                                    public ::testing::WithParamInterface<Moment> {};

TEST_P(StreamingPlayerTeardownTest, EndsEveryThread) {
    const bool fails = GetParam() == Moment::Failed;
    ASSERT_TRUE(player->open(fails ? test::makeWave(env, "not-ogg", 0.5) : ogg(1.5)));
    if (GetParam() == Moment::Opened) {
        return;
    }
    player->play();
    switch (GetParam()) {
        case Moment::Playing:
            std::this_thread::sleep_for(300ms);
            break;
        case Moment::Paused:
            std::this_thread::sleep_for(300ms);
            player->pause();
            break;
        case Moment::Stopped:
            std::this_thread::sleep_for(300ms);
            player->stop();
            break;
        case Moment::Ended:
            ASSERT_TRUE(waitForEnd());
            break;
        case Moment::Failed:
            ASSERT_TRUE(sink.waitForCode(EventCode::PlaybackError, 10s));
            break;
        case Moment::Opened:
            break;
    }
}

INSTANTIATE_TEST_SUITE_P(AllStates, StreamingPlayerTeardownTest,
                         ::testing::Values(Moment::Opened, Moment::Playing, Moment::Paused,
                                           Moment::Stopped, Moment::Ended, Moment::Failed));

}  // namespace
}  // namespace ambrin
