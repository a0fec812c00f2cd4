#pragma once

#include <string>

namespace ambrin {

// Copies a recording into `folder` under its own file name, never replacing a file of that
// name there. False when it is missing, the name is taken or the copy fails (a partial copy
// is removed).
bool copyWithoutReplacing(const std::string& path, const std::string& folder);

}  // namespace ambrin
