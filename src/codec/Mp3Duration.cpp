#include "codec/Mp3Duration.h"

#include "codec/MpegFrame.h"

#include <algorithm>
#include <climits>
#include <cstdint>
#include <cstdio>
#include <optional>
#include <vector>

#include "codec/FileWindow.h"

namespace ambrin {

namespace {

// Durations are summed in ticks of 1/14112000 s, the least common multiple of the nine MPEG
// sample rates, so every frame adds a whole number and the sum is exact.
constexpr std::uint64_t kTicksPerSecond = 14112000;
constexpr std::uint64_t kTickLimit = static_cast<std::uint64_t>(INT_MAX) * kTicksPerSecond;

constexpr std::size_t kHeaderSize = kMpegFrameHeaderSize;
constexpr std::size_t kWindowSize = 64 * 1024;
// Without frames the file is taken as 16 kbit/s: 2000 bytes a second.
constexpr std::uint64_t kFallbackBytesPerSecond = 16000 / 8;

std::optional<MpegFrame> headerAt(FileWindow& reader, std::uint64_t offset) {
    const unsigned char* bytes = reader.at(offset, kHeaderSize);
    return bytes != nullptr ? parseMpegFrameHeader(bytes) : std::nullopt;
}

// Where the audio starts: after any ID3v2 tags.
std::uint64_t skipId3v2(FileWindow& reader) {
    std::uint64_t position = 0;
    for (;;) {
        const unsigned char* header = reader.at(position, kId3v2HeaderSize);
        const auto length = header != nullptr ? id3v2TagLength(header) : std::nullopt;
        if (!length) {
            return position;
        }
        position += *length;
    }
}

// The first frame at or after `from` that is followed by a frame of the same stream, or that
// ends exactly at the end of the file.
std::optional<std::uint64_t> findFrame(FileWindow& reader, std::uint64_t from) {
    for (std::uint64_t offset = from; offset + kHeaderSize <= reader.size(); ++offset) {
        const std::optional<MpegFrame> header = headerAt(reader, offset);
        if (!header) {
            continue;
        }
        const std::uint64_t next = offset + header->length;
        if (next == reader.size()) {
            return offset;
        }
        const std::optional<MpegFrame> following = headerAt(reader, next);
        if (following && following->sameStream(*header)) {
            return offset;
        }
    }
    return std::nullopt;
}

int clampedSeconds(std::uint64_t seconds) {
    return seconds > static_cast<std::uint64_t>(INT_MAX) ? INT_MAX : static_cast<int>(seconds);
}

}  // namespace

int mp3DurationSeconds(const std::string& path) {
    FileWindow reader(kWindowSize);
    if (!reader.open(path)) {
        return 0;
    }
    std::uint64_t ticks = 0;
    bool found = false;
    std::optional<MpegFrame> previous;
    std::uint64_t position = skipId3v2(reader);
    while (position < reader.size()) {
        std::optional<MpegFrame> header = headerAt(reader, position);
        if (!header || !previous || !header->sameStream(*previous)) {
            // Not where the last frame said the next would be: look for a confirmed frame.
            const std::optional<std::uint64_t> frame = findFrame(reader, position);
            if (!frame) {
                break;
            }
            position = *frame;
            header = headerAt(reader, position);
            if (!header) {
                break;  // the file changed under the reader
            }
        }
        found = true;
        if (header->length > reader.size() - position) {
            break;  // a frame cut short by the end of the file does not play
        }
        ticks += std::uint64_t{header->samples} *
                 (kTicksPerSecond / static_cast<std::uint64_t>(header->sampleRate));
        if (ticks >= kTickLimit) {
            return INT_MAX;
        }
        previous = header;
        position += header->length;
    }
    if (!found) {
        return clampedSeconds(reader.size() / kFallbackBytesPerSecond);
    }
    return clampedSeconds(ticks / kTicksPerSecond);
}

}  // namespace ambrin
