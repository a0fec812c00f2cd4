#include "records/RecordSearchIndex.h"

#include <sqlite3.h>

#include <algorithm>
#include <atomic>
#include <memory>

#include "platform/TextHelpers.h"

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
// Records indexed in one transaction: short enough that a call stored meanwhile waits a
// fraction of a second at most.
constexpr std::int64_t kBatchRows = 4000;

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
    "DROP TRIGGER IF EXISTS RecordSearchUpdate; DROP TRIGGER IF EXISTS RecordSearchBuildInsert; "
    "DROP TRIGGER IF EXISTS RecordSearchBuildDelete; DROP TRIGGER IF EXISTS "
    "RecordSearchBuildUpdate; DROP TABLE IF EXISTS AmbrinSearchBuild;";
// While the records there before are indexed, batch by batch in row-id order, the records
// written meanwhile are kept in step by triggers of their own: a row the filling has passed
// (row id up to `filled`) or will never reach (past `last`) is the triggers'; any other is
// indexed by the filling as it is when reached. Until the filling ends and puts the lasting
// triggers in their place, the index is not complete and searches read every record.
constexpr const char* kBuildTable =
    "CREATE TABLE AmbrinSearchBuild (filled INTEGER, last INTEGER); "
    "INSERT INTO AmbrinSearchBuild SELECT ifnull(min(rowid), 1) - 1, ifnull(max(rowid), 0) "
    "FROM RecordInfo;";
constexpr const char* kBuildTriggers =
    "CREATE TRIGGER RecordSearchBuildInsert AFTER INSERT ON RecordInfo WHEN "
    "new.rowid <= (SELECT filled FROM AmbrinSearchBuild) OR "
    "new.rowid > (SELECT last FROM AmbrinSearchBuild) BEGIN "
    "INSERT INTO RecordSearch(rowid, Name, CID, Organize, Address, Contents, ETC1, ETC2) "
    "VALUES (new.rowid, new.Name, new.CID, new.Organize, new.Address, new.Contents, new.ETC1, "
    "new.ETC2); END;"
    "CREATE TRIGGER RecordSearchBuildDelete AFTER DELETE ON RecordInfo WHEN "
    "old.rowid <= (SELECT filled FROM AmbrinSearchBuild) OR "
    "old.rowid > (SELECT last FROM AmbrinSearchBuild) BEGIN "
    "INSERT INTO RecordSearch(RecordSearch, rowid, Name, CID, Organize, Address, Contents, "
    "ETC1, ETC2) VALUES ('delete', old.rowid, old.Name, old.CID, old.Organize, old.Address, "
    "old.Contents, old.ETC1, old.ETC2); END;"
    "CREATE TRIGGER RecordSearchBuildUpdate AFTER UPDATE ON RecordInfo BEGIN "
    "INSERT INTO RecordSearch(RecordSearch, rowid, Name, CID, Organize, Address, Contents, "
    "ETC1, ETC2) SELECT 'delete', old.rowid, old.Name, old.CID, old.Organize, old.Address, "
    "old.Contents, old.ETC1, old.ETC2 WHERE "
    "old.rowid <= (SELECT filled FROM AmbrinSearchBuild) OR "
    "old.rowid > (SELECT last FROM AmbrinSearchBuild); "
    "INSERT INTO RecordSearch(rowid, Name, CID, Organize, Address, Contents, ETC1, ETC2) "
    "SELECT new.rowid, new.Name, new.CID, new.Organize, new.Address, new.Contents, new.ETC1, "
    "new.ETC2 WHERE new.rowid <= (SELECT filled FROM AmbrinSearchBuild) OR "
    "new.rowid > (SELECT last FROM AmbrinSearchBuild); END;";
constexpr const char* kDropShadows =
    "DROP TABLE IF EXISTS RecordSearch_data; DROP TABLE IF EXISTS RecordSearch_idx; "
    "DROP TABLE IF EXISTS RecordSearch_docsize; DROP TABLE IF EXISTS RecordSearch_config; "
    "DROP TABLE IF EXISTS RecordSearch_content;";
constexpr const char* kFill =
    "INSERT INTO RecordSearch(rowid, Name, CID, Organize, Address, Contents, ETC1, ETC2) "
    "SELECT rowid, Name, CID, Organize, Address, Contents, ETC1, ETC2 FROM RecordInfo "
    "WHERE rowid > ?1 AND rowid <= ?2";
