#include "records/BackupWorker.h"

#include <dirent.h>
#include <fcntl.h>
#include <sqlite3.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <memory>
#include <thread>

#include "platform/Folders.h"
#include "platform/MessageBox.h"
#include "platform/StringIds.h"
#include "platform/UniqueFd.h"
#include "records/BackupArchive.h"
#include "records/RecordDatabase.h"

namespace ambrin {

namespace {

// The database's copy while a backup runs, beside the work archives.
constexpr const char* kDatabaseCopyName = "db_copy.tmp";
constexpr auto kDatabaseWait = std::chrono::seconds(10);

struct DirCloser {
    void operator()(DIR* dir) const { ::closedir(dir); }
};

bool endsWithNoCase(const std::string& text, const char* suffix) {
    const std::size_t length = std::char_traits<char>::length(suffix);
    if (text.size() < length) {
        return false;
    }
    return std::equal(text.end() - static_cast<long>(length), text.end(), suffix,
                      [](char a, char b) { return std::tolower(a) == std::tolower(b); });
}

// Recordings in OGG and MP3 are compressed already: stored, they cost no time and no size.
bool worthDeflating(const std::string& name) {
    return !endsWithNoCase(name, ".ogg") && !endsWithNoCase(name, ".mp3");
}

bool isWorkName(const std::string& name) {
    int part = 0;
    char tail = 0;
    return name == kDatabaseCopyName ||
           (std::sscanf(name.c_str(), "db_%d.zi%c", &part, &tail) == 2 && tail == 'p' &&
            name == backupWorkName(part));
}

void removeWorkFiles(const std::string& folder) {
    std::unique_ptr<DIR, DirCloser> dir(::opendir(folder.c_str()));
    if (!dir) {
        return;
    }
    std::vector<std::string> names;
    while (const dirent* entry = ::readdir(dir.get())) {
        if (isWorkName(entry->d_name)) {
            names.emplace_back(entry->d_name);
        }
    }
    for (const std::string& name : names) {
        ::unlink((folder + name).c_str());
    }
}

void syncFolder(const std::string& folder) {
    const UniqueFd fd(::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (fd) {
        ::fsync(fd.get());
    }
}

struct SqliteBackupFinisher {
    void operator()(sqlite3_backup* backup) const { sqlite3_backup_finish(backup); }
};

}  // namespace

std::string backupWorkName(int part) {
    return "db_" + std::to_string(part) + ".zip";
}

BackupWorker::BackupWorker(BackupPlaces places, BackupFlags& flags, BackupProgress& progress)
    : m_places(std::move(places)), m_flags(flags), m_progress(progress) {}

BackupResult BackupWorker::run() {
    if (m_places.recordingFolder.empty() || m_places.backupFolder.empty()) {
        m_flags.busy.store(false, std::memory_order_release);
        return BackupResult::NoSource;
    }
    if (m_date.year == 0) {
        m_date = currentUtcDate();
    }
    const std::string& folder = m_places.backupFolder;
    if (!makeFolders(folder)) {
        return fail();
    }
    removeWorkFiles(folder);

    const std::string copy = folder + kDatabaseCopyName;
    if (!copyDatabase(copy)) {
        ::unlink(copy.c_str());
        return fail();
    }
    m_progress.open(BackupMode::Backup);
    m_progressOpen = true;

    std::vector<Source> sources;
    struct stat info {};
    ::stat(copy.c_str(), &info);
    sources.push_back({copy, kBackupDatabaseEntry, static_cast<std::uint64_t>(info.st_size),
                       static_cast<long>(info.st_mtime)});
    // A folder that cannot be read would make a backup that lacks recordings: a failure.
    if (!listFolder(m_places.recordingFolder, "", sources)) {
        ::unlink(copy.c_str());
        return fail();
    }

    std::vector<std::string> written;
    const bool complete = writeParts(sources, written);
    ::unlink(copy.c_str());
    if (!complete) {
        for (const std::string& path : written) {
            ::unlink(path.c_str());
        }
        if (m_flags.stop.load(std::memory_order_acquire)) {
            return BackupResult::Stopped;
        }
        return fail();
    }
    if (!putInPlace(written)) {
        for (const std::string& path : written) {
            ::unlink(path.c_str());
        }
        return fail();
    }
    m_flags.stop.store(true, std::memory_order_release);
    m_progress.finish();
    return BackupResult::Done;
}

bool BackupWorker::copyDatabase(const std::string& copy) const {
    sqlite3* from = nullptr;
    sqlite3* to = nullptr;
    const int openedFrom =
        sqlite3_open_v2(m_places.databaseFile.c_str(), &from, SQLITE_OPEN_READONLY, nullptr);
    const SqliteConnection source(from);
    const int openedTo =
        sqlite3_open_v2(copy.c_str(), &to, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE, nullptr);
    const SqliteConnection target(to);
    if (openedFrom != SQLITE_OK || openedTo != SQLITE_OK) {
        return false;
    }
    sqlite3_busy_timeout(from, static_cast<int>(std::chrono::milliseconds(kDatabaseWait).count()));
    std::unique_ptr<sqlite3_backup, SqliteBackupFinisher> backup(
        sqlite3_backup_init(to, "main", from, "main"));
    if (!backup) {
        return false;
    }
    // Whole in one step: the copy is the database as one transaction left it. A writer holding
    // the lock makes the step wait and try again.
    const auto deadline = std::chrono::steady_clock::now() + kDatabaseWait;
    int stepped = sqlite3_backup_step(backup.get(), -1);
    while ((stepped == SQLITE_BUSY || stepped == SQLITE_LOCKED) &&
           std::chrono::steady_clock::now() < deadline) {
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
        stepped = sqlite3_backup_step(backup.get(), -1);
    }
    return stepped == SQLITE_DONE && sqlite3_backup_finish(backup.release()) == SQLITE_OK;
}

bool BackupWorker::listFolder(const std::string& folder, const std::string& prefix,
                              std::vector<Source>& sources) const {
    std::unique_ptr<DIR, DirCloser> dir(::opendir(folder.c_str()));
    if (!dir) {
        return false;
    }
    std::vector<std::string> names;
    errno = 0;
    while (const dirent* entry = ::readdir(dir.get())) {
        const std::string name = entry->d_name;
        if (name != "." && name != "..") {
            names.push_back(name);
        }
        errno = 0;
    }
    if (errno != 0) {
        return false;
    }
    std::sort(names.begin(), names.end());
    struct stat backupFolder {};
    const bool backupKnown = ::stat(m_places.backupFolder.c_str(), &backupFolder) == 0;
    for (const std::string& name : names) {
        const std::string path = folder + name;
        struct stat info {};
        if (::lstat(path.c_str(), &info) != 0) {
            return false;
        }
        if (S_ISDIR(info.st_mode)) {
            // A backup folder inside the recording folder is not backed up into itself.
            if (backupKnown && info.st_dev == backupFolder.st_dev &&
                info.st_ino == backupFolder.st_ino) {
                continue;
            }
            if (!listFolder(path + "/", prefix + name + "/", sources)) {
                return false;
            }
        } else if (S_ISREG(info.st_mode)) {
            // The database's member comes from the live database, never from a stray copy.
            if (prefix.empty() && name == kBackupDatabaseEntry) {
                continue;
            }
            sources.push_back({path, prefix + name, static_cast<std::uint64_t>(info.st_size),
                               static_cast<long>(info.st_mtime)});
        }
    }
    return true;
}

bool BackupWorker::writeParts(const std::vector<Source>& sources,
                              std::vector<std::string>& written) {
    int done = 0;
    const auto fileDone = [this, &done] { m_progress.setPosition(++done); };
    m_progress.setRange(static_cast<int>(sources.size()));
    int part = 0;
    auto next = [&]() -> std::unique_ptr<BackupPartWriter> {
        auto writer = std::make_unique<BackupPartWriter>(
            m_places.backupFolder + backupWorkName(part), m_flags.stop, fileDone);
        if (!writer->create()) {
            return nullptr;
        }
        written.push_back(writer->path());
        return writer;
    };
    std::unique_ptr<BackupPartWriter> writer = next();
    if (!writer) {
        return false;
    }
    for (const Source& source : sources) {
        if (m_flags.stop.load(std::memory_order_acquire)) {
            return false;
        }
        if (writer->length() > m_partSize) {
            if (!writer->close()) {
                return false;
            }
            ++part;
            writer = next();
            if (!writer) {
                return false;
            }
        }
        if (!writer->add(source.path, source.entryName, source.size, source.modified,
                         worthDeflating(source.entryName))) {
            return false;
        }
    }
    return writer->close() && !m_flags.stop.load(std::memory_order_acquire);
}

bool BackupWorker::putInPlace(const std::vector<std::string>& written) const {
    const std::string& folder = m_places.backupFolder;
    for (std::size_t part = 0; part < written.size(); ++part) {
        const std::string target = folder + backupPartName(m_date, static_cast<int>(part));
        if (::rename(written[part].c_str(), target.c_str()) != 0) {
            return false;
        }
    }
    // Parts of an earlier backup of the same day beyond the new ones belong to nothing now.
    for (const std::string& name : backupFilesOf(folder, m_date.name())) {
        const auto part = backupPartIndex(name);
        if (part && static_cast<std::size_t>(*part) >= written.size()) {
            ::unlink((folder + name).c_str());
        }
    }
    syncFolder(folder);
    return true;
}

BackupResult BackupWorker::fail() {
    if (m_progressOpen) {
        m_progress.close();
    }
    showStringMessage(str::kBackupFailed, kMbIconWarning);
    m_flags.busy.store(false, std::memory_order_release);
    return BackupResult::Failed;
}

}  // namespace ambrin
