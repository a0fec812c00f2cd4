#include "codec/WavFileWriter.h"

#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <csignal>
#include <optional>
#include <thread>

#include "CodecTestTools.h"
#include "codec/WavReader.h"
#include "platform/Folders.h"
#include "support/TestEnvironment.h"

namespace ambrin {
namespace {

using test::le16At;
using test::le32At;
using test::quoted;

constexpr std::size_t kHeaderSize = 44;

class WavFileWriterTest : public test::EnvironmentTest {
  protected:
    void SetUp() override {
        AMBRIN_REQUIRE_TOOL("sox");
        AMBRIN_REQUIRE_TOOL("oggenc");
    }

    // An OGG Vorbis file of a tone made by sox and encoded by oggenc.
    std::string makeOgg(const std::string& name, const std::string& format, double seconds) {
        const std::string wav = env.path(name + ".source.wav");
        const std::string ogg = env.path(name + ".ogg");
        const test::ToolResult tone =
            test::runTool("sox -n " + format + " " + quoted(wav) + " synth " +
                              std::to_string(seconds) + " sine 300-900",
                          env.path("sox.txt"));
        EXPECT_EQ(tone.exitCode, 0) << tone.output;
        const test::ToolResult encoded = test::runTool(
            "oggenc -Q -o " + quoted(ogg) + " " + quoted(wav), env.path("oggenc.txt"));
        EXPECT_EQ(encoded.exitCode, 0) << encoded.output;
        return ogg;
    }

