#pragma once

#include <string>

namespace ambrin {

// Whole seconds (truncated) of an MPEG audio file (layer I, II or III; MPEG-1, 2 or 2.5),
// measured from its frames: an ID3v2 tag in front is skipped, the frames are walked header to
// header, and each frame counts its samples (384, 1152, or 576 for layer III below MPEG-1)
// divided by its sample rate. Bytes between frames (a damaged stretch, an ID3v1 or other tag)
// are passed over until two consecutive frame headers agree again.
//
// A file in which no frame is found is measured as a 16 kbit/s stream: size x 8 / 16000.
// 0 when the file cannot be read; at most INT_MAX. Safe for any input; reads the file from
// front to back. Blocking file reads; any thread.
int mp3DurationSeconds(const std::string& path);

}  // namespace ambrin
