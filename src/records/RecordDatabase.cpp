#include "records/RecordDatabase.h"

#include <sqlite3.h>
#include <sys/stat.h>

#include <initializer_list>
#include <string_view>
#include <thread>
#include <variant>

#include "core/AppContext.h"
#include "core/SettingsStore.h"
#include "platform/Folders.h"
#include "records/RecordLimits.h"

namespace ambrin {

namespace {

constexpr size_t kShort = CallRecord::kShortCapacity;
constexpr size_t kLong = CallRecord::kLongCapacity;

// The schema; the column lists and their order are part of the file format.
constexpr const char* kCreateRecordInfo =
    "CREATE TABLE IF NOT EXISTS RecordInfo (Date varchar(40), Name varchar(40), CID "
    "varchar(40), Organize varchar(40), Address varchar(255), Contents text, FileName "
    "varchar(255), ETC1 varchar(40), ETC2 varchar(40), TotalTime int default 0, CallType int(1) "
    "default 0)";
constexpr const char* kCreateUserInfo =
    "CREATE TABLE IF NOT EXISTS UserInfo (Name varchar(40), CID varchar(40), Organize "
    "varchar(40), Address varchar(255), ETC1 varchar(40), ETC2 varchar(40))";

// Checks the file's structure without reading every row; a single "ok" row when it is sound.
constexpr const char* kQuickCheck = "PRAGMA quick_check";
constexpr std::string_view kQuickCheckPassed = "ok";
constexpr const char* kPageSize = "PRAGMA page_size";

constexpr const char* kInsertCallRecord =
    "insert into RecordInfo (Date, Name, CID, Organize, Address, Contents, FileName,  ETC1, "
    "ETC2, TotalTime, CallType) values (?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?)";
constexpr const char* kInsertCustomer =
    "insert into UserInfo (Name, CID, Organize, Address, ETC1, ETC2) values (?, ?, ?, ?, ?, ?)";
constexpr const char* kFindCallRecord =
    "select Name, CID, Organize, Address, Contents, FileName, ETC1, ETC2, TotalTime, CallType "
    "from RecordInfo where Date = ?";
constexpr const char* kFindCustomer =
    "select CID, Organize, Address, ETC1, ETC2 from userInfo where Name = ?";
constexpr const char* kDeleteCallRecord = "delete from RecordInfo where Date=?";
constexpr const char* kDeleteCustomer = "delete from UserInfo where Name=?";
constexpr const char* kUpdateCallRecord =
    "update RecordInfo set Name= ?, CID=?, Organize=?, Address=?, Contents=?, FileName = ?, "
    "ETC1=?, ETC2=?, TotalTime=?, CallType=? where Date=?";
constexpr const char* kUpdateCustomer =
    "update UserInfo set CID=?, Organize=?, Address=?, ETC1=?, ETC2=? where Name=?";
constexpr const char* kBeginCallRecords =
    "select Date, Name, CID, Organize, Address, Contents, Filename, ETC1, ETC2, TotalTime, "
    "CallType from RecordInfo";
constexpr const char* kBeginCustomers =
    "select Name, CID, Organize, Address, ETC1, ETC2 from userInfo";
constexpr const char* kCustomerExists = "select count(*) from UserInfo where Name=?";

using Value = std::variant<std::string_view, int>;

// Binds the values to the placeholders in order. The texts are bound without a copy
// (destructor null: SQLITE_STATIC), so they must outlive the statement's last step.
bool bindAll(sqlite3_stmt* statement, std::initializer_list<Value> values) {
    int index = 1;
    for (const Value& value : values) {
        int rc = SQLITE_OK;
        if (const auto* text = std::get_if<std::string_view>(&value)) {
            rc = sqlite3_bind_text(statement, index, text->data(), static_cast<int>(text->size()),
                                   nullptr);
        } else {
            rc = sqlite3_bind_int(statement, index, std::get<int>(value));
        }
        if (rc != SQLITE_OK) {
            return false;
        }
        ++index;
    }
    return true;
}

std::string columnText(sqlite3_stmt* statement, int column, size_t capacity) {
    const unsigned char* text = sqlite3_column_text(statement, column);
    if (text == nullptr) {
        return {};
    }
    const auto bytes = static_cast<size_t>(sqlite3_column_bytes(statement, column));
    return limitText(std::string_view(reinterpret_cast<const char*>(text), bytes), capacity);
}

}  // namespace

CallRecord readCallRecordColumns(sqlite3_stmt* statement, int first) {
    CallRecord record;
    record.name = columnText(statement, first, kShort);
    record.cid = columnText(statement, first + 1, kShort);
    record.organize = columnText(statement, first + 2, kShort);
    record.address = columnText(statement, first + 3, kShort);
    record.contents = columnText(statement, first + 4, kLong);
    record.fileName = columnText(statement, first + 5, kShort);
    record.etc1 = columnText(statement, first + 6, kLong);
    record.etc2 = columnText(statement, first + 7, kLong);
    record.totalTime = sqlite3_column_int(statement, first + 8);
    record.callType = sqlite3_column_int(statement, first + 9);
    return record;
}

namespace {

// CID .. ETC2 from `first` on.
CustomerRecord readCustomer(sqlite3_stmt* statement, int first) {
    CustomerRecord customer;
    customer.cid = columnText(statement, first, kShort);
    customer.organize = columnText(statement, first + 1, kShort);
    customer.address = columnText(statement, first + 2, kShort);
    customer.etc1 = columnText(statement, first + 3, kLong);
    customer.etc2 = columnText(statement, first + 4, kLong);
    return customer;
}

struct MessageFree {
    void operator()(char* message) const { sqlite3_free(message); }
};

SqliteStatement prepare(sqlite3* connection, const char* sql) {
    sqlite3_stmt* statement = nullptr;
    if (sqlite3_prepare_v2(connection, sql, -1, &statement, nullptr) != SQLITE_OK) {
        sqlite3_finalize(statement);
        return {};
    }
    return SqliteStatement(statement);
}

// Runs one statement that changes rows; success when it ran to its end (also when no row
// matched).
bool runChange(sqlite3* connection, const char* sql, std::initializer_list<Value> values) {
    if (connection == nullptr) {
        return false;
    }
    const SqliteStatement statement = prepare(connection, sql);
    return statement && bindAll(statement.get(), values) &&
           sqlite3_step(statement.get()) == SQLITE_DONE;
}

// Prepares and binds a query and steps to its first row; null when there is no row.
SqliteStatement firstRow(sqlite3* connection, const char* sql,
                         std::initializer_list<Value> values) {
    if (connection == nullptr) {
        return {};
    }
    SqliteStatement statement = prepare(connection, sql);
    if (!statement || !bindAll(statement.get(), values) ||
        sqlite3_step(statement.get()) != SQLITE_ROW) {
        return {};
    }
    return statement;
}

// The status a failed statement leaves: only what SQLite calls a damaged file is one.
DatabaseStatus failureStatus(int resultCode) {
    const int primary = resultCode & 0xFF;
    return primary == SQLITE_NOTADB || primary == SQLITE_CORRUPT ? DatabaseStatus::Damaged
                                                                 : DatabaseStatus::Unavailable;
}

DatabaseStatus quickCheck(sqlite3* connection) {
    const SqliteStatement statement = prepare(connection, kQuickCheck);
    if (!statement) {
        return failureStatus(sqlite3_errcode(connection));
    }
    bool passed = false;
    int rows = 0;
    int rc = SQLITE_OK;
    while ((rc = sqlite3_step(statement.get())) == SQLITE_ROW) {
        const unsigned char* text = sqlite3_column_text(statement.get(), 0);
        passed = rows == 0 && text != nullptr &&
                 reinterpret_cast<const char*>(text) == kQuickCheckPassed;
        ++rows;
    }
    if (rc != SQLITE_DONE) {
        return failureStatus(rc);
    }
    return passed ? DatabaseStatus::Ready : DatabaseStatus::Damaged;
}

// SQLite only ever writes whole pages, so a file that ends inside a page was cut short; SQLite
// would read the missing end as zeros and the quick check does not look into every record.
// Asked after the quick check, which has rolled back an interrupted transaction by then.
DatabaseStatus wholePages(sqlite3* connection, const std::string& path) {
    const SqliteStatement row = firstRow(connection, kPageSize, {});
    struct stat info {};
    if (!row || ::stat(path.c_str(), &info) != 0) {
        return DatabaseStatus::Unavailable;
    }
    const int pageSize = sqlite3_column_int(row.get(), 0);
    return pageSize > 0 && info.st_size % pageSize == 0 ? DatabaseStatus::Ready
                                                        : DatabaseStatus::Damaged;
}

}  // namespace

void SqliteCloser::operator()(sqlite3* connection) const {
    sqlite3_close(connection);
}

void SqliteCloser::operator()(sqlite3_stmt* statement) const {
    sqlite3_finalize(statement);
}

RecordDatabase::RecordDatabase(const AppContext& context) : m_path(databasePath(context)) {}

RecordDatabase::RecordDatabase(std::string filePath) : m_path(std::move(filePath)) {}

RecordDatabase::~RecordDatabase() {
    EndIteration();
}

std::string fileInInstallFolder(const AppContext& context, const std::string& name) {
    if (context.settings == nullptr) {
        return {};
    }
    std::string folder = context.settings->stringOr(setting::kInstallPath, "");
    if (folder.empty()) {
        return {};
    }
    return writableFolderFor(folder) + name;
}

std::string RecordDatabase::databasePath(const AppContext& context) {
    return fileInInstallFolder(context, kDatabaseFileName);
}

SqliteConnection RecordDatabase::open(bool create) const {
    // An empty name would make SQLite open a private temporary database.
    if (m_path.empty()) {
        return {};
    }
    sqlite3* raw = nullptr;
    const int flags = SQLITE_OPEN_READWRITE | (create ? SQLITE_OPEN_CREATE : 0);
    const int rc = sqlite3_open_v2(m_path.c_str(), &raw, flags, nullptr);
    SqliteConnection connection(raw);  // a failed open still hands out a handle to close
    if (rc != SQLITE_OK) {
        return {};
    }
    sqlite3_busy_handler(raw, &RecordDatabase::retryWhileBusy, &m_busyWait);
    return connection;
}

int RecordDatabase::retryWhileBusy(void* wait, int attempt) {
    auto& busy = *static_cast<BusyWait*>(wait);
    const auto now = std::chrono::steady_clock::now();
    if (attempt == 0) {
        busy.start = now;  // a new wait for a lock
    }
    if (now - busy.start >= busy.timeout) {
        return 0;  // give up: the statement fails with SQLITE_BUSY
    }
    std::this_thread::sleep_for(kBusyRetryInterval);
    return 1;
}

bool RecordDatabase::InitializeDatabase(DatabaseStatus& status) const {
    status = [this] {
        // A file that exists is opened without the right to create: should it vanish in between,
        // no new database takes its place. Only a missing file is created.
        struct stat info {};
        const bool exists = !m_path.empty() && ::stat(m_path.c_str(), &info) == 0;
        const SqliteConnection connection = open(!exists);
        if (!connection) {
            return DatabaseStatus::Unavailable;
        }
        // Checked before anything is written: tables created in a damaged file could overwrite
        // what is left of the records in it.
        DatabaseStatus checked = quickCheck(connection.get());
        if (checked == DatabaseStatus::Ready) {
            checked = wholePages(connection.get(), m_path);
        }
        if (checked != DatabaseStatus::Ready) {
            return checked;
        }
        for (const char* sql : {kCreateRecordInfo, kCreateUserInfo}) {
            char* raw = nullptr;
            const int rc = sqlite3_exec(connection.get(), sql, nullptr, nullptr, &raw);
            const std::unique_ptr<char, MessageFree> message(raw);
            if (rc != SQLITE_OK) {
                return failureStatus(rc);
            }
        }
        return DatabaseStatus::Ready;
    }();
    return status == DatabaseStatus::Ready;
}

bool RecordDatabase::InsertCallRecord(const std::string& key, const CallRecord& record) const {
    CallRecord r = record;
    limitFields(r);
    const std::string k = limitText(key, kKeyCapacity);
    return runChange(open().get(), kInsertCallRecord,
                     {k, r.name, r.cid, r.organize, r.address, r.contents, r.fileName, r.etc1,
                      r.etc2, r.totalTime, r.callType});
}

bool RecordDatabase::InsertCustomer(const std::string& name, const CustomerRecord& customer) const {
    CustomerRecord c = customer;
    limitFields(c);
    const std::string n = limitText(name, kCustomerNameCapacity);
    return runChange(open().get(), kInsertCustomer,
                     {n, c.cid, c.organize, c.address, c.etc1, c.etc2});
}

bool RecordDatabase::FindCallRecord(const std::string& key, CallRecord& out) const {
    const SqliteConnection connection = open();
    const std::string k = limitText(key, kKeyCapacity);
    const SqliteStatement row = firstRow(connection.get(), kFindCallRecord, {k});
    if (!row) {
        return false;
    }
    out = readCallRecordColumns(row.get(), 0);
    return true;
}

bool RecordDatabase::FindCustomer(const std::string& name, CustomerRecord& out) const {
    const SqliteConnection connection = open();
    const std::string n = limitText(name, kCustomerNameCapacity);
    const SqliteStatement row = firstRow(connection.get(), kFindCustomer, {n});
    if (!row) {
        return false;
    }
    out = readCustomer(row.get(), 0);
    return true;
}

bool RecordDatabase::DeleteCallRecord(const std::string& key) const {
    const std::string k = limitText(key, kKeyCapacity);
    return runChange(open().get(), kDeleteCallRecord, {k});
}

bool RecordDatabase::DeleteCustomer(const std::string& name) const {
    const std::string n = limitText(name, kCustomerNameCapacity);
    return runChange(open().get(), kDeleteCustomer, {n});
}

bool RecordDatabase::UpdateCallRecord(const std::string& key, const CallRecord& record) const {
    CallRecord r = record;
    limitFields(r);
    const std::string k = limitText(key, kKeyCapacity);
    return runChange(open().get(), kUpdateCallRecord,
                     {r.name, r.cid, r.organize, r.address, r.contents, r.fileName, r.etc1, r.etc2,
                      r.totalTime, r.callType, k});
}

bool RecordDatabase::UpdateCustomer(const std::string& name, const CustomerRecord& customer) const {
    CustomerRecord c = customer;
    limitFields(c);
    const std::string n = limitText(name, kCustomerNameCapacity);
    return runChange(open().get(), kUpdateCustomer,
                     {c.cid, c.organize, c.address, c.etc1, c.etc2, n});
}

bool RecordDatabase::CustomerExists(const std::string& name) const {
    const SqliteConnection connection = open();
    const std::string n = limitText(name, kCustomerNameCapacity);
    const SqliteStatement row = firstRow(connection.get(), kCustomerExists, {n});
    return row && sqlite3_column_int(row.get(), 0) > 0;
}

bool RecordDatabase::beginIteration(const char* sql) {
    EndIteration();
    SqliteConnection connection = open();
    if (!connection) {
        return false;
    }
    SqliteStatement statement = prepare(connection.get(), sql);
    if (!statement) {
        return false;
    }
    m_iterationConnection = std::move(connection);
    m_iterationStatement = std::move(statement);
    return true;
}

bool RecordDatabase::BeginCallRecords() {
    return beginIteration(kBeginCallRecords);
}

bool RecordDatabase::BeginCustomers() {
    return beginIteration(kBeginCustomers);
}

bool RecordDatabase::stepIteration() {
    if (!m_iterationStatement) {
        return false;
    }
    if (sqlite3_step(m_iterationStatement.get()) != SQLITE_ROW) {
        // Stepping a finished statement again would start it over from the first row.
        m_iterationStatement.reset();
        return false;
    }
    return true;
}

bool RecordDatabase::NextCallRecord(std::string& key, CallRecord& out) {
    if (!stepIteration()) {
        return false;
    }
    key = columnText(m_iterationStatement.get(), 0, kKeyCapacity);
    out = readCallRecordColumns(m_iterationStatement.get(), 1);
    return true;
}

bool RecordDatabase::NextCustomer(std::string& name, CustomerRecord& out) {
    if (!stepIteration()) {
        return false;
    }
    name = columnText(m_iterationStatement.get(), 0, kCustomerNameCapacity);
    out = readCustomer(m_iterationStatement.get(), 1);
    return true;
}

void RecordDatabase::EndIteration() {
    m_iterationStatement.reset();  // before its connection closes
    m_iterationConnection.reset();
}

}  // namespace ambrin
