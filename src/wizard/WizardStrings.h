#pragma once

#include <initializer_list>
#include <string>
#include <string_view>

// The string table of libwizard.so (Korean and English, the same ids in both); the texts
// live in resources/strings/wizard_en.txt and wizard_ko.txt.
namespace ambrin::wizard {

namespace str {
inline constexpr int kDownloading = 109;          // "Downloading...  %s (%d bytes [#%d/%d])"
inline constexpr int kUpdateQuestion = 110;       // "There are updated files for Ambrin+ ..."
inline constexpr int kUpdateTitle = 111;          // "Ambrin+ Auto Update"
inline constexpr int kChecking = 112;             // "Checking the update..."
inline constexpr int kNoMasterFile = 113;         // "There's no master file."
inline constexpr int kUpdating = 114;             // "Updating..."
inline constexpr int kUpdateComplete = 115;       // "Complete updating."
inline constexpr int kCheckComplete = 116;        // "Complete checking the update!"
inline constexpr int kStopQuestion = 117;         // "Do you want to stop updating?"
inline constexpr int kUninstallTitle = 118;       // "Uninstall Wizard"
inline constexpr int kUninstallButton = 119;      // "Uninstall (&U)"
inline constexpr int kUninstallHeader = 120;      // "Remove installed files. (except DB)"
inline constexpr int kUninstallNote = 121;        // "If you want to uninstall, press ..."
inline constexpr int kProgramRunning = 123;       // "Ambrin+ is already being used. ..."
inline constexpr int kCannotInstall = 124;        // "Unable to install the file."
inline constexpr int kInstallComplete = 125;      // "Complete installation."
inline constexpr int kUninstallComplete = 126;    // "Complete uninstallation."
inline constexpr int kUninstallQuestion = 148;    // "Do you want to remove Ambrin+?"
inline constexpr int kUninstallTitleShort = 149;  // "UnInstall"
inline constexpr int kAlreadyInstalled = 154;     // "This program is already installed. ..."
inline constexpr int kSetupError = 155;           // "Setup Error"
inline constexpr int kSelectFolder = 156;         // "Select the install folder."
}  // namespace str

// The text of `id` in the calling thread's language (see SetUiLanguage).
std::string wizardString(int id);
std::string wizardString(int id, int langId);

// Fills the "%s" and "%d" places of `format` in order with `values`; "%%" gives "%".
std::string fillPlaces(std::string_view format, std::initializer_list<std::string> values);

}  // namespace ambrin::wizard
