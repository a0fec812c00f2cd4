#include "app/Housekeeping.h"

#include "app/LineHealth.h"
#include "core/AppContext.h"
#include "core/SettingsStore.h"
#include "platform/DiskSpace.h"
#include "platform/StringTable.h"
#include "platform/TextHelpers.h"
#include "records/RecordDatabase.h"
#include "records/RecordKey.h"
#include "records/RecordRetention.h"

namespace ambrin {

std::vector<Notice> applyRetentionRules(AppContext& context, std::time_t now,
                                        const std::vector<std::string>& inUse) {
    std::vector<Notice> notices;
    if (context.settings == nullptr) {
        return notices;
    }
    const std::string database = RecordDatabase::databasePath(context);
    const RetentionRules rules = RetentionRules::fromSettings(*context.settings);
    const RetentionResult result =
        applyRetention(database, planRetention(database, rules, now, inUse));
    if (result.databaseFailed) {
        notices.push_back({true, loadString(str::kRetentionDatabaseFailed)});
        return notices;
    }
    if (result.deleted > 0) {
        notices.push_back(
            {false, fillIn(loadString(str::kRetentionDeleted), {std::to_string(result.deleted)})});
    }
    if (!result.failedFiles.empty()) {
        notices.push_back({true, fillIn(loadString(str::kRetentionFileKept),
                                        {std::to_string(result.failedFiles.size()),
                                         result.failedFiles.front()})});
    }
    return notices;
}

LineActivity readLineActivity(AppContext& context, std::time_t now) {
    LineActivity activity;
    const auto recent =
        recordingActivity(RecordDatabase::databasePath(context), now, LineHealth::kRateDays);
    if (!recent) {
        return activity;
    }
    activity.known = true;
    activity.lastCall = timeOfRecordKey(recent->newestKey);
    if (context.settings != nullptr) {
        std::string folder;
        if (context.settings->readString(setting::kDatabasePath, folder) == kSettingsOk) {
            if (const auto free = freeDiskBytes(folder)) {
                activity.daysUntilFull = LineHealth::daysUntilFull(recent->recentBytes, *free);
            }
        }
    }
    return activity;
}

}  // namespace ambrin
