#pragma once

#include <cstdint>
#include <memory>
#include <vector>

#include "codec/RecordingSink.h"

struct SRC_STATE_tag;

namespace ambrin {

// Turns the capture format (signed 16-bit mono at the capture rate) into the format a file
// declares, before the file's own sink: resampled to another rate (libsamplerate), and
// written as unsigned 8-bit samples when the file declares 8 bits. Without it a file that
// declares 22050 Hz would play 8000 Hz audio 2.76 times too fast.
//
// Same threads as the sink it wraps: write() on the capture thread, close() on the event thread.
class ResamplingSink final : public RecordingSink {
  public:
    ResamplingSink(std::unique_ptr<RecordingSink> inner, std::uint32_t inputRate,
                   std::uint32_t outputRate, int bitsPerSample);
    ~ResamplingSink() override;
    ResamplingSink(const ResamplingSink&) = delete;
    ResamplingSink& operator=(const ResamplingSink&) = delete;

    // False when the converter could not be set up; writes then fail.
    bool valid() const { return m_inner != nullptr && (m_converter != nullptr || !resampling()); }

    bool write(const std::int16_t* samples, std::size_t byteCount) override;
    // Hands the converter's tail to the inner sink, then closes it. A second close does nothing.
    void close() override;

  private:
    bool resampling() const { return m_inputRate != m_outputRate; }
    bool process(const float* input, std::size_t frames, bool last);
    bool emit(const float* samples, std::size_t count);

    std::unique_ptr<RecordingSink> m_inner;
    std::uint32_t m_inputRate;
    std::uint32_t m_outputRate;
    int m_bits;
    SRC_STATE_tag* m_converter = nullptr;
    bool m_closed = false;
    std::vector<float> m_input;
    std::vector<float> m_output;
    std::vector<std::uint8_t> m_bytes;
};

}  // namespace ambrin
