#pragma once

#include <cstdint>
#include <optional>

namespace ambrin {

// One MPEG audio frame header (layer I, II or III; MPEG-1, 2 or 2.5).
struct MpegFrame {
    int version = 0;  // the two version bits: 0 MPEG-2.5, 2 MPEG-2, 3 MPEG-1
    int layer = 0;    // 1, 2 or 3
    int sampleRate = 0;
    std::uint32_t length = 0;   // bytes, header included
    std::uint32_t samples = 0;  // per channel

    bool sameStream(const MpegFrame& other) const {
        return version == other.version && layer == other.layer && sampleRate == other.sampleRate;
    }
};

inline constexpr std::size_t kMpegFrameHeaderSize = 4;

// Reads the 32-bit header at `bytes` (4 bytes): 11 sync bits, version (2), layer (2), no-CRC
// (1), bit-rate index (4), sample-rate index (2), padding (1), private (1), mode (2), mode
// extension (2), copyright (1), original (1), emphasis (2). Free-format frames (bit-rate index
// 0) have no length in their header and are not accepted, nor are reserved values.
std::optional<MpegFrame> parseMpegFrameHeader(const unsigned char* bytes);

inline constexpr std::size_t kId3v2HeaderSize = 10;

// The whole length of an ID3v2 tag (header, body and footer) from its 10-byte header: "ID3",
// two version bytes that are never 0xFF, flags, a 28-bit size in four 7-bit bytes; a footer flag
// adds 10. Empty when the bytes are not such a header.
std::optional<std::uint64_t> id3v2TagLength(const unsigned char* header);

}  // namespace ambrin
