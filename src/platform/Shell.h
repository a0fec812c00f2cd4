#pragma once

#include <string>
#include <vector>

namespace ambrin {

// Starts a program in the background with the given arguments and working folder (empty:
// the current one). The child is reaped by a small waiter thread, so it never lingers as a
// zombie. True when the program was started.
bool startProgram(const std::string& path, const std::vector<std::string>& arguments,
                  const std::string& workingFolder = {});

// Opens a file, folder or web address with the desktop's default application (xdg-open).
bool openWithDesktop(const std::string& target);

// Whether the desktop names an application for files of this type (xdg-mime). xdg-open
// starts in the background and cannot tell, so a caller that must say "nothing can open
// it" asks this first.
bool desktopOpensType(const std::string& mimeType);

// The full path of a program found in the folders of PATH, or empty.
std::string findProgram(const std::string& name);

// Opens the sound server's recording controls: pavucontrol on its input-devices tab when
// installed, else the desktop's sound settings. False when neither exists.
bool openRecordingControls();

}  // namespace ambrin
