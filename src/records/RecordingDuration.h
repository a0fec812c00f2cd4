#pragma once

#include <string>

namespace ambrin {

// Whole seconds of a finished recording, chosen by the extension of `path` (without case):
// "ogg" the play time of the Vorbis stream, "mp3"/"mp2"/"mp1" mp3DurationForRecord(),
// "wav" the length the WAVE header gives. 0 for any other extension and for a file that
// cannot be read. Blocking file reads; any thread.
int recordingDurationSeconds(const std::string& path);

// The total play time of an OGG Vorbis file, truncated; 0 when it cannot be read.
int oggDurationSeconds(const std::string& path);

// The duration of an MP3 recording. For now the file is taken as a 16 kbit/s stream:
// file size in bytes x 8 / 16000 (40000 bytes give 20 s); 0 when the size cannot be read.
int mp3DurationForRecord(const std::string& path);

}  // namespace ambrin
