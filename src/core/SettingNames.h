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

}  // namespace ambrin::setting
