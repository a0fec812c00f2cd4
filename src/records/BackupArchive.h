#pragma once

#include <atomic>
#include <cstdint>
#include <ctime>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

struct zip;

namespace ambrin {

struct ZipCloser {
    // Dropped without writing: a part is written only by BackupPartWriter::close.
    void operator()(struct zip* archive) const;
};
using ZipHandle = std::unique_ptr<struct zip, ZipCloser>;

// One zip archive of a backup being written. libzip writes the members when the archive is
// closed; the files are read then, in 64 KiB pieces, so the stop flag is honoured and the
// progress counted during close().
class BackupPartWriter {
  public:
    // `filesDone` is called on the closing thread after each member has been read.
    BackupPartWriter(std::string path, const std::atomic<bool>& stop,
                     std::function<void()> fileDone);
    ~BackupPartWriter();  // an archive not closed is dropped, and nothing of it stays on disk
    BackupPartWriter(const BackupPartWriter&) = delete;
    BackupPartWriter& operator=(const BackupPartWriter&) = delete;

    bool create();
    // Adds `file` under `entryName`, stored or deflated at level 5. The file is read at close
    // (at most `size` bytes: a file that grows meanwhile is kept as it was when listed).
    bool add(const std::string& file, const std::string& entryName, std::uint64_t size,
             std::time_t modified, bool deflate);
    // The most the part's file can be long once closed (deflated members at their full size).
    std::uint64_t length() const { return m_length; }
    // Writes the archive; false when a member could not be read or written, or the stop flag
    // was set meanwhile (nothing is left on disk then).
    bool close();
    const std::string& path() const { return m_path; }

  private:
    std::string m_path;
    const std::atomic<bool>& m_stop;
    std::function<void()> m_fileDone;
    ZipHandle m_archive;
    std::uint64_t m_length = 0;
};

// An entry of an archive being restored.
struct ArchiveEntry {
    std::uint64_t index = 0;
    std::string path;  // relative, '/'-separated, no "." or ".." parts; never empty
    bool folder = false;
    std::uint64_t size = 0;
};

// The relative path an entry name stands for: "/" and "\" both separate, empty and "." parts
// are dropped. Nothing for a name that would leave the destination (absolute, a drive letter,
// a ".." part) or names nothing.
std::optional<std::string> entryPath(std::string_view name);

// The entries of an open archive. False when an entry cannot be read or is refused (a name
// that leaves the destination, a link); `entries` is empty then. Names that are not UTF-8
// are read as the Korean code page of archives made on Windows.
bool readEntryList(struct zip* archive, std::vector<ArchiveEntry>& entries);

// Opens an archive for reading; null when it is not one.
ZipHandle openArchive(const std::string& path);

}  // namespace ambrin
