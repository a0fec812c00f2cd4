#pragma once

#include <string>

namespace ambrin {

// Decodes an OGG Vorbis recording into a 16-bit PCM WAVE file, so that the player can hand
// OGG recordings to the media framework as plain WAVE.
//
// The target gets the canonical 44-byte header (a 16-byte format chunk, then "data" at 36),
// written in one piece before the first sample, with the stream's channels and rate and a
// data size of total samples per channel x channels x 2 (low 32 bits); then the signed
// 16-bit little-endian interleaved samples.
//
// Blocking file work: call it off the capture thread. Stateless; any thread.
class WavFileWriter {
  public:
    // A decoder that keeps reporting holes without reaching the end gives up after this many
    // errors in a row.
    static constexpr int kMaxConsecutiveErrors = 100;

    // True when the whole stream was decoded into `wavPath` (created or truncated). False when
    // the source cannot be opened or is no Vorbis stream, the target cannot be written, the
    // decoder keeps failing, or a chained stream changes channels or rate on the way; the
    // target may then remain, unfinished.
    bool convert(const std::string& oggPath, const std::string& wavPath) const;
};

}  // namespace ambrin
