#pragma once

#include <string>

namespace ambrin {

// Full path of the running program file (from /proc/self/exe).
std::string programFile();

// Folder of the running program file, ending in '/'.
std::string programFolder();

// The temporary playback file: the program folder followed by "__temp__.wav".
std::string temporaryPlaybackFile();

// $XDG_CONFIG_HOME, or $HOME/.config; no trailing '/'.
std::string userConfigFolder();

// $XDG_RUNTIME_DIR, or /tmp/ambrin-<uid> when it is not set; no trailing '/'.
std::string runtimeFolder();

// $TMPDIR, or /tmp; no trailing '/'.
std::string tempFolder();

// Creates a folder and its missing parents with the given mode. True when it exists afterwards.
bool makeFolders(const std::string& path, unsigned mode = 0755);

bool fileExists(const std::string& path);
bool folderExists(const std::string& path);

}  // namespace ambrin
