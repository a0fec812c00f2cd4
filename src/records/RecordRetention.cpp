#include "records/RecordRetention.h"

#include <sqlite3.h>
#include <sys/stat.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>

#include "core/SettingsStore.h"
#include "records/RecordDatabase.h"
#include "records/RecordKey.h"

namespace ambrin {

namespace {

// Our own table beside the two of the call records; other readers of the file ignore it.
constexpr const char* kCreateLocks =
    "CREATE TABLE IF NOT EXISTS AmbrinRecordLock (Date varchar(40) PRIMARY KEY)";
constexpr const char* kLock = "INSERT OR IGNORE INTO AmbrinRecordLock (Date) values (?)";
constexpr const char* kUnlock = "DELETE FROM AmbrinRecordLock where Date=?";
constexpr const char* kLockedKeys = "select Date from AmbrinRecordLock";
constexpr const char* kCallsOldestFirst =
    "select rowid, Date, FileName from RecordInfo order by Date, rowid";
constexpr const char* kCallsSince =
    "select Date, FileName from RecordInfo where Date >= ? order by Date";
constexpr const char* kNewestCall = "select max(Date) from RecordInfo";
constexpr const char* kDeleteRow = "delete from RecordInfo where rowid=?";

// Waits for a writer of another connection (a recording being stored) this long.
constexpr int kBusyMilliseconds = 10000;
// The line's health is read once a minute on the engine's event thread: it never waits long
// for a busy database, and tries again at the next look.
constexpr int kGlanceBusyMilliseconds = 200;
constexpr std::uint64_t kGiB = 1024ULL * 1024 * 1024;
constexpr std::time_t kDay = 24 * 60 * 60;
// A file on its way out carries this after its name until its record is gone.
constexpr const char* kAsideSuffix = ".deleting";

SqliteConnection openExisting(const std::string& path, int busyMilliseconds = kBusyMilliseconds) {
    sqlite3* connection = nullptr;
    const int rc = sqlite3_open_v2(path.c_str(), &connection, SQLITE_OPEN_READWRITE, nullptr);
    SqliteConnection owned(connection);
    if (rc != SQLITE_OK) {
        return {};
    }
    sqlite3_busy_timeout(connection, busyMilliseconds);
    return owned;
}

SqliteStatement prepare(sqlite3* connection, const char* sql) {
    sqlite3_stmt* statement = nullptr;
    if (connection == nullptr ||
        sqlite3_prepare_v2(connection, sql, -1, &statement, nullptr) != SQLITE_OK) {
        sqlite3_finalize(statement);
        return {};
    }
    return SqliteStatement(statement);
}

std::string text(sqlite3_stmt* statement, int column) {
    const unsigned char* value = sqlite3_column_text(statement, column);
    return value != nullptr ? reinterpret_cast<const char*>(value) : std::string();
}

bool exec(sqlite3* connection, const char* sql) {
    return sqlite3_exec(connection, sql, nullptr, nullptr, nullptr) == SQLITE_OK;
}

bool runWithKey(sqlite3* connection, const char* sql, const std::string& key) {
    const SqliteStatement statement = prepare(connection, sql);
    return statement &&
           sqlite3_bind_text(statement.get(), 1, key.data(), static_cast<int>(key.size()),
                             nullptr) == SQLITE_OK &&
           sqlite3_step(statement.get()) == SQLITE_DONE;
}

std::uint64_t fileBytes(const std::string& path) {
    struct stat info {};
    if (path.empty() || ::stat(path.c_str(), &info) != 0 || !S_ISREG(info.st_mode)) {
        return 0;
    }
    return static_cast<std::uint64_t>(info.st_size);
}

std::set<std::string> lockedKeys(sqlite3* connection) {
    std::set<std::string> keys;
    const SqliteStatement statement = prepare(connection, kLockedKeys);  // null: no table yet
    while (statement && sqlite3_step(statement.get()) == SQLITE_ROW) {
        keys.insert(text(statement.get(), 0));
    }
    return keys;
}

}  // namespace

RetentionRules RetentionRules::fromSettings(const SettingsStore& settings) {
    RetentionRules rules;
    rules.maxAgeDays = settings.intOr(setting::kRetentionDays, 0);
    rules.maxGiB = settings.intOr(setting::kRetentionGiB, 0);
    return rules;
}

std::vector<RetentionCandidate> planRetention(const std::string& databaseFile,
                                              const RetentionRules& rules, std::time_t now,
                                              const std::vector<std::string>& protectedFiles) {
    std::vector<RetentionCandidate> plan;
    if (!rules.any()) {
        return plan;
    }
    const SqliteConnection connection = openExisting(databaseFile);
    if (!connection) {
        return plan;
    }
    const std::set<std::string> locked = lockedKeys(connection.get());
    const SqliteStatement calls = prepare(connection.get(), kCallsOldestFirst);
    if (!calls) {
        return plan;
    }
    struct Call {
        RetentionCandidate candidate;
        bool deletable = false;
    };
    std::vector<Call> all;
    std::uint64_t total = 0;
    while (sqlite3_step(calls.get()) == SQLITE_ROW) {
        Call call;
        call.candidate.rowId = sqlite3_column_int64(calls.get(), 0);
        call.candidate.key = text(calls.get(), 1);
        call.candidate.file = text(calls.get(), 2);
        call.candidate.bytes = rules.maxGiB > 0 ? fileBytes(call.candidate.file) : 0;
        call.deletable = locked.count(call.candidate.key) == 0 &&
                         std::find(protectedFiles.begin(), protectedFiles.end(),
                                   call.candidate.file) == protectedFiles.end();
        total += call.candidate.bytes;
        all.push_back(std::move(call));
    }

    std::vector<bool> chosen(all.size(), false);
    if (rules.maxAgeDays > 0) {
        const std::string oldestKept = recordKeyAt(now - rules.maxAgeDays * kDay);
        for (size_t i = 0; i < all.size() && all[i].candidate.key < oldestKept; ++i) {
            if (all[i].deletable) {
                chosen[i] = true;
                total -= all[i].candidate.bytes;
            }
        }
    }
    if (rules.maxGiB > 0) {
        const std::uint64_t limit = static_cast<std::uint64_t>(rules.maxGiB) * kGiB;
        for (size_t i = 0; i < all.size() && total > limit; ++i) {
            if (all[i].deletable && !chosen[i]) {
                chosen[i] = true;
                total -= all[i].candidate.bytes;
            }
        }
    }
    for (size_t i = 0; i < all.size(); ++i) {
        if (chosen[i]) {
            plan.push_back(std::move(all[i].candidate));
        }
    }
    return plan;
}

RetentionResult applyRetention(const std::string& databaseFile,
                               const std::vector<RetentionCandidate>& candidates) {
    RetentionResult result;
    if (candidates.empty()) {
        return result;
    }
    const SqliteConnection connection = openExisting(databaseFile);
    if (!connection) {
        result.databaseFailed = true;
        return result;
    }

    struct Going {
        const RetentionCandidate* call;
        std::string aside;  // empty when the file was gone already
    };
    std::vector<Going> going;
    for (const RetentionCandidate& call : candidates) {
        struct stat info {};
        if (call.file.empty() || (::lstat(call.file.c_str(), &info) != 0 && errno == ENOENT)) {
            going.push_back({&call, {}});
            continue;
        }
        std::string aside = call.file + kAsideSuffix;
        if (::rename(call.file.c_str(), aside.c_str()) != 0) {
            result.failedFiles.push_back(call.file);
            continue;
        }
        going.push_back({&call, std::move(aside)});
    }

    bool committed = exec(connection.get(), "BEGIN IMMEDIATE");
    if (committed) {
        const SqliteStatement remove = prepare(connection.get(), kDeleteRow);
        committed = static_cast<bool>(remove);
        for (const Going& g : going) {
            if (!committed) {
                break;
            }
            sqlite3_reset(remove.get());
            committed = sqlite3_bind_int64(remove.get(), 1, g.call->rowId) == SQLITE_OK &&
                        sqlite3_step(remove.get()) == SQLITE_DONE;
        }
        committed = committed && exec(connection.get(), "COMMIT");
        if (!committed) {
            exec(connection.get(), "ROLLBACK");
        }
    }
    for (const Going& g : going) {
        if (g.aside.empty()) {
            continue;
        }
        if (committed) {
            ::unlink(g.aside.c_str());
        } else {
            ::rename(g.aside.c_str(), g.call->file.c_str());
        }
    }
    if (!committed) {
        result.databaseFailed = true;
        result.failedFiles.clear();
        return result;
    }
    result.deleted = static_cast<int>(going.size());
    return result;
}

bool setRecordLocked(const std::string& databaseFile, const std::string& key, bool locked) {
    const SqliteConnection connection = openExisting(databaseFile);
    if (!connection) {
        return false;
    }
    if (!locked) {
        // Nothing was ever locked when the table is missing: then there is nothing to undo.
        const SqliteStatement probe = prepare(connection.get(), kLockedKeys);
        return !probe || runWithKey(connection.get(), kUnlock, key);
    }
    return exec(connection.get(), kCreateLocks) && runWithKey(connection.get(), kLock, key);
}

std::set<std::string> lockedRecordKeys(const std::string& databaseFile) {
    const SqliteConnection connection = openExisting(databaseFile);
    return connection ? lockedKeys(connection.get()) : std::set<std::string>();
}

std::optional<RecordingActivity> recordingActivity(const std::string& databaseFile, std::time_t now,
                                                   int days) {
    RecordingActivity activity;
    const SqliteConnection connection = openExisting(databaseFile, kGlanceBusyMilliseconds);
    const SqliteStatement newest = prepare(connection.get(), kNewestCall);
    if (!newest || sqlite3_step(newest.get()) != SQLITE_ROW) {
        return std::nullopt;
    }
    activity.newestKey = text(newest.get(), 0);
    const std::string since = recordKeyAt(now - days * kDay);
    const SqliteStatement recent = prepare(connection.get(), kCallsSince);
    if (!recent || sqlite3_bind_text(recent.get(), 1, since.data(), static_cast<int>(since.size()),
                                     nullptr) != SQLITE_OK) {
        return std::nullopt;
    }
    int rc = SQLITE_OK;
    while ((rc = sqlite3_step(recent.get())) == SQLITE_ROW) {
        activity.recentBytes += fileBytes(text(recent.get(), 1));
    }
    if (rc != SQLITE_DONE) {
        return std::nullopt;
    }
    return activity;
}

}  // namespace ambrin
