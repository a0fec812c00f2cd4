// libFuzzer target: the MP3 and OGG duration measurements on any bytes. Each input is
// written to one file in $TMPDIR, measured both ways and removed again.
#include <unistd.h>

#include <climits>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "codec/Mp3Duration.h"
#include "codec/OggDuration.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static const std::string path = [] {
        const char* folder = std::getenv("TMPDIR");
        return std::string(folder != nullptr ? folder : "/tmp") + "/duration-" +
               std::to_string(::getpid());
    }();
    std::FILE* file = std::fopen(path.c_str(), "wb");
    if (file == nullptr) {
        std::abort();
    }
    std::fwrite(data, 1, size, file);
    std::fclose(file);

    const int mp3 = ambrin::mp3DurationSeconds(path);
    const int ogg = ambrin::oggDurationSeconds(path);
    std::remove(path.c_str());
    // No stream plays longer than 8 kbit/s allows, nor does the size-based fallback.
    if (mp3 < 0 || static_cast<std::size_t>(mp3) > size / 1000 + 1 || ogg < 0) {
        std::abort();
    }
    return 0;
}
