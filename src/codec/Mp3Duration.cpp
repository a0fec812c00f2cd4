#include "codec/Mp3Duration.h"

#include "codec/MpegFrame.h"

#include <sys/stat.h>
#include <sys/types.h>

#include <algorithm>
#include <climits>
#include <cstdint>
#include <cstdio>
#include <optional>
#include <vector>

#include "codec/StdioFile.h"

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

// Reads a regular file through a window that moves forward with the requests.
class WindowReader {
  public:
    bool open(const std::string& path) {
        m_file = openStdioFile(path, "rb");
        struct stat info {};
        if (!m_file || ::fstat(::fileno(m_file.get()), &info) != 0 || !S_ISREG(info.st_mode)) {
            return false;
        }
        m_size = static_cast<std::uint64_t>(info.st_size);
        return true;
    }

    std::uint64_t size() const { return m_size; }

    // The `count` bytes at `offset`, or null when they are not all in the file.
    const unsigned char* at(std::uint64_t offset, std::size_t count) {
        if (offset > m_size || count > m_size - offset || count > kWindowSize) {
            return nullptr;
        }
        if (offset < m_start || offset - m_start + count > m_window.size()) {
            const std::uint64_t wanted = std::min<std::uint64_t>(kWindowSize, m_size - offset);
            m_window.resize(static_cast<std::size_t>(wanted));
            m_start = offset;
            if (::fseeko(m_file.get(), static_cast<off_t>(offset), SEEK_SET) != 0) {
                m_window.clear();
                return nullptr;
            }
            const std::size_t got = std::fread(m_window.data(), 1, m_window.size(), m_file.get());
            m_window.resize(got);  // the file may have shrunk since it was measured
            if (count > got) {
                return nullptr;
            }
        }
        return m_window.data() + (offset - m_start);
    }

  private:
    StdioFile m_file;
    std::uint64_t m_size = 0;
    std::vector<unsigned char> m_window;
    std::uint64_t m_start = 0;
};

std::optional<MpegFrame> headerAt(WindowReader& reader, std::uint64_t offset) {
    const unsigned char* bytes = reader.at(offset, kHeaderSize);
    return bytes != nullptr ? parseMpegFrameHeader(bytes) : std::nullopt;
}

// Where the audio starts: after any ID3v2 tags.
std::uint64_t skipId3v2(WindowReader& reader) {
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
std::optional<std::uint64_t> findFrame(WindowReader& reader, std::uint64_t from) {
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
    WindowReader reader;
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
