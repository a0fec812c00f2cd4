#include "records/InterruptedRecording.h"

#include "codec/RecordingRepair.h"
#include "core/AppContext.h"
#include "core/CallRecord.h"
#include "core/RecordingJournal.h"
#include "platform/Folders.h"
#include "records/CallStorage.h"
#include "records/RecordDatabase.h"

namespace ambrin {

namespace {

bool recordExistsFor(const AppContext& context, const std::string& path) {
    RecordDatabase database(context);
    if (!database.BeginCallRecords()) {
        return false;
    }
    std::string key;
    CallRecord record;
    bool found = false;
    while (!found && database.NextCallRecord(key, record)) {
        found = record.fileName == path;
    }
    database.EndIteration();
    return found;
}

}  // namespace

std::string recoverInterruptedRecording(AppContext& context) {
    const auto journal = readRecordingJournal(context);
    if (!journal) {
        return {};
    }
    std::string stored;
    if (fileExists(journal->path) && !recordExistsFor(context, journal->path)) {
        repairRecording(journal->path);  // an unrepairable file measures 0 and goes as too short
        if (StoreRecording(context, journal->path)) {
            stored = journal->path;
        }
    }
    clearRecordingJournal(context);
    return stored;
}

}  // namespace ambrin
