#include "records/RecordSearch.h"

#include <sqlite3.h>

#include <algorithm>
#include <string_view>

#include "records/RecordDatabase.h"
#include "records/RecordSearchIndex.h"

namespace ambrin {

namespace {

// The columns of CallRecord after the key, as readCallRecordColumns reads them.
constexpr std::string_view kSelectRecords =
    "select Date, Name, CID, Organize, Address, Contents, FileName, ETC1, ETC2, TotalTime, "
    "CallType from RecordInfo where Date >= ?1 and Date <= ?2";
// The rows the search index names (a JSON array of row ids), looked up by row id.
constexpr std::string_view kNamedByIndex = " and rowid in (select value from json_each(?4))";

std::string jsonArray(const std::vector<std::int64_t>& rows) {
    std::string out = "[";
    for (const std::int64_t row : rows) {
        out += std::to_string(row);
        out += ',';
    }
    if (out.size() > 1) {
        out.pop_back();
    }
    return out + "]";
}

void bindText(sqlite3_stmt* statement, int index, const std::string& text) {
    sqlite3_bind_text(statement, index, text.data(), static_cast<int>(text.size()), nullptr);
}

}  // namespace

const std::string* searchableValue(const CallRecord& record, int field) {
    switch (field) {
        case kFieldName:
            return &record.name;
        case kFieldCid:
            return &record.cid;
        case kFieldOrganize:
            return &record.organize;
        case kFieldAddress:
            return &record.address;
        case kFieldContents:
            return &record.contents;
        case kFieldEtc1:
            return &record.etc1;
        case kFieldEtc2:
            return &record.etc2;
        default:
            return nullptr;
    }
}

bool matchesQuery(const RecordQuery& query, const std::string& key, const CallRecord& record) {
    if (key < query.from || key > query.to) {  // std::string compares bytes as unsigned
        return false;
    }
    if (query.text.empty()) {
        return true;
    }
    const std::string* value = searchableValue(record, query.field);
    return value != nullptr && value->find(query.text) != std::string::npos;
}

bool forEachCandidate(sqlite3* connection, const RecordQuery& query, const CandidateVisitor& visit,
                      SearchMethod method) {
    if (connection == nullptr) {
        return false;
    }
    std::string sql(kSelectRecords);
    std::string named;  // by the index
    if (!query.text.empty()) {
        const char* column = RecordSearchIndex::columnOf(query.field);
        if (column == nullptr) {
            return true;  // a text in no searchable field matches nothing
        }
        // instr() finds the text byte for byte, like the exact rule, in UTF-8 texts.
        sql += std::string(" and instr(") + column + ", ?3) > 0";
        if (method == SearchMethod::Fastest) {
            if (const auto rows =
                    RecordSearchIndex::candidateRows(connection, query.field, query.text)) {
                if (rows->empty()) {
                    return true;
                }
                named = jsonArray(*rows);
                sql += kNamedByIndex;
            }
        }
    }
    sql += " order by rowid";  // table order, whichever way the rows are found
    sqlite3_stmt* raw = nullptr;
    if (sqlite3_prepare_v2(connection, sql.c_str(), -1, &raw, nullptr) != SQLITE_OK) {
        sqlite3_finalize(raw);
        return false;
    }
    const SqliteStatement statement(raw);
    bindText(raw, 1, query.from);
    bindText(raw, 2, query.to);
    if (!query.text.empty()) {
        bindText(raw, 3, query.text);
    }
    if (!named.empty()) {
        bindText(raw, 4, named);
    }
    int rc = SQLITE_OK;
    while ((rc = sqlite3_step(raw)) == SQLITE_ROW) {
        const unsigned char* key = sqlite3_column_text(raw, 0);
        std::string keyText;
        if (key != nullptr) {
            keyText.assign(reinterpret_cast<const char*>(key),
                           static_cast<size_t>(sqlite3_column_bytes(raw, 0)));
        }
        visit(std::move(keyText), readCallRecordColumns(raw, 1));
    }
    return rc == SQLITE_DONE;
}

bool searchRecords(const RecordDatabase& database, const RecordQuery& query,
                   std::vector<RecordRow>& rows, SearchMethod method) {
    rows.clear();
    if (query.from > query.to) {
        return true;  // an empty range; the file is not even opened
    }
    const SqliteConnection connection = database.openForReading();
    const auto keep = [&](std::string&& key, CallRecord&& record) {
        if (matchesQuery(query, key, record)) {
            rows.push_back({std::move(key), std::move(record)});
        }
    };
    bool read = forEachCandidate(connection.get(), query, keep, method);
    if (!read && method == SearchMethod::Fastest && connection != nullptr) {
        rows.clear();  // an index found damaged half way answers nothing: every record is read
        read = forEachCandidate(connection.get(), query, keep, SearchMethod::ReadEveryRecord);
    }
    if (!read) {
        rows.clear();
        return false;
    }
    std::stable_sort(rows.begin(), rows.end(),
                     [](const RecordRow& a, const RecordRow& b) { return a.key > b.key; });
    return true;
}

}  // namespace ambrin
