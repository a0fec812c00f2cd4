#include "codec/OggDuration.h"

#include <sys/types.h>

#include <climits>
#include <cmath>
#include <cstdio>

#define OV_EXCLUDE_STATIC_CALLBACKS
#include <vorbis/vorbisfile.h>

#include "codec/StdioFile.h"

namespace ambrin {

namespace {

// libvorbisfile reads the file through these; the FILE stays owned by the caller.
std::size_t readSource(void* buffer, std::size_t size, std::size_t count, void* source) {
    return std::fread(buffer, size, count, static_cast<std::FILE*>(source));
}

int seekSource(void* source, ogg_int64_t offset, int whence) {
    return ::fseeko(static_cast<std::FILE*>(source), static_cast<off_t>(offset), whence);
}

long tellSource(void* source) {
    return static_cast<long>(::ftello(static_cast<std::FILE*>(source)));
}

// An opened decoder, cleared when it goes; the source must outlive it.
class OpenedVorbisFile {
  public:
    explicit OpenedVorbisFile(std::FILE* source) {
        const ov_callbacks callbacks{readSource, seekSource, nullptr, tellSource};
        m_open = ov_open_callbacks(source, &m_file, nullptr, 0, callbacks) == 0;
    }
    ~OpenedVorbisFile() {
        if (m_open) {
            ov_clear(&m_file);
        }
    }
    OpenedVorbisFile(const OpenedVorbisFile&) = delete;
    OpenedVorbisFile& operator=(const OpenedVorbisFile&) = delete;

    bool isOpen() const { return m_open; }
    OggVorbis_File* get() { return &m_file; }

  private:
    OggVorbis_File m_file{};
    bool m_open = false;
};

}  // namespace

int oggDurationSeconds(const std::string& path) {
    // Declared in this order so that the decoder goes before its source.
    StdioFile source = openStdioFile(path, "rb");
    if (!source) {
        return 0;
    }
    OpenedVorbisFile vorbis(source.get());
    if (!vorbis.isOpen()) {
        return 0;
    }
    const double seconds = ov_time_total(vorbis.get(), -1);
    if (!(seconds > 0.0)) {  // also an error code or NaN
        return 0;
    }
    return seconds >= static_cast<double>(INT_MAX) ? INT_MAX : static_cast<int>(seconds);
}

}  // namespace ambrin
