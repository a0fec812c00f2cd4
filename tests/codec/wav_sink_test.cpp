#include "codec/WavSink.h"

#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <csignal>
#include <cstring>
#include <vector>

#include "CodecTestTools.h"
#include "support/TestEnvironment.h"

namespace ambrin {
namespace {

using test::le16At;
using test::le32At;

constexpr std::size_t kBufferBytes = 4096;  // one 256 ms capture buffer
constexpr std::size_t kDataOffset = 46;

// A capture buffer whose samples differ from buffer to buffer, so that order and completeness
// show in the file.
std::vector<std::int16_t> captureBuffer(int index) {
    std::vector<std::int16_t> samples(kBufferBytes / 2);
    for (std::size_t i = 0; i < samples.size(); ++i) {
        samples[i] = static_cast<std::int16_t>((index * 7919 + static_cast<int>(i) * 131) % 65536);
    }
    return samples;
}

std::string bytesOf(const std::vector<std::int16_t>& samples, std::size_t byteCount) {
    return std::string(reinterpret_cast<const char*>(samples.data()), byteCount);
}

class WavSinkTest : public test::EnvironmentTest {
  protected:
    // Writes `count` capture buffers; returns the bytes handed to the sink.
    static std::string record(WavSink& sink, int count) {
        std::string written;
        for (int i = 0; i < count; ++i) {
            const auto samples = captureBuffer(i);
            EXPECT_TRUE(sink.write(samples.data(), kBufferBytes));
            written += bytesOf(samples, kBufferBytes);
        }
        return written;
    }

    // Records `count` buffers into a new closed file at 8000 Hz, 16 bits, mono.
    std::string recordFile(const std::string& name, int count) {
        WavSink sink(1, 16, 8000);
        EXPECT_TRUE(sink.open(env.path(name)));
        const std::string written = record(sink, count);
        sink.close();
        return written;
    }

