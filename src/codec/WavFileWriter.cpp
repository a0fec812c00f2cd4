#include "codec/WavFileWriter.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <cstdio>

#include "codec/ByteOrder.h"
#include "codec/StdioVorbisFile.h"
#include "platform/StdioFile.h"

namespace ambrin {

namespace {

constexpr std::size_t kHeaderSize = 44;
constexpr int kDecodeChunk = 4096;  // bytes asked of the decoder per call
constexpr std::uint16_t kBytesPerSample = 2;

using Header = std::array<unsigned char, kHeaderSize>;

Header canonicalHeader(std::uint16_t channels, std::uint32_t rate, std::uint32_t dataSize) {
    Header header{};
    unsigned char* out = header.data();
    const auto blockAlign = static_cast<std::uint16_t>(channels * kBytesPerSample);
    std::copy_n("RIFF", 4, out);
    putLe32(out + 4, 36 + dataSize);
    std::copy_n("WAVE", 4, out + 8);
    std::copy_n("fmt ", 4, out + 12);
    putLe32(out + 16, 16);
    putLe16(out + 20, 1);  // PCM
    putLe16(out + 22, channels);
    putLe32(out + 24, rate);
    putLe32(out + 28, rate * blockAlign);
    putLe16(out + 32, blockAlign);
    putLe16(out + 34, 16);
    std::copy_n("data", 4, out + 36);
    putLe32(out + 40, dataSize);
    return header;
}

}  // namespace

bool WavFileWriter::convert(const std::string& oggPath, const std::string& wavPath) const {
    // Declared in this order so that the decoder goes before its source.
    StdioFile source = openStdioFile(oggPath, "rb");
    if (!source) {
        return false;
    }
    StdioVorbisFile stream;
    if (!stream.open(source.get())) {
        return false;
    }
    StdioFile target = openStdioFile(wavPath, "w+b");
    if (!target) {
        return false;
    }

    OggVorbis_File* vf = stream.get();
    const vorbis_info* info = ov_info(vf, -1);
    if (info == nullptr || info->channels <= 0 || info->rate <= 0) {
        return false;
    }
    const int channels = info->channels;
    const long rate = info->rate;
    const ogg_int64_t samplesPerChannel = ov_pcm_total(vf, -1);
    // The header field takes the low 32 bits.
    const std::uint64_t announced = samplesPerChannel > 0
                                        ? static_cast<std::uint64_t>(samplesPerChannel) *
                                              static_cast<std::uint64_t>(channels) * kBytesPerSample
                                        : 0;
    const auto wavChannels = static_cast<std::uint16_t>(channels);
    const auto wavRate = static_cast<std::uint32_t>(rate);
    Header header = canonicalHeader(wavChannels, wavRate, static_cast<std::uint32_t>(announced));
    if (std::fwrite(header.data(), 1, header.size(), target.get()) != header.size()) {
        return false;
    }

    char buffer[kDecodeChunk];
    std::uint64_t written = 0;
    int consecutiveErrors = 0;
    int currentLink = -1;
    for (;;) {
        int link = 0;
        const long decoded = ov_read(vf, buffer, kDecodeChunk, 0 /* little-endian */,
                                     kBytesPerSample, 1 /* signed */, &link);
        if (decoded == 0) {
            break;
        }
        if (decoded < 0) {
            // A hole or a damaged page: skip it, unless the decoder never gets past it.
            if (++consecutiveErrors >= kMaxConsecutiveErrors) {
                return false;
            }
            continue;
        }
        consecutiveErrors = 0;
        if (link != currentLink) {
            // One header describes the whole file; a chained stream that changes the layout
            // would play back garbled.
            const vorbis_info* linkInfo = ov_info(vf, link);
            if (linkInfo == nullptr || linkInfo->channels != channels || linkInfo->rate != rate) {
                return false;
            }
            currentLink = link;
        }
        const auto count = static_cast<std::size_t>(decoded);
        if (std::fwrite(buffer, 1, count, target.get()) != count) {
            return false;
        }
        written += count;
    }

    // A damaged tail decodes to fewer bytes than the stream's sample total announced; the
    // header is rewritten to what is really there so the file stays a valid WAVE.
    if (written != announced) {
        header = canonicalHeader(wavChannels, wavRate, static_cast<std::uint32_t>(written));
        if (::fseeko(target.get(), 0, SEEK_SET) != 0 ||
            std::fwrite(header.data(), 1, header.size(), target.get()) != header.size()) {
            return false;
        }
    }
    return closeStdioFile(target);
}

}  // namespace ambrin
