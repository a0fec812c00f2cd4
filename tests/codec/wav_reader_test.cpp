#include "codec/WavReader.h"

#include <gtest/gtest.h>

#include <climits>
#include <vector>

#include "CodecTestTools.h"
#include "codec/WavSink.h"
#include "support/TestEnvironment.h"

namespace ambrin {
namespace {

using test::le16;
using test::le32;

std::string chunk(const std::string& id, const std::string& body) {
    return id + le32(static_cast<std::uint32_t>(body.size())) + body;
}

std::string formatChunk(std::uint32_t tag, std::uint32_t channels, std::uint32_t rate,
                        std::uint32_t bits, std::size_t size = 16) {
    const std::uint32_t align = channels * bits / 8;
    std::string body =
        le16(tag) + le16(channels) + le32(rate) + le32(rate * align) + le16(align) + le16(bits);
    body.resize(size, '\0');
    return chunk("fmt ", body);
}

// A data chunk that declares `size` bytes but holds only a few: the duration comes from the
// declared size.
std::string dataChunk(std::uint32_t size) {
    return "data" + le32(size) + std::string(8, 'x');
}

std::string riff(const std::string& chunks) {
    return "RIFF" + le32(static_cast<std::uint32_t>(4 + chunks.size())) + "WAVE" + chunks;
}

// One second of 8000 Hz 16-bit mono, with its samples present.
std::string oneSecondFile() {
    return riff(formatChunk(1, 1, 8000, 16) + chunk("data", std::string(16000, '\x01')));
}

class WavReaderTest : public test::EnvironmentTest {
  protected:
    int durationOf(const std::string& bytes) {
        const std::string path = env.path("probe.wav");
        test::writeFile(path, bytes);
        return wavDurationSeconds(path);
    }
};

TEST_F(WavReaderTest, RecordingsOfTheWaveSinkReadBack) {
    for (const int buffers : {39, 40}) {  // 9.98 s and 10.24 s of 4096-byte buffers
        const std::string path = env.path("call" + std::to_string(buffers) + ".wav");
        WavSink sink(1, 16, 8000);
        ASSERT_TRUE(sink.open(path));
        const std::vector<std::int16_t> samples(2048, 100);
        for (int i = 0; i < buffers; ++i) {
            sink.write(samples.data(), 4096);
        }
        sink.close();

        const auto info = readWavInfo(path);
        ASSERT_TRUE(info);
        EXPECT_EQ(info->dataOffset, 46u);
        EXPECT_EQ(info->dataSize, buffers * 4096u);
        EXPECT_EQ(info->sampleRate, 8000u);
        EXPECT_EQ(wavDurationSeconds(path), buffers == 40 ? 10 : 9);
    }
}

TEST_F(WavReaderTest, DurationFollowsRateSampleSizeAndChannels) {
    struct Case {
        std::uint32_t rate, bits, channels, dataSize;
        int seconds;
    };
    const Case cases[] = {
        {8000, 16, 1, 160000, 10},
        {8000, 16, 1, 15999, 0},
        {8000, 8, 1, 80000, 10},
        {44100, 16, 2, 176400 * 3 + 5, 3},
        {22050, 8, 2, 44100 * 4, 4},
        {0, 16, 1, 160000, 0},                 // no rate: never a division by zero
        {0xFFFFFFFFu, 16, 2, 0xFFFFFFFFu, 0},  // rate x 4 needs more than 32 bits
        {1, 8, 1, 0xFFFFFFFFu, INT_MAX},       // more seconds than an int holds
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::to_string(c.rate) + " Hz " + std::to_string(c.bits) + " bits " +
                     std::to_string(c.channels) + " channels");
        EXPECT_EQ(
            durationOf(riff(formatChunk(1, c.channels, c.rate, c.bits) + dataChunk(c.dataSize))),
            c.seconds);
    }
}

TEST_F(WavReaderTest, AudioBehindAnId3TagIsReadFromTheTagEnd) {
    constexpr std::uint32_t kTagSize = (1u << 14) + 5;  // syncsafe bytes 0, 1, 0, 5
    const std::string tag = std::string("ID3\x04\x00\x00", 6) + std::string("\x00\x01\x00\x05", 4) +
                            std::string(kTagSize, 'T');
    test::writeFile(env.path("tagged.wav"), tag + oneSecondFile());
    const auto info = readWavInfo(env.path("tagged.wav"));
    ASSERT_TRUE(info);
    EXPECT_EQ(info->dataOffset, 10 + kTagSize + 44);
    EXPECT_EQ(wavDurationSeconds(env.path("tagged.wav")), 1);

    // A tag size that runs past the end of the file leaves nothing to read.
    EXPECT_EQ(durationOf(std::string("ID3\x04\x00\x00\x7f\x7f\x7f\x7f", 10) + oneSecondFile()), 0);
}

TEST_F(WavReaderTest, OnlyPcmWithAFullFormatRecordCounts) {
    EXPECT_EQ(durationOf(riff(formatChunk(3, 1, 8000, 32) + dataChunk(320000))), 0);  // float
    EXPECT_EQ(durationOf(riff(formatChunk(0xFFFE, 1, 8000, 16, 40) + dataChunk(16000))), 0);
    EXPECT_EQ(durationOf(riff(formatChunk(1, 1, 8000, 16, 14) + dataChunk(16000))), 0);
    EXPECT_EQ(durationOf(riff(formatChunk(1, 1, 8000, 16, 40) + dataChunk(16000))), 1);
    // A format chunk declaring more bytes than the file holds.
    EXPECT_EQ(durationOf(riff("fmt " + le32(1000) + formatChunk(1, 1, 8000, 16).substr(8))), 0);
}

TEST_F(WavReaderTest, ChunksAreWalkedWithoutPadBytes) {
    const std::string format = formatChunk(1, 1, 8000, 16);
    const std::string list = chunk("LIST", std::string(26, 'L'));

    EXPECT_EQ(durationOf(riff(list + format + dataChunk(32000))), 2);
    EXPECT_EQ(durationOf(riff(format + list + chunk("fact", le32(16000)) + dataChunk(32000))), 2);
    // An odd chunk before the format chunk, padded as RIFF has it, puts the walk off the
    // chunk boundaries: recordings have always been read that way.
    EXPECT_EQ(
        durationOf(riff(chunk("JUNK", "abcde") + std::string(1, '\0') + format + dataChunk(32000))),
        0);
    // The data chunk is looked for after the format chunk only.
    EXPECT_EQ(durationOf(riff(dataChunk(32000) + format)), 0);
}

TEST_F(WavReaderTest, DamagedAndForeignFilesReadAsZero) {
    const std::string good = riff(formatChunk(1, 1, 8000, 16) + dataChunk(48000));
    ASSERT_EQ(durationOf(good), 3);
    // Every cut inside the header; from offset 44 on the declared data size counts.
    for (std::size_t length = 0; length < 44; ++length) {
        EXPECT_EQ(durationOf(good.substr(0, length)), 0) << "cut at " << length;
    }
    EXPECT_EQ(durationOf(good.substr(0, 44)), 3);

    EXPECT_EQ(durationOf(riff(std::string("LIST") + le32(0xFFFFFFF0u) +
                              formatChunk(1, 1, 8000, 16) + dataChunk(48000))),
              0);
    std::string notWave = good;
    notWave.replace(8, 4, "AVI ");
    EXPECT_EQ(durationOf(notWave), 0);
    std::string bigEndian = good;
    bigEndian.replace(0, 4, "RIFX");
    EXPECT_EQ(durationOf(bigEndian), 0);

    EXPECT_EQ(wavDurationSeconds(env.path("missing.wav")), 0);
    EXPECT_EQ(wavDurationSeconds(env.root()), 0);  // a folder
}

TEST_F(WavReaderTest, FilesWrittenBySoxReadBack) {
    AMBRIN_REQUIRE_TOOL("sox");
    struct Case {
        const char* arguments;
        int seconds;
    };
    const Case cases[] = {
        {"-r 8000 -c 1 -b 16", 3},
        {"-r 22050 -c 2 -b 16", 3},
        {"-r 8000 -c 1 -b 8", 3},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.arguments);
        const std::string path = env.path("sox.wav");
        std::remove(path.c_str());
        const test::ToolResult made = test::runTool(
            std::string("sox -n ") + c.arguments + " " + test::quoted(path) + " synth 3.7 sine 440",
            env.path("sox.txt"));
        ASSERT_EQ(made.exitCode, 0) << made.output;
        EXPECT_EQ(wavDurationSeconds(path), c.seconds);
    }
}

}  // namespace
}  // namespace ambrin
