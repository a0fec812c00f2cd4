#include "codec/RecordingRepair.h"

#include "codec/MpegFrame.h"

#include <fcntl.h>
#include <ogg/ogg.h>
#include <sys/stat.h>
#include <sys/types.h>
#include <unistd.h>
#include <vorbis/codec.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <optional>
#include <string_view>
#include <vector>

#include "codec/ByteOrder.h"
#include "codec/ClearedState.h"
#include "codec/FileWindow.h"
#include "codec/Mp3Duration.h"
#include "codec/OggDuration.h"
#include "codec/WavReader.h"
#include "platform/TextHelpers.h"

namespace ambrin {

namespace {

enum class Format { Wave, Ogg, Mp3, Other };

// Reads go through a window of this size; it holds the largest Ogg page (65307 bytes).
constexpr std::size_t kWindowSize = 128 * 1024;

// What a repair does to the file: cut it to `keep` bytes, then write the patches, which all lie
// before the cut.
struct Patch {
    std::uint64_t offset = 0;
    std::vector<unsigned char> bytes;
};

struct RepairPlan {
    std::uint64_t keep = 0;
    std::vector<Patch> patches;
};

Format formatOf(const std::string& path) {
    const std::size_t dot = path.find_last_of('.');
    const std::size_t slash = path.find_last_of('/');
    if (dot == std::string::npos || (slash != std::string::npos && dot < slash)) {
        return Format::Other;
    }
    const std::string_view extension = std::string_view(path).substr(dot);
    if (equalsNoCase(extension, ".wav")) {
        return Format::Wave;
    }
    if (equalsNoCase(extension, ".ogg")) {
        return Format::Ogg;
    }
    if (equalsNoCase(extension, ".mp3")) {
        return Format::Mp3;
    }
    return Format::Other;
}

// The recording, open for reading and, where permitted, for writing. Reads go through a window
// that follows the requests; the walks read from front to back.
class RecordingFile {
  public:
    // False unless it is a regular file.
    bool open(const std::string& path) { return m_file.open(path, true); }

    std::uint64_t size() const { return m_file.size(); }

    // The `count` bytes at `offset`, or null when they are not all in the file.
    const unsigned char* at(std::uint64_t offset, std::size_t count) {
        return m_file.at(offset, count);
    }

    // Cuts, patches and syncs. Nothing is written unless the whole plan lies within the file.
    bool apply(const RepairPlan& plan) {
        if (!m_file.writable() || plan.keep > m_file.size()) {
            return false;
        }
        for (const Patch& patch : plan.patches) {
            if (patch.offset > plan.keep || patch.bytes.size() > plan.keep - patch.offset) {
                return false;
            }
        }
        if (plan.keep < m_file.size() &&
            ::ftruncate(m_file.fd(), static_cast<off_t>(plan.keep)) != 0) {
            return false;
        }
        m_file.changed(plan.keep);
        for (const Patch& patch : plan.patches) {
            if (!writeAll(patch.offset, patch.bytes)) {
                return false;
            }
        }
        return ::fsync(m_file.fd()) == 0;
    }

  private:
    bool writeAll(std::uint64_t offset, const std::vector<unsigned char>& bytes) {
        std::size_t done = 0;
        while (done < bytes.size()) {
            const ssize_t n = ::pwrite(m_file.fd(), bytes.data() + done, bytes.size() - done,
                                       static_cast<off_t>(offset + done));
            if (n < 0 && errno == EINTR) {
                continue;
            }
            if (n <= 0) {
                return false;
            }
            done += static_cast<std::size_t>(n);
        }
        return true;
    }

