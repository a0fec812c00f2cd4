#include <gtest/gtest.h>

#include <random>

#include "CodecTestTools.h"
#include "EncoderTestTools.h"
#include "codec/Mp3Duration.h"
#include "codec/Mp3Sink.h"
#include "codec/OggDuration.h"
#include "codec/OggSink.h"
#include "support/TestEnvironment.h"

namespace ambrin {
namespace {

// An ID3v2.3 tag around `payload`, its size in four 7-bit bytes.
std::string id3v2Tag(const std::string& payload) {
    std::string tag("ID3\x03\0\0", 6);
    for (int shift = 21; shift >= 0; shift -= 7) {
        tag += static_cast<char>((payload.size() >> shift) & 0x7F);
    }
    return tag + payload;
}

class DurationTest : public test::EnvironmentTest {
  protected:
    void SetUp() override {
        env.setVariable(Mp3Library::kSearchOverrideVariable, std::nullopt);
        m_library = Mp3Library::load(env.path("program"));
        ASSERT_NE(m_library, nullptr) << "libmp3lame.so.0 is not installed";
    }

    // The bytes of an MP3 recording of `seconds` of audio.
    std::string mp3(int bitRate, double seconds) {
        const std::string path = env.path("made.mp3");
        std::remove(path.c_str());
        Mp3Sink sink(m_library, bitRate, 8000);
        EXPECT_TRUE(sink.open(path));
        EXPECT_TRUE(test::feed(sink, test::tone(seconds, 440)));
        sink.close();
        return test::readFile(path);
    }

    std::string ogg(double seconds) {
        const std::string path = env.path("made.ogg");
        std::remove(path.c_str());
        OggSink sink;
        EXPECT_TRUE(sink.open(path));
        EXPECT_TRUE(test::feed(sink, test::tone(seconds, 440)));
        sink.close();
        return test::readFile(path);
    }

    int mp3Seconds(const std::string& bytes) {
        test::writeFile(env.path("measured"), bytes);
        return mp3DurationSeconds(env.path("measured"));
    }

    int oggSeconds(const std::string& bytes) {
        test::writeFile(env.path("measured"), bytes);
        return oggDurationSeconds(env.path("measured"));
    }

    std::shared_ptr<Mp3Library> m_library;
};

TEST_F(DurationTest, Mp3RecordingsAt16And128KbitsMeasureTheirLength) {
    const std::string at16 = mp3(16, 10.0);
    const std::string at128 = mp3(128, 10.0);
    EXPECT_EQ(mp3Seconds(at16), 10);
    EXPECT_EQ(mp3Seconds(at128), 10);
    EXPECT_EQ(at128.size() * 8 / 16000, 80u) << "what the size alone would say";
}

TEST_F(DurationTest, Mp3TagsDamageAndACutFrameAreNotCounted) {
    // 10.45 s of audio, a little more in frames: losing a few frames keeps 10 s.
    const std::string audio = mp3(128, 10.45);
    // A tag may carry frames (an attached sound, say); they are no audio of the file.
    EXPECT_EQ(mp3Seconds(id3v2Tag(audio.substr(0, 100000)) + audio + "TAG" + std::string(125, ' ')),
              10);
    std::string damaged = audio;
    std::mt19937 random(7);
    for (std::size_t i = 50000; i < 51000; ++i) {
        damaged[i] = static_cast<char>(random());
    }
    EXPECT_EQ(mp3Seconds(damaged), 10) << "the frames after the damage are found again";

    // 36 ms a frame at 32 kHz: 28 frames make 1.008 s, 27 and a half 0.99 s.
    const std::vector<test::Mp3Frame> frames = test::layer3Frames(audio);
    ASSERT_GT(frames.size(), 28u);
    EXPECT_EQ(mp3Seconds(audio.substr(0, frames[28].offset)), 1);
    EXPECT_EQ(mp3Seconds(audio.substr(0, frames[27].offset + frames[27].length / 2)), 0);
}

TEST_F(DurationTest, Mp3WithoutFramesCountsTheSizeAt16Kbits) {
    EXPECT_EQ(mp3Seconds(std::string(40000, '\0')), 20);
    EXPECT_EQ(mp3Seconds(id3v2Tag(std::string(49990, 'x'))), 25);
    // A header that no second frame confirms is no frame.
    EXPECT_EQ(mp3Seconds(std::string("\xFF\xFB\x90\x64", 4) + std::string(39996, '\0')), 20);
    EXPECT_EQ(mp3Seconds(""), 0);
    EXPECT_EQ(mp3DurationSeconds(env.path("missing.mp3")), 0);
}

TEST_F(DurationTest, Mp3FromTheLameProgramWithItsTagsAndInformationFrame) {
    AMBRIN_REQUIRE_TOOL("lame");
    AMBRIN_REQUIRE_TOOL("sox");
    // 12.5 s at 8 kHz: MPEG-2.5.
    const std::string wav = test::quoted(env.path("in.wav"));
    const std::string out = test::quoted(env.path("lame.mp3"));
    const test::ToolResult made = test::runTool("sox -n -r 8000 -c 1 -b 16 " + wav +
                                                    " synth 12.5 sine 300 && lame --quiet -b 24 "
                                                    "--add-id3v2 --tt Call " +
                                                    wav + " " + out,
                                                env.path("tools.txt"));
    ASSERT_EQ(made.exitCode, 0) << made.output;
    EXPECT_EQ(mp3DurationSeconds(env.path("lame.mp3")), 12);
}

TEST_F(DurationTest, OggRecordingsMeasureTheirSamplesAndAnythingElseNothing) {
    const std::string audio = ogg(7.99);
    EXPECT_EQ(oggSeconds(audio), 7);
    EXPECT_EQ(oggSeconds(audio.substr(0, 3000)), 0);
    EXPECT_EQ(oggSeconds("OggS, but no more"), 0);
    EXPECT_EQ(oggDurationSeconds(env.path("missing.ogg")), 0);
    EXPECT_EQ(oggDurationSeconds(env.root()), 0);
}

// Damaged recordings of both kinds through both measurements; in the sanitizer build a stray
// read fails the test.
TEST_F(DurationTest, DamagedFilesAreMeasuredSafely) {
    const std::string seeds[] = {mp3(16, 2.0), mp3(320, 1.0), ogg(2.0)};
    std::mt19937 random(20240601);
    for (int round = 0; round < 300; ++round) {
        std::string bytes = seeds[round % 3];
        if (round % 3 == 0) {
            bytes.resize(random() % bytes.size());
        } else if (round % 3 == 1) {
            bytes = std::string("ID3\x04\0\x10\x7F\x7F\x7F\x7F", 10) +
                    bytes;  // a tag larger than the file
        }
        for (int i = 0; i < 20 && !bytes.empty(); ++i) {
            bytes[random() % bytes.size()] = static_cast<char>(random());
        }
        const int seconds = mp3Seconds(bytes);
        ASSERT_GE(seconds, 0) << round;
        ASSERT_LE(seconds, static_cast<int>(bytes.size() / 1000 + 1))
            << round << ": more than 8 kbit/s allow";
        ASSERT_GE(oggSeconds(bytes), 0) << round;
    }
}

}  // namespace
}  // namespace ambrin
