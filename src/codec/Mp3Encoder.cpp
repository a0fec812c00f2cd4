#include "codec/Mp3Encoder.h"

#include <array>
#include <climits>
#include <cstdlib>

namespace ambrin {

namespace {

// Above this bit rate the stream is MPEG-1, at or below it MPEG-2 (kbit/s).
constexpr int kHighestMpeg2BitRate = 32;

constexpr std::array<int, 3> kMpeg1Rates = {32000, 44100, 48000};
constexpr std::array<int, 3> kMpeg2Rates = {16000, 22050, 24000};

int clampedSize(std::size_t capacity) {
    return capacity > static_cast<std::size_t>(INT_MAX) ? INT_MAX : static_cast<int>(capacity);
}

}  // namespace

Mp3Encoder::Mp3Encoder(std::shared_ptr<Mp3Library> library) : m_library(std::move(library)) {}

int Mp3Encoder::outputSampleRate(int bitRateKbps, std::uint32_t declaredSampleRate) {
    const std::array<int, 3>& rates =
        bitRateKbps > kHighestMpeg2BitRate ? kMpeg1Rates : kMpeg2Rates;
    int best = rates[0];
    for (const int rate : rates) {
        const long long distance = std::llabs(static_cast<long long>(declaredSampleRate) - rate);
        if (distance < std::llabs(static_cast<long long>(declaredSampleRate) - best)) {
            best = rate;
        }
    }
    return best;
}

bool Mp3Encoder::start(int bitRateKbps, std::uint32_t declaredSampleRate) {
    if (!m_library || m_stream) {
        return false;
    }
    const LameFunctions& lame = m_library->functions();
    std::unique_ptr<lame_global_flags, LameStreamCloser> stream(lame.init(),
                                                                LameStreamCloser{lame.close});
    if (!stream) {
        return false;
    }
    lame_t s = stream.get();
    lame.setInSampleRate(s, kInputSampleRate);
    lame.setOutSampleRate(s, outputSampleRate(bitRateKbps, declaredSampleRate));
    lame.setNumChannels(s, 1);
    lame.setMode(s, MONO);
    lame.setVbr(s, vbr_off);
    lame.setBitRate(s, bitRateKbps);
    lame.setWriteVbrTag(s, 0);
    lame.setWriteId3TagAutomatic(s, 0);
    lame.setEmphasis(s, 0);
    lame.setPrivateBit(s, 1);
    lame.setErrorProtection(s, 0);
    lame.setCopyright(s, 1);
    lame.setOriginal(s, 1);
    lame.setDisableReservoir(s, 1);
    lame.setStrictIso(s, 0);
    if (lame.initParams(s) < 0) {
        return false;
    }
    m_stream = std::move(stream);
    return true;
}

int Mp3Encoder::encode(const std::int16_t* samples, std::size_t count, unsigned char* out,
                       std::size_t capacity) {
    if (!m_stream || samples == nullptr || count > static_cast<std::size_t>(INT_MAX)) {
        return -1;
    }
    // Mono: LAME reads only the left channel, but the right must not be null.
    const int produced = m_library->functions().encodeBuffer(
        m_stream.get(), samples, samples, static_cast<int>(count), out, clampedSize(capacity));
    return produced < 0 ? -1 : produced;
}

int Mp3Encoder::flush(unsigned char* out, std::size_t capacity) {
    if (!m_stream) {
        return -1;
    }
    const int produced =
        m_library->functions().encodeFlush(m_stream.get(), out, clampedSize(capacity));
    return produced < 0 ? -1 : produced;
}

}  // namespace ambrin
