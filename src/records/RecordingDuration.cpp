#include "records/RecordingDuration.h"

#include <sys/stat.h>
#include <vorbis/vorbisfile.h>

#include <climits>
#include <cmath>

#include "codec/WavReader.h"
#include "platform/TextHelpers.h"
#include "records/RecordFileNames.h"

namespace ambrin {

namespace {

// Bytes a second of a 16 kbit/s stream.
constexpr long long kMp3BytesPerSecond = 16000 / 8;

int clampSeconds(double seconds) {
    if (!(seconds > 0)) {  // also NaN and the library's negative error codes
        return 0;
    }
    return seconds >= static_cast<double>(INT_MAX) ? INT_MAX : static_cast<int>(seconds);
}

// An OggVorbis_File that is cleared when it was opened.
class VorbisFile {
  public:
    explicit VorbisFile(const std::string& path) : m_open(ov_fopen(path.c_str(), &m_file) == 0) {}
    ~VorbisFile() {
        if (m_open) {
            ov_clear(&m_file);
        }
    }
    VorbisFile(const VorbisFile&) = delete;
    VorbisFile& operator=(const VorbisFile&) = delete;

    bool isOpen() const { return m_open; }
    OggVorbis_File* get() { return &m_file; }

  private:
    OggVorbis_File m_file{};
    bool m_open;
};

}  // namespace

int oggDurationSeconds(const std::string& path) {
    VorbisFile file(path);
    if (!file.isOpen()) {
        return 0;
    }
    return clampSeconds(std::trunc(ov_time_total(file.get(), -1)));
}

int mp3DurationForRecord(const std::string& path) {
    struct stat info {};
    if (::stat(path.c_str(), &info) != 0 || !S_ISREG(info.st_mode)) {
        return 0;
    }
    const long long seconds = static_cast<long long>(info.st_size) / kMp3BytesPerSecond;
    return seconds > INT_MAX ? INT_MAX : static_cast<int>(seconds);
}

int recordingDurationSeconds(const std::string& path) {
    const std::string extension = fileExtension(path);  // with its dot
    if (equalsNoCase(extension, ".ogg")) {
        return oggDurationSeconds(path);
    }
    if (equalsNoCase(extension, ".mp3") || equalsNoCase(extension, ".mp2") ||
        equalsNoCase(extension, ".mp1")) {
        return mp3DurationForRecord(path);
    }
    if (equalsNoCase(extension, ".wav")) {
        return wavDurationSeconds(path);
    }
    return 0;
}

}  // namespace ambrin
