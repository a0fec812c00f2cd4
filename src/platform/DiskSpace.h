#pragma once

#include <cstdint>
#include <optional>
#include <string>

namespace ambrin {

// Total free bytes of the volume holding `path` (f_bfree × f_frsize, not only the bytes
// available to this user). A path that does not exist yet is measured at its nearest
// existing parent; a relative path is taken from the current folder. Empty when the
// volume cannot be asked.
std::optional<std::uint64_t> freeDiskBytes(const std::string& path);

}  // namespace ambrin
