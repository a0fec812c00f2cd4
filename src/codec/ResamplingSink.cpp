#include "codec/ResamplingSink.h"

#include <samplerate.h>

#include <algorithm>
#include <cmath>

namespace ambrin {

ResamplingSink::ResamplingSink(std::unique_ptr<RecordingSink> inner, std::uint32_t inputRate,
                               std::uint32_t outputRate, int bitsPerSample)
    : m_inner(std::move(inner)),
      m_inputRate(inputRate),
      m_outputRate(outputRate),
      m_bits(bitsPerSample) {
    if (resampling()) {
        int error = 0;
        // Speech on a telephone line: the fastest band-limited converter is clean enough.
        m_converter = src_new(SRC_SINC_FASTEST, 1, &error);
    }
}

ResamplingSink::~ResamplingSink() {
    close();
    if (m_converter != nullptr) {
        src_delete(m_converter);
    }
}

bool ResamplingSink::emit(const float* samples, std::size_t count) {
    if (count == 0) {
        return true;
    }
    if (m_bits == 8) {
        m_bytes.resize(count);
        for (std::size_t i = 0; i < count; ++i) {
            const long value = std::lround(std::clamp(samples[i], -1.0f, 1.0f) * 127.0f) + 128;
            m_bytes[i] = static_cast<std::uint8_t>(std::clamp(value, 0L, 255L));
        }
    } else {
        m_bytes.resize(count * 2);
        for (std::size_t i = 0; i < count; ++i) {
            const long value = std::clamp(std::lround(samples[i] * 32768.0f), -32768L, 32767L);
            const auto word = static_cast<std::uint16_t>(static_cast<std::int16_t>(value));
            m_bytes[2 * i] = static_cast<std::uint8_t>(word & 0xFF);
            m_bytes[2 * i + 1] = static_cast<std::uint8_t>(word >> 8);
        }
    }
    // The inner sink takes bytes; 8-bit data travels through the same byte interface.
    return m_inner->write(reinterpret_cast<const std::int16_t*>(m_bytes.data()), m_bytes.size());
}

bool ResamplingSink::process(const float* input, std::size_t frames, bool last) {
    if (!resampling()) {
        return emit(input, frames);
    }
    if (m_converter == nullptr) {
        return false;
    }
    const double ratio = static_cast<double>(m_outputRate) / m_inputRate;
    m_output.resize(static_cast<std::size_t>(std::ceil(static_cast<double>(frames) * ratio)) + 256);
    bool ok = true;
    SRC_DATA data{};
    data.data_in = input;
    data.input_frames = static_cast<long>(frames);
    data.src_ratio = ratio;
    for (;;) {
        data.data_out = m_output.data();
        data.output_frames = static_cast<long>(m_output.size());
        data.end_of_input = last ? 1 : 0;
        if (src_process(m_converter, &data) != 0) {
            return false;
        }
        ok = emit(m_output.data(), static_cast<std::size_t>(data.output_frames_gen)) && ok;
        data.data_in += data.input_frames_used;
        data.input_frames -= data.input_frames_used;
        // Done when the input is used up and, at the end, nothing more comes out.
        if (data.input_frames == 0 && (!last || data.output_frames_gen == 0)) {
            return ok;
        }
    }
}

bool ResamplingSink::write(const std::int16_t* samples, std::size_t byteCount) {
    if (m_closed || samples == nullptr || m_inner == nullptr) {
        return false;
    }
    const std::size_t count = byteCount / 2;
    m_input.resize(count);
    const auto* bytes = reinterpret_cast<const std::uint8_t*>(samples);
    for (std::size_t i = 0; i < count; ++i) {
        const auto word = static_cast<std::int16_t>(
            static_cast<std::uint16_t>(bytes[2 * i] | (bytes[2 * i + 1] << 8)));
        m_input[i] = static_cast<float>(word) / 32768.0f;
    }
    return process(m_input.data(), count, false);
}

void ResamplingSink::close() {
    if (m_closed || m_inner == nullptr) {
        return;
    }
    m_closed = true;
    if (resampling()) {
        static const float kNoInput = 0.0f;
        process(&kNoInput, 0, true);
    }
    m_inner->close();
}

}  // namespace ambrin
