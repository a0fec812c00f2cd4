#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "platform/UniqueFd.h"

namespace ambrin {

// A regular file read at absolute offsets through a window that follows the requests, for the
// walks over recordings (durations, WAVE chunks, repair). Every read is checked against the
// size the file had when it was opened, so sizes taken from the file cannot lead past its end;
// a file that shrank meanwhile reads short and the request fails. One thread at a time.
class FileWindow {
  public:
    explicit FileWindow(std::size_t windowSize) : m_windowSize(windowSize) {}

    // Opens `path` for reading, and also for writing when `forWriting` and permitted. False
    // unless it is a regular file (O_NONBLOCK keeps a FIFO in its place from stalling the open).
    bool open(const std::string& path, bool forWriting = false);

    std::uint64_t size() const { return m_size; }
    bool writable() const { return m_writable; }
    int fd() const { return m_fd.get(); }

    // The `count` bytes at `offset` (at most the window's size), valid until the next call;
    // null when they are not all in the file.
    const unsigned char* at(std::uint64_t offset, std::size_t count);
    // Copies `count` bytes at `offset` into `out`; false when they are not all in the file.
    bool readAt(std::uint64_t offset, unsigned char* out, std::size_t count);

    // After the file was changed through fd(): forget the window and take the new size.
    void changed(std::uint64_t newSize);

  private:
    std::size_t readFully(std::uint64_t offset, unsigned char* out, std::size_t count) const;

    std::size_t m_windowSize;
    UniqueFd m_fd;
    bool m_writable = false;
    std::uint64_t m_size = 0;
    std::vector<unsigned char> m_window;
    std::uint64_t m_start = 0;  // file offset of the window's first byte
};

}  // namespace ambrin
