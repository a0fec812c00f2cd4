#pragma once

#include <string>

namespace ambrin {

class AppContext;

// The manual: "AMBRIN.pdf" in the program folder, or in its "_eng/" sub-folder when the
// user interface is English and that copy exists.
std::string manualPath(const AppContext& context);

// Opens the manual with the desktop's PDF viewer. When the desktop has none (or the file
// is missing) the user is told to install one (string 46, warning). Any thread; waits for
// the desktop's answer to which program opens PDF files.
void openManual(const AppContext& context, bool hasOwner);

}  // namespace ambrin
