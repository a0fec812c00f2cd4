#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>

#include "codec/Mp3Library.h"

namespace ambrin {

// Frees a LAME stream through the loaded library's lame_close.
struct LameStreamCloser {
    decltype(&::lame_close) close = nullptr;
    void operator()(lame_t stream) const { close(stream); }
};

// One LAME encoder stream of a recording: 8000 Hz 16-bit mono in, constant-bit-rate mono MP3
// frames out, with no VBR or information header and no ID3 tag.
//
// The MPEG version follows the bit rate: MPEG-1 above 32 kbit/s, MPEG-2 at or below. LAME picks
// the version from the output sample rate (given 8000 Hz and left to itself it writes MPEG-2.5
// at 8 kHz and caps the bit rate at 64), so the encoder sets an output rate of the wanted
// version and lets LAME resample the 8000 Hz input to it.
//
// Holds its library loaded while it lives. Not thread safe: the owning sink calls it from one
// thread at a time.
class Mp3Encoder {
  public:
    static constexpr int kInputSampleRate = 8000;

    explicit Mp3Encoder(std::shared_ptr<Mp3Library> library);
    ~Mp3Encoder() = default;  // closes the stream, then lets go of the library
    Mp3Encoder(const Mp3Encoder&) = delete;
    Mp3Encoder& operator=(const Mp3Encoder&) = delete;

    // The output sample rate for a bit rate: the declared rate when it belongs to the MPEG
    // version of that bit rate, else the version's rate nearest to it (16000, 22050, 24000
    // for MPEG-2; 32000, 44100, 48000 for MPEG-1).
    static int outputSampleRate(int bitRateKbps, std::uint32_t declaredSampleRate);

    // Opens the stream: lame_init, the settings, lame_init_params. False without a library or
    // when LAME refuses the settings; a stream is opened once.
    bool start(int bitRateKbps, std::uint32_t declaredSampleRate);
    bool started() const { return m_stream != nullptr; }

    // Encodes `count` samples (host byte order) into `out`; the number of MP3 bytes produced
    // (possibly 0), or -1 when not started, or when `out` was too small. At most 1.25 x the
    // output samples + 7200 bytes come out of one call.
    int encode(const std::int16_t* samples, std::size_t count, unsigned char* out,
               std::size_t capacity);
    // Encodes what LAME still holds, padding the last frame; the bytes produced or -1. At most
    // 7200 bytes.
    int flush(unsigned char* out, std::size_t capacity);

  private:
    // Declared first: the stream must be closed before the library can go.
    std::shared_ptr<Mp3Library> m_library;
    std::unique_ptr<lame_global_flags, LameStreamCloser> m_stream;
};

}  // namespace ambrin