    FileWindow m_file{kWindowSize};
};

Patch le32Patch(std::uint64_t offset, std::uint32_t value) {
    Patch patch{offset, std::vector<unsigned char>(4)};
    putLe32(patch.bytes.data(), value);
    return patch;
}

// ---- WAVE ----------------------------------------------------------------------------------

constexpr std::uint16_t kFormatPcm = 1;
// The format record without and with its extra-size field.
constexpr std::uint32_t kPlainFormatSize = 16;
constexpr std::uint32_t kExtendedFormatSize = 18;
constexpr std::uint64_t kRiffSizeOffset = 4;
constexpr std::uint64_t kFormatOffset = 20;  // the format record, after "fmt " and its size
constexpr std::uint64_t kChunkHeaderSize = 8;
constexpr std::uint64_t kMaxRiffSize = 0xFFFFFFFFu;

// The recorder's layout: 0 "RIFF", 4 file size - 8, 8 "WAVE", 12 "fmt ", 16 its size (16 or 18),
// 20 the format record (tag, channels, rate, bytes per second, block alignment, bits), then
// "data", its size, and the samples up to the end of the file.
std::optional<RepairPlan> planWave(RecordingFile& file) {
    const unsigned char* head = file.at(0, kFormatOffset);
    if (head == nullptr || std::memcmp(head, "RIFF", 4) != 0 ||
        std::memcmp(head + 8, "WAVE", 4) != 0 || std::memcmp(head + 12, "fmt ", 4) != 0) {
        return std::nullopt;
    }
    const std::uint32_t formatSize = getLe32(head + 16);
    if (formatSize != kPlainFormatSize && formatSize != kExtendedFormatSize) {
        return std::nullopt;
    }
    const std::uint64_t dataHeader = kFormatOffset + formatSize;
    const std::uint64_t dataOffset = dataHeader + kChunkHeaderSize;
    const unsigned char* h = file.at(0, static_cast<std::size_t>(dataOffset));
    if (h == nullptr || getLe16(h + kFormatOffset) != kFormatPcm ||
        std::memcmp(h + dataHeader, "data", 4) != 0) {
        return std::nullopt;
    }
    const std::uint64_t size = file.size();
    const std::uint64_t present = size - dataOffset;
    const std::uint32_t riffSize = getLe32(h + kRiffSizeOffset);
    const std::uint32_t dataSize = getLe32(h + dataHeader + 4);
    // A closed file: sizes that match, an odd data size with its pad byte included.
    const bool padded = dataSize % 2 == 1 && present == std::uint64_t{dataSize} + 1;
    if (size - 8 == riffSize && (present == dataSize || padded)) {
        return RepairPlan{size, {}};
    }

    std::uint64_t blockAlign = getLe16(h + kFormatOffset + 12);
    if (blockAlign == 0) {
        const std::uint64_t channels = getLe16(h + kFormatOffset + 2);
        const std::uint64_t bits = getLe16(h + kFormatOffset + 14);
        blockAlign = std::max<std::uint64_t>(1, channels * ((bits + 7) / 8));
    }
    const std::uint64_t kept = present / blockAlign * blockAlign;
    RepairPlan plan{dataOffset + kept, {}};
    if (plan.keep - 8 > kMaxRiffSize) {
        return std::nullopt;  // more than a WAVE file can describe; never written by us
    }
    if (riffSize != plan.keep - 8) {
        plan.patches.push_back(
            le32Patch(kRiffSizeOffset, static_cast<std::uint32_t>(plan.keep - 8)));
    }
    if (dataSize != kept) {
        plan.patches.push_back(le32Patch(dataHeader + 4, static_cast<std::uint32_t>(kept)));
    }
    return plan;
}

// A WAVE file of another layout: left alone, and whole when its declared data is all there.
std::optional<RepairPlan> planOtherWave(const std::string& path, std::uint64_t size) {
    const std::optional<WavInfo> info = readWavInfo(path);
    if (!info || info->dataOffset > size || info->dataSize > size - info->dataOffset) {
        return std::nullopt;
    }
    return RepairPlan{size, {}};
}

// ---- Ogg Vorbis ----------------------------------------------------------------------------

constexpr std::size_t kPageHeaderSize = 27;
constexpr std::size_t kFlagsOffset = 5;
constexpr unsigned char kEndOfStreamFlag = 4;
constexpr std::size_t kVorbisHeaderPackets = 3;
// Bytes handed to libogg at a time: a few of the recorder's pages.
constexpr std::size_t kFeedSize = 16 * 1024;

// Takes the pages of the first stream in file order and checks that its first three packets
// are valid Vorbis headers (identification, comment, codebooks), as a player needs them.
class VorbisHeaderCheck {
  public:
    VorbisHeaderCheck() {
        vorbis_info_init(&m_info.state);
        m_info.active = true;
        vorbis_comment_init(&m_comment.state);
        m_comment.active = true;
    }

    void add(ogg_page& page) {
        if (complete() || m_failed) {
            return;
        }
        if (!m_stream.active) {
            if (ogg_stream_init(&m_stream.state, ogg_page_serialno(&page)) != 0) {
                m_failed = true;
                return;
            }
            m_stream.active = true;
        }
        if (ogg_stream_pagein(&m_stream.state, &page) != 0) {
            return;  // a page of another stream
        }
        ogg_packet packet{};
        while (!complete()) {
            const int result = ogg_stream_packetout(&m_stream.state, &packet);
            if (result == 0) {
                return;
            }
            // A hole among the headers (result -1) loses one of them.
            if (result < 0 ||
                vorbis_synthesis_headerin(&m_info.state, &m_comment.state, &packet) != 0) {
                m_failed = true;
                return;
            }
            ++m_found;
        }
    }

