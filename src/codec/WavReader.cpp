#include "codec/WavReader.h"

#include <climits>
#include <cstdio>
#include <cstring>

#include "codec/ByteOrder.h"
#include "codec/FileWindow.h"

namespace ambrin {

namespace {

constexpr std::uint16_t kFormatPcm = 1;
constexpr std::uint32_t kMinFormatSize = 16;
constexpr std::uint64_t kId3HeaderSize = 10;
// Only whole headers are read, straight from the file (readAt); the window stays unused.
constexpr std::size_t kHeadSize = 64;

// Walks the chunk headers from `position` to the chunk named `id`; on success `position` is
// the offset of that chunk's contents and `size` its declared size. Each step moves at least
// 8 bytes forward and every read is checked against the file's end, so any input ends.
bool findChunk(FileWindow& reader, const char* id, std::uint64_t& position, std::uint32_t& size) {
    for (;;) {
        unsigned char header[8];
        if (!reader.readAt(position, header, sizeof header)) {
            return false;
        }
        position += sizeof header;
        size = getLe32(header + 4);
        if (std::memcmp(header, id, 4) == 0) {
            return true;
        }
        position += size;  // no pad byte
    }
}

}  // namespace

std::optional<WavInfo> readWavInfo(const std::string& path) {
    FileWindow reader(kHeadSize);
    if (!reader.open(path)) {
        return std::nullopt;
    }
    unsigned char head[12];
    if (!reader.readAt(0, head, kId3HeaderSize)) {
        return std::nullopt;
    }
    std::uint64_t position = 0;
    if (std::memcmp(head, "ID3", 3) == 0) {
        const std::uint64_t tagSize = (std::uint64_t{head[6] & 0x7Fu} << 21) |
                                      (std::uint64_t{head[7] & 0x7Fu} << 14) |
                                      (std::uint64_t{head[8] & 0x7Fu} << 7) | (head[9] & 0x7Fu);
        position = kId3HeaderSize + tagSize;
    }
    if (!reader.readAt(position, head, sizeof head) || std::memcmp(head, "RIFF", 4) != 0 ||
        std::memcmp(head + 8, "WAVE", 4) != 0) {
        return std::nullopt;
    }
    position += sizeof head;

    std::uint32_t formatSize = 0;
    if (!findChunk(reader, "fmt ", position, formatSize) || formatSize < kMinFormatSize ||
        formatSize > reader.size() - position) {
        return std::nullopt;
    }
    unsigned char format[kMinFormatSize];
    if (!reader.readAt(position, format, sizeof format) || getLe16(format) != kFormatPcm) {
        return std::nullopt;
    }
    position += formatSize;

    WavInfo info;
    info.channels = getLe16(format + 2);
    info.sampleRate = getLe32(format + 4);
    info.bitsPerSample = getLe16(format + 14);
    if (!findChunk(reader, "data", position, info.dataSize)) {
        return std::nullopt;
    }
    info.dataOffset = position;
    return info;
}

int wavDurationSeconds(const WavInfo& info) {
    const std::uint64_t bytesPerSample = info.bitsPerSample == 16 ? 2 : 1;
    const std::uint64_t channels = info.channels == 2 ? 2 : 1;
    const std::uint64_t bytesPerSecond = info.sampleRate * bytesPerSample * channels;
    if (bytesPerSecond == 0) {
        return 0;
    }
    const std::uint64_t seconds = info.dataSize / bytesPerSecond;
    return seconds > static_cast<std::uint64_t>(INT_MAX) ? INT_MAX : static_cast<int>(seconds);
}

int wavDurationSeconds(const std::string& path) {
    const std::optional<WavInfo> info = readWavInfo(path);
    return info ? wavDurationSeconds(*info) : 0;
}

}  // namespace ambrin
