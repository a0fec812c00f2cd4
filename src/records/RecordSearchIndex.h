#pragma once

#include <atomic>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

struct sqlite3;

namespace ambrin {

// A full-text index over the searchable fields of the call records, so a search of a million
// calls takes milliseconds. It lives in a table of its own, "RecordSearch" (SQLite FTS5 with
// the case-sensitive trigram tokenizer, reading its texts from RecordInfo by row id), kept up
// to date by triggers on RecordInfo; RecordInfo and UserInfo themselves are not changed.
//
// The index only narrows: it names the rows that may hold a text; the record list still tests
// each of them for the text as a case-sensitive substring, so its results are exactly those
// of reading every record. Texts shorter than three characters are not indexed and are
// searched by reading every record.
//
// Any thread; each call opens its own connection.
class RecordSearchIndex {
  public:
    static constexpr const char* kTable = "RecordSearch";

    explicit RecordSearchIndex(std::string databasePath);

    // Called with the records indexed so far and their number while the index is built.
    using Progress = std::function<void(std::int64_t done, std::int64_t total)>;

    // At start-up, after the database is initialized: an index that is missing, incomplete,
    // damaged or out of step with RecordInfo (its integrity check fails) is dropped and set
    // up empty, with triggers that index the records written from now on; a sound one is
    // kept. Quick. False when the index cannot be had (searches then read every record).
    bool begin() const;
    // Then, on a worker: indexes the records that were there at begin, a few thousand to a
    // transaction so that a call stored meanwhile hardly waits, telling `progress` after
    // each batch. When `stop` is set it ends after the batch under way; the next start
    // builds the index again. True when the index is complete (also when there was nothing
    // to fill). Searches read every record until it is.
    bool fill(const Progress& progress = {}, const std::atomic<bool>* stop = nullptr) const;
    // Both at once.
    bool prepare(const Progress& progress = {}) const;

    // Whether a search for `text` can use the index: three characters or more, well-formed
    // UTF-8 without a zero character.
    static bool covers(const std::string& text);

    // The row ids (of RecordInfo), ascending, of the records whose field `field` may hold
    // `text`, read through `db`, a connection to the database. Nothing when the index cannot
    // answer there: a text shorter than three characters, no searchable field, the index or
    // one of its triggers missing, a record past its last entry (written while the triggers
    // were gone), an index failing to read, or so many records named that reading every
    // record is quicker.
    static std::optional<std::vector<std::int64_t>> candidateRows(sqlite3* db, int field,
                                                                  const std::string& text);

    // candidateRows on a connection of its own. Fields: 3 Name, 4 CID, 5 Organize, 6 Address,
    // 7 Contents, 8 ETC1, 9 ETC2.
    std::optional<std::vector<std::int64_t>> candidates(int field, const std::string& text) const;

    // The column of RecordInfo for a searchable field index, or null.
    static const char* columnOf(int field);

  private:
    std::string m_path;
};

}  // namespace ambrin
