#pragma once

#include <initializer_list>
#include <string>
#include <string_view>

// The string table of libwizard.so (Korean and English, the same ids in both); the texts
// live in resources/strings/wizard_en.txt and wizard_ko.txt.
namespace ambrin::wizard {

namespace str {
inline constexpr int kDownloading = 109;     // "Downloading...  %s (%d bytes [#%d/%d])"
inline constexpr int kUpdateQuestion = 110;  // "There are updated files for Ambrin+ ..."
inline constexpr int kUpdateTitle = 111;     // "Ambrin+ Auto Update"
inline constexpr int kChecking = 112;        // "Checking the update..."
inline constexpr int kNoMasterFile = 113;    // "There's no master file."
inline constexpr int kUpdating = 114;        // "Updating..."
inline constexpr int kUpdateComplete = 115;  // "Complete updating."
inline constexpr int kCheckComplete = 116;   // "Complete checking the update!"
inline constexpr int kStopQuestion = 117;    // "Do you want to stop updating?"
}  // namespace str

// The text of `id` in the calling thread's language (see SetUiLanguage).
std::string wizardString(int id);
std::string wizardString(int id, int langId);

// Fills the "%s" and "%d" places of `format` in order with `values`; "%%" gives "%".
std::string fillPlaces(std::string_view format, std::initializer_list<std::string> values);

}  // namespace ambrin::wizard
