#pragma once

#include <cstdint>
#include <ctime>
#include <optional>
#include <set>
#include <string>
#include <vector>

namespace ambrin {

class SettingsStore;

// The rules that delete old calls. Each is off at 0.
struct RetentionRules {
    int maxAgeDays = 0;  // calls whose key is older than this many days
    int maxGiB = 0;      // the recordings' files together stay at or under this size

    bool any() const { return maxAgeDays > 0 || maxGiB > 0; }
    // "RetentionDays" and "RetentionGiB"; both off when they cannot be read.
    static RetentionRules fromSettings(const SettingsStore& settings);
};

// One call the rules would delete.
struct RetentionCandidate {
    std::int64_t rowId = 0;  // the row itself: keys are not unique in RecordInfo
    std::string key;
    std::string file;
    std::uint64_t bytes = 0;  // 0 when the file is gone
};

// What deleting found.
struct RetentionResult {
    int deleted = 0;                       // calls whose record and file are gone
    std::vector<std::string> failedFiles;  // files that could not be deleted; records kept
    bool databaseFailed = false;           // nothing was deleted: the database refused
};

// The dry run: the calls the rules would delete at `now`, oldest first. Never a locked call,
// never one whose file is in `protectedFiles` (the call being recorded or played). The age
// rule takes every call older than its limit; the size rule then takes the oldest of the rest
// until the files of all calls (locked ones too) fit under its limit. Empty when the rules
// are off or the database cannot be read. Any thread; reads the file with its own connection.
std::vector<RetentionCandidate> planRetention(const std::string& databaseFile,
                                              const RetentionRules& rules, std::time_t now,
                                              const std::vector<std::string>& protectedFiles);

// Deletes the planned calls, record and file together: every file is first moved aside, the
// records of the moved (or already missing) files are deleted in one transaction, and only
// then are the moved files removed. A file that cannot be moved keeps its record and is
// reported; when the transaction fails every file goes back and nothing is deleted. Any
// thread; blocks on file and database work.
RetentionResult applyRetention(const std::string& databaseFile,
                               const std::vector<RetentionCandidate>& candidates);

// The lock table of our own beside RecordInfo: a call whose key is in it is never deleted by
// the rules. The table is made on the first lock. False when the database refused.
bool setRecordLocked(const std::string& databaseFile, const std::string& key, bool locked);
// The locked keys; empty also when nothing was ever locked or the file cannot be read.
std::set<std::string> lockedRecordKeys(const std::string& databaseFile);

// The bytes of the recordings of the calls stored in the `days` days before `now`, and the
// key of the newest call (empty when there is none): what the line's health is judged by.
// Empty when the database cannot be read now (it waits only briefly for a busy one).
struct RecordingActivity {
    std::uint64_t recentBytes = 0;
    std::string newestKey;
};
std::optional<RecordingActivity> recordingActivity(const std::string& databaseFile, std::time_t now,
                                                   int days);

}  // namespace ambrin
