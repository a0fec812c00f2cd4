// The search index against reading every record, on real SQLite files.

#include "records/RecordSearchIndex.h"

#include <gtest/gtest.h>
#include <sqlite3.h>

#include <algorithm>
#include <map>
#include <random>
#include <set>
#include <thread>
#include <tuple>

#include "RecordsFixture.h"
#include "platform/MessageBox.h"
#include "records/CallStorage.h"
#include "records/RecordSearch.h"
#include "records/UnsavedCallJournal.h"
#include "support/ProgramTools.h"

namespace ambrin {
namespace {

// Words of the three kinds the records hold, mixed in every field.
const std::vector<std::string> kWords = {
    "김민준",   "이서연", "박지호", "최유나", "서울",       "부산",    "주문",
    "배송",     "문의",   "환불",   "견적",   "주식회사",   "강남구",  "테헤란로",
    "Kim",      "Lee",    "Park",   "ORDER",  "order",      "Invoice", "invoice",
    "Delivery", "Seoul",  "Co.",    "Ltd",    "010",        "02",      "1588",
    "5555",     "12345",  "2024",   "#7",     "\"quoted\"", "O'Brien"};

std::vector<std::string> utf8Characters(const std::string& text) {
    std::vector<std::string> out;
    for (std::size_t i = 0; i < text.size();) {
        std::size_t length = 1;
        const auto lead = static_cast<unsigned char>(text[i]);
        length = lead >= 0xF0 ? 4 : lead >= 0xE0 ? 3 : lead >= 0xC0 ? 2 : 1;
        out.push_back(text.substr(i, length));
        i += length;
    }
    return out;
}

class RecordSearchIndexTest : public test::RecordsFixture {
  protected:
    RecordSearchIndex index() const { return RecordSearchIndex(databaseFile()); }

    // `count` records of random words and numbers, in one transaction.
    void addRecords(int count, std::mt19937& random) {
        sqlite3* db = nullptr;
        ASSERT_EQ(sqlite3_open(databaseFile().c_str(), &db), SQLITE_OK);
        sqlite3_exec(db, "BEGIN", nullptr, nullptr, nullptr);
        sqlite3_stmt* insert = nullptr;
        sqlite3_prepare_v2(db,
                           "INSERT INTO RecordInfo (Date, Name, CID, Organize, Address, Contents, "
                           "FileName, ETC1, ETC2, TotalTime, CallType) VALUES "
                           "(?, ?, ?, ?, ?, ?, ?, ?, ?, 10, 0)",
                           -1, &insert, nullptr);
        std::uniform_int_distribution<std::size_t> word(0, kWords.size() - 1);
        std::uniform_int_distribution<int> words(0, 4);
        std::uniform_int_distribution<int> digit(0, 9);
        for (int i = 0; i < count; ++i) {
            sqlite3_bind_text(insert, 1, ("2024" + std::to_string(100000000 + i)).c_str(), -1,
                              SQLITE_TRANSIENT);
            for (int column = 2; column <= 9; ++column) {
                std::string text;
                if (column == 3) {
                    text = "010";
                    for (int d = 0; d < 8; ++d) {
                        text += static_cast<char>('0' + digit(random));
                    }
                } else {
                    for (int w = words(random); w > 0; --w) {
                        text += kWords[word(random)] + (w > 1 ? " " : "");
                    }
                }
                sqlite3_bind_text(insert, column, text.c_str(), -1, SQLITE_TRANSIENT);
            }
            ASSERT_EQ(sqlite3_step(insert), SQLITE_DONE);
            sqlite3_reset(insert);
        }
        sqlite3_finalize(insert);
        sqlite3_exec(db, "COMMIT", nullptr, nullptr, nullptr);
        sqlite3_close(db);
    }