constexpr const char* kFilled = "UPDATE AmbrinSearchBuild SET filled = ?1";
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

Statement compile(sqlite3* db, const std::string& sql) {
    sqlite3_stmt* raw = nullptr;
    sqlite3_prepare_v2(db, sql.c_str(), -1, &raw, nullptr);
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

// Drops whatever there is of the index, in one transaction.
bool dropIndex(sqlite3* db) {
    if (!run(db, "BEGIN IMMEDIATE")) {
        return false;
    }
    bool ok = run(db, kDropTriggers);
    if (ok && !run(db, "DROP TABLE IF EXISTS RecordSearch")) {
        ok = run(db, kDropShadows);
        if (ok) {
            // The table's own row outlives its shadow tables; it is nothing but a name now.
            // The connection still knows the table: only a new one sees it gone.
            run(db, "PRAGMA writable_schema = ON");
            ok = run(db, "DELETE FROM sqlite_master WHERE name = 'RecordSearch'");
            run(db, "PRAGMA writable_schema = OFF");
        }
    }
    if (!ok || !run(db, "COMMIT")) {
        run(db, "ROLLBACK");
        return false;
    }
    return true;
}

// Sets up an empty index with the triggers of its filling, in one transaction.
bool setUp(sqlite3* db) {
    if (!run(db, "BEGIN IMMEDIATE")) {
        return false;
    }
    if (!run(db, kCreate) || !run(db, kBuildTable) || !run(db, kBuildTriggers) ||
        !run(db, "COMMIT")) {
        run(db, "ROLLBACK");
        return false;
    }
    return true;
}

bool filling(sqlite3* db) {
    return single(db, "SELECT count(*) FROM sqlite_master WHERE name = 'AmbrinSearchBuild'") == 1;
}

// One batch in a transaction of its own; the records it indexed, -1 on failure.
std::int64_t fillBatch(sqlite3* db, sqlite3_stmt* fill, sqlite3_stmt* filled, std::int64_t from,
                       std::int64_t to) {
    if (!run(db, "BEGIN IMMEDIATE")) {
        return -1;
    }
    sqlite3_bind_int64(fill, 1, from);
    sqlite3_bind_int64(fill, 2, to);
    bool ok = sqlite3_step(fill) == SQLITE_DONE;
    const std::int64_t indexed = sqlite3_changes(db);
    sqlite3_reset(fill);
    sqlite3_bind_int64(filled, 1, to);
    ok = ok && sqlite3_step(filled) == SQLITE_DONE;
    sqlite3_reset(filled);
    if (!ok || !run(db, "COMMIT")) {
        run(db, "ROLLBACK");
        return -1;
    }
    return indexed;
}

// An FTS5 string: the text in double quotes, its own quotes doubled.
std::string quoted(const std::string& text) {
    std::string out = "\"";
    for (const char c : text) {
        out += c;
        if (c == '"') {
            out += '"';
        }
    }
    return out + "\"";
}

// The text's characters (UTF-8 sequences, by their lead bytes).
std::vector<std::string> characters(const std::string& text) {
    std::vector<std::string> out;
    for (const char c : text) {
        if ((static_cast<unsigned char>(c) & 0xC0) != 0x80 || out.empty()) {
            out.emplace_back();
        }
        out.back() += c;
    }
    return out;
}

// UTF-8 without a zero: the tokenizer reads such a text character by character, the same way
// inside a value as on its own (it stops at a zero, and folds a malformed sequence into the
// bytes after it).
bool wellFormed(const std::string& text) {
    return text.find('\0') == std::string::npos && isWellFormedUtf8(text);
}

// The index is there with its triggers, and no record lies past its last entry: records
// written while the triggers were gone would be missing from it. (Entries of records deleted
// meanwhile only name rows that are no longer there.) The last record's row id, about the
// number of records, when it is; -1 when not.
std::int64_t lastRowInStep(sqlite3* db) {
    if (!complete(db)) {
        return -1;
    }
    const std::int64_t last = single(db, "SELECT ifnull(max(rowid), 0) FROM RecordInfo");
    return last == single(db, "SELECT ifnull(max(id), 0) FROM RecordSearch_docsize") ? last : -1;
}

// Every record holding the text holds each of its trigrams, so each trigram's list of records
// narrows, the rarest most. The lists are walked side by side, in row-id order, until the
// first one ends: that is the rarest, found at the cost of one step per trigram for each of
// its records, and the parts of the other lists walked so far narrow it further. Up to this
// many trigrams, spread over the text, are walked, for up to kCommon records each.
constexpr std::size_t kTriedTrigrams = 12;
constexpr std::int64_t kCommon = 4096;
// When every list is longer, the index is asked for the records holding the three whose
// walked parts reached farthest (the sparsest). Reading a record it names costs about as much
// as reading this many records in table order, so beyond a share of 1 in kLookupCost of them,
// reading every record is quicker.
constexpr std::int64_t kLookupCost = 16;
constexpr std::size_t kSparsest = 3;

using Rows = std::vector<std::int64_t>;

// The rows holding every one of `trigrams` (column : "a" AND "b" ...), up to `limit`; nothing
// when there are more or the index fails.
std::optional<Rows> rowsHoldingAll(sqlite3* db, const std::string& column,
                                   const std::vector<std::string>& trigrams, std::int64_t limit) {
    std::string match = column + " : (";
    for (std::size_t i = 0; i < trigrams.size(); ++i) {
        match += (i > 0 ? " AND " : "") + quoted(trigrams[i]);
    }
    match += ")";
    const Statement query =
        compile(db, "SELECT rowid FROM RecordSearch WHERE RecordSearch MATCH ?1 ORDER BY rowid");
    if (!query) {
        return std::nullopt;
    }
    sqlite3_bind_text(query.get(), 1, match.data(), static_cast<int>(match.size()),
                      SQLITE_TRANSIENT);
    Rows rows;
    int rc = SQLITE_ROW;
    while ((rc = sqlite3_step(query.get())) == SQLITE_ROW) {
        if (static_cast<std::int64_t>(rows.size()) >= limit) {
            return std::nullopt;
        }
        rows.push_back(sqlite3_column_int64(query.get(), 0));
    }
    return rc == SQLITE_DONE ? std::optional<Rows>(std::move(rows)) : std::nullopt;
}

std::optional<Rows> narrow(sqlite3* db, const std::string& column,
                           const std::vector<std::string>& trigrams, std::int64_t records) {
    std::vector<Statement> lists;
    for (const std::string& trigram : trigrams) {
        Statement list = compile(
            db, "SELECT rowid FROM RecordSearch WHERE RecordSearch MATCH ?1 ORDER BY rowid");
        if (!list) {
            return std::nullopt;
        }
        const std::string match = column + " : " + quoted(trigram);
        sqlite3_bind_text(list.get(), 1, match.data(), static_cast<int>(match.size()),
                          SQLITE_TRANSIENT);
        lists.push_back(std::move(list));
    }
    std::vector<Rows> walked(lists.size());
    for (std::int64_t step = 0; step < kCommon; ++step) {
        for (std::size_t i = 0; i < lists.size(); ++i) {
            const int rc = sqlite3_step(lists[i].get());
            if (rc == SQLITE_ROW) {
                walked[i].push_back(sqlite3_column_int64(lists[i].get(), 0));
                continue;
            }
            if (rc != SQLITE_DONE) {
                return std::nullopt;  // a damaged index answers nothing rather than something wrong
            }
            // List i is whole: its rows, less those another list's walked part rules out.
            Rows rows;
            for (const std::int64_t row : walked[i]) {
                bool inAll = true;
                for (std::size_t j = 0; j < walked.size() && inAll; ++j) {
                    inAll = j == i || walked[j].empty() || row > walked[j].back() ||
                            std::binary_search(walked[j].begin(), walked[j].end(), row);
                }
                if (inAll) {
                    rows.push_back(row);
                }
            }
            return rows;
        }
    }
    std::vector<std::size_t> order(trigrams.size());
    for (std::size_t i = 0; i < order.size(); ++i) {
        order[i] = i;
    }
    std::sort(order.begin(), order.end(),
              [&](std::size_t a, std::size_t b) { return walked[a].back() > walked[b].back(); });
    std::vector<std::string> sparsest;
    for (std::size_t i = 0; i < order.size() && i < kSparsest; ++i) {
        sparsest.push_back(trigrams[order[i]]);
    }
    return rowsHoldingAll(db, column, sparsest, std::max(kCommon, records / kLookupCost));
}

}  // namespace

