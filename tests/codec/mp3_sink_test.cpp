#include "codec/Mp3Sink.h"

#include <gtest/gtest.h>

#include <cstring>

#include "CodecTestTools.h"
#include "EncoderTestTools.h"
#include "platform/Folders.h"
#include "support/TestEnvironment.h"

namespace ambrin {
namespace {

// The MP3 sink with the system's libmp3lame.
class Mp3SinkTest : public test::EnvironmentTest {
  protected:
    void SetUp() override {
        env.setVariable(Mp3Library::kSearchOverrideVariable, std::nullopt);
        m_library = Mp3Library::load(env.path("program"));
        ASSERT_NE(m_library, nullptr) << "libmp3lame.so.0 is not installed";
    }

    std::string record(int bitRate, std::uint32_t declaredRate,
                       const std::vector<std::int16_t>& samples) {
        const std::string path =
            env.path(std::to_string(bitRate) + "-" + std::to_string(declaredRate) + ".mp3");
        Mp3Sink sink(m_library, bitRate, declaredRate);
        EXPECT_TRUE(sink.open(path));
        EXPECT_TRUE(test::feed(sink, samples));
        sink.close();
        return path;
    }

    // The samples mpg123 decodes, at the stream's own rate.
    std::vector<std::int16_t> decode(const std::string& mp3) {
        const test::ToolResult result = test::runTool(
            "mpg123 -q -O " + test::quoted(mp3 + ".raw") + " " + test::quoted(mp3), mp3 + ".txt");
        EXPECT_EQ(result.exitCode, 0) << result.output;
        const std::string raw = test::readFile(mp3 + ".raw");
        std::vector<std::int16_t> samples(raw.size() / 2);
        std::memcpy(samples.data(), raw.data(), samples.size() * 2);
        return samples;
    }

    std::shared_ptr<Mp3Library> m_library;
};

TEST_F(Mp3SinkTest, EveryBitRateGivesFramesAtThatRateMpeg2UpTo32AndMpeg1Above) {
    AMBRIN_REQUIRE_TOOL("mpg123");
    const std::vector<std::int16_t> input = test::tone(2.0, 700);
    for (const int bitRate :
         {8, 16, 24, 32, 40, 48, 64, 80, 96, 112, 128, 160, 192, 224, 256, 320}) {
        SCOPED_TRACE(bitRate);
        const std::string path = record(bitRate, 8000, input);
        const std::vector<test::Mp3Frame> frames = test::layer3Frames(test::readFile(path));
        ASSERT_FALSE(frames.empty());
        for (const test::Mp3Frame& f : frames) {
            ASSERT_EQ(f.mpeg, bitRate > 32 ? 10 : 20) << "at " << f.offset;
            ASSERT_EQ(f.bitRate, bitRate) << "at " << f.offset;
            ASSERT_TRUE(f.mono() && !f.crc() && f.privateBit() && f.copyright() && f.original());
            ASSERT_EQ(f.emphasis(), 0);
            ASSERT_EQ(f.mainDataBegin, 0) << "the bit reservoir is off";
        }
        const std::vector<std::int16_t> decoded = decode(path);
        const double seconds = static_cast<double>(decoded.size()) / frames[0].sampleRate;
        EXPECT_GE(seconds, 2.0);
        EXPECT_LT(seconds, 2.2);  // encoder delay and the padded last frame on top
        if (bitRate > 8) {
            EXPECT_NEAR(test::measuredFrequency(decoded, frames[0].sampleRate), 700, 15);
        }
    }
}

TEST_F(Mp3SinkTest, TheDeclaredRateChoosesTheOutputRateWithinTheVersion) {
    const std::vector<std::int16_t> input = test::tone(0.5, 440);
    const struct {
        int bitRate;
        std::uint32_t declared;
        int expected;
    } cases[] = {{16, 8000, 16000},   {24, 22050, 22050},  {8, 48000, 24000},
                 {128, 16000, 32000}, {128, 44100, 44100}, {320, 48000, 48000}};
    for (const auto& c : cases) {
        const std::vector<test::Mp3Frame> frames =
            test::layer3Frames(test::readFile(record(c.bitRate, c.declared, input)));
        ASSERT_FALSE(frames.empty());
        EXPECT_EQ(frames[0].sampleRate, c.expected)
            << c.bitRate << " kbit/s declared " << c.declared;
    }
}

TEST_F(Mp3SinkTest, ClosedRightAfterItStartedItHoldsTheFlushedFrames) {
    const std::string path = env.path("short.mp3");
    Mp3Sink sink(m_library, 16, 8000);
    ASSERT_TRUE(sink.open(path));
    EXPECT_EQ(test::readFile(path), "") << "no tag or header frame in front";
    sink.close();
    EXPECT_FALSE(test::layer3Frames(test::readFile(path)).empty());
}

TEST_F(Mp3SinkTest, ALargeBlockIsEncodedWhole) {
    AMBRIN_REQUIRE_TOOL("mpg123");
    // The audio from before a start comes in one piece: 30 s at the largest output.
    const std::vector<std::int16_t> input = test::tone(30.0, 440);
    const std::string path = env.path("block.mp3");
    Mp3Sink sink(m_library, 320, 48000);
    ASSERT_TRUE(sink.open(path));
    ASSERT_TRUE(sink.write(input.data(), input.size() * 2));
    sink.close();
    EXPECT_NEAR(static_cast<double>(decode(path).size()) / 48000, 30.0, 0.1);
}

TEST_F(Mp3SinkTest, OpenNeverReplacesAFileNorWorksWithoutALibrary) {
    test::writeFile(env.path("earlier.mp3"), "an earlier call");
    Mp3Sink sink(m_library, 16, 8000);
    EXPECT_FALSE(sink.open(env.path("earlier.mp3")));
    EXPECT_EQ(test::readFile(env.path("earlier.mp3")), "an earlier call");

    Mp3Sink withoutLibrary(nullptr, 16, 8000);
    EXPECT_FALSE(withoutLibrary.open(env.path("call.mp3")));
    EXPECT_FALSE(fileExists(env.path("call.mp3")));
}

TEST_F(Mp3SinkTest, WriteReportsAFullDisk) {
    EXPECT_TRUE(test::writeFailsOnAFullDisk([this] {
        Mp3Sink sink(m_library, 128, 8000);
        if (!sink.open(env.path("full.mp3"))) {
            return true;
        }
        const std::vector<std::int16_t> second = test::tone(1.0, 440);
        bool ok = true;
        for (int i = 0; i < 60 && ok; ++i) {
            ok = test::feed(sink, second);
        }
        return ok;
    }));
}

}  // namespace
}  // namespace ambrin
