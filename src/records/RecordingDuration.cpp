#include "records/RecordingDuration.h"

#include "codec/Mp3Duration.h"
#include "codec/OggDuration.h"
#include "codec/WavReader.h"
#include "platform/TextHelpers.h"
#include "records/RecordFileNames.h"

namespace ambrin {

int recordingDurationSeconds(const std::string& path) {
    const std::string extension = fileExtension(path);  // with its dot
    if (equalsNoCase(extension, ".ogg")) {
        return oggDurationSeconds(path);
    }
    if (equalsNoCase(extension, ".mp3") || equalsNoCase(extension, ".mp2") ||
        equalsNoCase(extension, ".mp1")) {
        return mp3DurationSeconds(path);
    }
    if (equalsNoCase(extension, ".wav")) {
        return wavDurationSeconds(path);
    }
    return 0;
}

}  // namespace ambrin
