#pragma once

#include <string>

namespace ambrin {

// Whole seconds (truncated) of an Ogg Vorbis file: the total play time of all its streams as
// libvorbisfile reports it. 0 when the file is missing or not Ogg Vorbis; at most INT_MAX.
// Blocking file reads; any thread.
int oggDurationSeconds(const std::string& path);

}  // namespace ambrin
