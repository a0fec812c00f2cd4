#include "codec/RecordingRepair.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <csignal>
#include <functional>
#include <random>

#define OV_EXCLUDE_STATIC_CALLBACKS
#include <vorbis/vorbisfile.h>

#include "CodecTestTools.h"
#include "EncoderTestTools.h"
#include "codec/Mp3Sink.h"
#include "codec/OggSink.h"
#include "codec/WavReader.h"
#include "codec/WavSink.h"
#include "support/TestEnvironment.h"

namespace ambrin {
namespace {

// A tone under noise: the encoders fill many pages and frames with it.
std::vector<std::int16_t> voice(double seconds) {
    std::vector<std::int16_t> samples = test::tone(seconds, 440);
    std::mt19937 random(11);
    std::uniform_int_distribution<int> noise(-6000, 6000);
    for (std::int16_t& s : samples) {
        s = static_cast<std::int16_t>(s / 2 + noise(random));
    }
    return samples;
}

// Where each Ogg page of a whole file ends, with the granule position it ends at.
std::vector<std::pair<std::size_t, std::int64_t>> oggPages(const std::string& file) {
    std::vector<std::pair<std::size_t, std::int64_t>> pages;
    for (std::size_t at = 0; at + 27 <= file.size();) {
        const std::size_t segments = static_cast<unsigned char>(file[at + 26]);
        std::size_t end = at + 27 + segments;
        for (std::size_t i = 0; i < segments; ++i) {
            end += static_cast<unsigned char>(file[at + 27 + i]);
        }
        pages.emplace_back(
            end, static_cast<std::int64_t>(test::le32At(file, at + 6) |
                                           std::uint64_t{test::le32At(file, at + 10)} << 32));
        at = end;
    }
    return pages;
}

// Cut points around some of the unit ends: inside the last byte, right after, inside the next
// header, inside the next unit.
std::vector<std::size_t> cutsAround(const std::vector<std::size_t>& ends, std::size_t size) {
    std::vector<std::size_t> cuts;
    for (std::size_t i = 0; i < ends.size(); i += std::max<std::size_t>(1, ends.size() / 12)) {
        for (const std::size_t cut : {ends[i] - 1, ends[i], ends[i] + 2, ends[i] + 40}) {
            if (cut < size) {
                cuts.push_back(cut);
            }
        }
    }
    return cuts;
}

class RecordingRepairTest : public test::EnvironmentTest {
  protected:
    void SetUp() override {
        env.setVariable(Mp3Library::kSearchOverrideVariable, std::nullopt);
        library = Mp3Library::load(env.path("program"));
        ASSERT_NE(library, nullptr) << "libmp3lame.so.0 is not installed";
    }

    std::string place(const std::string& name, const std::string& bytes) {
        test::writeFile(env.path(name), bytes);
        return env.path(name);
    }

    // Repairs, and checks that the outcome describes the file and that it is whole now.
    RepairOutcome repair(const std::string& path) {
        RepairOutcome outcome;
        EXPECT_TRUE(repairRecording(path, &outcome)) << path;
        EXPECT_EQ(outcome.bytes, test::readFile(path).size());
        RepairOutcome again;
        EXPECT_TRUE(repairRecording(path, &again));
        EXPECT_FALSE(again.changed) << "a repaired file is whole";
        EXPECT_EQ(again.seconds, outcome.seconds);
        return outcome;
    }

    void expectRefusedAndUntouched(const std::string& name, const std::string& bytes) {
        EXPECT_FALSE(repairRecording(place(name, bytes))) << bytes.size();
        EXPECT_EQ(test::readFile(env.path(name)), bytes) << bytes.size();
    }

    void expectTool(const std::string& command) {
        const test::ToolResult result = test::runTool(command, env.path("tool.txt"));
        EXPECT_EQ(result.exitCode, 0) << command << "\n" << result.output;
    }

    // A closed recording of `seconds` of voice.
    std::string record(RecordingSink& sink, const std::string& name, double seconds) {
        EXPECT_TRUE(test::feed(sink, voice(seconds)));
        sink.close();
        return test::readFile(env.path(name));
    }

