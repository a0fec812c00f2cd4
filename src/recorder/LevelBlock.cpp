#include "recorder/LevelBlock.h"

#include <algorithm>
#include <cstring>

namespace ambrin {

void LevelBlock::publish(const std::uint8_t* data, std::size_t bytes) {
    const std::size_t count = std::min(bytes, kPublishedBytes);
    std::lock_guard lock(m_mutex);
    std::memcpy(m_area.data(), data, count);
    m_byteCount = count;
}

LevelBlock::Snapshot LevelBlock::snapshot() const {
    Snapshot out;
    std::lock_guard lock(m_mutex);
    out.byteCount = m_byteCount;
    // Samples are little-endian in the capture format.
    for (std::size_t i = 0; i < out.byteCount / 2; ++i) {
        out.samples[i] = static_cast<std::int16_t>(
            static_cast<std::uint16_t>(m_area[2 * i] | (m_area[2 * i + 1] << 8)));
    }
    return out;
}

}  // namespace ambrin
