#pragma once

#include <chrono>
#include <condition_variable>
#include <cstddef>
#include <cstdint>
#include <mutex>
#include <string>
#include <vector>

#include "recorder/streaming/StreamResult.h"

namespace ambrin {

// The bytes between two stages of the streaming path: one writer and one reader.
//
// Storage is a ring followed by an overflow area, so that both sides always work on one
// contiguous block. A reader's block that runs past the end of the ring gets the wrapped
// bytes copied from the start of the ring into the overflow area; a writer's block that runs
// past the end is written into the overflow area and copied to the start of the ring at
// commit. Layout: [ ring (ringSize) | overflow (overflowSize) ].
//
// The writer reserves a block, fills it and commits what it wrote; the reader requests
// blocks (several may be outstanding) and releases them in order once done with them.
//
// Threads: every operation may be called from any thread; one mutex guards the state. Waiting
// is up to the caller: take changes() before trying, and waitForChange() on code 4 or 14.
class ByteBuffer {
  public:
    // A reserved or requested block. For codes 14 and 21 `size` is what the reader could have
    // (and `data` is null).
    struct Block {
        StreamResult code = StreamResult::Done;
        std::uint8_t* data = nullptr;
        std::size_t size = 0;
    };

    ByteBuffer(std::size_t ringSize, std::size_t overflowSize, std::string name = {});
    ByteBuffer(const ByteBuffer&) = delete;
    ByteBuffer& operator=(const ByteBuffer&) = delete;

    // Writer. reserve: 0, 17 closed, 4 not enough contiguous room yet, 2 a block that can never
    // be contiguous here. commit(count) adds the first `count` bytes of the reservation.
    Block reserve(std::size_t size);
    void commit(std::size_t count);
    void markEnd();

    // Reader. request: exactly `size` bytes: 0, 17, 14 not enough yet, 21 the end is marked
    // and fewer remain, 2 the block would wrap by more than the overflow area.
    Block request(std::size_t size);
    // Up to `maxSize` bytes, as many as are there and fit one block: 0, 17, 14 none yet, 21
    // none will come.
    Block requestSome(std::size_t maxSize);
    // Gives back the oldest `count` requested bytes.
    void release(std::size_t count);

    // New sizes, keeping the bytes held: 0, 4 smaller than the bytes held, 11 a reader has
    // already taken bytes, 17. Waits while a reservation is open.
    StreamResult resize(std::size_t ringSize, std::size_t overflowSize);
    // Empties the buffer and clears the end mark, waiting until neither side holds a block.
    void rewind();
    // Every later operation returns 17; waiters wake.
    void close();

    std::uint64_t changes() const;
    // Returns when the state changed after `seen` (or wake() was called), or after `timeout`.
    void waitForChange(std::uint64_t seen,
                       std::chrono::milliseconds timeout = std::chrono::milliseconds::max());
    // Wakes the waiters without changing anything (a stage asked to stop or to hold).
    void wake();

    std::size_t held() const;
    bool endMarked() const;
    // The end is marked and every byte has been released: the reader is done.
    bool drained() const;
    bool closed() const;
    // Bytes committed since creation or the last rewind: the stream offset of the next byte.
    std::uint64_t written() const;
    std::size_t ringSize() const;
    std::size_t overflowSize() const;
    const std::string& name() const { return m_name; }

  private:
    void changedLocked();
    Block requestLocked(std::size_t size);

    const std::string m_name;
    mutable std::mutex m_mutex;  // guards everything below
    std::condition_variable m_changed;
    bool m_closed = false;
    std::size_t m_held = 0;  // committed bytes not yet released
    std::size_t m_overflowSize;
    std::size_t m_ringSize;
    std::size_t m_readOffset = 0;    // ring offset of the oldest held byte
    std::size_t m_writeOffset = 0;   // ring offset of the next byte to write
    std::size_t m_pendingRead = 0;   // requested, not yet released
    std::size_t m_pendingWrite = 0;  // reserved, not yet committed
    bool m_end = false;
    bool m_readBegun = false;  // a reader took bytes since creation or rewind
    std::uint64_t m_written = 0;
    std::uint64_t m_changes = 0;
    std::vector<std::uint8_t> m_storage;
};

}  // namespace ambrin