    std::shared_ptr<Mp3Library> library;
};

// The program killed in the middle of a call: the child records with a sink that is never
// closed, and what stdio still buffered is lost.
TEST_F(RecordingRepairTest, AKilledRecorderLeavesFilesThatRepairToWhatReachedTheDisk) {
    AMBRIN_REQUIRE_TOOL("soxi");
    AMBRIN_REQUIRE_TOOL("ogginfo");
    AMBRIN_REQUIRE_TOOL("mpg123");
    using Opener = std::function<std::unique_ptr<RecordingSink>(const std::string&)>;
    const auto opener = [](auto make) -> Opener {
        return [make](const std::string& path) -> std::unique_ptr<RecordingSink> {
            auto sink = make();
            return sink->open(path) ? std::move(sink) : nullptr;
        };
    };
    const struct {
        std::string name;
        Opener open;
        std::string checker;
        int seconds;  // at least kept of 20
    } kinds[] = {
        {"call.wav", opener([] { return std::make_unique<WavSink>(1, 16, 8000); }), "soxi", 19},
        {"call.ogg", opener([] { return std::make_unique<OggSink>(); }), "ogginfo", 15},
        {"call.mp3", opener([this] { return std::make_unique<Mp3Sink>(library, 32, 8000); }),
         "mpg123 -q -t", 17},
    };
    for (const auto& kind : kinds) {
        SCOPED_TRACE(kind.name);
        const std::string path = env.path(kind.name);
        const pid_t child = ::fork();
        if (child == 0) {
            const std::unique_ptr<RecordingSink> sink = kind.open(path);
            if (sink != nullptr) {
                test::feed(*sink, voice(20.0));
                ::kill(::getpid(), SIGKILL);
            }
            ::_exit(1);
        }
        int status = 0;
        ASSERT_EQ(::waitpid(child, &status, 0), child);
        ASSERT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == SIGKILL);

        const RepairOutcome outcome = repair(path);
        EXPECT_TRUE(outcome.changed);
        EXPECT_GE(outcome.seconds, kind.seconds);
        expectTool(kind.checker + " " + test::quoted(path));
        if (kind.name == "call.wav") {
            continue;  // garbage in samples is just more samples
        }
        // Damage in the middle is passed over; zeros a power failure left at the end are cut.
        std::string damaged = test::readFile(path) + std::string(3000, '\0');
        for (std::size_t i = outcome.bytes / 2; i < outcome.bytes / 2 + 400; ++i) {
            damaged[i] = static_cast<char>(i * 7);
        }
        const RepairOutcome again = repair(place("damaged-" + kind.name, damaged));
        EXPECT_EQ(again.bytes, outcome.bytes);
        EXPECT_GE(again.seconds, kind.seconds - 1);
    }
}

TEST_F(RecordingRepairTest, WaveCutsKeepWholeFramesAndGetSizesForThem) {
    WavSink sink(2, 16, 8000);  // four-byte frames
    ASSERT_TRUE(sink.open(env.path("closed.wav")));
    const std::string closed = record(sink, "closed.wav", 3.0);
    std::string open = closed;  // the placeholders of a file still open
    open.replace(4, 4, test::le32(0));
    open.replace(42, 4, test::le32(18));
    std::string stale = closed;  // as a checkpoint one second in left it
    stale.replace(4, 4, test::le32(38 + 32000));
    stale.replace(42, 4, test::le32(32000));
    for (const std::size_t cut : {46, 47, 49, 50, 5003, 40001, 48046}) {
        for (const std::string* header : {&open, &stale}) {
            const std::string path = place("cut.wav", header->substr(0, cut));
            const RepairOutcome outcome = repair(path);
            const std::size_t data = (cut - 46) / 4 * 4;
            ASSERT_EQ(test::readFile(path), closed.substr(0, 4) + test::le32(38 + data) +
                                                closed.substr(8, 34) + test::le32(data) +
                                                closed.substr(46, data))
                << cut;
            EXPECT_EQ(outcome.seconds, static_cast<int>(data / 32000));
        }
    }
    for (const std::size_t cut : {0, 12, 45}) {
        expectRefusedAndUntouched("short.wav", open.substr(0, cut));
    }
}

TEST_F(RecordingRepairTest, WholeWaveFilesAndOtherLayoutsAreLeftAlone) {
    WavSink sink(1, 8, 8000);
    ASSERT_TRUE(sink.open(env.path("odd.wav")));
    const std::vector<std::int16_t> samples(8001, 0);
    sink.write(samples.data(), 8001);  // an odd data size, padded at close
    sink.close();
    const std::string odd = test::readFile(env.path("odd.wav"));
    EXPECT_FALSE(repair(env.path("odd.wav")).changed);
    EXPECT_EQ(test::readFile(env.path("odd.wav")), odd);

    const std::string listed = odd.substr(0, 38) + "LIST" + test::le32(4) + "INFO" + odd.substr(38);
    const RepairOutcome outcome = repair(place("listed.WAV", listed));
    EXPECT_FALSE(outcome.changed);
    EXPECT_EQ(outcome.seconds, 1);
    expectRefusedAndUntouched("listed.wav", listed.substr(0, 1000));
}

TEST_F(RecordingRepairTest, OggCutsKeepTheWholePagesAndEndTheStreamCleanly) {
    AMBRIN_REQUIRE_TOOL("ogginfo");
    OggSink sink;
    ASSERT_TRUE(sink.open(env.path("closed.ogg")));
    const std::string closed = record(sink, "closed.ogg", 30.0);
    const auto pages = oggPages(closed);
    ASSERT_GT(pages.size(), 12u);
    std::vector<std::size_t> ends;
    for (const auto& page : pages) {
        ends.push_back(page.first);
    }
    for (const std::size_t cut : cutsAround(ends, closed.size())) {
        SCOPED_TRACE(cut);
        const auto whole = static_cast<std::size_t>(
            std::upper_bound(ends.begin(), ends.end(), cut) - ends.begin());
        if (whole < 3) {  // the three header pages
            expectRefusedAndUntouched("cut.ogg", closed.substr(0, cut));
            continue;
        }
        const std::string path = place("cut.ogg", closed.substr(0, cut));
        const RepairOutcome outcome = repair(path);
        // Bytes kept as they were, but for the end-of-stream flag and the CRC of the last page.
        std::string expected = closed.substr(0, ends[whole - 1]);
        const std::string after = test::readFile(path);
        const std::size_t last = ends[whole - 2];
        expected[last + 5] = static_cast<char>(expected[last + 5] | 4);
        ASSERT_EQ(after.size(), expected.size());
        EXPECT_EQ(after.substr(0, last + 22), expected.substr(0, last + 22));
        EXPECT_EQ(after.substr(last + 26), expected.substr(last + 26));

        OggVorbis_File vorbis;
        ASSERT_EQ(ov_fopen(path.c_str(), &vorbis), 0);
        EXPECT_EQ(ov_pcm_total(&vorbis, -1), pages[whole - 1].second);
        ov_clear(&vorbis);
        EXPECT_EQ(outcome.seconds, static_cast<int>(pages[whole - 1].second / 8000));
        expectTool("ogginfo " + test::quoted(path));
    }
    EXPECT_FALSE(repair(env.path("closed.ogg")).changed);
    EXPECT_EQ(test::readFile(env.path("closed.ogg")), closed);
    // Old blocks behind the end of the stream, whole pages among them, are no part of it.
    repair(place("trailed.ogg", closed + closed.substr(ends[4], 9000)));
    EXPECT_EQ(test::readFile(env.path("trailed.ogg")), closed);
    std::string badHeader = closed;
    badHeader[40] ^= 1;
    expectRefusedAndUntouched("badheader.ogg", badHeader);
}

TEST_F(RecordingRepairTest, Mp3CutsKeepTheWholeFramesThatMpg123Decodes) {
    AMBRIN_REQUIRE_TOOL("mpg123");
    Mp3Sink sink(library, 16, 8000);
    ASSERT_TRUE(sink.open(env.path("closed.mp3")));
    const std::string closed = record(sink, "closed.mp3", 10.0);
    std::vector<std::size_t> ends;
    for (const test::Mp3Frame& frame : test::layer3Frames(closed)) {
        ends.push_back(frame.offset + frame.length);
    }
    ASSERT_GT(ends.size(), 100u);
    const std::string tag = std::string("ID3\x03\0\0\0\0\0\x05", 10) + "audio";
    for (const std::size_t cut : cutsAround(ends, closed.size())) {
        SCOPED_TRACE(cut);
        const auto whole = static_cast<std::size_t>(
            std::upper_bound(ends.begin(), ends.end(), cut) - ends.begin());
        if (whole == 0) {
            expectRefusedAndUntouched("cut.mp3", closed.substr(0, cut));
            continue;
        }
        const std::string path = place("cut.Mp3", tag + closed.substr(0, cut));
        const RepairOutcome outcome = repair(path);
        EXPECT_EQ(test::readFile(path), tag + closed.substr(0, ends[whole - 1]));
        EXPECT_EQ(outcome.seconds, static_cast<int>(whole * 576 / 16000));
        expectTool("mpg123 -q -O " + test::quoted(path + ".raw") + " " + test::quoted(path));
        if (whole > 1) {  // mpg123 wants a second header to trust the first
            EXPECT_EQ(test::readFile(path + ".raw").size(), whole * 576 * 2);
        }
    }
    const std::string withId3v1 = closed + "TAG" + std::string(125, ' ');
    EXPECT_FALSE(repair(place("id3v1.mp3", withId3v1)).changed);
    expectRefusedAndUntouched("tag.mp3", tag);
    expectRefusedAndUntouched("zeros.mp3", std::string(5000, '\0'));
}

TEST_F(RecordingRepairTest, OnlyRegularFilesOfTheThreeFormats) {
    EXPECT_FALSE(repairRecording(place("call.flac", "fLaC")));
    EXPECT_FALSE(repairRecording(env.path("missing.wav")));
    ASSERT_EQ(::mkdir(env.path("folder.ogg").c_str(), 0755), 0);
    EXPECT_FALSE(repairRecording(env.path("folder.ogg")));
}

}  // namespace
}  // namespace ambrin
