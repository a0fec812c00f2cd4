#pragma once

#include <string>

namespace ambrin {

// Full path of the running program file (from /proc/self/exe).
std::string programFile();

// Folder of the running program file, ending in '/'.
std::string programFolder();

// The temporary playback file: "__temp__.wav" in the writable folder of the program folder.
std::string temporaryPlaybackFile();

// $XDG_DATA_HOME, or $HOME/.local/share; no trailing '/'.
std::string userDataFolder();

// Where the program writes what belongs beside an installation folder (the database, the
// contents file, the recordings, the backups, the temporary playback file): the folder
// itself when this user may write into it (an installation of one user), else the user's
// own "$XDG_DATA_HOME/Ambrin+/", created readable by the user only (an installation for
// every user, whose program folder is read-only). Ends in '/'.
std::string writableFolderFor(const std::string& installFolder);

// $XDG_CONFIG_HOME, or $HOME/.config; no trailing '/'.
std::string userConfigFolder();

// The user's documents folder: XDG_DOCUMENTS_DIR of $XDG_CONFIG_HOME/user-dirs.dirs (with
// "$HOME" expanded), else $HOME/Documents; no trailing '/'. It may not exist yet.
std::string documentsFolder();

// $XDG_RUNTIME_DIR, or /tmp/ambrin-<uid> when it is not set; no trailing '/'.
std::string runtimeFolder();

// $TMPDIR, or /tmp; no trailing '/'.
std::string tempFolder();

// Creates a folder and its missing parents with the given mode. True when it exists afterwards.
bool makeFolders(const std::string& path, unsigned mode = 0755);

bool fileExists(const std::string& path);
bool folderExists(const std::string& path);

}  // namespace ambrin
