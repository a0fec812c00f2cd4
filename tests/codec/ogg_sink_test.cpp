#include "codec/OggSink.h"

#include <gtest/gtest.h>

#include <ctime>

#define OV_EXCLUDE_STATIC_CALLBACKS
#include <vorbis/vorbisfile.h>

#include "CodecTestTools.h"
#include "EncoderTestTools.h"
#include "codec/OggDuration.h"
#include "support/TestEnvironment.h"

namespace ambrin {
namespace {

struct Page {
    unsigned flags = 0;  // 2: first page, 4: last page
    std::int64_t granule = 0;
    std::uint32_t serial = 0;
    int packetsEnding = 0;  // lacing values below 255
    std::string body;
};

std::vector<Page> pagesOf(const std::string& file) {
    std::vector<Page> pages;
    std::size_t at = 0;
    while (at + 27 <= file.size() && file.compare(at, 4, "OggS") == 0) {
        Page page;
        page.flags = static_cast<unsigned char>(file[at + 5]);
        page.granule = static_cast<std::int64_t>(test::le32At(file, at + 6) |
                                                 std::uint64_t{test::le32At(file, at + 10)} << 32);
        page.serial = test::le32At(file, at + 14);
        const std::size_t segments = static_cast<unsigned char>(file[at + 26]);
        std::size_t size = 0;
        for (std::size_t i = 0; i < segments; ++i) {
            const auto lacing = static_cast<unsigned char>(file.at(at + 27 + i));
            size += lacing;
            page.packetsEnding += lacing < 255 ? 1 : 0;
        }
        page.body = file.substr(at + 27 + segments, size);
        pages.push_back(page);
        at += 27 + segments + size;
    }
    EXPECT_EQ(at, file.size()) << "bytes after the last whole page";
    return pages;
}

struct Decoded {
    int channels = 0;
    long rate = 0;
    std::int64_t total = -1;
    std::string comments;
    std::vector<std::int16_t> samples;
};

Decoded decode(const std::string& path) {
    Decoded out;
    OggVorbis_File file;
    if (ov_fopen(path.c_str(), &file) != 0) {
        ADD_FAILURE() << "libvorbisfile cannot open " << path;
        return out;
    }
    out.channels = ov_info(&file, -1)->channels;
    out.rate = ov_info(&file, -1)->rate;
    out.total = ov_pcm_total(&file, -1);
    const vorbis_comment* comment = ov_comment(&file, -1);
    for (int i = 0; i < comment->comments; ++i) {
        out.comments += std::string(comment->user_comments[i]) + ";";
    }
    char buffer[4096];
    long got = 0;
    while ((got = ov_read(&file, buffer, sizeof buffer, 0, 2, 1, nullptr)) > 0) {
        const auto* samples = reinterpret_cast<const std::int16_t*>(buffer);
        out.samples.insert(out.samples.end(), samples, samples + got / 2);
    }
    ov_clear(&file);
    return out;
}

class OggSinkTest : public test::EnvironmentTest {
  protected:
    std::string record(const std::string& name, const std::vector<std::int16_t>& samples) {
        const std::string path = env.path(name);
        OggSink sink;
        EXPECT_TRUE(sink.open(path));
        EXPECT_TRUE(test::feed(sink, samples));
        sink.close();
        return path;
    }
};

TEST_F(OggSinkTest, ClosedAfterItsHeadersItIsAValidEmptyStreamWithTheEncoderComment) {
    const std::string path = record("empty.ogg", {});
    const Decoded decoded = decode(path);
    EXPECT_EQ(decoded.channels, 1);
    EXPECT_EQ(decoded.rate, 8000);
    EXPECT_EQ(decoded.total, 0);
    EXPECT_EQ(decoded.comments, "ENCODER=TAVIX OGG Encoder;");

    // Identification, comment and codebooks: one packet and one page each.
    const std::vector<Page> pages = pagesOf(test::readFile(path));
    ASSERT_EQ(pages.size(), 4u);
    for (std::size_t i = 0; i < 3; ++i) {
        EXPECT_EQ(pages[i].packetsEnding, 1) << i;
        EXPECT_EQ(pages[i].body.substr(0, 7),
                  std::string(1, static_cast<char>(2 * i + 1)) + "vorbis");
    }
    EXPECT_EQ(pages[3].flags, 4u);

    AMBRIN_REQUIRE_TOOL("ogginfo");
    const test::ToolResult info =
        test::runTool("ogginfo " + test::quoted(path), env.path("info.txt"));
    EXPECT_EQ(info.exitCode, 0) << info.output;
    EXPECT_EQ(info.output.find("WARNING"), std::string::npos) << info.output;
}

TEST_F(OggSinkTest, PlayTimeIsTheCapturedSamplesAndTheToneComesBack) {
    const std::vector<std::int16_t> input =
        test::tone(10.5 * 2048 / 8000, 500);  // ends in half a buffer
    const std::string path = record("tone.ogg", input);
    const Decoded decoded = decode(path);
    EXPECT_EQ(decoded.total, static_cast<std::int64_t>(input.size()));
    EXPECT_EQ(decoded.samples.size(), input.size());
    EXPECT_NEAR(test::measuredFrequency(decoded.samples, 8000), 500, 10);
    EXPECT_NEAR(test::rms(decoded.samples), test::rms(input), 0.1 * test::rms(input));
    EXPECT_EQ(oggDurationSeconds(path), 2);

    const std::vector<Page> pages = pagesOf(test::readFile(path));
    ASSERT_GE(pages.size(), 4u);
    EXPECT_EQ(pages.back().flags, 4u);
    EXPECT_EQ(pages.back().granule, static_cast<std::int64_t>(input.size()));
}

TEST_F(OggSinkTest, SinksMadeInTheSameSecondShareTheSerialNumber) {
    for (int attempt = 0; attempt < 5; ++attempt) {  // again when a second begins in between
        const std::time_t before = std::time(nullptr);
        OggSink first;
        OggSink second;
        if (std::time(nullptr) != before) {
            continue;
        }
        ASSERT_TRUE(first.open(env.path("a.ogg")));
        ASSERT_TRUE(second.open(env.path("b.ogg")));
        first.close();
        second.close();
        const auto serial = static_cast<std::uint32_t>(first.serialNumber());
        EXPECT_EQ(pagesOf(test::readFile(env.path("a.ogg"))).back().serial, serial);
        EXPECT_EQ(pagesOf(test::readFile(env.path("b.ogg"))).back().serial, serial);
        return;
    }
    FAIL() << "never made two sinks within one second";
}

TEST_F(OggSinkTest, OpenNeverReplacesAFileAndWriteReportsAFullDisk) {
    test::writeFile(env.path("earlier.ogg"), "an earlier call");
    OggSink sink;
    EXPECT_FALSE(sink.open(env.path("earlier.ogg")));
    EXPECT_EQ(test::readFile(env.path("earlier.ogg")), "an earlier call");

    EXPECT_TRUE(test::writeFailsOnAFullDisk([this] {
        OggSink full;
        const std::vector<std::int16_t> second = test::tone(1.0, 1234);
        if (!full.open(env.path("full.ogg"))) {
            return true;
        }
        bool ok = true;
        for (int i = 0; i < 60 && ok; ++i) {
            ok = test::feed(full, second);
        }
        return ok;
    }));
}

}  // namespace
}  // namespace ambrin
