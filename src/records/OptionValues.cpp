#include "records/OptionValues.h"

#include "core/SettingsStore.h"
#include "platform/AutoStart.h"
#include "platform/StringIds.h"
#include "platform/StringTable.h"

namespace ambrin {

namespace {

// "DatabaseHeader" holds eleven names of up to 259 bytes each with their separators.
constexpr std::uint32_t kHeaderCapacity = 2860;

void readBool(const SettingsStore& settings, const char* name, bool& value) {
    bool read = false;
    if (settings.readBool(name, read) == kSettingsOk) {
        value = read;
    }
}

void readInt(const SettingsStore& settings, const char* name, int& value) {
    int read = 0;
    if (settings.readInt(name, read) == kSettingsOk) {
        value = read;
    }
}

void readText(const SettingsStore& settings, const char* name, std::string& value) {
    std::string read;
    if (settings.readString(name, read) == kSettingsOk) {
        value = std::move(read);
    }
}

}  // namespace

DisplayNames defaultDisplayNames() {
    DisplayNames names;
    splitDisplayNames(loadString(str::kDatabaseHeader), names);
    return names;
}

bool splitDisplayNames(std::string_view header, DisplayNames& names) {
    DisplayNames pieces;
    size_t count = 0;
    size_t start = 0;
    for (size_t end = header.find(';'); end != std::string_view::npos;
         start = end + 1, end = header.find(';', start)) {
        if (end == start) {
            continue;  // empty pieces are dropped
        }
        if (count == kDisplayNameCount) {
            return false;
        }
        pieces[count++] = std::string(header.substr(start, end - start));
    }
    if (count != kDisplayNameCount) {
        return false;
    }
    names = std::move(pieces);
    return true;
}

std::string joinDisplayNames(const DisplayNames& names) {
    std::string header;
    for (const std::string& name : names) {
        header += name;
        header += ';';
    }
    return header;
}

OptionValues loadOptionValues(const SettingsStore& settings) {
    OptionValues values;
    values.displayNames = defaultDisplayNames();
    readBool(settings, setting::kKeepVisible, values.keepVisible);
    readBool(settings, setting::kToTray, values.toTray);
    readText(settings, setting::kDatabasePath, values.databasePath);
    readInt(settings, setting::kRecordFormat, values.recordFormat);
    readInt(settings, setting::kRecordMode, values.recordMode);
    readBool(settings, setting::kUsePassword, values.usePassword);
    readText(settings, setting::kPassword, values.password);
    readInt(settings, setting::kTimeOfCallEnd, values.timeOfCallEnd);
    readBool(settings, setting::kCallInformation, values.callInformation);
    readBool(settings, setting::kOtherPlayer, values.otherPlayer);
    values.autoStart = AutoStart::isEnabled();
    readInt(settings, setting::kMinimumRecordTime, values.minimumRecordTime);
    readInt(settings, setting::kInputSignalMode, values.inputSignalMode);
    readBool(settings, setting::kMinimizeRun, values.minimizeRun);
    readInt(settings, setting::kStartSoundValue, values.startSoundValue);
    readInt(settings, setting::kEndSoundValue, values.endSoundValue);
    readText(settings, setting::kUserName, values.userName);
    std::string header;
    if (settings.readString(setting::kDatabaseHeader, header, kHeaderCapacity) == kSettingsOk) {
        splitDisplayNames(header, values.displayNames);
    }
    readInt(settings, setting::kAutoBackupIndex, values.autoBackupIndex);
    readText(settings, setting::kDBBackupPath, values.dbBackupPath);
    readBool(settings, setting::kAutoUpdateValue, values.autoUpdateValue);
    readInt(settings, setting::kOutputFormat, values.outputFormat);
    readInt(settings, setting::kAudioQuality, values.audioQuality);
    readInt(settings, setting::kRetentionDays, values.retentionDays);
    readInt(settings, setting::kRetentionGiB, values.retentionGiB);
    readInt(settings, setting::kQuietLineDays, values.quietLineDays);
    return values;
}

void saveOptionValues(SettingsStore& settings, const OptionValues& values,
                      const OptionSaveSteps& steps) {
    settings.writeBool(setting::kKeepVisible, values.keepVisible);
    settings.writeBool(setting::kToTray, values.toTray);
    settings.writeString(setting::kDatabasePath, values.databasePath);
    if (steps.selectSkin) {
        steps.selectSkin(values.skin);
    }
    settings.writeInt(setting::kRecordFormat, values.recordFormat);
    settings.writeInt(setting::kRecordMode, values.recordMode);
    settings.writeBool(setting::kUsePassword, values.usePassword);
    settings.writeString(setting::kPassword, values.usePassword ? values.password : "");
    settings.writeInt(setting::kTimeOfCallEnd, values.timeOfCallEnd);
    settings.writeBool(setting::kCallInformation, values.callInformation);
    settings.writeBool(setting::kOtherPlayer, values.otherPlayer);
    if (steps.firstGroupSaved) {
        steps.firstGroupSaved();
    }
    settings.writeString(setting::kDatabaseHeader, joinDisplayNames(values.displayNames));
    AutoStart::setEnabled(values.autoStart, steps.programPath);
    settings.writeInt(setting::kMinimumRecordTime, values.minimumRecordTime);
    settings.writeInt(setting::kInputSignalMode, values.inputSignalMode);
    settings.writeBool(setting::kMinimizeRun, values.minimizeRun);
    settings.writeInt(setting::kStartSoundValue, values.startSoundValue);
    settings.writeInt(setting::kEndSoundValue, values.endSoundValue);
    settings.writeString(setting::kUserName, values.userName);
    settings.writeInt(setting::kAutoBackupIndex, values.autoBackupIndex);
    settings.writeString(setting::kDBBackupPath, values.dbBackupPath);
    settings.writeBool(setting::kAutoUpdateValue, values.autoUpdateValue);
    settings.writeInt(setting::kOutputFormat, values.outputFormat);
    settings.writeInt(setting::kAudioQuality, values.audioQuality);
    settings.writeInt(setting::kRetentionDays, values.retentionDays);
    settings.writeInt(setting::kRetentionGiB, values.retentionGiB);
    settings.writeInt(setting::kQuietLineDays, values.quietLineDays);
}

}  // namespace ambrin
