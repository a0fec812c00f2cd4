#include "recorder/streaming/FileSource.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

#include "recorder/streaming/StreamResult.h"

namespace ambrin {

namespace {

StreamResult codeForErrno(int error) {
    switch (error) {
        case ENOENT:
        case ENOTDIR:
            return StreamResult::NotFound;
        case EACCES:
        case EPERM:
        case EISDIR:
            return StreamResult::AccessDenied;
        case EINVAL:
            return StreamResult::InvalidArgument;
        case EMFILE:
        case ENFILE:
            return StreamResult::TooManyFiles;
        default:
            return StreamResult::Failed;
    }
}

}  // namespace

FileSource::FileSource(StreamNotifier& notifier) : Stage(notifier) {}

FileSource::~FileSource() {
    shutdown();
}

StreamResult FileSource::open(const std::string& path) {
    m_path = path;
    m_file.reset();
    m_position = 0;
    m_length = -1;
    m_seekable = false;
    if (path == "-") {
        // A stream of its own over standard input, so that closing it leaves stdin open.
        const int input = ::dup(STDIN_FILENO);
        m_file.reset(input >= 0 ? ::fdopen(input, "rb") : nullptr);
        if (!m_file) {
            if (input >= 0) {
                ::close(input);
            }
            return StreamResult::Failed;
        }
        return StreamResult::Done;
    }
    errno = 0;
    StdioFile file = openStdioFile(path, "rb");
    if (!file) {
        return codeForErrno(errno);
    }
    // Reading a folder "works" until the first read; refuse it here as the other systems do.
    struct stat info {};
    if (::fstat(::fileno(file.get()), &info) == 0 && S_ISDIR(info.st_mode)) {
        return StreamResult::AccessDenied;
    }
    if (std::fseek(file.get(), 0, SEEK_END) == 0) {
        m_length = ::ftello(file.get());
        m_seekable = m_length >= 0 && std::fseek(file.get(), 0, SEEK_SET) == 0;
    }
    m_file = std::move(file);
    return StreamResult::Done;
}

int FileSource::seek(std::int64_t offset, int origin) {
    std::lock_guard lock(m_fileMutex);
    if (!m_seekable || !m_file) {
        return -1;
    }
    std::int64_t target = offset;
    if (origin == SEEK_CUR) {
        target += m_position - static_cast<std::int64_t>(m_output.held());
    } else if (origin == SEEK_END) {
        target += m_length;
    }
    if (target < 0 || ::fseeko(m_file.get(), target, SEEK_SET) != 0) {
        return -1;
    }
    // The source's thread holds no reservation outside the file mutex, and the reader has
    // given back what it took, so the rewind does not wait.
    m_output.rewind();
    m_position = target;
    return 0;
}

std::int64_t FileSource::tell() {
    std::lock_guard lock(m_fileMutex);
    return m_position - static_cast<std::int64_t>(m_output.held());
}

void FileSource::run() {
    if (!waitForStart()) {
        return;
    }
    while (!stopping()) {
        const std::uint64_t seen = m_output.changes();
        if (stopping()) {
            break;
        }
        {
            std::lock_guard lock(m_fileMutex);
            if (!m_output.endMarked()) {
                const ByteBuffer::Block block = m_output.reserve(kBlockSize);
                if (block.code == StreamResult::Closed) {
                    return;
                }
                if (block.code == StreamResult::Done) {
                    const std::size_t read = std::fread(block.data, 1, kBlockSize, m_file.get());
                    m_position += static_cast<std::int64_t>(read);
                    m_output.commit(read);
                    // A short block is the end of the file (or a read error, which ends it too).
                    if (read < kBlockSize) {
                        m_output.markEnd();
                    }
                    continue;
                }
            }
        }
        // The end is marked or there is no room: wait for the reader or a seek.
        m_output.waitForChange(seen);
    }
}

}  // namespace ambrin