    // Every record's value of a field (0: the key), by row id.
    std::map<std::int64_t, std::string> values(int field) const {
        std::map<std::int64_t, std::string> out;
        sqlite3* db = nullptr;
        sqlite3_open(databaseFile().c_str(), &db);
        sqlite3_stmt* select = nullptr;
        const std::string sql = std::string("select rowid, ") +
                                (field == 0 ? "Date" : RecordSearchIndex::columnOf(field)) +
                                " from RecordInfo";
        sqlite3_prepare_v2(db, sql.c_str(), -1, &select, nullptr);
        while (sqlite3_step(select) == SQLITE_ROW) {
            const auto* text = reinterpret_cast<const char*>(sqlite3_column_text(select, 1));
            out[sqlite3_column_int64(select, 0)] = text != nullptr ? text : "";
        }
        sqlite3_finalize(select);
        sqlite3_close(db);
        return out;
    }

    // Keys (newest first) of the records of the range whose field holds `text`, by reading
    // every value here.
    std::vector<std::string> scan(int field, const std::string& text, const std::string& from,
                                  const std::string& to) const {
        const auto all = values(field);
        const auto keys = values(0);
        std::vector<std::string> found;
        for (const auto& [row, value] : all) {
            const std::string& key = keys.at(row);
            if (key >= from && key <= to && value.find(text) != std::string::npos) {
                found.push_back(key);
            }
        }
        std::sort(found.rbegin(), found.rend());
        return found;
    }

    // What the record list finds, through the index where it can narrow; the same rows as
    // reading every record through the list's search, and the keys as `scan`. Counts in
    // `narrowed` the searches the index narrowed.
    bool sameAsScan(int field, const std::string& text, const std::string& from = "0",
                    const std::string& to = "9") {
        {
            const SqliteConnection connection = database().openForReading();
            narrowed += RecordSearchIndex::candidateRows(connection.get(), field, text) ? 1 : 0;
        }
        std::vector<RecordRow> fast;
        std::vector<RecordRow> slow;
        EXPECT_TRUE(searchRecords(database(), {from, to, field, text}, fast));
        EXPECT_TRUE(searchRecords(database(), {from, to, field, text}, slow,
                                  SearchMethod::ReadEveryRecord));
        const auto whole = [](const RecordRow& row) {
            const CallRecord& r = row.record;
            return std::tie(row.key, r.name, r.cid, r.organize, r.address, r.contents, r.fileName,
                            r.etc1, r.etc2, r.totalTime, r.callType);
        };
        std::vector<std::string> keys;
        for (std::size_t i = 0; i < fast.size(); ++i) {
            keys.push_back(fast[i].key);
            if (i < slow.size() && whole(fast[i]) != whole(slow[i])) {
                return false;
            }
        }
        return fast.size() == slow.size() && keys == scan(field, text, from, to);
    }

    int narrowed = 0;

