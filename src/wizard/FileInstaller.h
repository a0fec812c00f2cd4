#pragma once

#include <string>

namespace ambrin::wizard {

// Puts a copy of `source` in place of `target` in one step: the bytes go into a temporary
// file in the target's folder, which gets the old file's mode (a new file: 0755 for a
// program, else 0644), is flushed to disk and renamed over the target. Whatever happens,
// `target` is either the old file or the whole new one. False on a failure, which leaves
// the old file as it was.
bool replaceFile(const std::string& source, const std::string& target);

}  // namespace ambrin::wizard
