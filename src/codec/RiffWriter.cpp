#include "codec/RiffWriter.h"

#include <stdio_ext.h>
#include <sys/stat.h>
#include <sys/types.h>

#include <algorithm>

#include "codec/ByteOrder.h"

namespace ambrin {

namespace {

// Keeps every size field, the pad bytes included, within 32 bits.
constexpr std::uint64_t kMaxFileSize = 0xFFFFFFFFu;
constexpr std::uint64_t kChunkHeaderSize = 8;  // identifier and 32-bit size

}  // namespace

RiffWriter::~RiffWriter() {
    close();
}

bool RiffWriter::create(const std::string& path) {
    if (m_file) {
        return false;
    }
    // "x": O_EXCL, so a recording never overwrites an existing file.
    m_file = openStdioFile(path, "wbx");
    m_openChunks.clear();
    m_end = 0;
    return m_file != nullptr;
}

bool RiffWriter::createRiff(FourCc formType) {
    return createChunk("RIFF", 0) && write(formType.bytes, sizeof formType.bytes);
}

bool RiffWriter::createChunk(FourCc id, std::uint32_t provisionalSize) {
    if (!m_file) {
        return false;
    }
    unsigned char header[kChunkHeaderSize];
    std::copy(std::begin(id.bytes), std::end(id.bytes), header);
    putLe32(header + 4, provisionalSize);
    const std::uint64_t headerOffset = m_end;
    if (!write(header, sizeof header)) {
        return false;
    }
    m_openChunks.push_back(headerOffset);
    return true;
}

bool RiffWriter::write(const void* data, std::size_t size) {
    if (!m_file || (data == nullptr && size != 0)) {
        return false;
    }
    if (size > kMaxFileSize - std::min(m_end, kMaxFileSize)) {
        return false;
    }
    const std::size_t written = std::fwrite(data, 1, size, m_file.get());
    m_end += written;
    return written == size;
}

bool RiffWriter::flush() {
    return m_file && std::fflush(m_file.get()) == 0;
}

bool RiffWriter::ascend() {
    if (!m_file || m_openChunks.empty()) {
        return false;
    }
    const std::uint64_t headerOffset = m_openChunks.back();
    m_openChunks.pop_back();

    bool ok = syncEnd();
    const std::uint64_t dataStart = headerOffset + kChunkHeaderSize;
    const std::uint64_t size = m_end > dataStart ? m_end - dataStart : 0;
    if (size % 2 != 0) {
        static constexpr unsigned char kPad = 0;
        if (writeAt(m_end, &kPad, 1)) {
            ++m_end;
        } else {
            ok = false;
        }
    }
    unsigned char field[4];
    putLe32(field, static_cast<std::uint32_t>(std::min(size, kMaxFileSize)));
    ok = writeAt(headerOffset + 4, field, sizeof field) && ok;
    // Later chunks and bytes go after everything written so far.
    ok = ::fseeko(m_file.get(), static_cast<off_t>(m_end), SEEK_SET) == 0 && ok;
    return ok;
}

bool RiffWriter::refreshSizes() {
    if (!m_file || std::fflush(m_file.get()) != 0) {
        return false;
    }
    bool ok = true;
    for (const std::uint64_t headerOffset : m_openChunks) {
        const std::uint64_t dataStart = headerOffset + kChunkHeaderSize;
        const std::uint64_t size = m_end > dataStart ? m_end - dataStart : 0;
        unsigned char field[4];
        putLe32(field, static_cast<std::uint32_t>(std::min(size, kMaxFileSize)));
        ok = writeAt(headerOffset + 4, field, sizeof field) && ok;
    }
    ok = ::fseeko(m_file.get(), static_cast<off_t>(m_end), SEEK_SET) == 0 && ok;
    return std::fflush(m_file.get()) == 0 && ok;
}

bool RiffWriter::close() {
    if (!m_file) {
        return true;
    }
    bool ok = true;
    while (!m_openChunks.empty()) {
        ok = ascend() && ok;
    }
    ok = closeStdioFile(m_file) && ok;
    m_end = 0;
    return ok;
}

bool RiffWriter::writeAt(std::uint64_t offset, const unsigned char* bytes, std::size_t size) {
    return ::fseeko(m_file.get(), static_cast<off_t>(offset), SEEK_SET) == 0 &&
           std::fwrite(bytes, 1, size, m_file.get()) == size;
}

// Makes m_end the real end of the file: after a failed write (disk full, file-size limit) the
// count of accepted bytes includes bytes that stdio buffered but never wrote. Buffered bytes
// that cannot be written are dropped, so that they cannot make the seeks that fix the chunk
// sizes fail as well.
bool RiffWriter::syncEnd() {
    const bool flushed = std::fflush(m_file.get()) == 0;
    if (!flushed) {
        __fpurge(m_file.get());
        std::clearerr(m_file.get());
    }
    struct stat info {};
    if (::fstat(::fileno(m_file.get()), &info) != 0) {
        return false;
    }
    m_end = static_cast<std::uint64_t>(info.st_size);
    return flushed;
}

}  // namespace ambrin
