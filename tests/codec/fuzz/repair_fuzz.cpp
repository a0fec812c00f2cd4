// libFuzzer target: the repair of interrupted recordings on any bytes. Each input is written into
// a fresh folder in $TMPDIR as a ".wav", an ".ogg" and an ".mp3" file, and each of them is read,
// repaired, repaired again and measured. Aborts when a repair grows a file, changes a byte it
// may not change, leaves work for a second repair, reports another size or duration than the
// file has, or when the folder holds anything else afterwards or a file beside it changed.
#include <dirent.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <string>

#include "codec/Mp3Duration.h"
#include "codec/OggDuration.h"
#include "codec/RecordingRepair.h"
#include "codec/WavReader.h"

namespace {

const char* const kNames[] = {"call.wav", "call.ogg", "call.mp3"};
const std::string kSentinelText = "left alone";

std::string readAll(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

void writeAll(const std::string& path, const std::uint8_t* data, std::size_t size) {
    std::FILE* file = std::fopen(path.c_str(), "wb");
    if (file == nullptr || std::fwrite(data, 1, size, file) != size || std::fclose(file) != 0) {
        std::abort();
    }
}

// Names the broken expectation before the fuzzer records the input.
#define REQUIRE(condition)                                                             \
    do {                                                                               \
        if (!(condition)) {                                                            \
            std::fprintf(stderr, "repair fuzz: %s (line %d)\n", #condition, __LINE__); \
            std::abort();                                                              \
        }                                                                              \
    } while (false)

// The bytes a repair may change: a WAVE file's RIFF size and data size (after a format record
// of 16 or 18 bytes), one Ogg page's flags and CRC. MP3 files are only ever cut.
void checkChanges(std::size_t kind, const std::string& before, const std::string& after) {
    std::size_t first = std::string::npos;
    std::size_t last = 0;
    std::size_t count = 0;
    for (std::size_t i = 0; i < after.size(); ++i) {
        if (before[i] == after[i]) {
            continue;
        }
        REQUIRE(kind != 0 || (i >= 4 && i < 8) || (i >= 40 && i < 46));
        first = std::min(first, i);
        last = i;
        ++count;
    }
    REQUIRE(kind != 1 || count == 0 || (count <= 5 && last - first < 27));
    REQUIRE(kind != 2 || count == 0);
}

int durationOf(std::size_t kind, const std::string& path) {
    return kind == 0   ? ambrin::wavDurationSeconds(path)
           : kind == 1 ? ambrin::oggDurationSeconds(path)
                       : ambrin::mp3DurationSeconds(path);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static const std::string base = [] {
        const char* folder = std::getenv("TMPDIR");
        return std::string(folder != nullptr ? folder : "/tmp") + "/repair-" +
               std::to_string(::getpid());
    }();
    static const std::string sentinel = base + "-sentinel";
    static const bool made = [] {
        std::ofstream(sentinel, std::ios::binary) << kSentinelText;
        return true;
    }();
    REQUIRE(made && ::mkdir(base.c_str(), 0700) == 0);

    const std::string input(reinterpret_cast<const char*>(data), size);
    for (std::size_t kind = 0; kind < 3; ++kind) {
        const std::string path = base + "/" + kNames[kind];
        writeAll(path, data, size);
        (void)ambrin::readWavInfo(path);

        ambrin::RepairOutcome outcome;
        const bool repaired = ambrin::repairRecording(path, &outcome);
        const std::string after = readAll(path);
        REQUIRE(after.size() <= size);
        if (!repaired) {
            REQUIRE(after == input);
            continue;
        }
        checkChanges(kind, input, after);
        REQUIRE(outcome.bytes == after.size() && outcome.changed == (after != input));
        REQUIRE(outcome.seconds == durationOf(kind, path));

        ambrin::RepairOutcome again;
        REQUIRE(ambrin::repairRecording(path, &again) && !again.changed &&
                again.bytes == outcome.bytes && readAll(path) == after);
    }

    // Nothing but the three files in the folder, and nothing beside it touched.
    DIR* folder = ::opendir(base.c_str());
    REQUIRE(folder != nullptr);
    int entries = 0;
    while (const dirent* entry = ::readdir(folder)) {
        entries += std::string(entry->d_name) != "." && std::string(entry->d_name) != ".." ? 1 : 0;
    }
    ::closedir(folder);
    REQUIRE(entries == 3);
    for (const char* name : kNames) {
        REQUIRE(std::remove((base + "/" + name).c_str()) == 0);
    }
    REQUIRE(::rmdir(base.c_str()) == 0 && readAll(sentinel) == kSentinelText);
    return 0;
}
