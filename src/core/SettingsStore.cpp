#include "core/SettingsStore.h"

#include <array>
#include <cstring>

#include "platform/Folders.h"
#include "platform/StringTable.h"
#include "platform/TextHelpers.h"

namespace ambrin {

namespace {

using S = SettingType;
using D = DefaultKind;

// The values in the order of the default pass.
constexpr std::array kTable = {
    SettingDefinition{setting::kInstallPath, S::String, D::ProgramFolder, "", 0},
    SettingDefinition{setting::kDatabasePath, S::String, D::InProgramFolder, "db", 0},
    SettingDefinition{setting::kKeepVisible, S::Bool, D::Fixed, "", 0},
    SettingDefinition{setting::kToTray, S::Bool, D::Fixed, "", 1},
    SettingDefinition{setting::kSkinPath, S::String, D::Fixed, "", 0},
    SettingDefinition{setting::kWindowMode, S::String, D::Fixed, "MainWindow", 0},
    SettingDefinition{setting::kMainWindowPos, S::String, D::Fixed, "-1,-1", 0},
    SettingDefinition{setting::kMemoNotePos, S::String, D::Fixed, "-1,-1", 0},
    SettingDefinition{setting::kOptionWindowPos, S::String, D::Fixed, "-1,-1", 0},
    SettingDefinition{setting::kSkinDefaultFont, S::String, D::Fixed, "Arial", 0},
    SettingDefinition{setting::kTimeMode, S::Int, D::Fixed, "", 0},
    SettingDefinition{setting::kRecordFormat, S::Int, D::Fixed, "", 1},
    SettingDefinition{setting::kRecordMode, S::Int, D::Fixed, "", 0},
    SettingDefinition{setting::kUsePassword, S::Bool, D::Fixed, "", 0},
    SettingDefinition{setting::kPassword, S::String, D::Fixed, "", 0},
    SettingDefinition{setting::kTimeOfCallEnd, S::Int, D::Fixed, "", 8},
    SettingDefinition{setting::kCallInformation, S::Bool, D::Fixed, "", 1},
    SettingDefinition{setting::kOtherPlayer, S::Bool, D::Fixed, "", 0},
    SettingDefinition{setting::kDatabaseHeader, S::String, D::StringId, "", str::kDatabaseHeader},
    SettingDefinition{setting::kMinimumRecordTime, S::Int, D::Fixed, "", 5},
    SettingDefinition{setting::kInputSignalMode, S::Int, D::Fixed, "", 0},
    SettingDefinition{setting::kMinimizeRun, S::Bool, D::Fixed, "", 0},
    SettingDefinition{setting::kStartSoundValue, S::Int, D::Fixed, "", 20},
    SettingDefinition{setting::kEndSoundValue, S::Int, D::Fixed, "", 2},
    SettingDefinition{setting::kUserName, S::String, D::Fixed, "", 0},
    SettingDefinition{setting::kAutoVolume, S::Bool, D::Fixed, "", 0},
    SettingDefinition{setting::kAutoBackupIndex, S::Int, D::Fixed, "", 1},
    SettingDefinition{setting::kDBBackupPath, S::String, D::InProgramFolder, "DBBackup", 0},
    SettingDefinition{setting::kAutoUpdateValue, S::Bool, D::Fixed, "", 1},
    SettingDefinition{setting::kOutputFormat, S::Int, D::Fixed, "", 1},
    SettingDefinition{setting::kAudioQuality, S::Int, D::Fixed, "", 1},
    SettingDefinition{setting::kPreRecordTime, S::Int, D::Fixed, "", 500},
    SettingDefinition{setting::kRetentionDays, S::Int, D::Fixed, "", 0},
    SettingDefinition{setting::kRetentionGiB, S::Int, D::Fixed, "", 0},
    SettingDefinition{setting::kQuietLineDays, S::Int, D::Fixed, "", 3},
};

int toCode(RegResult result) {
    switch (result) {
        case RegResult::Ok:
            return kSettingsOk;
        case RegResult::NotFound:
            return kSettingsNotFound;
        case RegResult::Error:
            return kSettingsError;
    }
    return kSettingsError;
}

const setting::SettingRange* rangeOf(std::string_view name) {
    for (const setting::SettingRange& range : setting::kSettingRanges) {
        if (asciiLower(range.name) == asciiLower(name)) {
            return &range;
        }
    }
    return nullptr;
}

std::string productKeyPath() {
    return std::string(kCompanyKey) + "\\" + kProductKey;
}

}  // namespace

SettingsStore::SettingsStore(std::string programFolder)
    : m_programFolder(std::move(programFolder)),
      m_key(RegistryKey::open(Hive::CurrentUser, productKeyPath())) {
    if (m_key) {
        repairInstallation();
    } else {
        m_key = RegistryKey::create(Hive::CurrentUser, productKeyPath());
    }
    setDefaults();
}

std::span<const SettingDefinition> SettingsStore::table() {
    return kTable;
}

void SettingsStore::repairInstallation() {
    // Only a copy that runs from a real installation may move "InstallPath"; a program
    // started from a build or a temporary folder leaves the settings alone.
    if (!fileExists(m_programFolder + kProgramFileName)) {
        return;
    }
    std::string installPath;
    const int code = readString(setting::kInstallPath, installPath);
    if (code == kSettingsOk && installPath == m_programFolder) {
        return;
    }
    writeString(setting::kInstallPath, m_programFolder);
    std::string ignored;
    if (readString(setting::kDatabasePath, ignored) == kSettingsNotFound) {
        writeString(setting::kDatabasePath, writableFolderFor(m_programFolder) + "db");
    }
}

int SettingsStore::setDefaults() {
    if (!m_key) {
        return kSettingsNotOpen;
    }
    int result = kSettingsOk;
    for (const auto& definition : kTable) {
        const int code = writeDefault(definition);
        if (code != kSettingsOk) {
            result = code;
        }
    }
    return result;
}

int SettingsStore::writeDefault(const SettingDefinition& definition) {
    int code = kSettingsOk;
    switch (definition.type) {
        case SettingType::String: {
            std::string value;
            code = readString(definition.name, value, 1024);
            break;
        }
        case SettingType::Bool: {
            bool value = false;
            code = readBool(definition.name, value);
            break;
        }
        case SettingType::Int: {
            int value = 0;
            code = readInt(definition.name, value);
            break;
        }
    }
    if (code != kSettingsNotFound) {
        return kSettingsOk;  // present with any content: left alone
    }
    switch (definition.type) {
        case SettingType::String:
            switch (definition.kind) {
                case DefaultKind::ProgramFolder:
                    return writeString(definition.name, m_programFolder);
                case DefaultKind::InProgramFolder:
                    return writeString(definition.name,
                                       writableFolderFor(m_programFolder) + definition.text);
                case DefaultKind::StringId:
                    return writeString(definition.name, loadString(definition.number));
                case DefaultKind::Fixed:
                    return writeString(definition.name, definition.text);
            }
            return kSettingsError;
        case SettingType::Bool:
            return writeBool(definition.name, definition.number != 0);
        case SettingType::Int:
            return writeInt(definition.name, definition.number);
    }
    return kSettingsError;
}

int SettingsStore::readString(std::string_view name, char* buffer, std::uint32_t* size) const {
    if (buffer != nullptr && size != nullptr && *size > 0) {
        buffer[0] = '\0';
    }
    if (size == nullptr || (buffer == nullptr && *size != 0)) {
        return kSettingsBadArgument;
    }
    RegValue value;
    if (const int code = query(name, RegType::String, value); code != kSettingsOk) {
        return code;
    }
    const auto needed = static_cast<std::uint32_t>(value.text.size() + 1);
    if (buffer == nullptr || needed > *size) {
        *size = needed;
        return kSettingsMoreData;
    }
    std::memcpy(buffer, value.text.c_str(), needed);
    *size = needed;
    return kSettingsOk;
}

int SettingsStore::readString(std::string_view name, std::string& out,
                              std::uint32_t capacity) const {
    out.clear();
    if (capacity == 0) {
        return kSettingsBadArgument;
    }
    std::string buffer(capacity, '\0');
    std::uint32_t size = capacity;
    const int code = readString(name, buffer.data(), &size);
    if (code == kSettingsOk) {
        buffer.resize(size - 1);
        out = std::move(buffer);
    }
    return code;
}

int SettingsStore::writeString(std::string_view name, std::string_view text) {
    if (name.empty()) {
        return kSettingsBadArgument;
    }
    if (!m_key) {
        return kSettingsNotOpen;
    }
    return toCode(m_key->setString(name, text));
}

int SettingsStore::readBool(std::string_view name, bool& out) const {
    int value = 0;
    const int code = readInt(name, value);
    if (code == kSettingsOk) {
        out = value != 0;
    }
    return code;
}

int SettingsStore::writeBool(std::string_view name, bool value) {
    return writeInt(name, value ? 1 : 0);
}

int SettingsStore::readStoredInt(std::string_view name, int& out) const {
    out = 0;
    RegValue value;
    if (const int code = query(name, RegType::Dword, value); code != kSettingsOk) {
        return code;
    }
    out = static_cast<int>(value.dword);
    return kSettingsOk;
}

int SettingsStore::readInt(std::string_view name, int& out) const {
    const int code = readStoredInt(name, out);
    if (code != kSettingsOk) {
        return code;
    }
    const setting::SettingRange* range = rangeOf(name);
    if (range == nullptr) {
        return code;
    }
    out = out < range->minimum ? range->below : out > range->maximum ? range->above : out;
    if (std::string_view(range->name) == setting::kEndSoundValue) {
        // Silence must be quieter than what starts a call, or no call would ever end.
        int start = 0;
        if (readInt(setting::kStartSoundValue, start) == kSettingsOk && out >= start) {
            out = start - 1;
        }
    }
    return code;
}

std::vector<SettingCorrection> SettingsStore::corrections() const {
    std::vector<SettingCorrection> found;
    for (const setting::SettingRange& range : setting::kSettingRanges) {
        int stored = 0;
        int used = 0;
        if (readStoredInt(range.name, stored) == kSettingsOk &&
            readInt(range.name, used) == kSettingsOk && stored != used) {
            found.push_back({range.name, stored, used});
        }
    }
    return found;
}

int SettingsStore::query(std::string_view name, RegType type, RegValue& value) const {
    if (name.empty()) {
        return kSettingsBadArgument;
    }
    if (!m_key) {
        return kSettingsNotOpen;
    }
    const RegResult result = m_key->query(name, value);
    if (result != RegResult::Ok) {
        return toCode(result);
    }
    return value.type == type ? kSettingsOk : kSettingsError;  // a value of another type
}

int SettingsStore::writeInt(std::string_view name, int value) {
    if (name.empty()) {
        return kSettingsBadArgument;
    }
    if (!m_key) {
        return kSettingsNotOpen;
    }
    return toCode(m_key->setDword(name, static_cast<std::uint32_t>(value)));
}

std::string SettingsStore::stringOr(std::string_view name, std::string_view fallback) const {
    std::string value;
    if (readString(name, value) != kSettingsOk) {
        return std::string(fallback);
    }
    return value;
}

bool SettingsStore::boolOr(std::string_view name, bool fallback) const {
    bool value = fallback;
    return readBool(name, value) == kSettingsOk ? value : fallback;
}

int SettingsStore::intOr(std::string_view name, int fallback) const {
    int value = 0;
    return readInt(name, value) == kSettingsOk ? value : fallback;
}

}  // namespace ambrin
