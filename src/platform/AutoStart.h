#pragma once

#include <string>

namespace ambrin {

// Starting the program with the desktop session, through the XDG autostart entry
// $XDG_CONFIG_HOME/autostart/ambrin.desktop.
class AutoStart {
  public:
    // True when the entry exists.
    static bool isEnabled();

    // Writes the entry (starting `programPath`) or removes it. False only when the autostart
    // folder cannot be written; nothing changes then.
    static bool setEnabled(bool enabled, const std::string& programPath);

    static std::string entryPath();
};

}  // namespace ambrin
