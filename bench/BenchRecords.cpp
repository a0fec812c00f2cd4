#include "BenchRecords.h"

#include <sqlite3.h>

#include "records/RecordDatabase.h"

namespace ambrin::bench {

namespace {

constexpr const char* kInsert =
    "insert into RecordInfo (Date, Name, CID, Organize, Address, Contents, FileName,  ETC1, "
    "ETC2, TotalTime, CallType) values (?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?)";

void bindText(sqlite3_stmt* statement, int index, const std::string& text) {
    sqlite3_bind_text(statement, index, text.data(), static_cast<int>(text.size()),
                      SQLITE_TRANSIENT);
}

}  // namespace

bool fillCallRecords(const std::string& path, int count,
                     const std::function<std::string(int)>& keyOf) {
    sqlite3* raw = nullptr;
    sqlite3_open(path.c_str(), &raw);
    const SqliteConnection connection(raw);
    sqlite3_exec(raw, "PRAGMA journal_mode=OFF; PRAGMA synchronous=OFF; BEGIN", nullptr, nullptr,
                 nullptr);
    sqlite3_stmt* rawStatement = nullptr;
    if (sqlite3_prepare_v2(raw, kInsert, -1, &rawStatement, nullptr) != SQLITE_OK) {
        return false;
    }
    const SqliteStatement statement(rawStatement);
    const char* const surnames[] = {"Kim", "Lee", "Park", "Choi", "Jung", "O'Brien"};
    for (int i = 0; i < count; ++i) {
        const std::string key = keyOf(i);
        const std::string values[] = {
            key,
            std::string(surnames[i % 6]) + " " + std::to_string(i),
            "010-" + std::to_string(1000000 + i),
            "Tavix",
            "Seoul",
            "Order of " + std::to_string(i % 50) + " boxes,\ndelivery next week",
            "/home/user/ambrin/db/" + key + ".ogg",
            "",
            ""};
        for (int column = 0; column < 9; ++column) {
            bindText(rawStatement, column + 1, values[column]);
        }
        sqlite3_bind_int(rawStatement, 10, 30 + i % 600);
        sqlite3_bind_int(rawStatement, 11, i % 3);
        if (sqlite3_step(rawStatement) != SQLITE_DONE) {
            return false;
        }
        sqlite3_reset(rawStatement);
    }
    return sqlite3_exec(raw, "COMMIT", nullptr, nullptr, nullptr) == SQLITE_OK;
}

}  // namespace ambrin::bench
