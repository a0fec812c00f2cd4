#pragma once

#include <cstdint>
#include <optional>
#include <string>

namespace ambrin::launcher {

// Where the installed launcher finds the language the installation was made in.
inline constexpr const char* kMachineKey = "Software\\Tavix\\Ambrin+ 2.0";
inline constexpr const char* kLanguageValue = "Language";

// The launcher's languages: the one handed to the wizard library, the one of its own texts
// and pictures, and the sub-folder of its language-dependent files ("_eng/" for English,
// empty for Korean).
struct LauncherLanguage {
    int wizardLanguage = 0;
    int uiLanguage = 0;
    std::string prefix;
};

struct LanguageFacts {
    std::string commandLine;                      // the whole command line after the program name
    std::string launcherFile;                     // the launcher's own path
    bool englishReadmeBeside = false;             // "_eng/readme.txt" beside the launcher
    int systemLanguage = 0;                       // the desktop's language id (1042 Korean)
    std::optional<std::uint32_t> storedLanguage;  // "Language" of the machine key
};

// True when the launcher runs from the installation medium: its file name, lower-cased,
// contains "setup". Elsewhere it is the installed copy.
bool runsFromMedium(const std::string& launcherFile);

// English for "-eng" or when the medium has no English read-me; else the desktop's language
// (Korean when its primary language is Korean). The installed copy keeps the language its
// installation was made in ("Language", Korean when absent) for its texts and for the
// wizard, so its removal speaks the same language as its setup did.
LauncherLanguage chooseLanguage(const LanguageFacts& facts);

// The desktop's language id from the locale (LC_ALL, LC_MESSAGES, LANG): 1042 for Korean,
// else 1033.
int systemLanguage();

// The stored "Language" of the machine key, when there is one.
std::optional<std::uint32_t> storedLanguage();

}  // namespace ambrin::launcher
