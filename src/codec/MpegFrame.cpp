#include "codec/MpegFrame.h"

namespace ambrin {

namespace {

// kbit/s by bit-rate index 1 to 14.
constexpr int kBitRates[5][14] = {
    {32, 64, 96, 128, 160, 192, 224, 256, 288, 320, 352, 384, 416, 448},  // MPEG-1 layer I
    {32, 48, 56, 64, 80, 96, 112, 128, 160, 192, 224, 256, 320, 384},     // MPEG-1 layer II
    {32, 40, 48, 56, 64, 80, 96, 112, 128, 160, 192, 224, 256, 320},      // MPEG-1 layer III
    {32, 48, 56, 64, 80, 96, 112, 128, 144, 160, 176, 192, 224, 256},     // MPEG-2/2.5 layer I
    {8, 16, 24, 32, 40, 48, 56, 64, 80, 96, 112, 128, 144, 160},          // MPEG-2/2.5 II, III
};
// Hz by version bits (0 MPEG-2.5, 2 MPEG-2, 3 MPEG-1; 1 is reserved) and rate index 0 to 2.
constexpr int kSampleRates[4][3] = {
    {11025, 12000, 8000}, {0, 0, 0}, {22050, 24000, 16000}, {44100, 48000, 32000}};

}  // namespace

std::optional<MpegFrame> parseMpegFrameHeader(const unsigned char* b) {
    if (b[0] != 0xFF || (b[1] & 0xE0) != 0xE0) {
        return std::nullopt;
    }
    const int version = (b[1] >> 3) & 3;
    const int layerBits = (b[1] >> 1) & 3;
    const int bitRateIndex = b[2] >> 4;
    const int rateIndex = (b[2] >> 2) & 3;
    const int padding = (b[2] >> 1) & 1;
    const int emphasis = b[3] & 3;
    if (version == 1 || layerBits == 0 || bitRateIndex == 0 || bitRateIndex == 15 ||
        rateIndex == 3 || emphasis == 2) {
        return std::nullopt;
    }
    MpegFrame frame;
    frame.version = version;
    frame.layer = 4 - layerBits;
    frame.sampleRate = kSampleRates[version][rateIndex];
    const bool mpeg1 = version == 3;
    const int table = mpeg1 ? frame.layer - 1 : (frame.layer == 1 ? 3 : 4);
    const std::uint32_t bitRate =
        static_cast<std::uint32_t>(kBitRates[table][bitRateIndex - 1]) * 1000;
    const auto rate = static_cast<std::uint32_t>(frame.sampleRate);
    const auto pad = static_cast<std::uint32_t>(padding);
    if (frame.layer == 1) {
        frame.samples = 384;
        frame.length = (12 * bitRate / rate + pad) * 4;
    } else if (frame.layer == 2 || mpeg1) {
        frame.samples = 1152;
        frame.length = 144 * bitRate / rate + pad;
    } else {
        frame.samples = 576;
        frame.length = 72 * bitRate / rate + pad;
    }
    return frame;
}

std::optional<std::uint64_t> id3v2TagLength(const unsigned char* h) {
    if (h[0] != 'I' || h[1] != 'D' || h[2] != '3' || h[3] == 0xFF || h[4] == 0xFF ||
        ((h[6] | h[7] | h[8] | h[9]) & 0x80) != 0) {
        return std::nullopt;
    }
    const std::uint64_t size = (std::uint64_t{h[6]} << 21) | (std::uint64_t{h[7]} << 14) |
                               (std::uint64_t{h[8]} << 7) | h[9];
    const bool footer = (h[5] & 0x10) != 0;
    return kId3v2HeaderSize + size + (footer ? kId3v2HeaderSize : 0);
}

}  // namespace ambrin
