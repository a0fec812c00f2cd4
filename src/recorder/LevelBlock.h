#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <mutex>

namespace ambrin {

// The start of the latest captured buffer, for the level displays and the call detector:
// at most the first 1024 bytes (512 samples, 64 ms) of every 256 ms buffer.
//
// One writer (the capture thread); any number of readers, who take a consistent copy under
// the block's own short lock and never touch the recorder's lock.
class LevelBlock {
  public:
    static constexpr std::size_t kAreaBytes = 4096;
    static constexpr std::size_t kPublishedBytes = 1024;

    struct Snapshot {
        std::size_t byteCount = 0;  // 0 to 1024
        std::array<std::int16_t, kPublishedBytes / 2> samples{};
        std::size_t sampleCount() const { return byteCount / 2; }
    };

    // Capture thread: publishes the start of a buffer of `bytes` bytes.
    void publish(const std::uint8_t* data, std::size_t bytes);
    Snapshot snapshot() const;

  private:
    mutable std::mutex m_mutex;  // guards m_byteCount and m_area; held for one copy
    std::size_t m_byteCount = 0;
    std::array<std::uint8_t, kAreaBytes> m_area{};
};

}  // namespace ambrin
