#pragma once

#include <dirent.h>
#include <unistd.h>
#include <zip.h>
#include <zlib.h>

#include <memory>
#include <utility>

// Owners of the C handles that the package code opens; each closes its handle when it goes.
namespace ambrin {

// A file descriptor; -1 for none.
class UniqueFd {
  public:
    UniqueFd() = default;
    explicit UniqueFd(int fd) : m_fd(fd) {}
    ~UniqueFd() { reset(); }
    UniqueFd(UniqueFd&& other) noexcept : m_fd(std::exchange(other.m_fd, -1)) {}
    UniqueFd& operator=(UniqueFd&& other) noexcept {
        reset(std::exchange(other.m_fd, -1));
        return *this;
    }

    int get() const { return m_fd; }
    explicit operator bool() const { return m_fd >= 0; }
    int release() { return std::exchange(m_fd, -1); }
    void reset(int fd = -1) {
        if (m_fd >= 0) {
            ::close(m_fd);
        }
        m_fd = fd;
    }

  private:
    int m_fd = -1;
};

struct GzCloser {
    void operator()(gzFile file) const { gzclose(file); }
};
// Whoever must know that a written stream was completed closes it with gzclose itself.
using GzFile = std::unique_ptr<gzFile_s, GzCloser>;

struct ZipDiscarder {
    // Archives are only read here; discarding never writes.
    void operator()(zip_t* archive) const { zip_discard(archive); }
};
using ZipArchive = std::unique_ptr<zip_t, ZipDiscarder>;

struct ZipFileCloser {
    void operator()(zip_file_t* file) const { zip_fclose(file); }
};
using ZipEntryFile = std::unique_ptr<zip_file_t, ZipFileCloser>;

struct DirCloser {
    void operator()(DIR* dir) const { ::closedir(dir); }
};
// A folder listing; closedir also closes the descriptor it was opened from.
using DirStream = std::unique_ptr<DIR, DirCloser>;

}  // namespace ambrin
