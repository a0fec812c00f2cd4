#include "codec/FileWindow.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>

namespace ambrin {

bool FileWindow::open(const std::string& path, bool forWriting) {
    m_window.clear();
    m_start = 0;
    m_size = 0;
    m_writable = false;
    if (forWriting) {
        m_fd.reset(::open(path.c_str(), O_RDWR | O_CLOEXEC | O_NOCTTY | O_NONBLOCK));
        m_writable = static_cast<bool>(m_fd);
    }
    if (!m_fd) {
        m_fd.reset(::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NOCTTY | O_NONBLOCK));
    }
    struct stat info {};
    if (!m_fd || ::fstat(m_fd.get(), &info) != 0 || !S_ISREG(info.st_mode)) {
        m_fd.reset();
        m_writable = false;
        return false;
    }
    m_size = static_cast<std::uint64_t>(info.st_size);
    return true;
}

std::size_t FileWindow::readFully(std::uint64_t offset, unsigned char* out,
                                  std::size_t count) const {
    std::size_t got = 0;
    while (got < count) {
        const ssize_t n =
            ::pread(m_fd.get(), out + got, count - got, static_cast<off_t>(offset + got));
        if (n < 0 && errno == EINTR) {
            continue;
        }
        if (n <= 0) {
            break;  // an error, or the file shrank since it was measured
        }
        got += static_cast<std::size_t>(n);
    }
    return got;
}

const unsigned char* FileWindow::at(std::uint64_t offset, std::size_t count) {
    if (!m_fd || offset > m_size || count > m_size - offset || count > m_windowSize) {
        return nullptr;
    }
    if (offset < m_start || offset - m_start + count > m_window.size()) {
        m_start = offset;
        m_window.resize(
            static_cast<std::size_t>(std::min<std::uint64_t>(m_windowSize, m_size - offset)));
        m_window.resize(readFully(offset, m_window.data(), m_window.size()));
        if (count > m_window.size()) {
            return nullptr;
        }
    }
    return m_window.data() + (offset - m_start);
}

bool FileWindow::readAt(std::uint64_t offset, unsigned char* out, std::size_t count) {
    if (!m_fd || offset > m_size || count > m_size - offset) {
        return false;
    }
    return readFully(offset, out, count) == count;
}

void FileWindow::changed(std::uint64_t newSize) {
    m_size = newSize;
    m_window.clear();
    m_start = 0;
}

}  // namespace ambrin
