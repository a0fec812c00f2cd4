#pragma once

#include <array>
#include <functional>
#include <string>
#include <string_view>

namespace ambrin {

class SettingsStore;

// The eleven display names of the record fields ("DatabaseHeader"), in field order.
inline constexpr size_t kDisplayNameCount = 11;
using DisplayNames = std::array<std::string, kDisplayNameCount>;

// One set of every setting the options window edits. The window holds two: the values as
// saved and the values as edited; Apply is offered while they differ.
//
// A page that brings settings of its own adds its fields at the end, reads them in
// loadOptionValues() and writes them at the end of the second group of saveOptionValues().
struct OptionValues {
    bool keepVisible = false;
    bool toTray = true;
    std::string databasePath;
    std::string skin;      // the selected skin's name; filled by the window from its SkinManager
    int recordFormat = 1;  // 0 OGG, 1 MP3, 2 WAVE
    int recordMode = 0;    // 0 automatic, 1 manual
    bool usePassword = false;
    std::string password;
    int timeOfCallEnd = 8;  // seconds
    bool callInformation = true;
    bool otherPlayer = false;
    bool autoStart = false;     // the desktop session's autostart entry
    int minimumRecordTime = 5;  // seconds
    int inputSignalMode = 0;    // 0 microphone, 1 line input
    bool minimizeRun = false;
    int startSoundValue = 20;  // 1..100
    int endSoundValue = 2;     // 1..100
    std::string userName;
    DisplayNames displayNames;
    int autoBackupIndex = 1;  // 0 never, 1 to 4 weeks
    std::string dbBackupPath;
    bool autoUpdateValue = true;
    int outputFormat = 1;   // row of the capture-format table
    int audioQuality = 1;   // row of the MP3 bit-rate table
    int retentionDays = 0;  // retention: calls older than this many days go; 0 off
    int retentionGiB = 0;   // retention: the recordings stay under this many GiB; 0 off
    int quietLineDays = 3;  // line health: working days without a call before a warning; 0 off

    bool operator==(const OptionValues&) const = default;
};

// The default display names: string 32 of the calling thread's language.
DisplayNames defaultDisplayNames();

// Splits a "DatabaseHeader" text into `names`: the pieces between ";"s, empty pieces dropped,
// the text after the last ";" not a piece. Only when exactly eleven pieces result do they
// replace `names` (true); otherwise `names` stays as it was.
bool splitDisplayNames(std::string_view header, DisplayNames& names);
// Every name followed by ";".
std::string joinDisplayNames(const DisplayNames& names);

// Reads every value from the settings (a value that cannot be read keeps its default) and
// AutoStart from the autostart entry. `skin` stays empty.
OptionValues loadOptionValues(const SettingsStore& settings);

// What saving needs from above the settings store.
struct OptionSaveSteps {
    // Selects the skin of that name when it is installed.
    std::function<void(const std::string& skin)> selectSkin;
    // Called between the two groups of values: posts "settings changed" to the engine, which
    // reads the first group at once.
    std::function<void()> firstGroupSaved;
    // The program file the autostart entry starts.
    std::string programPath;
};

// Writes `values` in two groups: KeepVisible, ToTray, DatabasePath, the skin, RecordFormat,
// RecordMode, UsePassword, Password (empty without UsePassword), TimeOfCallEnd,
// CallInformation, OtherPlayer; then firstGroupSaved(); then DatabaseHeader, AutoStart,
// MinimumRecordTime, InputSignalMode, MinimizeRun, StartSoundValue, EndSoundValue, UserName,
// AutoBackupIndex, DBBackupPath, AutoUpdateValue, OutputFormat, AudioQuality. Failed writes
// are silent.
void saveOptionValues(SettingsStore& settings, const OptionValues& values,
                      const OptionSaveSteps& steps);

}  // namespace ambrin