RecordSearchIndex::RecordSearchIndex(std::string databasePath) : m_path(std::move(databasePath)) {}

bool RecordSearchIndex::prepare(const Progress& progress) const {
    return begin() && fill(progress);
}

bool RecordSearchIndex::begin() const {
    const Connection connection = openFile(m_path);
    if (!connection) {
        return false;
    }
    sqlite3* db = connection.get();
    if (complete(db) && !filling(db) && run(db, kCheck)) {
        return true;
    }
    if (!dropIndex(db)) {
        // Whatever is left of it, its triggers must not stop calls being stored.
        run(db, kDropTriggers);
        return false;
    }
    const Connection fresh = openFile(m_path);
    return fresh && setUp(fresh.get());
}

bool RecordSearchIndex::fill(const Progress& progress, const std::atomic<bool>* stop) const {
    const Connection connection = openFile(m_path);
    if (!connection) {
        return false;
    }
    sqlite3* db = connection.get();
    if (!filling(db)) {
        return complete(db);  // nothing to fill
    }
    std::int64_t from = single(db, "SELECT filled FROM AmbrinSearchBuild");
    const std::int64_t last = single(db, "SELECT last FROM AmbrinSearchBuild");
    const Statement count =
        compile(db, "SELECT count(*) FROM RecordInfo WHERE rowid > ?1 AND rowid <= ?2");
    const Statement fill = compile(db, kFill);
    const Statement filled = compile(db, kFilled);
    if (!count || !fill || !filled) {
        return false;
    }
    sqlite3_bind_int64(count.get(), 1, from);
    sqlite3_bind_int64(count.get(), 2, last);
    const std::int64_t total =
        sqlite3_step(count.get()) == SQLITE_ROW ? sqlite3_column_int64(count.get(), 0) : 0;
    sqlite3_reset(count.get());
    std::int64_t done = 0;
    while (from < last) {
        if (stop != nullptr && stop->load()) {
            return false;  // the next start begins again
        }
        const std::int64_t to = std::min(last, from + kBatchRows);
        const std::int64_t indexed = fillBatch(db, fill.get(), filled.get(), from, to);
        if (indexed < 0) {
            return false;
        }
        done += indexed;
        from = to;
        if (progress) {
            progress(std::min(done, total), total);
        }
    }
    // The lasting triggers take over in the same moment as the filling's go.
    if (!run(db, "BEGIN IMMEDIATE")) {
        return false;
    }
    if (!run(db, kDropTriggers) || !run(db, kTriggers) || !run(db, "COMMIT")) {
        run(db, "ROLLBACK");
        return false;
    }
    return true;
}

