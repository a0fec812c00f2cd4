#pragma once

#include <functional>
#include <string>
#include <vector>

#include "core/CallRecord.h"
#include "records/RecordFields.h"

struct sqlite3;

namespace ambrin {

class RecordDatabase;

// What the record list looks for: the records whose key lies from `from` to `to`
// (inclusive, compared byte by byte) and, unless `text` is empty, whose value of `field`
// (Name .. ETC2) holds `text` as a case-sensitive substring. With a text and any other field
// nothing matches.
struct RecordQuery {
    std::string from;
    std::string to;
    int field = kFieldCount;
    std::string text;
};

// A listed record with its key.
struct RecordRow {
    std::string key;
    CallRecord record;
};

// The value of a searchable field (Name .. ETC2); null for any other field.
const std::string* searchableValue(const CallRecord& record, int field);

// How the candidates are found: through the search index where it can narrow them (a text of
// three characters or more and an index in step with the records), or by reading every
// record in the range. Both give the same rows.
enum class SearchMethod { Fastest, ReadEveryRecord };

// The query's rule for one record.
bool matchesQuery(const RecordQuery& query, const std::string& key, const CallRecord& record);

// Hands every record that may match the query to `visit`: at least all that match, possibly
// more (every row is checked with matchesQuery afterwards), in table order. This is the one
// place where a search meets the database. False when the statement cannot run (the rows
// handed over so far stand).
using CandidateVisitor = std::function<void(std::string&& key, CallRecord&& record)>;
bool forEachCandidate(sqlite3* connection, const RecordQuery& query, const CandidateVisitor& visit,
                      SearchMethod method = SearchMethod::Fastest);

// The records that match, newest first (key descending; records of one key in table order).
// False when the database cannot be read; `rows` then holds nothing.
bool searchRecords(const RecordDatabase& database, const RecordQuery& query,
                   std::vector<RecordRow>& rows, SearchMethod method = SearchMethod::Fastest);

}  // namespace ambrin
