#include "recorder/streaming/ByteBuffer.h"

#include <algorithm>
#include <cstring>

#include "recorder/streaming/StreamResult.h"

namespace ambrin {

ByteBuffer::ByteBuffer(std::size_t ringSize, std::size_t overflowSize, std::string name)
    : m_name(std::move(name)),
      m_overflowSize(overflowSize),
      m_ringSize(ringSize),
      m_storage(ringSize + overflowSize) {}

void ByteBuffer::changedLocked() {
    ++m_changes;
    m_changed.notify_all();
}

ByteBuffer::Block ByteBuffer::reserve(std::size_t size) {
    std::lock_guard lock(m_mutex);
    if (m_closed) {
        return {StreamResult::Closed};
    }
    if (m_held == 0 && m_pendingRead == 0 && m_pendingWrite == 0) {
        m_readOffset = 0;  // empty: start over at the front, the cheapest place
        m_writeOffset = 0;
    }
    if (size > m_ringSize - m_held || m_ringSize == 0) {
        return {StreamResult::NoRoom};
    }
    // Room is contiguous from the write offset unless it runs past the end of the ring.
    if (m_writeOffset + size > m_ringSize && m_writeOffset + size - m_ringSize > m_overflowSize) {
        return {StreamResult::BeyondOverflow};
    }
    m_pendingWrite = size;
    return {StreamResult::Done, m_storage.data() + m_writeOffset, size};
}

void ByteBuffer::commit(std::size_t count) {
    std::lock_guard lock(m_mutex);
    if (m_closed) {
        return;
    }
    count = std::min(count, m_pendingWrite);
    m_pendingWrite = 0;
    if (m_writeOffset + count > m_ringSize) {
        // The part written into the overflow area belongs at the start of the ring.
        std::memcpy(m_storage.data(), m_storage.data() + m_ringSize,
                    m_writeOffset + count - m_ringSize);
    }
    m_writeOffset = (m_writeOffset + count) % m_ringSize;
    m_held += count;
    m_written += count;
    changedLocked();
}

void ByteBuffer::markEnd() {
    std::lock_guard lock(m_mutex);
    m_end = true;
    changedLocked();
}

ByteBuffer::Block ByteBuffer::requestLocked(std::size_t size) {
    if (m_closed) {
        return {StreamResult::Closed};
    }
    const std::size_t available = m_held - m_pendingRead;
    if (size > available || m_ringSize == 0 || (size == 0 && available == 0 && m_end)) {
        return {m_end ? StreamResult::EndOfStream : StreamResult::NotEnoughData, nullptr,
                available};
    }
    const std::size_t offset = (m_readOffset + m_pendingRead) % m_ringSize;
    if (offset + size > m_ringSize) {
        const std::size_t wrapped = offset + size - m_ringSize;
        if (wrapped > m_overflowSize) {
            return {StreamResult::BeyondOverflow, nullptr, available};
        }
        std::memcpy(m_storage.data() + m_ringSize, m_storage.data(), wrapped);
    }
    m_pendingRead += size;
    m_readBegun = true;
    return {StreamResult::Done, m_storage.data() + offset, size};
}

ByteBuffer::Block ByteBuffer::request(std::size_t size) {
    std::lock_guard lock(m_mutex);
    return requestLocked(size);
}

ByteBuffer::Block ByteBuffer::requestSome(std::size_t maxSize) {
    std::lock_guard lock(m_mutex);
    if (m_closed) {
        return {StreamResult::Closed};
    }
    const std::size_t available = m_held - m_pendingRead;
    if (available == 0 || maxSize == 0) {
        return {m_end ? StreamResult::EndOfStream : StreamResult::NotEnoughData, nullptr, 0};
    }
    const std::size_t offset = (m_readOffset + m_pendingRead) % m_ringSize;
    std::size_t size = std::min(maxSize, available);
    size = std::min(size, m_ringSize - offset + m_overflowSize);
    return requestLocked(size);
}

void ByteBuffer::release(std::size_t count) {
    std::lock_guard lock(m_mutex);
    if (m_closed) {
        return;
    }
    count = std::min(count, m_pendingRead);
    m_readOffset = (m_readOffset + count) % m_ringSize;
    m_pendingRead -= count;
    m_held -= count;
    changedLocked();
}

StreamResult ByteBuffer::resize(std::size_t ringSize, std::size_t overflowSize) {
    std::unique_lock lock(m_mutex);
    m_changed.wait(lock, [this] { return m_closed || m_pendingWrite == 0; });
    if (m_closed) {
        return StreamResult::Closed;
    }
    if (m_readBegun) {
        return StreamResult::ReadingBegun;
    }
    if (ringSize < m_held || ringSize == 0) {
        return StreamResult::NoRoom;
    }
    std::vector<std::uint8_t> storage(ringSize + overflowSize);
    const std::size_t first = std::min(m_held, m_ringSize - m_readOffset);
    std::memcpy(storage.data(), m_storage.data() + m_readOffset, first);
    std::memcpy(storage.data() + first, m_storage.data(), m_held - first);
    m_storage = std::move(storage);
    m_ringSize = ringSize;
    m_overflowSize = overflowSize;
    m_readOffset = 0;
    m_writeOffset = m_held % ringSize;
    changedLocked();
    return StreamResult::Done;
}

void ByteBuffer::rewind() {
    std::unique_lock lock(m_mutex);
    m_changed.wait(lock,
                   [this] { return m_closed || (m_pendingRead == 0 && m_pendingWrite == 0); });
    m_held = 0;
    m_readOffset = 0;
    m_writeOffset = 0;
    m_end = false;
    m_readBegun = false;
    m_written = 0;
    changedLocked();
}

void ByteBuffer::close() {
    std::lock_guard lock(m_mutex);
    m_closed = true;
    changedLocked();
}

std::uint64_t ByteBuffer::changes() const {
    std::lock_guard lock(m_mutex);
    return m_changes;
}

void ByteBuffer::waitForChange(std::uint64_t seen, std::chrono::milliseconds timeout) {
    std::unique_lock lock(m_mutex);
    auto changed = [&] { return m_changes != seen; };
    if (timeout == std::chrono::milliseconds::max()) {
        m_changed.wait(lock, changed);
    } else {
        m_changed.wait_for(lock, timeout, changed);
    }
}

void ByteBuffer::wake() {
    std::lock_guard lock(m_mutex);
    changedLocked();
}

std::size_t ByteBuffer::held() const {
    std::lock_guard lock(m_mutex);
    return m_held;
}

bool ByteBuffer::endMarked() const {
    std::lock_guard lock(m_mutex);
    return m_end;
}

bool ByteBuffer::drained() const {
    std::lock_guard lock(m_mutex);
    return m_end && m_held == 0;
}

bool ByteBuffer::closed() const {
    std::lock_guard lock(m_mutex);
    return m_closed;
}

std::uint64_t ByteBuffer::written() const {
    std::lock_guard lock(m_mutex);
    return m_written;
}

std::size_t ByteBuffer::ringSize() const {
    std::lock_guard lock(m_mutex);
    return m_ringSize;
}

std::size_t ByteBuffer::overflowSize() const {
    std::lock_guard lock(m_mutex);
    return m_overflowSize;
}

}  // namespace ambrin
