#include "skin/SkinArchive.h"

#include <fcntl.h>
#include <sys/stat.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <ctime>

#include "skin/ArchiveHandles.h"
#include "skin/SkinPaths.h"
#include "skin/SkinResults.h"
#include "skin/TarHeader.h"

namespace ambrin {

namespace {

constexpr size_t kTransferSize = 8192;
// The end of a written package: ten zero blocks.
constexpr size_t kEndOfArchive = 10 * tar::kBlockSize;
constexpr unsigned char kZipMagic[4] = {'P', 'K', 3, 4};

bool writeAll(int fd, const char* data, size_t count) {
    while (count > 0) {
        const ssize_t written = ::write(fd, data, count);
        if (written < 0 && errno == EINTR) {
            continue;
        }
        if (written <= 0) {
            return false;
        }
        data += written;
        count -= static_cast<size_t>(written);
    }
    return true;
}

bool readAll(int fd, char* data, size_t count) {
    while (count > 0) {
        const ssize_t got = ::read(fd, data, count);
        if (got < 0 && errno == EINTR) {
            continue;
        }
        if (got <= 0) {
            return false;
        }
        data += got;
        count -= static_cast<size_t>(got);
    }
    return true;
}

// gzread takes at most an int's worth; every caller asks for at most kTransferSize.
bool gzReadExactly(gzFile file, void* data, size_t count) {
    return gzread(file, data, static_cast<unsigned>(count)) == static_cast<int>(count);
}

bool gzWriteExactly(gzFile file, const void* data, size_t count) {
    return gzwrite(file, data, static_cast<unsigned>(count)) == static_cast<int>(count);
}

bool closeChecked(int fd) {
    return ::close(fd) == 0;
}

// Deletes every entry of an open folder; takes ownership of `fd`.
bool clearFolderAt(int fd) {
    DirStream dir(::fdopendir(fd));
    if (!dir) {
        ::close(fd);
        return false;
    }
    // Names first: deleting while the listing runs may make it skip entries.
    std::vector<std::string> names;
    while (const dirent* entry = ::readdir(dir.get())) {
        const std::string name = entry->d_name;
        if (name != "." && name != "..") {
            names.push_back(name);
        }
    }
    const int dirFd = ::dirfd(dir.get());
    for (const std::string& name : names) {
        struct stat info {};
        if (::fstatat(dirFd, name.c_str(), &info, AT_SYMLINK_NOFOLLOW) != 0) {
            return false;
        }
        if (S_ISDIR(info.st_mode)) {
            const int sub =
                ::openat(dirFd, name.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
            if (sub < 0 || !clearFolderAt(sub) ||
                ::unlinkat(dirFd, name.c_str(), AT_REMOVEDIR) != 0) {
                return false;
            }
        } else if (::unlinkat(dirFd, name.c_str(), 0) != 0) {
            return false;
        }
    }
    return true;
}

// One member of a package being written: header, data, padding.
int writeMember(gzFile out, const std::string& path, std::vector<char>& buffer) {
    const std::string name = memberBaseName(path);
    if (!isUsableMemberName(name)) {
        return skin::kBadArchive;
    }
    UniqueFd in(::open(path.c_str(), O_RDONLY | O_CLOEXEC));
    struct stat info {};
    if (!in || ::fstat(in.get(), &info) != 0 || !S_ISREG(info.st_mode)) {
        return skin::kOpenFailed;
    }
    const auto size = static_cast<std::uint64_t>(info.st_size);
    tar::Block header{};
    if (!tar::buildHeader(name, size, std::time(nullptr), header)) {
        return skin::kBadArchive;
    }
    if (!gzWriteExactly(out, header.data(), header.size())) {
        return skin::kWriteFailed;
    }
    for (std::uint64_t left = size; left > 0;) {
        const size_t piece = static_cast<size_t>(std::min<std::uint64_t>(left, buffer.size()));
        if (!readAll(in.get(), buffer.data(), piece)) {
            return skin::kReadFailed;
        }
        if (!gzWriteExactly(out, buffer.data(), piece)) {
            return skin::kWriteFailed;
        }
        left -= piece;
    }
    const tar::Block zeros{};
    if (!gzWriteExactly(out, zeros.data(), static_cast<size_t>(tar::paddingAfter(size)))) {
        return skin::kWriteFailed;
    }
    return skin::kOk;
}

}  // namespace

int SkinArchive::createArchive(const std::string& packagePath,
                               const std::vector<std::string>& files) {
    GzFile out(gzopen(packagePath.c_str(), "wb"));
    if (!out) {
        return skin::kCreateFailed;
    }
    std::vector<char> buffer(kTransferSize);
    int result = skin::kOk;
    for (const std::string& file : files) {
        result = writeMember(out.get(), file, buffer);
        if (result != skin::kOk) {
            break;
        }
    }
    if (result == skin::kOk) {
        const std::vector<char> end(kEndOfArchive, '\0');
        if (!gzWriteExactly(out.get(), end.data(), end.size())) {
            result = skin::kWriteFailed;
        }
    }
    // gzclose flushes the last compressed bytes: only its answer tells that they landed.
    if (gzclose(out.release()) != Z_OK && result == skin::kOk) {
        result = skin::kWriteFailed;
    }
    if (result != skin::kOk) {
        ::unlink(packagePath.c_str());
    }
    return result;
}

int SkinArchive::extract(const std::string& packagePath, const std::string& targetFolder) {
    m_extracted.clear();
    if (packagePath.empty()) {
        return skin::kOpenFailed;
    }
    unsigned char magic[sizeof kZipMagic] = {};
    bool zip = false;
    {
        UniqueFd package(::open(packagePath.c_str(), O_RDONLY | O_CLOEXEC));
        struct stat info {};
        if (!package || ::fstat(package.get(), &info) != 0 || !S_ISREG(info.st_mode)) {
            return skin::kOpenFailed;
        }
        zip = readAll(package.get(), reinterpret_cast<char*>(magic), sizeof magic) &&
              std::memcmp(magic, kZipMagic, sizeof magic) == 0;
    }
    UniqueFd folder(::open(targetFolder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (!folder) {
        return skin::kOpenFailed;
    }
    const int result = zip ? extractZip(packagePath, folder.get(), targetFolder)
                           : extractTar(packagePath, folder.get(), targetFolder);
    if (result != skin::kOk) {
        deleteExtractedFiles();
    }
    return result;
}

int SkinArchive::createMember(int folderFd, const std::string& folder, const std::string& name,
                              int& fd) {
    // A file of that name is replaced, never written through: a hard link would carry the
    // data elsewhere. A symbolic link there would send it out of the folder.
    struct stat info {};
    if (::fstatat(folderFd, name.c_str(), &info, AT_SYMLINK_NOFOLLOW) == 0) {
        if (S_ISLNK(info.st_mode)) {
            return skin::kBadArchive;
        }
        if (S_ISREG(info.st_mode) && ::unlinkat(folderFd, name.c_str(), 0) != 0) {
            return skin::kOpenFailed;
        }
    }
    fd = ::openat(folderFd, name.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC,
                  0644);
    if (fd < 0) {
        return skin::kOpenFailed;
    }
    const std::string path = joinPath(folder, name);
    if (std::find(m_extracted.begin(), m_extracted.end(), path) == m_extracted.end()) {
        m_extracted.push_back(path);
    }
    return skin::kOk;
}

int SkinArchive::extractTar(const std::string& packagePath, int folderFd,
                            const std::string& folder) {
    GzFile in(gzopen(packagePath.c_str(), "rb"));
    if (!in) {
        return skin::kOpenFailed;
    }
    std::vector<char> buffer(kTransferSize);
    tar::Block header{};
    bool folderSeen = false;
    bool headerRead = false;  // `header` already holds the next block
    for (;;) {
        if (!headerRead && !gzReadExactly(in.get(), header.data(), header.size())) {
            return skin::kReadFailed;
        }
        headerRead = false;
        if (tar::isZeroBlock(header)) {
            return skin::kOk;
        }
        if (!tar::hasMagic(header) || !tar::checksumMatches(header)) {
            return skin::kBadArchive;
        }
        const char type = tar::typeFlag(header);
        if (type == tar::kTypeFolder) {
            // Packages may keep their files in one folder; the files land flat anyway.
            if (folderSeen) {
                return skin::kBadArchive;
            }
            folderSeen = true;
            continue;
        }
        if (type != tar::kTypeFile && type != tar::kTypeOldFile) {
            return skin::kBadArchive;
        }
        const std::string name = memberBaseName(tar::memberName(header));
        std::uint64_t size = 0;
        if (!isUsableMemberName(name) || !tar::memberSize(header, size)) {
            return skin::kBadArchive;
        }
        int fd = -1;
        const int created = createMember(folderFd, folder, name, fd);
        if (created != skin::kOk) {
            return created;
        }
        UniqueFd out(fd);
        for (std::uint64_t left = size; left > 0;) {
            const size_t piece = static_cast<size_t>(std::min<std::uint64_t>(left, buffer.size()));
            if (!gzReadExactly(in.get(), buffer.data(), piece)) {
                return skin::kReadFailed;
            }
            if (!writeAll(out.get(), buffer.data(), piece)) {
                return skin::kWriteFailed;
            }
            left -= piece;
        }
        if (!closeChecked(out.release())) {
            return skin::kWriteFailed;
        }
        const std::uint64_t padding = tar::paddingAfter(size);
        if (!gzReadExactly(in.get(), header.data(), static_cast<size_t>(padding))) {
            return skin::kReadFailed;
        }
        // After a member of whole blocks our packages carry a zero block, while GNU tar
        // goes straight on to the next header: a block that is not zero is that header.
        headerRead = padding == tar::kBlockSize && !tar::isZeroBlock(header);
    }
}

int SkinArchive::extractZip(const std::string& packagePath, int folderFd,
                            const std::string& folder) {
    int error = 0;
    ZipArchive archive(zip_open(packagePath.c_str(), ZIP_RDONLY, &error));
    if (!archive) {
        return skin::kOpenFailed;
    }
    const zip_int64_t count = zip_get_num_entries(archive.get(), 0);
    if (count < 0) {
        return skin::kBadArchive;
    }
    std::vector<char> buffer(kTransferSize);
    for (zip_uint64_t index = 0; index < static_cast<zip_uint64_t>(count); ++index) {
        zip_stat_t stat;
        zip_stat_init(&stat);
        if (zip_stat_index(archive.get(), index, 0, &stat) != 0 ||
            (stat.valid & ZIP_STAT_NAME) == 0) {
            return skin::kBadArchive;
        }
        const std::string entryName = stat.name;
        if (!entryName.empty() && (entryName.back() == '/' || entryName.back() == '\\')) {
            continue;  // a folder entry: the files land flat
        }
        zip_uint8_t system = 0;
        zip_uint32_t attributes = 0;
        if (zip_file_get_external_attributes(archive.get(), index, 0, &system, &attributes) == 0 &&
            system == ZIP_OPSYS_UNIX) {
            const auto mode = static_cast<mode_t>(attributes >> 16);
            if (S_ISDIR(mode)) {
                continue;
            }
            if (S_ISLNK(mode)) {
                return skin::kBadArchive;
            }
        }
        const std::string name = memberBaseName(entryName);
        if (!isUsableMemberName(name)) {
            return skin::kBadArchive;
        }
        ZipEntryFile entry(zip_fopen_index(archive.get(), index, 0));
        if (!entry) {
            return skin::kBadArchive;
        }
        int fd = -1;
        const int created = createMember(folderFd, folder, name, fd);
        if (created != skin::kOk) {
            return created;
        }
        UniqueFd out(fd);
        for (;;) {
            // libzip checks the entry's CRC when it reaches the end: a bad one reads as -1.
            const zip_int64_t got = zip_fread(entry.get(), buffer.data(), buffer.size());
            if (got < 0) {
                return skin::kBadArchive;
            }
            if (got == 0) {
                break;
            }
            if (!writeAll(out.get(), buffer.data(), static_cast<size_t>(got))) {
                return skin::kWriteFailed;
            }
        }
        if (!closeChecked(out.release())) {
            return skin::kWriteFailed;
        }
    }
    return skin::kOk;
}

int SkinArchive::clearFolder(const std::string& folder) {
    const int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0 || !clearFolderAt(fd)) {
        return skin::kDeleteFailed;
    }
    return skin::kOk;
}

int SkinArchive::deleteExtractedFiles() {
    // Everything that can go goes; the list keeps the files that are still there.
    bool failed = false;
    std::vector<std::string> left;
    for (const std::string& path : m_extracted) {
        if (::unlink(path.c_str()) != 0) {
            failed = true;
            if (errno != ENOENT) {
                left.push_back(path);
            }
        }
    }
    m_extracted = std::move(left);
    return failed ? skin::kDeleteFailed : skin::kOk;
}

}  // namespace ambrin