    static void expectFormat(const std::string& file, std::uint32_t rate, std::uint32_t bits) {
        ASSERT_GE(file.size(), kDataOffset);
        EXPECT_EQ(file.substr(0, 4), "RIFF");
        EXPECT_EQ(file.substr(8, 4), "WAVE");
        EXPECT_EQ(file.substr(12, 4), "fmt ");
        EXPECT_EQ(le32At(file, 16), 18u);
        EXPECT_EQ(le16At(file, 20), 1u);  // PCM
        EXPECT_EQ(le16At(file, 22), 1u);  // mono
        EXPECT_EQ(le32At(file, 24), rate);
        EXPECT_EQ(le32At(file, 28), rate * bits / 8);
        EXPECT_EQ(le16At(file, 32), bits / 8);
        EXPECT_EQ(le16At(file, 34), bits);
        EXPECT_EQ(le16At(file, 36), 0u);  // no extra format bytes
        EXPECT_EQ(file.substr(38, 4), "data");
    }
};

TEST_F(WavSinkTest, ClosedRecordingHasTrueSizesAndTheSamplesAsReceived) {
    constexpr int kBuffers = 5;
    const std::string written = recordFile("call.wav", kBuffers);
    const std::string file = test::readFile(env.path("call.wav"));

    expectFormat(file, 8000, 16);
    ASSERT_EQ(file.size(), kDataOffset + kBuffers * kBufferBytes);
    EXPECT_EQ(le32At(file, 4), kBuffers * kBufferBytes + 38);
    EXPECT_EQ(le32At(file, 42), kBuffers * kBufferBytes);
    EXPECT_EQ(file.substr(kDataOffset), written);
}

TEST_F(WavSinkTest, DeclaresTheFormatItWasCreatedWith) {
    WavSink sink(1, 8, 11025);
    ASSERT_TRUE(sink.open(env.path("low.wav")));
    record(sink, 1);
    sink.close();
    const std::string file = test::readFile(env.path("low.wav"));
    expectFormat(file, 11025, 8);
    EXPECT_EQ(le32At(file, 42), kBufferBytes);
}

TEST_F(WavSinkTest, SizeFieldsHoldPlaceholdersUntilClosed) {
    WavSink sink(1, 16, 8000);
    ASSERT_TRUE(sink.open(env.path("running.wav")));
    record(sink, 3);

    const std::string running = test::readFile(env.path("running.wav"));
    expectFormat(running, 8000, 16);
    EXPECT_EQ(le32At(running, 4), 0u);
    EXPECT_EQ(le32At(running, 42), 18u);

    sink.close();
    const std::string closed = test::readFile(env.path("running.wav"));
    EXPECT_EQ(le32At(closed, 4), 3 * kBufferBytes + 38);
    EXPECT_EQ(le32At(closed, 42), 3 * kBufferBytes);
}

TEST_F(WavSinkTest, OddSizedDataGetsAZeroPadByteCountedInTheRiffSize) {
    WavSink sink(1, 8, 8000);
    ASSERT_TRUE(sink.open(env.path("odd.wav")));
    const auto samples = captureBuffer(1);
    ASSERT_TRUE(sink.write(samples.data(), kBufferBytes - 1));
    sink.close();

    const std::string file = test::readFile(env.path("odd.wav"));
    ASSERT_EQ(file.size(), kDataOffset + kBufferBytes);
    EXPECT_EQ(le32At(file, 42), kBufferBytes - 1);
    EXPECT_EQ(le32At(file, 4), file.size() - 8);
    EXPECT_EQ(file.substr(kDataOffset, kBufferBytes - 1), bytesOf(samples, kBufferBytes - 1));
    EXPECT_EQ(file.back(), '\0');
}

TEST_F(WavSinkTest, CloseIsHarmlessWhenNeverOpenedOrRepeated) {
    {
        WavSink never(1, 16, 8000);
        never.close();
        never.close();
    }  // and its destructor

    WavSink sink(1, 16, 8000);
    ASSERT_TRUE(sink.open(env.path("second.wav")));
    record(sink, 2);
    sink.close();
    const std::string closedOnce = test::readFile(env.path("second.wav"));
    sink.close();
    EXPECT_EQ(test::readFile(env.path("second.wav")), closedOnce);
    EXPECT_EQ(le32At(closedOnce, 42), 2 * kBufferBytes);
}

TEST_F(WavSinkTest, DestroyingAnOpenSinkFinishesTheFile) {
    std::string written;
    {
        WavSink sink(1, 16, 8000);
        ASSERT_TRUE(sink.open(env.path("dropped.wav")));
        written = record(sink, 2);
    }
    const std::string file = test::readFile(env.path("dropped.wav"));
    EXPECT_EQ(le32At(file, 4), 2 * kBufferBytes + 38);
    EXPECT_EQ(file.substr(kDataOffset), written);
}

TEST_F(WavSinkTest, OpenNeverReplacesAFileAndFailsWithoutAFolder) {
    test::writeFile(env.path("earlier.wav"), "an earlier call");
    WavSink sink(1, 16, 8000);
    EXPECT_FALSE(sink.open(env.path("earlier.wav")));
    EXPECT_EQ(test::readFile(env.path("earlier.wav")), "an earlier call");
    EXPECT_FALSE(sink.open(env.path("no/such/folder/call.wav")));

    ASSERT_TRUE(sink.open(env.path("call.wav")));
    EXPECT_FALSE(sink.open(env.path("other.wav")));  // one file per sink
}

TEST_F(WavSinkTest, WriteFailsWithoutAnOpenFileOrSamples) {
    const auto samples = captureBuffer(0);
    WavSink sink(1, 16, 8000);
    EXPECT_FALSE(sink.write(samples.data(), kBufferBytes));

    ASSERT_TRUE(sink.open(env.path("call.wav")));
    EXPECT_FALSE(sink.write(nullptr, kBufferBytes));
    sink.close();
    EXPECT_FALSE(sink.write(samples.data(), kBufferBytes));
    EXPECT_EQ(test::readFile(env.path("call.wav")).size(), kDataOffset);
}

TEST_F(WavSinkTest, SoxReadsTheRecording) {
    AMBRIN_REQUIRE_TOOL("soxi");
    constexpr int kBuffers = 8;  // 2.048 s
    recordFile("call.wav", kBuffers);
    const std::string file = test::quoted(env.path("call.wav"));
    const std::string out = env.path("soxi.txt");

    EXPECT_EQ(test::runTool("soxi -r " + file, out).output, "8000\n");
    EXPECT_EQ(test::runTool("soxi -c " + file, out).output, "1\n");
    EXPECT_EQ(test::runTool("soxi -b " + file, out).output, "16\n");
    EXPECT_EQ(test::runTool("soxi -s " + file, out).output,
              std::to_string(kBuffers * kBufferBytes / 2) + "\n");
    EXPECT_EQ(test::runTool("soxi -D " + file, out).output, "2.048000\n");
}

TEST_F(WavSinkTest, GStreamerDecodesTheSamplesUnchanged) {
    AMBRIN_REQUIRE_TOOL("gst-launch-1.0");
    const std::string written = recordFile("call.wav", 4);
    const test::ToolResult result = test::runTool(
        "gst-launch-1.0 -q filesrc location=" + test::quoted(env.path("call.wav")) +
            " ! wavparse ! filesink location=" + test::quoted(env.path("decoded.raw")),
        env.path("gst.txt"));
    ASSERT_EQ(result.exitCode, 0) << result.output;
    EXPECT_EQ(test::readFile(env.path("decoded.raw")), written);
}

// A full disk, made with a file-size limit in a child process so that this process keeps its
// own limits.
TEST_F(WavSinkTest, WriteFailsOnAFullDiskAndTheFileStaysConsistent) {
    constexpr rlim_t kLimit = kDataOffset + 3 * kBufferBytes + 1000;
    constexpr int kAttempts = 30;
    // Pieces that do not fill the stdio buffer evenly: some bytes are still buffered when
    // the disk refuses them.
    constexpr std::size_t kPieceBytes = 3000;
    const std::string path = env.path("full.wav");

    const pid_t child = ::fork();
    ASSERT_NE(child, -1);
    if (child == 0) {
        std::signal(SIGXFSZ, SIG_IGN);
        const rlimit limit{kLimit, kLimit};
        if (::setrlimit(RLIMIT_FSIZE, &limit) != 0) {
            ::_exit(10);
        }
        WavSink sink(1, 16, 8000);
        if (!sink.open(path)) {
            ::_exit(11);
        }
        const auto samples = captureBuffer(0);
        int accepted = 0;
        while (accepted < kAttempts && sink.write(samples.data(), kPieceBytes)) {
            ++accepted;
        }
        sink.close();
        ::_exit(accepted < kAttempts ? 0 : 12);
    }
    int status = 0;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFEXITED(status));
    ASSERT_EQ(WEXITSTATUS(status), 0) << "10: no limit, 11: no file, 12: no write failed";

    const std::string file = test::readFile(path);
    ASSERT_EQ(file.size(), kLimit);
    EXPECT_EQ(le32At(file, 4), file.size() - 8);
    EXPECT_EQ(le32At(file, 42), file.size() - kDataOffset);
}

}  // namespace
}  // namespace ambrin
