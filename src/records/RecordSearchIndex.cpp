#include "records/RecordSearchIndex.h"

#include <sqlite3.h>

#include <memory>

namespace ambrin {

namespace {

struct Closer {
    void operator()(sqlite3* connection) const { sqlite3_close_v2(connection); }
    void operator()(sqlite3_stmt* statement) const { sqlite3_finalize(statement); }
};
using Connection = std::unique_ptr<sqlite3, Closer>;
using Statement = std::unique_ptr<sqlite3_stmt, Closer>;

constexpr const char* kColumns[] = {"Name",     "CID",  "Organize", "Address",
                                    "Contents", "ETC1", "ETC2"};
constexpr int kFirstField = 3;
constexpr std::int64_t kBatchRows = 20000;

// The index reads its texts from RecordInfo (external content), so it holds no second copy.
constexpr const char* kCreate =
    "CREATE VIRTUAL TABLE RecordSearch USING fts5(Name, CID, Organize, Address, Contents, "
    "ETC1, ETC2, content='RecordInfo', content_rowid='rowid', "
    "tokenize='trigram case_sensitive 1')";
constexpr const char* kTriggers =
    "CREATE TRIGGER RecordSearchInsert AFTER INSERT ON RecordInfo BEGIN "
    "INSERT INTO RecordSearch(rowid, Name, CID, Organize, Address, Contents, ETC1, ETC2) "
    "VALUES (new.rowid, new.Name, new.CID, new.Organize, new.Address, new.Contents, new.ETC1, "
    "new.ETC2); END;"
    "CREATE TRIGGER RecordSearchDelete AFTER DELETE ON RecordInfo BEGIN "
    "INSERT INTO RecordSearch(RecordSearch, rowid, Name, CID, Organize, Address, Contents, "
    "ETC1, ETC2) VALUES ('delete', old.rowid, old.Name, old.CID, old.Organize, old.Address, "
    "old.Contents, old.ETC1, old.ETC2); END;"
    "CREATE TRIGGER RecordSearchUpdate AFTER UPDATE ON RecordInfo BEGIN "
    "INSERT INTO RecordSearch(RecordSearch, rowid, Name, CID, Organize, Address, Contents, "
    "ETC1, ETC2) VALUES ('delete', old.rowid, old.Name, old.CID, old.Organize, old.Address, "
    "old.Contents, old.ETC1, old.ETC2); "
    "INSERT INTO RecordSearch(rowid, Name, CID, Organize, Address, Contents, ETC1, ETC2) "
    "VALUES (new.rowid, new.Name, new.CID, new.Organize, new.Address, new.Contents, new.ETC1, "
    "new.ETC2); END;";
// Everything the index consists of, dropped before it is built again. A damaged table may
// refuse DROP TABLE; its shadow tables then go one by one.
constexpr const char* kDropTriggers =
    "DROP TRIGGER IF EXISTS RecordSearchInsert; DROP TRIGGER IF EXISTS RecordSearchDelete; "
    "DROP TRIGGER IF EXISTS RecordSearchUpdate;";
constexpr const char* kDropShadows =
    "DROP TABLE IF EXISTS RecordSearch_data; DROP TABLE IF EXISTS RecordSearch_idx; "
    "DROP TABLE IF EXISTS RecordSearch_docsize; DROP TABLE IF EXISTS RecordSearch_config; "
    "DROP TABLE IF EXISTS RecordSearch_content;";
constexpr const char* kFill =
    "INSERT INTO RecordSearch(rowid, Name, CID, Organize, Address, Contents, ETC1, ETC2) "
    "SELECT rowid, Name, CID, Organize, Address, Contents, ETC1, ETC2 FROM RecordInfo "
    "WHERE rowid BETWEEN ?1 AND ?2";
// With rank 1 the check also compares the index with RecordInfo's rows.
constexpr const char* kCheck =
    "INSERT INTO RecordSearch(RecordSearch, rank) VALUES ('integrity-check', 1)";

Connection openFile(const std::string& path) {
    if (path.empty()) {
        return {};
    }
    sqlite3* raw = nullptr;
    const int rc = sqlite3_open_v2(path.c_str(), &raw, SQLITE_OPEN_READWRITE, nullptr);
    Connection connection(raw);
    if (rc != SQLITE_OK) {
        return {};
    }
    sqlite3_busy_timeout(raw, 5000);
    return connection;
}

bool run(sqlite3* db, const char* sql) {
    return sqlite3_exec(db, sql, nullptr, nullptr, nullptr) == SQLITE_OK;
}

Statement compile(sqlite3* db, const char* sql) {
    sqlite3_stmt* raw = nullptr;
    sqlite3_prepare_v2(db, sql, -1, &raw, nullptr);
    return Statement(raw);
}

std::int64_t single(sqlite3* db, const char* sql) {
    const Statement statement = compile(db, sql);
    if (!statement || sqlite3_step(statement.get()) != SQLITE_ROW) {
        return -1;
    }
    return sqlite3_column_int64(statement.get(), 0);
}

// The index and its three triggers are all there.
bool complete(sqlite3* db) {
    return single(db,
                  "SELECT count(*) FROM sqlite_master WHERE name IN ('RecordSearch', "
                  "'RecordSearchInsert', 'RecordSearchDelete', 'RecordSearchUpdate')") == 4;
}

bool build(sqlite3* db, const RecordSearchIndex::Progress& progress) {
    if (!run(db, "BEGIN IMMEDIATE")) {
        return false;
    }
    bool ok = run(db, kDropTriggers);
    if (ok && !run(db, "DROP TABLE IF EXISTS RecordSearch")) {
        ok = run(db, kDropShadows);
        if (ok) {
            // The table's own row outlives its shadow tables; it is nothing but a name now.
            run(db, "PRAGMA writable_schema = ON");
            ok = run(db, "DELETE FROM sqlite_master WHERE name = 'RecordSearch'");
            run(db, "PRAGMA writable_schema = OFF");
        }
    }
    ok = ok && run(db, kCreate) && run(db, kTriggers);
    const std::int64_t total = ok ? single(db, "SELECT count(*) FROM RecordInfo") : -1;
    const std::int64_t first = single(db, "SELECT ifnull(min(rowid), 0) FROM RecordInfo");
    const std::int64_t last = single(db, "SELECT ifnull(max(rowid), -1) FROM RecordInfo");
    ok = ok && total >= 0;
    const Statement fill = ok ? compile(db, kFill) : nullptr;
    ok = ok && fill != nullptr;
    std::int64_t done = 0;
    for (std::int64_t from = first; ok && from <= last; from += kBatchRows) {
        sqlite3_bind_int64(fill.get(), 1, from);
        sqlite3_bind_int64(fill.get(), 2, from + kBatchRows - 1);
        ok = sqlite3_step(fill.get()) == SQLITE_DONE;
        done += sqlite3_changes(db);
        sqlite3_reset(fill.get());
        if (ok && progress) {
            progress(done, total);
        }
    }
    if (!ok || !run(db, "COMMIT")) {
        run(db, "ROLLBACK");
        return false;
    }
    return true;
}

// An FTS5 phrase: the text in double quotes, its own quotes doubled.
std::string phrase(const std::string& text) {
    std::string quoted = "\"";
    for (const char c : text) {
        quoted += c;
        if (c == '"') {
            quoted += '"';
        }
    }
    return quoted + "\"";
}

std::size_t characters(const std::string& text) {
    std::size_t count = 0;
    for (const char c : text) {
        count += (static_cast<unsigned char>(c) & 0xC0) != 0x80 ? 1 : 0;
    }
    return count;
}

}  // namespace

RecordSearchIndex::RecordSearchIndex(std::string databasePath) : m_path(std::move(databasePath)) {}

bool RecordSearchIndex::prepare(const Progress& progress) const {
    const Connection connection = openFile(m_path);
    if (!connection) {
        return false;
    }
    sqlite3* db = connection.get();
    if (complete(db) && run(db, kCheck)) {
        return true;
    }
    return build(db, progress);
}

bool RecordSearchIndex::covers(const std::string& text) {
    return characters(text) >= 3;
}

const char* RecordSearchIndex::columnOf(int field) {
    const int at = field - kFirstField;
    return at >= 0 && at < static_cast<int>(std::size(kColumns)) ? kColumns[at] : nullptr;
}

std::optional<std::vector<std::int64_t>> RecordSearchIndex::candidates(
    int field, const std::string& text) const {
    const char* column = columnOf(field);
    if (column == nullptr || !covers(text)) {
        return std::nullopt;
    }
    const Connection connection = openFile(m_path);
    if (!connection || !complete(connection.get())) {
        return std::nullopt;
    }
    const Statement query =
        compile(connection.get(),
                "SELECT rowid FROM RecordSearch WHERE RecordSearch MATCH ?1 ORDER BY rowid");
    if (!query) {
        return std::nullopt;
    }
    const std::string match = std::string(column) + " : " + phrase(text);
    sqlite3_bind_text(query.get(), 1, match.data(), static_cast<int>(match.size()),
                      SQLITE_TRANSIENT);
    std::vector<std::int64_t> rows;
    int rc = SQLITE_ROW;
    while ((rc = sqlite3_step(query.get())) == SQLITE_ROW) {
        rows.push_back(sqlite3_column_int64(query.get(), 0));
    }
    if (rc != SQLITE_DONE) {
        return std::nullopt;  // a damaged index answers nothing rather than something wrong
    }
    return rows;
}

}  // namespace ambrin
