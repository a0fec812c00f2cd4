#include "codec/StdioVorbisFile.h"

#include <sys/types.h>

namespace ambrin {

namespace {

// libvorbisfile reads the stream through these. No close callback: the caller owns the stream.
std::size_t readSource(void* buffer, std::size_t size, std::size_t count, void* source) {
    return std::fread(buffer, size, count, static_cast<std::FILE*>(source));
}

int seekSource(void* source, ogg_int64_t offset, int whence) {
    return ::fseeko(static_cast<std::FILE*>(source), static_cast<off_t>(offset), whence);
}

long tellSource(void* source) {
    return static_cast<long>(::ftello(static_cast<std::FILE*>(source)));
}

}  // namespace

StdioVorbisFile::~StdioVorbisFile() {
    if (m_open) {
        ov_clear(&m_file);
    }
}

bool StdioVorbisFile::open(std::FILE* source) {
    if (m_open) {
        ov_clear(&m_file);
    }
    const ov_callbacks callbacks{readSource, seekSource, nullptr, tellSource};
    m_open = ov_open_callbacks(source, &m_file, nullptr, 0, callbacks) == 0;
    return m_open;
}

}  // namespace ambrin
