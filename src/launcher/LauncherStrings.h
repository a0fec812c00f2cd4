#pragma once

#include <string>

// The launcher's string table (Korean and English, the same ids in both); the texts live in
// resources/strings/launcher_en.txt and launcher_ko.txt.
namespace ambrin::launcher {

namespace str {
inline constexpr int kButtonCount = 1;    // the number of buttons; rows follow from 2
inline constexpr int kFirstButton = 2;    // "x,y,w,h,x,y,w,h,Name"
inline constexpr int kWindowTitle = 103;  // "AutoRun"
inline constexpr int kWindowClass = 109;  // "AUTORUN"
inline constexpr int kNoPdfViewer = 110;  // "Pls. install PDF viewer appliation ..."
inline constexpr int kMessageTitle = 113;
}  // namespace str

// Fixed texts of the launcher's start, shown before any language is chosen.
inline constexpr const char* kLoadWizardError = "Load Wizard.dll error.";
inline constexpr const char* kErrorTitle = "Ambrin+ Error";

// The text of `id` in the calling thread's language (see SetUiLanguage).
std::string launcherString(int id);

}  // namespace ambrin::launcher
