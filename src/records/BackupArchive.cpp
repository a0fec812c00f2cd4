#include "records/BackupArchive.h"

#include <fcntl.h>
#include <iconv.h>
#include <sys/stat.h>
#include <unistd.h>
#include <zip.h>

#include <cerrno>
#include <cstring>

#include "platform/TextHelpers.h"
#include "platform/UniqueFd.h"

namespace ambrin {

namespace {

constexpr zip_uint64_t kPieceSize = 64 * 1024;
// What a member adds around its data at most: local header and central directory record with
// the name twice, Zip64 extras, a data descriptor.
constexpr std::uint64_t kMemberOverhead = 30 + 46 + 2 * 32 + 16;

// A file read by libzip while it writes the archive.
struct FileSource {
    std::string path;
    std::uint64_t size = 0;
    std::time_t modified = 0;
    const std::atomic<bool>* stop = nullptr;
    std::function<void()>* fileDone = nullptr;
    UniqueFd fd;
    std::uint64_t left = 0;
    bool counted = false;
    zip_error_t error{};
};

zip_int64_t fail(FileSource& source, int zipError, int systemError) {
    zip_error_set(&source.error, zipError, systemError);
    return -1;
}

zip_int64_t readFileSource(void* state, void* data, zip_uint64_t length, zip_source_cmd_t command) {
    auto& source = *static_cast<FileSource*>(state);
    switch (command) {
        case ZIP_SOURCE_OPEN:
            if (source.stop->load(std::memory_order_relaxed)) {
                return fail(source, ZIP_ER_READ, ECANCELED);
            }
            source.fd.reset(::open(source.path.c_str(), O_RDONLY | O_CLOEXEC));
            if (!source.fd) {
                return fail(source, ZIP_ER_OPEN, errno);
            }
            source.left = source.size;
            return 0;
        case ZIP_SOURCE_READ: {
            if (source.stop->load(std::memory_order_relaxed)) {
                return fail(source, ZIP_ER_READ, ECANCELED);
            }
            const zip_uint64_t wanted = std::min<zip_uint64_t>({length, source.left, kPieceSize});
            if (wanted == 0) {
                return 0;
            }
            ssize_t got;
            do {
                got = ::read(source.fd.get(), data, wanted);
            } while (got < 0 && errno == EINTR);
            if (got < 0) {
                return fail(source, ZIP_ER_READ, errno);
            }
            source.left -= static_cast<zip_uint64_t>(got);
            return got;
        }
        case ZIP_SOURCE_CLOSE:
            source.fd.reset();
            if (!source.counted) {
                source.counted = true;
                if (*source.fileDone) {
                    (*source.fileDone)();
                }
            }
            return 0;
        case ZIP_SOURCE_STAT: {
            if (length < sizeof(zip_stat_t)) {
                return fail(source, ZIP_ER_INVAL, 0);
            }
            auto* stat = static_cast<zip_stat_t*>(data);
            zip_stat_init(stat);
            stat->size = source.size;
            stat->mtime = source.modified;
            stat->valid |= ZIP_STAT_SIZE | ZIP_STAT_MTIME;
            return sizeof(zip_stat_t);
        }
        case ZIP_SOURCE_ERROR:
            return zip_error_to_data(&source.error, data, length);
        case ZIP_SOURCE_FREE:
            zip_error_fini(&source.error);
            delete &source;
            return 0;
        case ZIP_SOURCE_SUPPORTS:
            return zip_source_make_command_bitmap(ZIP_SOURCE_OPEN, ZIP_SOURCE_READ,
                                                  ZIP_SOURCE_CLOSE, ZIP_SOURCE_STAT,
                                                  ZIP_SOURCE_ERROR, ZIP_SOURCE_FREE, -1);
        default:
            return fail(source, ZIP_ER_OPNOTSUPP, 0);
    }
}

// Names written by the Windows program are in its code page (Korean); kept as they are when
// they cannot be read so.
std::string readableName(std::string raw) {
    if (isWellFormedUtf8(raw)) {
        return raw;
    }
    iconv_t converter = ::iconv_open("UTF-8", "CP949");
    if (converter == reinterpret_cast<iconv_t>(-1)) {
        return raw;
    }
    std::string out(raw.size() * 3 + 4, '\0');
    char* in = raw.data();
    std::size_t inLeft = raw.size();
    char* outAt = out.data();
    std::size_t outLeft = out.size();
    const std::size_t converted = ::iconv(converter, &in, &inLeft, &outAt, &outLeft);
    ::iconv_close(converter);
    if (converted == static_cast<std::size_t>(-1) || inLeft != 0) {
        return raw;
    }
    out.resize(out.size() - outLeft);
    return out;
}

}  // namespace

void ZipCloser::operator()(zip_t* archive) const {
    zip_discard(archive);
}

BackupPartWriter::BackupPartWriter(std::string path, const std::atomic<bool>& stop,
                                   std::function<void()> fileDone)
    : m_path(std::move(path)), m_stop(stop), m_fileDone(std::move(fileDone)) {}

BackupPartWriter::~BackupPartWriter() = default;

bool BackupPartWriter::create() {
    int error = 0;
    m_archive.reset(zip_open(m_path.c_str(), ZIP_CREATE | ZIP_TRUNCATE, &error));
    m_length = 22;  // the end-of-central-directory record
    return m_archive != nullptr;
}

bool BackupPartWriter::add(const std::string& file, const std::string& entryName,
                           std::uint64_t size, std::time_t modified, bool deflate) {
    if (!m_archive) {
        return false;
    }
    auto* state = new FileSource;
    state->path = file;
    state->size = size;
    state->modified = modified;
    state->stop = &m_stop;
    state->fileDone = &m_fileDone;
    zip_error_init(&state->error);
    zip_source_t* source = zip_source_function(m_archive.get(), readFileSource, state);
    if (!source) {
        zip_error_fini(&state->error);
        delete state;
        return false;
    }
    const zip_int64_t index =
        zip_file_add(m_archive.get(), entryName.c_str(), source, ZIP_FL_ENC_GUESS);
    if (index < 0) {
        zip_source_free(source);
        return false;
    }
    const auto member = static_cast<zip_uint64_t>(index);
    if (zip_set_file_compression(m_archive.get(), member, deflate ? ZIP_CM_DEFLATE : ZIP_CM_STORE,
                                 deflate ? 5 : 0) != 0) {
        return false;
    }
    m_length += size + kMemberOverhead + 2 * entryName.size();
    return true;
}

bool BackupPartWriter::close() {
    if (!m_archive) {
        return false;
    }
    // libzip writes beside the file and renames when done; on failure it removes its own file.
    if (zip_close(m_archive.get()) != 0) {
        return false;  // the handle is still open; the destructor drops it
    }
    m_archive.release();
    if (m_stop.load(std::memory_order_relaxed)) {
        ::unlink(m_path.c_str());
        return false;
    }
    // On the disk before it can replace an earlier backup.
    const UniqueFd written(::open(m_path.c_str(), O_RDONLY | O_CLOEXEC));
    return written && ::fsync(written.get()) == 0;
}

std::optional<std::string> entryPath(std::string_view name) {
    if (name.empty() || name.front() == '/' || name.front() == '\\' ||
        (name.size() >= 2 && name[1] == ':')) {
        return std::nullopt;
    }
    std::string path;
    std::size_t start = 0;
    while (start <= name.size()) {
        std::size_t end = name.find_first_of("/\\", start);
        if (end == std::string_view::npos) {
            end = name.size();
        }
        const std::string_view part = name.substr(start, end - start);
        if (part == "..") {
            return std::nullopt;
        }
        if (!part.empty() && part != ".") {
            if (!path.empty()) {
                path += '/';
            }
            path.append(part);
        }
        start = end + 1;
    }
    if (path.empty() || path.find('\0') != std::string::npos) {
        return std::nullopt;
    }
    return path;
}

bool readEntryList(zip_t* archive, std::vector<ArchiveEntry>& entries) {
    entries.clear();
    const zip_int64_t count = zip_get_num_entries(archive, 0);
    if (count < 0) {
        return false;
    }
    for (zip_uint64_t index = 0; index < static_cast<zip_uint64_t>(count); ++index) {
        const char* raw = zip_get_name(archive, index, ZIP_FL_ENC_RAW);
        zip_stat_t stat;
        zip_stat_init(&stat);
        if (!raw || zip_stat_index(archive, index, 0, &stat) != 0 ||
            (stat.valid & ZIP_STAT_SIZE) == 0) {
            entries.clear();
            return false;
        }
        const std::string name = readableName(raw);
        ArchiveEntry entry;
        entry.index = index;
        entry.size = stat.size;
        entry.folder = !name.empty() && (name.back() == '/' || name.back() == '\\');
        zip_uint8_t system = 0;
        zip_uint32_t attributes = 0;
        if (zip_file_get_external_attributes(archive, index, 0, &system, &attributes) == 0 &&
            system == ZIP_OPSYS_UNIX) {
            const auto mode = static_cast<mode_t>(attributes >> 16);
            if (S_ISLNK(mode)) {
                entries.clear();
                return false;
            }
            entry.folder = entry.folder || S_ISDIR(mode);
        }
        auto path = entryPath(name);
        if (!path) {
            entries.clear();
            return false;
        }
        entry.path = std::move(*path);
        entries.push_back(std::move(entry));
    }
    return true;
}

ZipHandle openArchive(const std::string& path) {
    int error = 0;
    return ZipHandle(zip_open(path.c_str(), ZIP_RDONLY | ZIP_CHECKCONS, &error));
}

}  // namespace ambrin
