#include "codec/OggDuration.h"

#include <climits>
#include <cmath>
#include <cstdio>

#include "codec/StdioVorbisFile.h"
#include "platform/StdioFile.h"

namespace ambrin {

int oggDurationSeconds(const std::string& path) {
    // Declared in this order so that the decoder goes before its source.
    StdioFile source = openStdioFile(path, "rb");
    if (!source) {
        return 0;
    }
    StdioVorbisFile vorbis;
    if (!vorbis.open(source.get())) {
        return 0;
    }
    const double seconds = ov_time_total(vorbis.get(), -1);
    if (!(seconds > 0.0)) {  // also an error code or NaN
        return 0;
    }
    return seconds >= static_cast<double>(INT_MAX) ? INT_MAX : static_cast<int>(seconds);
}

}  // namespace ambrin
