#pragma once

#include <cstdint>
#include <optional>
#include <string>

namespace ambrin {

// What the WAVE reader finds in a PCM WAVE file.
struct WavInfo {
    std::uint16_t channels = 0;
    std::uint32_t sampleRate = 0;
    std::uint16_t bitsPerSample = 0;
    std::uint64_t dataOffset = 0;  // file offset of the first sample byte
    std::uint32_t dataSize = 0;    // as declared; the file may hold fewer bytes
};

// Finds the format and data chunks of a PCM WAVE file:
//  - an ID3v2 tag in front is skipped: the RIFF data starts at 10 + the tag's 28-bit size
//    (bytes 6 to 9, seven bits each, most significant first);
//  - "RIFF", any size, "WAVE";
//  - the chunks are walked from there without pad bytes (the way recordings have always been
//    read), first to "fmt " (at least 16 bytes, all present, format tag 1), then on from
//    there to "data". A data chunk placed before the format chunk is therefore not found.
// Empty for anything else: missing, short or not a PCM WAVE file. Safe for any input.
// Blocking file reads; any thread.
std::optional<WavInfo> readWavInfo(const std::string& path);

// Whole seconds of audio: data size / (rate x b x c), where b is 2 for 16-bit samples and 1
// otherwise, and c is 2 for two channels and 1 otherwise. 0 for a zero rate; at most INT_MAX.
int wavDurationSeconds(const WavInfo& info);

// The duration of a PCM WAVE file as above; 0 when the file cannot be read as one.
int wavDurationSeconds(const std::string& path);

}  // namespace ambrin