bool RecordSearchIndex::covers(const std::string& text) {
    return wellFormed(text) && characters(text).size() >= 3;
}

const char* RecordSearchIndex::columnOf(int field) {
    const int at = field - kFirstField;
    return at >= 0 && at < static_cast<int>(std::size(kColumns)) ? kColumns[at] : nullptr;
}

std::optional<std::vector<std::int64_t>> RecordSearchIndex::candidateRows(sqlite3* db, int field,
                                                                          const std::string& text) {
    const char* column = columnOf(field);
    if (db == nullptr || column == nullptr || !covers(text)) {
        return std::nullopt;
    }
    const std::int64_t records = lastRowInStep(db);
    if (records < 0) {
        return std::nullopt;
    }
    const std::vector<std::string> letters = characters(text);
    std::vector<std::string> trigrams;
    const std::size_t all = letters.size() - 2;
    const std::size_t tried = std::min(all, kTriedTrigrams);
    for (std::size_t i = 0; i < tried; ++i) {
        const std::size_t at = tried > 1 ? i * (all - 1) / (tried - 1) : 0;
        std::string trigram = letters[at] + letters[at + 1] + letters[at + 2];
        if (std::find(trigrams.begin(), trigrams.end(), trigram) == trigrams.end()) {
            trigrams.push_back(std::move(trigram));
        }
    }
    return narrow(db, column, trigrams, records);
}

std::optional<std::vector<std::int64_t>> RecordSearchIndex::candidates(
    int field, const std::string& text) const {
    const Connection connection = openFile(m_path);
    return candidateRows(connection.get(), field, text);
}

}  // namespace ambrin
