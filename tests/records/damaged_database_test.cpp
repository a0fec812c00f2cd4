#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <random>

#include "platform/MessageBox.h"
#include "records/CallStorage.h"
#include "records/RecordsFixture.h"

namespace ambrin {
namespace {

constexpr std::size_t kPageSize = 4096;  // SQLite's default

std::string noise(std::size_t size, unsigned seed) {
    std::mt19937 random(seed);
    std::string bytes(size, '\0');
    for (char& c : bytes) {
        c = static_cast<char>(random());
    }
    return bytes;
}

// The database file as a crash, a disk fault or a wrong file can leave it. A damaged one comes
// out of InitializeDatabase byte for byte, and the user is told which file it is.
class DamagedDatabaseTest : public test::RecordsFixture {
  protected:
    void SetUp() override {
        RecordsFixture::SetUp();
        setMessagePresenter([this](const MessageRequest& request) {
            shown.push_back(request);
            return kIdOk;
        });
    }
    void TearDown() override { setMessagePresenter({}); }

    void expectRefused(const std::string& bytes) {
        test::writeFile(databaseFile(), bytes);
        DatabaseStatus status = DatabaseStatus::Ready;
        EXPECT_FALSE(InitializeDatabase(context, status)) << bytes.size();
        EXPECT_EQ(status, DatabaseStatus::Damaged) << bytes.size();
        EXPECT_TRUE(test::readFile(databaseFile()) == bytes) << bytes.size() << " bytes changed";
        ASSERT_EQ(shown.size(), 1u) << bytes.size();
        EXPECT_NE(shown[0].text.find(databaseFile()), std::string::npos) << shown[0].text;
        EXPECT_EQ(shown[0].flags & 0xF0, kMbIconWarning);
        shown.clear();
    }

    std::vector<MessageRequest> shown;
};

TEST_F(DamagedDatabaseTest, BytesThatAreNoDatabaseAreLeftAsTheyAre) {
    expectRefused(noise(20000, 5));
    expectRefused("Call list, 2012:\n20120731153012 Lee\n");
    expectRefused(std::string("SQLite format 3\0", 16) + noise(kPageSize - 16, 6));
}

TEST_F(DamagedDatabaseTest, APageOfGarbageOrACutEndIsDamage) {
    sqlite(
        "WITH RECURSIVE c(x) AS (SELECT 1 UNION ALL SELECT x + 1 FROM c WHERE x < 1500) "
        "INSERT INTO RecordInfo (Date, Name, Contents) "
        "SELECT 20120731000000 + x, 'Lee', hex(randomblob(120)) FROM c");
    const std::string whole = test::readFile(databaseFile());
    const std::size_t pages = whole.size() / kPageSize;
    ASSERT_GT(pages, 50u);
    for (const std::size_t page : {std::size_t{0}, std::size_t{1}, pages / 2, pages - 1}) {
        std::string damaged = whole;
        damaged.replace(page * kPageSize, kPageSize, noise(kPageSize, static_cast<unsigned>(page)));
        expectRefused(damaged);
    }
    for (const std::size_t size : {std::size_t{60}, kPageSize, whole.size() / 2,
                                   whole.size() - kPageSize, whole.size() - 100}) {
        expectRefused(whole.substr(0, size));
    }

    // Put back from a backup, every call is there again.
    test::writeFile(databaseFile(), whole);
    EXPECT_TRUE(InitializeDatabase(context));
    EXPECT_TRUE(shown.empty());
    EXPECT_EQ(sqlite("select count(*) from RecordInfo"), "1500\n");
}

TEST_F(DamagedDatabaseTest, AnEmptyFileBecomesANewDatabase) {
    test::writeFile(databaseFile(), "");
    DatabaseStatus status = DatabaseStatus::Damaged;
    EXPECT_TRUE(InitializeDatabase(context, status));
    EXPECT_EQ(status, DatabaseStatus::Ready);
    EXPECT_TRUE(shown.empty());
    EXPECT_TRUE(database().InsertCallRecord("20120731153012", CallRecord{}));
}

TEST_F(DamagedDatabaseTest, AFileThatCannotBeOpenedIsNoDamage) {
    ASSERT_EQ(::unlink(databaseFile().c_str()), 0);
    ASSERT_EQ(::mkdir(databaseFile().c_str(), 0755), 0);
    DatabaseStatus status = DatabaseStatus::Ready;
    EXPECT_FALSE(InitializeDatabase(context, status));
    EXPECT_EQ(status, DatabaseStatus::Unavailable);
    EXPECT_TRUE(shown.empty());
}

}  // namespace
}  // namespace ambrin