    // Random substrings of 3 to 8 characters of the values of random records.
    std::vector<std::pair<int, std::string>> probes(int count, std::mt19937& random) const {
        const std::string values =
            test::sqliteQuery(databaseFile(),
                              "select Name || ' ' || Organize || ' ' || Contents || ' ' || CID "
                              "from RecordInfo order by random() limit " +
                                  std::to_string(count));
        std::vector<std::pair<int, std::string>> out;
        std::uniform_int_distribution<int> field(3, 9);
        std::size_t at = 0;
        while (at < values.size() && static_cast<int>(out.size()) < count) {
            const std::size_t end = values.find('\n', at);
            const auto characters = utf8Characters(values.substr(at, end - at));
            at = end + 1;
            if (characters.size() < 3) {
                continue;
            }
            const std::size_t length = std::uniform_int_distribution<std::size_t>(
                3, std::min<std::size_t>(8, characters.size()))(random);
            const std::size_t start =
                std::uniform_int_distribution<std::size_t>(0, characters.size() - length)(random);
            std::string text;
            for (std::size_t i = start; i < start + length; ++i) {
                text += characters[i];
            }
            out.emplace_back(field(random), text);
        }
        return out;
    }
};

TEST_F(RecordSearchIndexTest, ResultsEqualReadingEveryRecordOnTwentyThousandCalls) {
    std::mt19937 random(21);
    addRecords(12000, random);  // there before the index: indexed at start-up on a worker
    ASSERT_TRUE(index().begin());
    std::vector<std::pair<std::int64_t, std::int64_t>> progress;
    const auto writeMeanwhile = [&] {
        // After the first batch: calls stored, edited and deleted behind the filling and
        // ahead of it, as the recorder and the record list may do while it runs.
        addRecords(500, random);
        CallRecord edited;
        edited.name = "정정된 Name";
        edited.contents = "새 내용 new contents 777";
        ASSERT_TRUE(database().UpdateCallRecord("2024100000007", edited));
        edited.name = "앞쪽 Ahead";
        ASSERT_TRUE(database().UpdateCallRecord("2024100011990", edited));
        ASSERT_TRUE(database().DeleteCallRecord("2024100000011"));
        ASSERT_TRUE(database().DeleteCallRecord("2024100010000"));
    };
    bool filled = false;
    std::thread worker([&] {
        filled = index().fill([&](std::int64_t done, std::int64_t total) {
            progress.emplace_back(done, total);
            if (progress.size() == 1) {
                writeMeanwhile();
            }
        });
    });
    worker.join();
    ASSERT_TRUE(filled);
    ASSERT_GE(progress.size(), 2u);
    EXPECT_EQ(progress.front().second, 12000);
    EXPECT_EQ(progress.back().first, 12000 - 1);  // less the one deleted ahead of it
    // A second start finds it sound and builds nothing.
    progress.clear();
    ASSERT_TRUE(index().prepare(
        [&](std::int64_t done, std::int64_t total) { progress.emplace_back(done, total); }));
    EXPECT_TRUE(progress.empty());

    addRecords(8000, random);  // stored, edited and deleted while the index is kept
    CallRecord edited;
    edited.name = "다시 정정된 Name";
    ASSERT_TRUE(database().UpdateCallRecord("2024100000008", edited));
    ASSERT_TRUE(database().DeleteCallRecord("2024100000012"));

    int compared = 0;
    std::uniform_int_distribution<int> day(0, 20000);
    for (const auto& [field, text] : probes(150, random)) {
        // Half of them within a range of keys, which the index knows nothing of.
        std::string from = "0";
        std::string to = "9";
        if (compared % 2 == 1) {
            from = "2024" + std::to_string(100000000 + day(random));
            to = "2024" + std::to_string(100000000 + day(random));
            to = std::max(from, to);
        }
        ASSERT_TRUE(sameAsScan(field, text, from, to)) << field << " '" << text << "'";
        ++compared;
    }
    for (const auto& [field, text] : std::vector<std::pair<int, std::string>>{{3, "정정된"},
                                                                              {3, "앞쪽 Ah"},
                                                                              {7, "new contents"},
                                                                              {7, "Order"},
                                                                              {5, "O'Br"},
                                                                              {7, "\"quo"},
                                                                              {4, "0101"},
                                                                              {3, "없는이름"}}) {
        ASSERT_TRUE(sameAsScan(field, text)) << field << " '" << text << "'";
    }
    EXPECT_GE(compared, 140);
    EXPECT_GE(narrowed, compared * 9 / 10) << "the index narrowed too few searches";
    // Short texts are not the index's: the record list reads every record for them.
    EXPECT_FALSE(index().candidates(3, "김민").has_value());
    EXPECT_FALSE(index().candidates(4, "01").has_value());
    EXPECT_FALSE(index().candidates(10, "abc").has_value());
}

TEST_F(RecordSearchIndexTest, AnIndexDeletedDamagedOrOutOfStepByHandIsBuiltAgain) {
    std::mt19937 random(7);
    addRecords(3000, random);
    ASSERT_TRUE(index().prepare());
    const std::string file = databaseFile();
    const auto rebuilt = [&] {
        int builds = 0;
        EXPECT_TRUE(index().prepare([&](std::int64_t, std::int64_t) { ++builds; }));
        return builds > 0;
    };
    const auto agrees = [&] {
        for (const auto& [field, text] : probes(20, random)) {
            if (!sameAsScan(field, text)) {
                return false;
            }
        }
        return true;
    };

    // Deleted.
    test::sqliteQuery(file, "DROP TABLE RecordSearch");
    EXPECT_TRUE(rebuilt());
    EXPECT_TRUE(agrees());

    // Damaged: index blocks overwritten.
    test::sqliteQuery(file,
                      "UPDATE RecordSearch_data SET block = zeroblob(length(block)) "
                      "WHERE id > 10");
    EXPECT_TRUE(rebuilt());
    EXPECT_TRUE(agrees());

    // Out of step: records written past it with its triggers gone. Searches read every
    // record until it is rebuilt, even with the triggers back.
    test::sqliteQuery(file, "DROP TRIGGER RecordSearchInsert");
    addRecords(50, random);
    EXPECT_TRUE(agrees());
    test::sqliteQuery(file,
                      "CREATE TRIGGER RecordSearchInsert AFTER INSERT ON RecordInfo BEGIN "
                      "INSERT INTO RecordSearch(rowid, Name, CID, Organize, Address, "
                      "Contents, ETC1, ETC2) VALUES (new.rowid, new.Name, new.CID, "
                      "new.Organize, new.Address, new.Contents, new.ETC1, new.ETC2); END");
    EXPECT_TRUE(agrees());
    EXPECT_TRUE(rebuilt());
    EXPECT_TRUE(agrees());
    EXPECT_FALSE(rebuilt()) << "a sound index is built again";

    // The description's two tables are as they were.
    EXPECT_EQ(test::sqliteQuery(file,
                                "select sql from sqlite_master where name in "
                                "('RecordInfo', 'UserInfo') order by name"),
              "CREATE TABLE RecordInfo (Date varchar(40), Name varchar(40), CID varchar(40), "
              "Organize varchar(40), Address varchar(255), Contents text, FileName varchar(255), "
              "ETC1 varchar(40), ETC2 varchar(40), TotalTime int default 0, CallType int(1) "
              "default 0)\nCREATE TABLE UserInfo (Name varchar(40), CID varchar(40), Organize "
              "varchar(40), Address varchar(255), ETC1 varchar(40), ETC2 varchar(40))\n");
}

// An index that cannot be written fails the call's insertion as a whole: the call waits in
// the unsaved-call journal with a warning, and the next start, which sets the index up
// again, stores it where the search finds it.
TEST_F(RecordSearchIndexTest, ACallWhoseIndexCannotBeWrittenIsKeptAndStoredAtTheNextStart) {
    std::mt19937 random(3);
    addRecords(100, random);
    ASSERT_TRUE(index().prepare());
    test::sqliteQuery(databaseFile(), "DROP TABLE RecordSearch_data");
    int warnings = 0;
    setMessagePresenter([&warnings](const MessageRequest&) {
        ++warnings;
        return kIdOk;
    });
    writeWav(recording("call.wav"), 9);
    EXPECT_FALSE(StoreRecording(context, recording("call.wav")));
    setMessagePresenter({});
    EXPECT_EQ(warnings, 1);
    EXPECT_EQ(test::sqliteQuery(databaseFile(), "select count(*) from RecordInfo"), "100\n");
    ASSERT_EQ(UnsavedCallJournal(databaseFile() + ".unsaved").read().size(), 1u);

    ASSERT_TRUE(index().prepare());  // the next start
    EXPECT_EQ(recoverUnsavedCalls(context), 1);
    EXPECT_EQ(test::sqliteQuery(databaseFile(), "select count(*) from RecordInfo"), "101\n");
    int builds = 0;
    EXPECT_TRUE(index().prepare([&](std::int64_t, std::int64_t) { ++builds; }));
    EXPECT_EQ(builds, 0) << "the stored call left the index out of step";
}

}  // namespace
}  // namespace ambrin
