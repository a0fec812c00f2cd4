#include "records/RecordDatabase.h"

#include <sqlite3.h>

#include <thread>

#include "records/RecordsFixture.h"

namespace ambrin {
namespace {

CallRecord sampleRecord(const std::string& name) {
    CallRecord record;
    record.name = name;
    record.cid = "010-1234-5678";
    record.organize = "Tavix";
    record.address = "Seoul";
    record.contents = "first line\nsecond line";
    record.fileName = "/data/db/20120731/20120731153012.ogg";
    record.etc1 = "e1";
    record.etc2 = "e2";
    record.totalTime = 73;
    record.callType = kCallOutbound;
    return record;
}

void expectSameRecord(const CallRecord& a, const CallRecord& b) {
    EXPECT_EQ(a.name, b.name);
    EXPECT_EQ(a.cid, b.cid);
    EXPECT_EQ(a.organize, b.organize);
    EXPECT_EQ(a.address, b.address);
    EXPECT_EQ(a.contents, b.contents);
    EXPECT_EQ(a.fileName, b.fileName);
    EXPECT_EQ(a.etc1, b.etc1);
    EXPECT_EQ(a.etc2, b.etc2);
    EXPECT_EQ(a.totalTime, b.totalTime);
    EXPECT_EQ(a.callType, b.callType);
}

using RecordDatabaseTest = test::RecordsFixture;

TEST_F(RecordDatabaseTest, SchemaIsExactlyTheTwoTables) {
    EXPECT_EQ(sqlite("select sql from sqlite_master order by rowid"),
              "CREATE TABLE RecordInfo (Date varchar(40), Name varchar(40), CID varchar(40), "
              "Organize varchar(40), Address varchar(255), Contents text, FileName varchar(255), "
              "ETC1 varchar(40), ETC2 varchar(40), TotalTime int default 0, CallType int(1) "
              "default 0)\n"
              "CREATE TABLE UserInfo (Name varchar(40), CID varchar(40), Organize varchar(40), "
              "Address varchar(255), ETC1 varchar(40), ETC2 varchar(40))\n");
}

TEST_F(RecordDatabaseTest, ApostropheIsStoredAndFoundAgain) {
    const CallRecord record = sampleRecord("O'Brien");
    ASSERT_TRUE(database().InsertCallRecord("20120731153012", record));
    ASSERT_TRUE(database().InsertCustomer("O'Brien", CustomerRecord{"1", "o", "a", "e1", "e2"}));

    CallRecord found;
    ASSERT_TRUE(database().FindCallRecord("20120731153012", found));
    expectSameRecord(found, record);
    CustomerRecord customer;
    ASSERT_TRUE(database().FindCustomer("O'Brien", customer));
    EXPECT_EQ(customer.etc2, "e2");
    EXPECT_TRUE(database().CustomerExists("O'Brien"));
    EXPECT_FALSE(database().CustomerExists("O"));
    EXPECT_EQ(sqlite("select Name, TotalTime, CallType, typeof(Date) from RecordInfo"),
              "O'Brien|73|1|text\n");
}

TEST_F(RecordDatabaseTest, StatementTextInAValueStaysText) {
    const std::string hostile = "x'); DROP TABLE RecordInfo; --";
    ASSERT_TRUE(database().InsertCallRecord(hostile, sampleRecord(hostile)));
    ASSERT_TRUE(database().UpdateCustomer(hostile, CustomerRecord{hostile, "", "", "", ""}));
    ASSERT_TRUE(database().DeleteCustomer(hostile));

    CallRecord found;
    ASSERT_TRUE(database().FindCallRecord(hostile, found));
    EXPECT_EQ(found.name, hostile);
    EXPECT_EQ(sqlite("select count(*) from sqlite_master; select Name from RecordInfo"),
              "2\n" + hostile + "\n");
}

TEST_F(RecordDatabaseTest, SharedKeysFindTheFirstAndChangeAll) {
    ASSERT_TRUE(database().InsertCallRecord("20120731153012", sampleRecord("first")));
    ASSERT_TRUE(database().InsertCallRecord("20120731153012", sampleRecord("second")));
    CallRecord found;
    ASSERT_TRUE(database().FindCallRecord("20120731153012", found));
    EXPECT_EQ(found.name, "first");

    ASSERT_TRUE(database().UpdateCallRecord("20120731153012", sampleRecord("both")));
    EXPECT_EQ(sqlite("select Name from RecordInfo"), "both\nboth\n");

    // No such key: finds fail, changes succeed without effect.
    EXPECT_FALSE(database().FindCallRecord("19990101000000", found));
    EXPECT_TRUE(database().UpdateCallRecord("19990101000000", sampleRecord("none")));
    EXPECT_TRUE(database().DeleteCallRecord("19990101000000"));
    EXPECT_EQ(sqlite("select count(*) from RecordInfo"), "2\n");
    ASSERT_TRUE(database().DeleteCallRecord("20120731153012"));
    EXPECT_EQ(sqlite("select count(*) from RecordInfo"), "0\n");
}

TEST_F(RecordDatabaseTest, IterationGivesEveryRowInTableOrder) {
    for (const char* key : {"20120731153012", "20110101000000", "20130101000000"}) {
        ASSERT_TRUE(database().InsertCallRecord(key, sampleRecord(std::string("n") + key)));
    }
    ASSERT_TRUE(database().InsertCustomer("Lee", CustomerRecord{"1", "", "", "", "x"}));
    ASSERT_TRUE(database().InsertCustomer("Kim", CustomerRecord{"2", "", "", "", "y"}));

    RecordDatabase records = database();
    ASSERT_TRUE(records.BeginCallRecords());
    std::string key;
    CallRecord record;
    std::vector<std::string> keys;
    while (records.NextCallRecord(key, record)) {
        keys.push_back(key);
        CallRecord expected = sampleRecord("n" + key);
        expectSameRecord(record, expected);
    }
    EXPECT_EQ(keys,
              (std::vector<std::string>{"20120731153012", "20110101000000", "20130101000000"}));
    EXPECT_FALSE(records.NextCallRecord(key, record));  // stays at the end

    ASSERT_TRUE(records.BeginCustomers());  // ends the other iteration
    std::string name;
    CustomerRecord customer;
    ASSERT_TRUE(records.NextCustomer(name, customer));
    EXPECT_EQ(name + customer.cid + customer.etc2, "Lee1x");
    ASSERT_TRUE(records.NextCustomer(name, customer));
    EXPECT_EQ(name + customer.cid + customer.etc2, "Kim2y");
    EXPECT_FALSE(records.NextCustomer(name, customer));
    records.EndIteration();
}

TEST_F(RecordDatabaseTest, LongValuesAreCutAtACharacterBoundary) {
    std::string korean;
    for (int i = 0; i < 300; ++i) {
        korean += "\xEA\xB9\x80";  // one three-byte character
    }
    CallRecord record = sampleRecord(korean);
    record.contents = "a" + korean;
    ASSERT_TRUE(database().InsertCallRecord(korean, record));
    EXPECT_EQ(sqlite("select length(cast(Date as blob)), length(cast(Name as blob)), "
                     "length(cast(Contents as blob)), length(Name) from RecordInfo"),
              "258|258|517|86\n");
}

TEST_F(RecordDatabaseTest, InitializingAnExistingFileChangesNothing) {
    ASSERT_TRUE(database().InsertCallRecord("20120731153012", sampleRecord("Lee")));
    const std::string before = test::readFile(databaseFile());
    ASSERT_FALSE(before.empty());
    EXPECT_TRUE(database().InitializeDatabase());
    EXPECT_EQ(test::readFile(databaseFile()), before);
}

TEST_F(RecordDatabaseTest, NoFileNoSuccess) {
    EXPECT_FALSE(RecordDatabase(env.path("missing/Ambrin.od2")).InitializeDatabase());
    AppContext bare;  // no settings: no path, and never a temporary database instead
    CallRecord record;
    EXPECT_FALSE(RecordDatabase(bare).InitializeDatabase());
    EXPECT_FALSE(RecordDatabase(bare).InsertCallRecord("1", record));
}

// Another connection holds the file exclusively; a writer waits for it up to its time-out.
class LockedDatabaseTest : public test::RecordsFixture {
  protected:
    void SetUp() override {
        RecordsFixture::SetUp();
        ASSERT_EQ(sqlite3_open(databaseFile().c_str(), &m_raw), SQLITE_OK);
        holder.reset(m_raw);
        ASSERT_EQ(sqlite3_exec(m_raw, "BEGIN EXCLUSIVE", nullptr, nullptr, nullptr), SQLITE_OK);
    }
    sqlite3* m_raw = nullptr;
    SqliteConnection holder;
};

TEST_F(LockedDatabaseTest, FailsAfterAShortTimeout) {
    RecordDatabase waiting = database();
    waiting.setBusyTimeout(std::chrono::milliseconds(100));
    EXPECT_FALSE(waiting.InsertCallRecord("20120731153012", sampleRecord("Lee")));
}

TEST_F(LockedDatabaseTest, SucceedsWhenTheLockIsGoneInTime) {
    std::thread release([this] {
        std::this_thread::sleep_for(std::chrono::milliseconds(300));
        sqlite3_exec(m_raw, "COMMIT", nullptr, nullptr, nullptr);
    });
    EXPECT_TRUE(database().InsertCallRecord("20120731153012", sampleRecord("Lee")));
    release.join();
    EXPECT_EQ(sqlite("select Name from RecordInfo"), "Lee\n");
}

}  // namespace
}  // namespace ambrin
