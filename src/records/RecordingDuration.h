#pragma once

#include <string>

namespace ambrin {

// Whole seconds of a finished recording, chosen by the extension of `path` (without case):
// "ogg" the play time of the Vorbis stream, "mp3"/"mp2"/"mp1" the frames' play time (or, for a
// file without a frame header, the size taken as a 16 kbit/s stream), "wav" the length the WAVE
// header gives. 0 for any other extension and for a file that cannot be read. Blocking file
// reads; any thread.
int recordingDurationSeconds(const std::string& path);

}  // namespace ambrin
