#include "records/CallStorage.h"

#include <unistd.h>

#include "core/AppContext.h"
#include "core/SettingsStore.h"
#include "platform/MessageBox.h"
#include "platform/StringTable.h"
#include "records/RecordDatabase.h"
#include "records/RecordFileNames.h"
#include "records/RecordKey.h"
#include "records/RecordLimits.h"
#include "records/RecordingDuration.h"
#include "records/UnsavedCallJournal.h"

namespace ambrin {

namespace {

constexpr std::string_view kPathPlaceholder = "%s";

std::string userName(const AppContext& context) {
    return context.settings != nullptr ? context.settings->stringOr(setting::kUserName, "")
                                       : std::string();
}

int minimumRecordTime(const AppContext& context) {
    int seconds = 0;  // a value that cannot be read counts as 0, as readInt leaves it
    if (context.settings != nullptr) {
        context.settings->readInt(setting::kMinimumRecordTime, seconds);
    }
    return seconds;
}

bool hasInformationInName(const std::string& path) {
    return recordingTail(path).find('_') != std::string::npos;
}

// Moves the file to `target` when the record's FileName can hold that path; the path the
// file has afterwards.
std::string moveIfPossible(const std::string& path, const std::string& target) {
    if (target.size() >= CallRecord::kShortCapacity || !moveWithoutReplacing(path, target)) {
        return path;
    }
    return target;
}

// The path after giving a recording stored with information its informative name.
std::string nameAtStoring(const AppContext& context, const std::string& path,
                          const CallRecord& information) {
    if (hasInformationInName(path)) {
        return path;
    }
    bool usable = false;
    const std::string prefix =
        informationPrefix(userName(context), information.name, information.contents, usable);
    return usable ? moveIfPossible(path, folderOf(path) + prefix + recordingTail(path)) : path;
}

std::string journalPath(const AppContext& context) {
    const std::string database = RecordDatabase::databasePath(context);
    return database.empty() ? std::string() : database + kUnsavedCallsSuffix;
}

// Shows string `stringId` with `path` in place of its "%s", with the warning icon.
void warnNamingFile(int stringId, const std::string& path) {
    std::string text = loadString(stringId);
    const size_t at = text.find(kPathPlaceholder);
    if (at != std::string::npos) {
        text.replace(at, kPathPlaceholder.size(), path);
    }
    showMessage(text, kMbOk | kMbIconWarning);
}

void tellRecordNotSaved(const std::string& path) {
    warnNamingFile(str::kRecordNotSaved, path);
}

}  // namespace

bool InitializeDatabase(AppContext& context) {
    DatabaseStatus status = DatabaseStatus::Ready;
    return InitializeDatabase(context, status);
}

bool InitializeDatabase(AppContext& context, DatabaseStatus& status) {
    const RecordDatabase database(context);
    const bool ready = database.InitializeDatabase(status);
    if (status == DatabaseStatus::Damaged) {
        warnNamingFile(str::kDatabaseDamaged, database.filePath());
    }
    return ready;
}

bool StoreRecording(AppContext& context, const std::string& path) {
    std::string filePath = path;
    {
        const auto lock = context.lockInformation();
        CallRecord record;  // without information: empty, Unknown
        bool hasInformation = false;
        if (auto& pending = context.pendingInformation()) {
            record = *pending;
            pending.reset();
            hasInformation = true;
            filePath = nameAtStoring(context, filePath, record);
        } else if (const auto& line = context.lineNumberLocked(); !line.number.empty()) {
            // Nobody described the call: what the line told stands. A caller's number only
            // comes with a call that rang here.
            record.cid = limitText(line.number, CallRecord::kShortCapacity);
            record.callType = line.dialled ? kCallOutbound : kCallInbound;
        }
        context.lineNumberLocked() = {};

        record.totalTime = recordingDurationSeconds(filePath);
        if (record.totalTime <= minimumRecordTime(context)) {
            ::unlink(filePath.c_str());
            return false;
        }

        record.fileName = filePath;
        const std::string key = currentRecordKey();
        if (RecordDatabase(context).InsertCallRecord(key, record)) {
            context.lastRecordKeyLocked() = hasInformation ? std::string() : key;
            if (filePath != path) {
                context.setCurrentFile(filePath);  // Play plays the file under its new name
            }
            return true;
        }
        // No record to attach later information to.
        context.lastRecordKeyLocked().clear();
        const std::string journal = journalPath(context);
        if (!journal.empty()) {
            UnsavedCallJournal(journal).append(UnsavedCall{key, record});
        }
    }
    tellRecordNotSaved(filePath);
    return false;
}

bool UpdateRecordInformation(AppContext& context, const std::string& key,
                             const CallRecord& information) {
    const RecordDatabase database(context);
    CallRecord record;
    if (!database.FindCallRecord(key, record)) {
        return false;
    }

    const std::string oldPath = record.fileName;
    if (!hasInformationInName(oldPath) && fitsInFileName(key)) {
        bool usable = false;
        const std::string prefix =
            informationPrefix(userName(context), information.name, information.contents, usable);
        if (usable) {
            record.fileName =
                moveIfPossible(oldPath, folderOf(oldPath) + prefix + key + fileExtension(oldPath));
        }
    }

    record.name = information.name;
    record.cid = information.cid;
    record.organize = information.organize;
    record.address = information.address;
    record.contents = information.contents;
    record.etc1 = information.etc1;
    record.etc2 = information.etc2;
    record.callType = information.callType;
    if (!database.UpdateCallRecord(key, record)) {
        if (record.fileName != oldPath) {
            moveWithoutReplacing(record.fileName, oldPath);  // the row still names the old path
        }
        return false;
    }
    // The file just renamed is still the one Play plays.
    if (record.fileName != oldPath && context.currentFile() == oldPath) {
        context.setCurrentFile(record.fileName);
    }

    if (!information.name.empty()) {
        const CustomerRecord customer{information.cid, information.organize, information.address,
                                      information.etc1, information.etc2};
        database.UpdateCustomer(information.name, customer);
    }
    return true;
}

int recoverUnsavedCalls(AppContext& context) {
    const std::string journal = journalPath(context);
    if (journal.empty()) {
        return 0;
    }
    const RecordDatabase database(context);
    return UnsavedCallJournal(journal).replay(
        [&](const UnsavedCall& call) { return database.InsertCallRecord(call.key, call.record); });
}

}  // namespace ambrin
