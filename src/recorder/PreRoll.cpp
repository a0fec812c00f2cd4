#include "recorder/PreRoll.h"

#include <algorithm>
#include <cstring>

namespace ambrin {

std::size_t PreRoll::buffersFor(int milliseconds) {
    if (milliseconds <= 0) {
        return 0;
    }
    constexpr int kBufferMilliseconds = 256;
    return static_cast<std::size_t>((milliseconds + kBufferMilliseconds - 1) / kBufferMilliseconds);
}

void PreRoll::configure(std::size_t preRollBuffers) {
    m_preRoll = preRollBuffers;
    // The pre-roll, the trigger itself, and the buffers that follow it while the start is pending.
    m_capacity = preRollBuffers == 0 ? 0 : preRollBuffers + 2 + kPendingBuffers;
    m_storage.assign(m_capacity * kBufferBytes, 0);
    m_sizes.assign(m_capacity, 0);
    m_count = 0;
    m_trigger.reset();
}

void PreRoll::push(const std::uint8_t* data, std::size_t bytes) {
    if (m_capacity == 0) {
        return;
    }
    bytes = std::min(bytes, kBufferBytes);
    const std::size_t slot = slotOf(m_next);
    std::memcpy(m_storage.data() + slot * kBufferBytes, data, bytes);
    m_sizes[slot] = bytes;
    ++m_next;
    m_count = std::min(m_count + 1, m_capacity);
    // Without a trigger only what a trigger would need is worth keeping.
    if (m_trigger && m_next - *m_trigger > kPendingBuffers) {
        m_trigger.reset();  // a start that never came: its buffers are no longer wanted
    }
    if (!m_trigger) {
        m_count = std::min(m_count, m_preRoll + 2);
    }
}

void PreRoll::markTrigger() {
    if (m_capacity == 0 || m_next == 0 || m_trigger) {
        return;
    }
    m_trigger = m_next - 1;
}

void PreRoll::clearTrigger() {
    m_trigger.reset();
    m_count = std::min(m_count, m_preRoll + 2);
}

void PreRoll::drainInto(const std::function<void(const std::uint8_t*, std::size_t)>& sink) {
    if (m_capacity == 0) {
        return;
    }
    const std::uint64_t oldest = m_next - m_count;
    std::uint64_t first = m_next - std::min<std::uint64_t>(m_count, m_preRoll);
    if (m_trigger) {
        // The detector looks only at the first 64 ms of each buffer, so the sound may have
        // begun in the buffer before the trigger: that one counts in addition.
        const std::uint64_t before = m_preRoll + 1;
        first = *m_trigger >= before ? *m_trigger - before : 0;
        first = std::max(first, oldest);
    }
    for (std::uint64_t sequence = first; sequence < m_next; ++sequence) {
        const std::size_t slot = slotOf(sequence);
        sink(m_storage.data() + slot * kBufferBytes, m_sizes[slot]);
    }
    m_count = 0;
    m_trigger.reset();
}

}  // namespace ambrin
