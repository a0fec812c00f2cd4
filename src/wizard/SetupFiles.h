#pragma once

#include <string>
#include <vector>

// What setup and removal do to the machine, without any window: the file table, the
// folders, the language, the desktop entries and the uninstall entry.
namespace ambrin::wizard {

struct SetupFile {
    const char* source;       // name on the medium
    const char* destination;  // name in the installation folder
    bool optional;            // copied only when the medium carries it
};

// The files of an installation in copy order; the first one is the main program.
const std::vector<SetupFile>& setupFiles();

// The user's settings key, where the main program keeps "InstallPath".
inline constexpr const char* kUserKeyParent = "SOFTWARE\\Tavix";
inline constexpr const char* kUserKey = "SOFTWARE\\Tavix\\Ambrin+ v2.0";
// The machine key with the language of the installation.
inline constexpr const char* kMachineKey = "SOFTWARE\\Tavix\\Ambrin+ 2.0";
// The programs list entry of the machine.
inline constexpr const char* kUninstallKey =
    "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Ambrin";
inline constexpr const char* kProductName = "Ambrin+ 3.0";
inline constexpr const char* kPublisher = "TAVIX Co., Ltd.";
// The desktop entries' file name, in the applications folder and on the desktop.
inline constexpr const char* kDesktopEntryName = "Ambrin+ 3.0.desktop";

// The folder of the previous installation from "InstallPath" (up to its last '/', which is
// kept), or empty when there is none.
std::string installedFolder();
// `installedFolder()`, else the default: /opt/Ambrin/ for root, ~/.local/opt/Ambrin/ else.
std::string proposedFolder();
// The folder chosen in the folder browser with "Ambrin" added: "/" gives "/Ambrin/".
std::string folderWithProduct(std::string chosen);
// Same folder, whatever the final '/' and repeated slashes.
bool sameFolder(const std::string& a, const std::string& b);

// The language of setup: English when `requested` is 1033 or when "_eng/readme.txt" is not
// beside the library (`libraryFolder`), else Korean for a Korean locale, else English.
int chooseLanguage(int requested, const std::string& libraryFolder);
// The source folder of the files: the library's folder, with "_eng/" for English unless
// the path already holds "_eng".
std::string sourceFolder(const std::string& libraryFolder, int language);

// Copies one row from `sourceFolder` (for "_eng/", what it does not carry from the folder
// above); false when the copy failed (a missing optional source is no failure).
// The destination gets the source's mode, so programs stay executable.
bool installFile(const std::string& sourceFolder, const std::string& installFolder,
                 const SetupFile& file);
// Removes one row's destination; true when it is gone.
bool removeFile(const std::string& installFolder, const SetupFile& file);

// The applications folder and the desktop folder of the user (XDG), no final '/'.
std::string applicationsFolder();
std::string desktopFolder();
// Writes the desktop entry for the program in the applications folder and, when asked,
// on the desktop.
void writeDesktopEntries(const std::string& installFolder, bool onDesktop);
void removeDesktopEntries();

// The programs list entry with the launcher as its program; an empty display name after
// removal.
void writeUninstallEntry(const std::string& programPath, bool removed);
// "Language" of the machine key.
void writeInstalledLanguage(int language);
// Deletes the user's settings key of the main program.
void deleteUserSettings();

}  // namespace ambrin::wizard
