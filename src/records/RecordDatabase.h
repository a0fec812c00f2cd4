#pragma once

#include <chrono>
#include <memory>
#include <string>

#include "core/CallRecord.h"

struct sqlite3;
struct sqlite3_stmt;

namespace ambrin {

class AppContext;

// Closes SQLite handles: for std::unique_ptr<sqlite3, SqliteCloser> and
// std::unique_ptr<sqlite3_stmt, SqliteCloser>.
struct SqliteCloser {
    void operator()(sqlite3* connection) const;
    void operator()(sqlite3_stmt* statement) const;
};
using SqliteConnection = std::unique_ptr<sqlite3, SqliteCloser>;
using SqliteStatement = std::unique_ptr<sqlite3_stmt, SqliteCloser>;

// Name .. CallType (the columns of CallRecord in the order of the select statements) from
// column `first` on of the statement's current row, cut to the record capacities.
CallRecord readCallRecordColumns(sqlite3_stmt* statement, int first);

// The database file, in the installation folder.
inline constexpr const char* kDatabaseFileName = "Ambrin.od2";

// `name` in the "InstallPath" folder of the context's settings, or in the user's data folder
// when that folder is not writable (see writableFolderFor); empty when there are no settings
// or no "InstallPath".
std::string fileInInstallFolder(const AppContext& context, const std::string& name);

// What initializing the database file found.
enum class DatabaseStatus {
    Ready,        // the tables are there
    Unavailable,  // no path, or the file cannot be opened, read or written (locked, no permission)
    Damaged,      // not an SQLite database, fails SQLite's quick check, or ends inside a page
};

// How long an operation waits for a file locked by another connection (another thread or
// process storing at the same moment) before it fails.
inline constexpr std::chrono::milliseconds kDefaultBusyTimeout{10000};
// How often a waiting operation tries the lock again. Short, so that a waiting writer gets its
// turn between the commits of busy ones; SQLite's own waits grow to 100 ms, and a writer
// could then miss every free moment for longer than the time-out.
inline constexpr std::chrono::milliseconds kBusyRetryInterval{1};

// Access to the call records (table RecordInfo, keyed by Date by convention) and the
// customer directory (table UserInfo, keyed by Name by convention). Neither table has a
// key constraint: several rows may share a key; finds take the first, updates and deletes
// act on all of them.
//
// Make one for an operation and drop it afterwards. Every operation opens the file, runs its
// statement and closes it again, so no connection is shared between threads or kept between
// operations; SQLite's file locking orders the writers of all threads and processes. One
// object belongs to one thread at a time. Values are always bound, never put into the
// statement text, and texts are cut to the record capacities (see CallRecord) on the way in
// and out. Failures are reported as false only; nothing is shown.
class RecordDatabase {
  public:
    // The file "Ambrin.od2" in the "InstallPath" folder of the context's settings.
    explicit RecordDatabase(const AppContext& context);
    // Any database file (benchmarks, tools).
    explicit RecordDatabase(std::string filePath);
    ~RecordDatabase();  // ends an iteration still open
    RecordDatabase(const RecordDatabase&) = delete;
    RecordDatabase& operator=(const RecordDatabase&) = delete;

    // InstallPath + "Ambrin.od2"; empty when there are no settings or no "InstallPath".
    static std::string databasePath(const AppContext& context);
    const std::string& filePath() const { return m_path; }

    // A connection of its own for a reader that runs its own statements (the record search);
    // null when the file cannot be opened. Never creates the file.
    SqliteConnection openForReading() const { return open(false); }

    // For the operations started after this call.
    void setBusyTimeout(std::chrono::milliseconds timeout) { m_busyWait.timeout = timeout; }

    // Creates both tables when missing (RecordInfo first); an existing file is not changed.
    // An existing file is opened without the right to create and checked first ("PRAGMA
    // quick_check", and that it holds whole pages): a damaged one is reported and nothing is
    // written to it. An empty file is a new database, as SQLite sees it. True when it is
    // ready; `status` says why not.
    bool InitializeDatabase(DatabaseStatus& status) const;
    bool InitializeDatabase() const {
        DatabaseStatus status = DatabaseStatus::Ready;
        return InitializeDatabase(status);
    }

    bool InsertCallRecord(const std::string& key, const CallRecord& record) const;
    bool InsertCustomer(const std::string& name, const CustomerRecord& customer) const;
    // The first row of that key or name; false when there is none. `out` is changed only on
    // success.
    bool FindCallRecord(const std::string& key, CallRecord& out) const;
    bool FindCustomer(const std::string& name, CustomerRecord& out) const;
    // A key or name without rows succeeds without effect.
    bool DeleteCallRecord(const std::string& key) const;
    bool DeleteCustomer(const std::string& name) const;
    bool UpdateCallRecord(const std::string& key, const CallRecord& record) const;
    bool UpdateCustomer(const std::string& name, const CustomerRecord& customer) const;
    // False also when the file cannot be read.
    bool CustomerExists(const std::string& name) const;

    // Iteration in table order (no sorting). Begin keeps a connection and a statement open
    // (and with it a read lock on the file, which makes writers of other connections wait)
    // until EndIteration; Next gives false after the last row. A new Begin ends an
    // iteration still open.
    bool BeginCallRecords();
    bool BeginCustomers();
    bool NextCallRecord(std::string& key, CallRecord& out);
    bool NextCustomer(std::string& name, CustomerRecord& out);
    void EndIteration();

  private:
    // A connection with the busy timeout set; null when the file cannot be opened. SQLite
    // creates a missing file only when `create` is set.
    SqliteConnection open(bool create = true) const;
    bool beginIteration(const char* sql);
    bool stepIteration();

    // What the busy handler of this object's connections needs; one wait at a time, since
    // the object is used by one thread at a time.
    struct BusyWait {
        std::chrono::milliseconds timeout = kDefaultBusyTimeout;
        std::chrono::steady_clock::time_point start;
    };
    static int retryWhileBusy(void* wait, int attempt);

    std::string m_path;
    mutable BusyWait m_busyWait;
    // The open iteration; the statement is declared last so that it is finalized first.
    SqliteConnection m_iterationConnection;
    SqliteStatement m_iterationStatement;
};

}  // namespace ambrin