    bool complete() const { return m_found == kVorbisHeaderPackets; }

  private:
    // Declared so that the stream goes first, then the comment, then the information.
    ClearedState<vorbis_info, vorbis_info_clear> m_info;
    ClearedState<vorbis_comment, vorbis_comment_clear> m_comment;
    ClearedState<ogg_stream_state, ogg_stream_clear> m_stream;
    std::size_t m_found = 0;
    bool m_failed = false;
};

// Where the pages are: ogg_sync_pageseek() hands out every page that passes libogg's checks
// and skips whatever does not (a damaged stretch), so the byte offsets follow from the counts it
// returns. The cut follows the last page of the recording's stream (that of the first page):
// pages of another stream after it, or anything after its end-of-stream page, are no part of
// the recording (old blocks a power failure can leave at the end of a file).
std::optional<RepairPlan> planOgg(RecordingFile& file) {
    ClearedState<ogg_sync_state, ogg_sync_clear> sync;
    ogg_sync_init(&sync.state);
    sync.active = true;
    VorbisHeaderCheck headers;

    std::uint64_t position = 0;  // file offset of the first byte the sync has not consumed
    std::uint64_t fed = 0;       // bytes handed to the sync
    std::uint64_t lastPage = 0;
    std::uint64_t lastPageEnd = 0;
    bool lastPageEnds = false;  // whether it carries the end-of-stream flag
    std::optional<int> serial;
    while (!lastPageEnds) {
        ogg_page page{};
        const long result = ogg_sync_pageseek(&sync.state, &page);
        if (result > 0) {
            headers.add(page);
            if (!serial) {
                serial = ogg_page_serialno(&page);
            }
            if (ogg_page_serialno(&page) == *serial) {
                lastPage = position;
                lastPageEnd = position + static_cast<std::uint64_t>(result);
                lastPageEnds = ogg_page_eos(&page) != 0;
            }
            position += static_cast<std::uint64_t>(result);
        } else if (result < 0) {
            position += static_cast<std::uint64_t>(-result);
        } else {
            if (fed >= file.size()) {
                if (position >= file.size()) {
                    break;
                }
                // What the sync holds starts like a page but runs past the end: a cut page, or
                // damaged bytes that only look like a page header. Whole pages may still follow
                // inside it, so the search goes on from the next byte.
                ogg_sync_reset(&sync.state);
                fed = ++position;
                continue;
            }
            const auto count =
                static_cast<std::size_t>(std::min<std::uint64_t>(kFeedSize, file.size() - fed));
            const unsigned char* bytes = file.at(fed, count);
            char* buffer = ogg_sync_buffer(&sync.state, static_cast<long>(count));
            if (bytes == nullptr || buffer == nullptr) {
                return std::nullopt;
            }
            std::memcpy(buffer, bytes, count);
            ogg_sync_wrote(&sync.state, static_cast<long>(count));
            fed += count;
        }
    }
    if (!headers.complete()) {
        return std::nullopt;
    }

    RepairPlan plan{lastPageEnd, {}};
    if (!lastPageEnds) {
        // A player that meets the end of the file without the flag takes the stream as cut
        // short; the flag turns the last page into a proper end.
        const auto length = static_cast<std::size_t>(lastPageEnd - lastPage);
        const unsigned char* bytes = file.at(lastPage, length);
        if (bytes == nullptr) {
            return std::nullopt;
        }
        std::vector<unsigned char> copy(bytes, bytes + length);
        copy[kFlagsOffset] |= kEndOfStreamFlag;
        ogg_page page{};
        page.header = copy.data();
        page.header_len = static_cast<long>(kPageHeaderSize + copy[kPageHeaderSize - 1]);
        page.body = copy.data() + page.header_len;
        page.body_len = static_cast<long>(length) - page.header_len;
        ogg_page_checksum_set(&page);
        copy.resize(kPageHeaderSize);  // the flag and the CRC are in the fixed part
        plan.patches.push_back(Patch{lastPage, std::move(copy)});
    }
    return plan;
}

// ---- MPEG audio ----------------------------------------------------------------------------

constexpr std::size_t kFrameHeaderSize = kMpegFrameHeaderSize;
constexpr std::size_t kId3v1Size = 128;

// The frame header at `offset`, when all of it lies before `end`.
std::optional<MpegFrame> frameAt(RecordingFile& file, std::uint64_t offset, std::uint64_t end) {
    const unsigned char* bytes =
        offset + kFrameHeaderSize <= end ? file.at(offset, kFrameHeaderSize) : nullptr;
    return bytes != nullptr ? parseMpegFrameHeader(bytes) : std::nullopt;
}

// Where the audio starts: after any ID3v2 tags.
std::uint64_t skipId3v2(RecordingFile& file) {
    std::uint64_t position = 0;
    for (;;) {
        const unsigned char* header = file.at(position, kId3v2HeaderSize);
        const auto length = header != nullptr ? id3v2TagLength(header) : std::nullopt;
        if (!length) {
            return position;
        }
        position += *length;
    }
}

// The first frame at or after `from` that a frame of the same stream follows, or that ends
// where the bytes before `end` leave no room for another header.
std::optional<std::uint64_t> findFrame(RecordingFile& file, std::uint64_t from, std::uint64_t end) {
    for (std::uint64_t offset = from; offset + kFrameHeaderSize <= end; ++offset) {
        const std::optional<MpegFrame> header = frameAt(file, offset, end);
        if (!header) {
            continue;
        }
        const std::uint64_t next = offset + header->length;
        if (next <= end && end - next < kFrameHeaderSize) {
            return offset;
        }
        const std::optional<MpegFrame> following = frameAt(file, next, end);
        if (following && following->sameStream(*header)) {
            return offset;
        }
    }
    return std::nullopt;
}

// Where the last complete frame before `end` ends, walking as mp3DurationSeconds() does.
std::optional<std::uint64_t> lastFrameEnd(RecordingFile& file, std::uint64_t end) {
    std::optional<std::uint64_t> lastEnd;
    std::optional<MpegFrame> previous;
    std::uint64_t position = skipId3v2(file);
    while (position < end) {
        std::optional<MpegFrame> header = frameAt(file, position, end);
        if (!header || !previous || !header->sameStream(*previous)) {
            // Not where the last frame said the next would be: look for a confirmed frame.
            const std::optional<std::uint64_t> frame = findFrame(file, position, end);
            if (!frame) {
                break;
            }
            position = *frame;
            header = frameAt(file, position, end);
        }
        if (!header || header->length > end - position) {
            break;  // cut short by the end
        }
        position += header->length;
        lastEnd = position;
        previous = header;
    }
    return lastEnd;
}

std::optional<RepairPlan> planMp3(RecordingFile& file) {
    // A frame found again after a damaged stretch may owe its confirmation to the header of a
    // frame that the cut removes; the walk is repeated on the cut length until it ends there,
    // so that the repaired file reads the same and a second repair finds nothing to do.
    std::optional<std::uint64_t> lastEnd = lastFrameEnd(file, file.size());
    while (lastEnd && *lastEnd < file.size()) {
        const std::optional<std::uint64_t> again = lastFrameEnd(file, *lastEnd);
        if (again == lastEnd) {
            break;
        }
        lastEnd = again;
    }
    if (!lastEnd) {
        return std::nullopt;
    }
    RepairPlan plan{*lastEnd, {}};
    const unsigned char* tail = file.at(*lastEnd, kId3v1Size);
    if (file.size() - *lastEnd == kId3v1Size && tail != nullptr &&
        std::memcmp(tail, "TAG", 3) == 0) {
        plan.keep = file.size();
    }
    return plan;
}

int durationSeconds(Format format, const std::string& path) {
    switch (format) {
        case Format::Wave:
            return wavDurationSeconds(path);
        case Format::Ogg:
            return oggDurationSeconds(path);
        case Format::Mp3:
            return mp3DurationSeconds(path);
        case Format::Other:
            break;
    }
    return 0;
}

}  // namespace

bool repairRecording(const std::string& path, RepairOutcome* outcome) {
    const Format format = formatOf(path);
    if (format == Format::Other) {
        return false;
    }
    std::optional<RepairPlan> plan;
    bool changed = false;
    {
        RecordingFile file;
        if (!file.open(path)) {
            return false;
        }
        switch (format) {
            case Format::Wave:
                plan = planWave(file);
                if (!plan) {
                    plan = planOtherWave(path, file.size());
                }
                break;
            case Format::Ogg:
                plan = planOgg(file);
                break;
            case Format::Mp3:
                plan = planMp3(file);
                break;
            case Format::Other:
                break;
        }
        if (!plan) {
            return false;
        }
        changed = plan->keep < file.size() || !plan->patches.empty();
        if (changed && !file.apply(*plan)) {
            return false;
        }
    }
    if (outcome != nullptr) {
        outcome->bytes = plan->keep;
        outcome->seconds = durationSeconds(format, path);
        outcome->changed = changed;
    }
    return true;
}

}  // namespace ambrin