    // Converts in a child process, so that a conversion that never ends fails the test
    // instead of hanging it. Empty when it did not end in time.
    static std::optional<bool> convertWithin(const std::string& ogg, const std::string& wav,
                                             std::chrono::seconds limit) {
        const pid_t child = ::fork();
        if (child == 0) {
            ::_exit(WavFileWriter().convert(ogg, wav) ? 0 : 1);
        }
        if (child < 0) {
            return std::nullopt;
        }
        const auto deadline = std::chrono::steady_clock::now() + limit;
        int status = 0;
        while (::waitpid(child, &status, WNOHANG) == 0) {
            if (std::chrono::steady_clock::now() > deadline) {
                ::kill(child, SIGKILL);
                ::waitpid(child, &status, 0);
                return std::nullopt;
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        }
        if (!WIFEXITED(status)) {
            return std::nullopt;
        }
        return WEXITSTATUS(status) == 0;
    }

    // The header describes exactly the samples that follow it.
    static void expectConsistent(const std::string& file, std::uint32_t channels) {
        ASSERT_GE(file.size(), kHeaderSize);
        EXPECT_EQ(file.substr(0, 4), "RIFF");
        EXPECT_EQ(le32At(file, 4), file.size() - 8);
        EXPECT_EQ(le32At(file, 40), file.size() - kHeaderSize);
        EXPECT_EQ((file.size() - kHeaderSize) % (channels * 2), 0u);
    }

    // Overwrites `count` bytes at `offset` with a pattern no OGG page has.
    static void damage(const std::string& path, std::size_t offset, std::size_t count) {
        std::string bytes = test::readFile(path);
        ASSERT_LT(offset + count, bytes.size());
        for (std::size_t i = 0; i < count; ++i) {
            bytes[offset + i] = static_cast<char>(0x5A ^ (i * 37));
        }
        test::writeFile(path, bytes);
    }
};

TEST_F(WavFileWriterTest, MonoRecordingGetsTheCanonicalHeaderAndEverySample) {
    const std::string ogg = makeOgg("call", "-r 8000 -c 1 -b 16", 3);
    const std::string wav = env.path("__temp__.wav");
    test::writeFile(wav, std::string(100000, 'x'));  // the previous playback's file

    ASSERT_TRUE(WavFileWriter().convert(ogg, wav));
    const std::string file = test::readFile(wav);
    ASSERT_EQ(file.size(), kHeaderSize + 3 * 8000 * 2);
    EXPECT_EQ(file.substr(0, 4), "RIFF");
    EXPECT_EQ(le32At(file, 4), 36u + 48000);
    EXPECT_EQ(file.substr(8, 8), "WAVEfmt ");
    EXPECT_EQ(le32At(file, 16), 16u);
    EXPECT_EQ(le16At(file, 20), 1u);
    EXPECT_EQ(le16At(file, 22), 1u);
    EXPECT_EQ(le32At(file, 24), 8000u);
    EXPECT_EQ(le32At(file, 28), 16000u);
    EXPECT_EQ(le16At(file, 32), 2u);
    EXPECT_EQ(le16At(file, 34), 16u);
    EXPECT_EQ(file.substr(36, 4), "data");
    EXPECT_EQ(le32At(file, 40), 48000u);
    EXPECT_EQ(wavDurationSeconds(wav), 3);

    if (test::toolAvailable("oggdec")) {
        const std::string raw = env.path("reference.raw");
        const test::ToolResult decoded =
            test::runTool("oggdec -Q -R -b 16 -e 0 -s 1 -o " + quoted(raw) + " " + quoted(ogg),
                          env.path("oggdec.txt"));
        ASSERT_EQ(decoded.exitCode, 0) << decoded.output;
        EXPECT_TRUE(file.substr(kHeaderSize) == test::readFile(raw))
            << "the samples differ from oggdec's";
    }
}

TEST_F(WavFileWriterTest, StereoStreamKeepsItsLayoutAndOtherToolsAgree) {
    const std::string ogg = makeOgg("music", "-r 44100 -c 2 -b 16", 2);
    const std::string wav = env.path("music.wav");
    ASSERT_TRUE(WavFileWriter().convert(ogg, wav));

    const std::string file = test::readFile(wav);
    EXPECT_EQ(le16At(file, 22), 2u);
    EXPECT_EQ(le32At(file, 24), 44100u);
    EXPECT_EQ(le32At(file, 28), 44100u * 4);
    EXPECT_EQ(le16At(file, 32), 4u);
    EXPECT_EQ(le32At(file, 40), 88200u * 4);
    expectConsistent(file, 2);

    if (test::toolAvailable("soxi")) {
        const std::string out = env.path("soxi.txt");
        EXPECT_EQ(test::runTool("soxi -r " + quoted(wav), out).output, "44100\n");
        EXPECT_EQ(test::runTool("soxi -c " + quoted(wav), out).output, "2\n");
        EXPECT_EQ(test::runTool("soxi -s " + quoted(wav), out).output, "88200\n");
    }
    if (test::toolAvailable("gst-launch-1.0")) {
        const test::ToolResult parsed = test::runTool(
            "gst-launch-1.0 -q filesrc location=" + quoted(wav) + " ! wavparse ! fakesink",
            env.path("gst.txt"));
        EXPECT_EQ(parsed.exitCode, 0) << parsed.output;
    }
}

TEST_F(WavFileWriterTest, FailsWithoutAVorbisSourceOrAWritableTarget) {
    const std::string wav = env.path("out.wav");
    EXPECT_FALSE(WavFileWriter().convert(env.path("missing.ogg"), wav));

    test::writeFile(env.path("text.ogg"), std::string(5000, 't'));
    EXPECT_FALSE(WavFileWriter().convert(env.path("text.ogg"), wav));

    const std::string pcm = env.path("tone.wav");
    ASSERT_EQ(test::runTool("sox -n -r 8000 -c 1 " + quoted(pcm) + " synth 1 sine 440",
                            env.path("sox.txt"))
                  .exitCode,
              0);
    EXPECT_FALSE(WavFileWriter().convert(pcm, wav));
    EXPECT_FALSE(fileExists(wav));  // the target is only made for a readable stream

    const std::string ogg = makeOgg("call", "-r 8000 -c 1 -b 16", 1);
    EXPECT_FALSE(WavFileWriter().convert(ogg, env.path("no/folder/out.wav")));
}

TEST_F(WavFileWriterTest, DamagedStreamEndsAndLeavesAConsistentFile) {
    const std::string ogg = makeOgg("damaged", "-r 8000 -c 1 -b 16", 60);
    const std::size_t size = test::readFile(ogg).size();
    damage(ogg, size * 2 / 5, 1500);
    damage(ogg, size * 3 / 5, 40);

    const std::string wav = env.path("damaged.wav");
    const std::optional<bool> converted = convertWithin(ogg, wav, std::chrono::seconds(30));
    ASSERT_TRUE(converted.has_value()) << "the conversion did not end";
    ASSERT_TRUE(*converted);
    const std::string file = test::readFile(wav);
    expectConsistent(file, 1);
    EXPECT_LT(file.size() - kHeaderSize, 60u * 8000 * 2);  // the damaged pages are missing
    EXPECT_GT(file.size() - kHeaderSize, 20u * 8000 * 2);
}

TEST_F(WavFileWriterTest, TruncatedStreamKeepsWhatCouldBeDecoded) {
    const std::string ogg = makeOgg("cut", "-r 8000 -c 1 -b 16", 60);
    const std::string bytes = test::readFile(ogg);
    test::writeFile(ogg, bytes.substr(0, bytes.size() * 3 / 5));

    const std::string wav = env.path("cut.wav");
    const std::optional<bool> converted = convertWithin(ogg, wav, std::chrono::seconds(30));
    ASSERT_TRUE(converted.has_value()) << "the conversion did not end";
    ASSERT_TRUE(*converted);
    const std::string file = test::readFile(wav);
    expectConsistent(file, 1);
    EXPECT_GT(file.size() - kHeaderSize, 20u * 8000 * 2);
    EXPECT_LT(file.size() - kHeaderSize, 60u * 8000 * 2);
}

}  // namespace
}  // namespace ambrin
