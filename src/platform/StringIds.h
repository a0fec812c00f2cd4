// String-table identifiers of the main program.
//
// The texts live in resources/strings/en.txt (1033) and ko.txt (1042); both
// tables carry exactly these ids. Ids are stable: they are part of the
// string-table contract, so never renumber them.
#pragma once

namespace ambrin::str {

inline constexpr int kSkinParseFailed = 1;        // "Cannot parse skin. reason:"
inline constexpr int kSkinOpenFailed = 3;         // "Cannot open skin."
inline constexpr int kSkinExtractFailed = 5;      // "Cannot extract skin."
inline constexpr int kSkinTempFolderFailed = 6;   // "Cannot create temporary folder for skin."
inline constexpr int kSkinNotFound = 7;           // "Cannot find skin."
inline constexpr int kDecodeFailed = 8;           // "Fail to decode."
inline constexpr int kDecoderInitFailed = 11;     // "Fail to initialize decoder."
inline constexpr int kInternalError = 14;         // "Internal error."
inline constexpr int kStatusRecording = 15;       // "Recording..."
inline constexpr int kStatusWaiting = 17;         // "Waiting..."
inline constexpr int kSkinAddFailed = 19;         // "Fail to add skin."
inline constexpr int kSkinDeleteFailed = 20;      // "Fail to delete skin."
inline constexpr int kSkinDeleteQuestion = 21;    // "Do you delete skin?"
inline constexpr int kInvalidPassword = 22;       // "Invalid password."
inline constexpr int kOptionsNode = 23;           // "Options"
inline constexpr int kRecordModeAutomatic = 25;   // "Automatic"
inline constexpr int kRecordModeManual = 26;      // "Manual"
inline constexpr int kRecordDeleteQuestion = 27;  // "Do you want to delete the record?"
inline constexpr int kHeaderListColumns =
    28;  // "Item Name;Display Name;" (column titles, ';'-separated)
inline constexpr int kExportPeriod = 29;       // "Period "
inline constexpr int kExportCallCount = 30;    // "The number of telephone calls "
inline constexpr int kExcelExportFailed = 31;  // "Fail to save as Excel."
inline constexpr int kDatabaseHeader =
    32;  // "Date;Duration;Type;Name;...;Path;" (11 default field names)
inline constexpr int kSkinInfoName = 33;            // "Name : "
inline constexpr int kSkinInfoDate = 36;            // "Date : "
inline constexpr int kExportTotalDuration = 37;     // "Total Call Duration"
inline constexpr int kCallTypeInbound = 38;         // "Inbound"
inline constexpr int kCallTypeOutbound = 39;        // "Outbound"
inline constexpr int kCustomerDeleteQuestion = 40;  // "Do you want to delete customer information?"
inline constexpr int kMp3EncoderMissing =
    41;  // "If you want to record as an MP3, install libmp3lame.so.0 ..." (Yes/No; "%s": the
         // installation folder)
inline constexpr int kExitQuestion = 42;           // "Do you want to exit?"
inline constexpr int kContentDeleteQuestion = 43;  // "Do you want to delete contents?"
inline constexpr int kContentLimitReached = 44;    // "Maximum number of contents is 20."
inline constexpr int kCustomerNameColumn = 45;     // "Name"
inline constexpr int kPdfViewerMissing =
    46;  // "Please, Install PDF viewer. (Ex: Adobe Acrobat Reader)"
inline constexpr int kAudioInitFailed = 47;  // "Fail to Initialize Audio Device."
inline constexpr int kCopyrightText =
    48;  // open-source library notices for the Copyright Information page
inline constexpr int kBackupIntervalStop =
    49;  // "Stop" (first of the five interval entries 49..53)
inline constexpr int kBackupInterval1Week = 50;   // "1 Week"
inline constexpr int kBackupInterval2Weeks = 51;  // "2 Week"
inline constexpr int kBackupInterval3Weeks = 52;  // "3 Week"
inline constexpr int kBackupInterval4Weeks = 53;  // "4 Week"
inline constexpr int kBackupHintStop =
    54;  // "It set that it does not back up you data" (first of 54..58)
inline constexpr int kBackupHint1Week = 55;     // "Back up the date evey week by week."
inline constexpr int kBackupHint2Weeks = 56;    // "Back up the date every 2 weeks."
inline constexpr int kBackupHint3Weeks = 57;    // "Back up the date every 3 weeks."
inline constexpr int kBackupHint4Weeks = 58;    // "Back up the date every 4 weeks."
inline constexpr int kBackupInfoFileName = 59;  // "Filename: "
inline constexpr int kBackupInfoDate = 60;      // "Backup date: "
inline constexpr int kRestoreQuestion = 61;     // "Do you want to restore the selected file?"
inline constexpr int kBackupQuestion = 62;      // "Do you want to back up your data? ..."
inline constexpr int kDiskSpaceLow = 63;        // "HardDisk is the lack of capacity. ..."
inline constexpr int kBackupCompleted = 64;     // "Data backup has completed."
inline constexpr int kRestoreCompleted = 65;    // "To restore the data has been completed"
inline constexpr int kBackupInProgress = 67;    // "Data is backed up. Please wait."
inline constexpr int kRestoreInProgress = 68;   // "Data is restored. Please wait."
inline constexpr int kButtonOk = 69;            // "OK"
inline constexpr int kButtonCancel = 70;        // "Cancel"
inline constexpr int kBackupFailed =
    71;  // "Due to a problem with the system can not do backup. ..."
inline constexpr int kRestoreFailed =
    72;  // "Due to a problem with the system will not be able to restore ..."
inline constexpr int kCallTypeUnknown = 75;  // "Unknown"
inline constexpr int kRecordFileFailed =
    76;  // "The recording file cannot be saved because of a problem with the DB folder. ..."
inline constexpr int kBackupDeleteQuestion = 77;  // "Do you want to delete the selected file?"
inline constexpr int kRecordNotSaved =
    78;  // "The call record could not be saved ..." ("%s": the recording's path)

// Keeping every call: a full disk, a vanished input, an interrupted recording.
inline constexpr int kDiskFullRecordingEnded =
    90;  // "The disk is full, so the recording was ended and saved ..."
inline constexpr int kDiskLowWhileRunning =
    91;  // "The disk that holds the recordings has 40 MB or less free. ..."
inline constexpr int kAudioInputLost =
    92;  // "The telephone line's audio input was lost. Reconnecting..."
inline constexpr int kAudioInputBack = 93;  // "The telephone line's audio input is back."
inline constexpr int kInterruptedCallRepaired =
    94;  // "A call that was being recorded when the program ended ..." ("%s": path)
inline constexpr int kDatabaseDamaged =
    95;  // "The call-record database is damaged and cannot be used: ..." ("%s": the file)
inline constexpr int kUnsavedCallsStored =
    96;  // "%d call(s) that could not be saved earlier are now stored ..."
inline constexpr int kSettingCorrected =
    97;  // "The setting \"%s\" holds %s, out of its range; %s is used ..."
inline constexpr int kNoNotificationArea =
    110;  // "This desktop has no notification area ... start Ambrin+ again."
inline constexpr int kRecordingControlsMissing =
    111;  // "No program for the recording controls was found ..."
inline constexpr int kExcelSavedAt =
    120;  // "The record list was saved as a spreadsheet:\n%s" (when no program opens it)

// Retention of old calls and the line's health.
inline constexpr int kQuietLine = 130;       // "No call has been recorded for %d working days. ..."
inline constexpr int kQuietLineEnded = 131;  // "A call was recorded again; the line works."
inline constexpr int kInputUnavailable =
    132;  // "The telephone line's audio input has been unavailable for more than a minute. ..."
inline constexpr int kDiskFilling =
    133;  // "At the rate of the last 30 days the recordings' disk will be full in %d days. ..."
inline constexpr int kDiskFillingEnded =
    134;  // "The recordings' disk is no longer expected to be full within 14 days."
inline constexpr int kRetentionDeleted = 135;  // "Retention rules: %d old call(s) were deleted."
inline constexpr int kRetentionFileKept =
    136;  // "Retention rules: %d recording file(s) could not be deleted ... %s"
inline constexpr int kRetentionDatabaseFailed =
    137;  // "Retention rules: the call-record database could not be changed; ..."
inline constexpr int kRecordLockFailed = 138;  // "The lock could not be stored: ..."

}  // namespace ambrin::str
