#pragma once

#include <cstddef>
#include <cstdint>

namespace ambrin {

// Something that looks at every captured buffer besides the recording itself (the caller-ID
// receiver). Called on the capture thread after the buffer has gone to the sink and the
// level block: it must never wait, allocate or call out; whatever it cannot take at once it
// drops.
class CaptureTap {
  public:
    virtual ~CaptureTap() = default;
    // `data`: the buffer as captured (16-bit little-endian samples); `clock`: bytes captured
    // since the input opened, this buffer included (16000 a second); `recording`: whether
    // the buffer went into a recording.
    virtual void offer(const std::uint8_t* data, std::size_t bytes, std::uint64_t clock,
                       bool recording) noexcept = 0;
};

}  // namespace ambrin
