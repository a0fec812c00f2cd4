#include "codec/OggSink.h"

#include <vorbis/vorbisenc.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <ctime>

#include "codec/ByteOrder.h"

namespace ambrin {

namespace {

// Input is handed to the analysis in pieces of this many samples, so a large block (the
// audio from before the start) does not grow the encoder's buffers.
constexpr std::size_t kSamplesPerPiece = 4096;
constexpr float kSampleScale = 1.0f / 32768.0f;
constexpr std::size_t kPageHeaderSize = 27;
constexpr unsigned char kLastPageFlag = 4;

}  // namespace

OggSink::OggSink() {
    m_ready = setUp();
}

OggSink::~OggSink() {
    close();
}

bool OggSink::setUp() {
    vorbis_info_init(&m_info.state);
    m_info.active = true;
    if (vorbis_encode_init_vbr(&m_info.state, kChannels, kSampleRate, kQuality) != 0) {
        return false;
    }
    vorbis_comment_init(&m_comment.state);
    m_comment.active = true;
    vorbis_comment_add_tag(&m_comment.state, kEncoderTag, kEncoderName);

    if (vorbis_analysis_init(&m_dsp.state, &m_info.state) != 0) {
        return false;
    }
    m_dsp.active = true;
    if (vorbis_block_init(&m_dsp.state, &m_block.state) != 0) {
        return false;
    }
    m_block.active = true;

    std::srand(static_cast<unsigned>(std::time(nullptr)));
    m_serialNumber = std::rand();
    if (ogg_stream_init(&m_stream.state, m_serialNumber) != 0) {
        return false;
    }
    m_stream.active = true;

    ogg_packet identification{};
    ogg_packet comment{};
    ogg_packet codebooks{};
    if (vorbis_analysis_headerout(&m_dsp.state, &m_comment.state, &identification, &comment,
                                  &codebooks) != 0) {
        return false;
    }
    // A flush after each packet gives every header a page of its own.
    for (ogg_packet* packet : {&identification, &comment, &codebooks}) {
        if (ogg_stream_packetin(&m_stream.state, packet) != 0) {
            return false;
        }
        ogg_page page{};
        while (ogg_stream_flush(&m_stream.state, &page) != 0) {
            m_headerPages.append(reinterpret_cast<const char*>(page.header),
                                 static_cast<std::size_t>(page.header_len));
            m_headerPages.append(reinterpret_cast<const char*>(page.body),
                                 static_cast<std::size_t>(page.body_len));
        }
    }
    return true;
}

bool OggSink::open(const std::string& path) {
    if (!m_ready || m_used) {
        return false;
    }
    m_used = true;
    // "x": O_EXCL, so a recording never overwrites an existing file.
    m_file = openStdioFile(path, "wbx");
    if (!m_file) {
        return false;
    }
    const bool written = std::fwrite(m_headerPages.data(), 1, m_headerPages.size(), m_file.get()) ==
                             m_headerPages.size() &&
                         std::fflush(m_file.get()) == 0;
    if (!written) {
        m_file.reset();
        std::remove(path.c_str());
        return false;
    }
    return true;
}

bool OggSink::writePage(const ogg_page& page) {
    const auto headerSize = static_cast<std::size_t>(page.header_len);
    const auto bodySize = static_cast<std::size_t>(page.body_len);
    const bool header = std::fwrite(page.header, 1, headerSize, m_file.get()) == headerSize;
    const bool body = std::fwrite(page.body, 1, bodySize, m_file.get()) == bodySize;
    return header && body;
}

// Ended without audio, libvorbis would write one audio packet at granule position 0, which
// stream checkers report as the work of a broken encoder. A page without packets carrying the
// end mark ends the stream cleanly instead. Layout: "OggS", version 0, flags (4: last page),
// granule position (64 bits), serial number, page sequence number, CRC, 0 segments.
void OggSink::writeEmptyEndPage() {
    unsigned char header[kPageHeaderSize] = {'O', 'g', 'g', 'S', 0, kLastPageFlag};
    putLe32(header + 14, static_cast<std::uint32_t>(m_serialNumber));
    putLe32(header + 18, static_cast<std::uint32_t>(m_stream.state.pageno));
    ogg_page page{};
    page.header = header;
    page.header_len = sizeof header;
    page.body = header + sizeof header;  // no body
    page.body_len = 0;
    ogg_page_checksum_set(&page);
    writePage(page);
}

bool OggSink::checkpoint() {
    if (!m_file) {
        return false;
    }
    bool ok = true;
    ogg_page page{};
    while (ogg_stream_flush(&m_stream.state, &page) != 0) {
        ok = writePage(page) && ok;
    }
    return std::fflush(m_file.get()) == 0 && ok;
}

bool OggSink::drain() {
    bool ok = true;
    ogg_packet packet{};
    ogg_page page{};
    while (vorbis_analysis_blockout(&m_dsp.state, &m_block.state) == 1) {
        vorbis_analysis(&m_block.state, nullptr);
        vorbis_bitrate_addblock(&m_block.state);
        while (vorbis_bitrate_flushpacket(&m_dsp.state, &packet) == 1) {
            ogg_stream_packetin(&m_stream.state, &packet);
            while (ogg_stream_pageout(&m_stream.state, &page) != 0) {
                ok = writePage(page) && ok;
            }
        }
    }
    return ok;
}

bool OggSink::write(const std::int16_t* samples, std::size_t byteCount) {
    if (!m_file || samples == nullptr) {
        return false;
    }
    // The samples are little-endian whatever the host; read them byte by byte.
    const auto* bytes = reinterpret_cast<const unsigned char*>(samples);
    const std::size_t count = byteCount / 2;
    bool ok = true;
    for (std::size_t done = 0; done < count; done += kSamplesPerPiece) {
        const std::size_t piece = std::min(kSamplesPerPiece, count - done);
        float** buffer = vorbis_analysis_buffer(&m_dsp.state, static_cast<int>(piece));
        float* channel = buffer[0];
        const unsigned char* in = bytes + 2 * done;
        for (std::size_t i = 0; i < piece; ++i) {
            channel[i] =
                static_cast<float>(static_cast<std::int16_t>(getLe16(in + 2 * i))) * kSampleScale;
        }
        vorbis_analysis_wrote(&m_dsp.state, static_cast<int>(piece));
        m_samples += piece;
        ok = drain() && ok;
    }
    return ok;
}

void OggSink::close() {
    if (!m_file) {
        return;
    }
    if (m_samples == 0) {
        writeEmptyEndPage();
    } else {
        // No more input: the last packet carries the end-of-stream mark, and libogg hands
        // out the last page, short as it may be.
        vorbis_analysis_wrote(&m_dsp.state, 0);
        drain();
    }
    // Nothing reports a failure here: the recording keeps whatever reached the disk.
    closeStdioFile(m_file);
}

}  // namespace ambrin
