#include "records/AutoBackupCheck.h"

#include <algorithm>
#include <vector>

#include "core/AppContext.h"
#include "core/SettingsStore.h"
#include "platform/Folders.h"
#include "platform/MessageBox.h"
#include "platform/StringIds.h"

namespace ambrin {

bool AutoBackupCheck(const AppContext& context, const BackupDate& today,
                     const std::function<void()>& startBackup) {
    int weeks = 0;
    if (!context.settings ||
        context.settings->readInt(setting::kAutoBackupIndex, weeks) != kSettingsOk || weeks <= 0) {
        return false;
    }
    const std::string folder = backupPlaces(context).backupFolder;
    if (folder.empty() || !makeFolders(folder)) {
        return false;
    }
    std::vector<BackupDate> dates;
    for (const BackupEntry& entry : listBackups(folder)) {
        if (const auto date = parseBackupDate(entry.fileName)) {
            dates.push_back(*date);
        }
    }
    if (dates.empty()) {
        return false;
    }
    std::sort(dates.begin(), dates.end(), [](const BackupDate& a, const BackupDate& b) {
        return a.dayNumber() < b.dayNumber();
    });
    // Calendar days: with one week, a backup of 8 days ago is due, one of 7 days ago is not.
    if (today.dayNumber() - dates.back().dayNumber() <= 7 * static_cast<std::int64_t>(weeks)) {
        return false;
    }
    if (showStringMessage(str::kBackupQuestion, kMbYesNo | kMbIconQuestion) != kIdYes) {
        return false;
    }
    // The automatic cycle keeps two backups: the oldest goes before the new one is made.
    if (dates.size() >= 2) {
        deleteBackup(folder, dates.front().name());
    }
    startBackup();
    return true;
}

}  // namespace ambrin
