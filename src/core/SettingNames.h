#pragma once

// Names of the program's settings, exactly as they are stored.
namespace ambrin::setting {

inline constexpr const char* kInstallPath = "InstallPath";
inline constexpr const char* kDatabasePath = "DatabasePath";
inline constexpr const char* kKeepVisible = "KeepVisible";
inline constexpr const char* kToTray = "ToTray";
inline constexpr const char* kSkinPath = "SkinPath";
inline constexpr const char* kWindowMode = "WindowMode";
inline constexpr const char* kMainWindowPos = "MainWindowPos";
inline constexpr const char* kMemoNotePos = "MemoNotePos";
inline constexpr const char* kOptionWindowPos = "OptionWindowPos";
inline constexpr const char* kSkinDefaultFont = "SkinDefaultFont";
inline constexpr const char* kTimeMode = "TimeMode";
inline constexpr const char* kRecordFormat = "RecordFormat";
inline constexpr const char* kRecordMode = "RecordMode";
inline constexpr const char* kUsePassword = "UsePassword";
inline constexpr const char* kPassword = "Password";
inline constexpr const char* kTimeOfCallEnd = "TimeOfCallEnd";
inline constexpr const char* kCallInformation = "CallInformation";
inline constexpr const char* kOtherPlayer = "OtherPlayer";
inline constexpr const char* kDatabaseHeader = "DatabaseHeader";
inline constexpr const char* kMinimumRecordTime = "MinimumRecordTime";
inline constexpr const char* kInputSignalMode = "InputSignalMode";
inline constexpr const char* kMinimizeRun = "MinimizeRun";
inline constexpr const char* kStartSoundValue = "StartSoundValue";
inline constexpr const char* kEndSoundValue = "EndSoundValue";
inline constexpr const char* kUserName = "UserName";
inline constexpr const char* kAutoVolume = "AutoVolume";
inline constexpr const char* kAutoBackupIndex = "AutoBackupIndex";
inline constexpr const char* kDBBackupPath = "DBBackupPath";
inline constexpr const char* kAutoUpdateValue = "AutoUpdateValue";
inline constexpr const char* kOutputFormat = "OutputFormat";
inline constexpr const char* kAudioQuality = "AudioQuality";
// Milliseconds of audio from before a recording's start that begin its file; 0 switches it off.
inline constexpr const char* kPreRecordTime = "PreRecordTime";
// Retention: calls older than this many days are deleted; 0 switches the rule off.
inline constexpr const char* kRetentionDays = "RetentionDays";
// Retention: the recordings are kept under this many GiB, oldest calls deleted first; 0 is off.
inline constexpr const char* kRetentionGiB = "RetentionGiB";
// Line health: warn after this many working days (Monday to Friday) without a call; 0 is off.
inline constexpr const char* kQuietLineDays = "QuietLineDays";

// The valid range of every numeric setting the program reads. A stored value outside it is
// used as `below` or `above` (the nearest valid value, or the default where a nearer one
// means nothing, as for a list index); the stored value itself is left as it is.
// "EndSoundValue" is moreover kept below "StartSoundValue".
struct SettingRange {
    const char* name;
    int minimum;
    int maximum;
    int below;  // used for a stored value under the minimum
    int above;  // used for a stored value over the maximum
};

inline constexpr SettingRange kSettingRanges[] = {
    {kTimeMode, 0, 1, 0, 1},
    {kRecordFormat, 0, 2, 1, 1},               // OGG, MP3, WAVE
    {kRecordMode, 0, 1, 0, 0},                 // automatic, manual
    {kTimeOfCallEnd, 0, 3600, 8, 3600},        // seconds of silence; 0 ends calls by Stop only
    {kMinimumRecordTime, -1, 3600, -1, 3600},  // seconds; negative keeps even unreadable files
    {kInputSignalMode, 0, 1, 0, 0},            // microphone, line input
    {kStartSoundValue, 2, 100, 2, 100},        // levels
    {kEndSoundValue, 1, 99, 1, 99},
    {kAutoBackupIndex, 0, 4, 0, 4},        // never, every 1 to 4 weeks
    {kOutputFormat, 0, 13, 1, 1},          // rows of the sample-format table
    {kAudioQuality, 0, 15, 1, 1},          // rows of the MP3 bit-rate table
    {kPreRecordTime, 0, 30000, 0, 30000},  // milliseconds
    {kRetentionDays, 0, 36500, 0, 36500},  // days; 0 off
    {kRetentionGiB, 0, 65536, 0, 65536},   // GiB; 0 off
    {kQuietLineDays, 0, 60, 0, 60},        // working days; 0 off
};

}  // namespace ambrin::setting
