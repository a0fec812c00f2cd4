#include "records/RecordRetention.h"

#include <sys/stat.h>
#include <unistd.h>

#include "records/RecordKey.h"
#include "records/RecordsFixture.h"

namespace ambrin {
namespace {

constexpr std::time_t kDay = 24 * 60 * 60;
constexpr std::uint64_t kMiB = 1024 * 1024;

class RetentionTest : public test::RecordsFixture {
  protected:
    // A call stored `daysAgo` days before `now`, whose file holds `bytes` (sparse, so that
    // gigabytes cost no disk). Returns the file's path.
    std::string addCall(int daysAgo, std::uint64_t bytes = 1000) {
        const std::string key = recordKeyAt(now - daysAgo * kDay);
        const std::string path = recording(key + ".ogg");
        test::writeFile(path, "");
        EXPECT_EQ(::truncate(path.c_str(), static_cast<off_t>(bytes)), 0);
        CallRecord record;
        record.fileName = path;
        record.totalTime = 60;
        EXPECT_TRUE(database().InsertCallRecord(key, record));
        return path;
    }

    std::string keyOf(int daysAgo) const { return recordKeyAt(now - daysAgo * kDay); }

    std::string remainingKeys() { return sqlite("select Date from RecordInfo order by Date"); }

    std::vector<std::string> plannedFiles(const RetentionRules& rules,
                                          const std::vector<std::string>& protectedFiles = {}) {
        std::vector<std::string> files;
        for (const RetentionCandidate& call :
             planRetention(databaseFile(), rules, now, protectedFiles)) {
            files.push_back(call.file);
        }
        return files;
    }

    const std::time_t now = 1780000000;  // a fixed moment, so the test never meets midnight
};

TEST_F(RetentionTest, NothingIsRemovedWhileTheRulesAreOff) {
    const std::string old = addCall(4000);
    addCall(400);
    // A fresh installation has both rules off.
    const RetentionRules rules = RetentionRules::fromSettings(*store);
    EXPECT_FALSE(rules.any());
    EXPECT_TRUE(planRetention(databaseFile(), rules, now, {}).empty());
    EXPECT_EQ(applyRetention(databaseFile(), planRetention(databaseFile(), rules, now, {})).deleted,
              0);
    EXPECT_EQ(remainingKeys(), keyOf(4000) + "\n" + keyOf(400) + "\n");
    EXPECT_TRUE(exists(old));
}

TEST_F(RetentionTest, AgeRuleKeepsLockedCallsAndTheCallInUse) {
    const std::string lockedOld = addCall(100);
    const std::string recorded = addCall(90);  // the file being recorded (or played) now
    const std::string old = addCall(80);
    const std::string missing = addCall(70);
    const std::string young = addCall(10);
    ::unlink(missing.c_str());  // its file was deleted by hand: the record goes all the same
    ASSERT_TRUE(setRecordLocked(databaseFile(), keyOf(100), true));
    EXPECT_EQ(lockedRecordKeys(databaseFile()), std::set<std::string>{keyOf(100)});

    RetentionRules rules;
    rules.maxAgeDays = 30;
    const auto plan = planRetention(databaseFile(), rules, now, {recorded});
    ASSERT_EQ(plan.size(), 2u);  // what the options page tells beforehand
    const RetentionResult result = applyRetention(databaseFile(), plan);
    EXPECT_EQ(result.deleted, 2);
    EXPECT_TRUE(result.failedFiles.empty());
    EXPECT_FALSE(result.databaseFailed);

    // Record and file went together; the locked call, the call in use and the young one stay.
    EXPECT_EQ(remainingKeys(), keyOf(100) + "\n" + keyOf(90) + "\n" + keyOf(10) + "\n");
    EXPECT_FALSE(exists(old));
    EXPECT_FALSE(exists(old + ".deleting"));
    for (const std::string& kept : {lockedOld, recorded, young}) {
        EXPECT_TRUE(exists(kept)) << kept;
    }

    // Unlocked, the old call goes at the next run; the call in use still stays.
    ASSERT_TRUE(setRecordLocked(databaseFile(), keyOf(100), false));
    EXPECT_EQ(plannedFiles(rules, {recorded}), std::vector<std::string>{lockedOld});
}

TEST_F(RetentionTest, SizeRuleDeletesTheOldestUnlockedCallsUntilTheRecordingsFit) {
    std::vector<std::string> files;
    for (int daysAgo : {50, 40, 30, 20, 10}) {
        files.push_back(addCall(daysAgo, 400 * kMiB));  // 2000 MiB in all
    }
    ASSERT_TRUE(setRecordLocked(databaseFile(), keyOf(50), true));

    RetentionRules rules;
    rules.maxGiB = 1;
    // The locked oldest call still takes room: 2000 → 1600 → 1200 → 800 MiB.
    EXPECT_EQ(plannedFiles(rules), (std::vector<std::string>{files[1], files[2], files[3]}));
    // The call being played is skipped; the next oldest goes in its place.
    EXPECT_EQ(plannedFiles(rules, {files[2]}),
              (std::vector<std::string>{files[1], files[3], files[4]}));

    // Both rules: the age rule's calls count towards the size.
    rules.maxAgeDays = 35;
    EXPECT_EQ(plannedFiles(rules), (std::vector<std::string>{files[1], files[2], files[3]}));
    rules.maxGiB = 2;
    EXPECT_EQ(plannedFiles(rules), std::vector<std::string>{files[1]});
}

TEST_F(RetentionTest, AFileThatCannotBeDeletedKeepsItsRecordAndIsReported) {
    const std::string stuck = addCall(90);
    const std::string old = addCall(80);
    // Even for root a file cannot be moved onto a folder that holds something.
    ASSERT_EQ(::mkdir((stuck + ".deleting").c_str(), 0755), 0);
    test::writeFile(stuck + ".deleting/inside", "x");

    RetentionRules rules;
    rules.maxAgeDays = 30;
    const RetentionResult result =
        applyRetention(databaseFile(), planRetention(databaseFile(), rules, now, {}));
    EXPECT_EQ(result.deleted, 1);
    EXPECT_EQ(result.failedFiles, std::vector<std::string>{stuck});
    EXPECT_EQ(remainingKeys(), keyOf(90) + "\n");
    EXPECT_TRUE(exists(stuck));
    EXPECT_FALSE(exists(old));
}

}  // namespace
}  // namespace ambrin
