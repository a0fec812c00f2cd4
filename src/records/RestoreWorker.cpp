#include "records/RestoreWorker.h"

#include <fcntl.h>
#include <sqlite3.h>
#include <strings.h>
#include <sys/stat.h>
#include <sys/statvfs.h>
#include <unistd.h>
#include <zip.h>

#include <cerrno>

#include "platform/MessageBox.h"
#include "platform/StringIds.h"
#include "platform/UniqueFd.h"
#include "records/BackupWorker.h"
#include "records/RecordDatabase.h"

namespace ambrin {

namespace {

constexpr std::size_t kPieceSize = 64 * 1024;
// Beside the file it will replace until it is complete.
constexpr const char* kRestoringSuffix = ".restoring";

bool writeAll(int fd, const char* data, std::size_t count) {
    while (count > 0) {
        const ssize_t written = ::write(fd, data, count);
        if (written < 0 && errno == EINTR) {
            continue;
        }
        if (written <= 0) {
            return false;
        }
        data += written;
        count -= static_cast<std::size_t>(written);
    }
    return true;
}

// Bytes this process may still write on the volume of `folder`.
std::uint64_t spaceLeft(const std::string& folder) {
    struct statvfs info {};
    if (::statvfs(folder.c_str(), &info) != 0) {
        return 0;
    }
    return static_cast<std::uint64_t>(info.f_bavail) * info.f_frsize;
}

std::string parentOf(const std::string& path) {
    const std::size_t slash = path.rfind('/');
    return slash == std::string::npos ? std::string() : path.substr(0, slash + 1);
}

// The restored database reads as one, to the last page.
bool wholeDatabase(const std::string& path) {
    sqlite3* handle = nullptr;
    const int opened = sqlite3_open_v2(path.c_str(), &handle, SQLITE_OPEN_READONLY, nullptr);
    const SqliteConnection connection(handle);
    if (opened != SQLITE_OK) {
        return false;
    }
    sqlite3_stmt* raw = nullptr;
    if (sqlite3_prepare_v2(handle, "PRAGMA quick_check", -1, &raw, nullptr) != SQLITE_OK) {
        return false;
    }
    const SqliteStatement check(raw);
    return sqlite3_step(raw) == SQLITE_ROW &&
           std::string(reinterpret_cast<const char*>(sqlite3_column_text(raw, 0))) == "ok";
}

}  // namespace

RestoreWorker::RestoreWorker(BackupPlaces places, std::string dateName, BackupFlags& flags,
                             BackupProgress& progress)
    : m_places(std::move(places)),
      m_dateName(std::move(dateName)),
      m_flags(flags),
      m_progress(progress) {}

BackupResult RestoreWorker::run() {
    m_progress.open(BackupMode::Restore);
    if (m_places.recordingFolder.empty() || m_places.databaseFile.empty()) {
        return fail();
    }
    std::vector<Part> parts;
    if (!readParts(parts)) {
        return fail();
    }
    const std::string restoredDatabase = m_places.databaseFile + kRestoringSuffix;
    ::unlink(restoredDatabase.c_str());
    bool databaseFound = false;
    for (Part& part : parts) {
        m_progress.setRange(static_cast<int>(part.entries.size()));
        int done = 0;
        for (const ArchiveEntry& entry : part.entries) {
            if (m_flags.stop.load(std::memory_order_acquire)) {
                ::unlink(restoredDatabase.c_str());
                return BackupResult::Stopped;
            }
            const bool isDatabase =
                !entry.folder && strcasecmp(entry.path.c_str(), kBackupDatabaseEntry) == 0;
            bool extracted = false;
            if (entry.folder) {
                extracted = makeParents(entry.path + "/");
            } else if (isDatabase) {
                extracted = extract(part, entry, restoredDatabase);
                databaseFound = databaseFound || extracted;
            } else {
                extracted = makeParents(entry.path) &&
                            extract(part, entry, m_places.recordingFolder + entry.path);
            }
            if (!extracted) {
                ::unlink(restoredDatabase.c_str());
                return fail();
            }
            m_progress.setPosition(++done);
        }
    }
    if (!databaseFound || !putDatabaseInPlace(restoredDatabase)) {
        ::unlink(restoredDatabase.c_str());
        return fail();
    }
    m_flags.stop.store(true, std::memory_order_release);
    m_progress.finish();
    return BackupResult::Done;
}

bool RestoreWorker::readParts(std::vector<Part>& parts) const {
    for (const std::string& name : backupFilesOf(m_places.backupFolder, m_dateName)) {
        if (!backupPartIndex(name)) {
            continue;  // not a part: another file of that date
        }
        Part part;
        part.path = m_places.backupFolder + name;
        part.archive = openArchive(part.path);
        if (!part.archive || !readEntryList(part.archive.get(), part.entries)) {
            return false;
        }
        parts.push_back(std::move(part));
    }
    return !parts.empty();
}

bool RestoreWorker::makeParents(const std::string& relative) const {
    std::size_t slash = relative.find('/');
    while (slash != std::string::npos) {
        const std::string folder = m_places.recordingFolder + relative.substr(0, slash);
        struct stat info {};
        if (::lstat(folder.c_str(), &info) == 0) {
            // Only a real folder: a link could lead the files out of the recording folder.
            if (!S_ISDIR(info.st_mode)) {
                return false;
            }
        } else if (::mkdir(folder.c_str(), 0755) != 0 && errno != EEXIST) {
            return false;
        }
        slash = relative.find('/', slash + 1);
    }
    return true;
}

bool RestoreWorker::extract(Part& part, const ArchiveEntry& entry,
                            const std::string& target) const {
    struct stat existing {};
    if (::lstat(target.c_str(), &existing) == 0 && !S_ISREG(existing.st_mode)) {
        return false;  // never written through a link, nor over a folder
    }
    // The whole entry must fit before a byte of it is written.
    if (entry.size >= spaceLeft(parentOf(target))) {
        return false;
    }
    struct ZipFileCloser {
        void operator()(zip_file_t* file) const { zip_fclose(file); }
    };
    std::unique_ptr<zip_file_t, ZipFileCloser> in(
        zip_fopen_index(part.archive.get(), entry.index, 0));
    if (!in) {
        return false;
    }
    const std::string partial = target + kRestoringSuffix;
    ::unlink(partial.c_str());
    UniqueFd out(
        ::open(partial.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0644));
    if (!out) {
        return false;
    }
    std::vector<char> buffer(kPieceSize);
    bool complete = true;
    std::uint64_t total = 0;
    for (;;) {
        // libzip checks the entry's CRC when it reaches the end: a bad one reads as -1.
        const zip_int64_t got = zip_fread(in.get(), buffer.data(), buffer.size());
        if (got <= 0) {
            complete = got == 0 && total == entry.size;
            break;
        }
        total += static_cast<std::uint64_t>(got);
        if (total > entry.size ||
            !writeAll(out.get(), buffer.data(), static_cast<std::size_t>(got))) {
            complete = false;
            break;
        }
    }
    complete = complete && ::fsync(out.get()) == 0 && ::close(out.release()) == 0;
    if (!complete || ::rename(partial.c_str(), target.c_str()) != 0) {
        ::unlink(partial.c_str());
        return false;
    }
    return true;
}

bool RestoreWorker::putDatabaseInPlace(const std::string& restored) const {
    if (!wholeDatabase(restored)) {
        return false;
    }
    // One rename: every connection opened from now on sees the restored database whole.
    return ::rename(restored.c_str(), m_places.databaseFile.c_str()) == 0;
}

BackupResult RestoreWorker::fail() {
    // The dialog stays until the user closes it; that clears the busy flag.
    showStringMessage(str::kRestoreFailed, kMbIconWarning);
    return BackupResult::Failed;
}

}  // namespace ambrin
