// Finding calls: the date range is inclusive to the second and compared as keys, the text
// is a case-sensitive part of the chosen field, and the newest call comes first.
#include <algorithm>
#include <vector>

#include "records/RecordDisplay.h"
#include "records/RecordSearch.h"
#include "records/RecordsFixture.h"

namespace ambrin {
namespace {

class RecordSearchTest : public test::RecordsFixture {
  protected:
    void add(const std::string& key, const std::string& cid, const std::string& name = "Kim") {
        CallRecord record;
        record.name = name;
        record.cid = cid;
        record.fileName = recording(key + ".ogg");
        ASSERT_TRUE(database().InsertCallRecord(key, record));
    }

    std::vector<std::string> keys(const std::string& from, const std::string& to, int field,
                                  const std::string& text) {
        std::vector<RecordRow> rows;
        EXPECT_TRUE(searchRecords(database(), {from, to, field, text}, rows));
        std::vector<std::string> found;
        for (const RecordRow& row : rows) {
            found.push_back(row.key);
        }
        return found;
    }
};

TEST_F(RecordSearchTest, TheRangeHoldsWholeDaysFromMidnightToTheLastSecondNewestFirst) {
    add("20120730235959", "1");
    add("20120731000000", "2");
    add("20120731153012", "3");
    add("20120731235959", "4");
    add("20120801000000", "5");
    const std::string from = keyFromDisplayDate("2012-07-31", RangeEnd::Start);
    const std::string to = keyFromDisplayDate("2012-07-31", RangeEnd::End);
    EXPECT_EQ(from, "20120731000000");
    EXPECT_EQ(to, "20120731235959");
    EXPECT_EQ(keys(from, to, kFieldName, ""),
              (std::vector<std::string>{"20120731235959", "20120731153012", "20120731000000"}));
    // From after To: nothing, whatever the text.
    EXPECT_TRUE(keys("20120801000000", "20120731235959", kFieldName, "").empty());
    EXPECT_EQ(keys("20120730000000", "20120801235959", kFieldName, "").size(), 5u);
}

TEST_F(RecordSearchTest, TheTextIsACaseSensitivePartOfTheChosenFieldOnly) {
    add("20120731090000", "010-1234-5678", "Lee");
    add("20120731100000", "02-555-0199", "lee 010");
    add("20120731110000", "031-010-7777", "Park");
    add("20120731120000", "", "O'Brien");
    const std::string from = "20120731000000";
    const std::string to = "20120731235959";
    EXPECT_EQ(keys(from, to, kFieldCid, "010"),
              (std::vector<std::string>{"20120731110000", "20120731090000"}));
    EXPECT_EQ(keys(from, to, kFieldName, "Lee"), (std::vector<std::string>{"20120731090000"}));
    EXPECT_EQ(keys(from, to, kFieldName, "O'B"), (std::vector<std::string>{"20120731120000"}));
    EXPECT_EQ(keys(from, to, kFieldCid, "").size(), 4u);  // no text: the whole range
    // A field the search cannot look into (Date, Path, an unknown name) finds nothing.
    EXPECT_TRUE(keys(from, to, kFieldPath, "2012").empty());
    EXPECT_TRUE(keys(from, to, kFieldCount, "010").empty());
}

TEST(RecordDisplayTest, ValuesAreShownAsTheListShowsThem) {
    EXPECT_EQ(displayDate("20120731153012"), "2012-07-31 15:30:12");
    EXPECT_EQ(keyFromDisplayDate("2012-07-31 15:30:12"), "20120731153012");
    EXPECT_EQ(keyFromDisplayDate("31.07.2012"), "");
    EXPECT_EQ(displayDuration(100 * 3600 + 61), "100:01:01");
    EXPECT_EQ(oneLine("first\r\nsecond\nthird"), "first  second third");
    EXPECT_EQ(recordingFileName("/home/kim/db/2012/07/31/Kim@20120731153012.ogg"),
              "Kim@20120731153012.ogg");
    EXPECT_EQ(recordingKindOf("/x/a.OGG"), RecordingKind::Ogg);
    EXPECT_EQ(recordingKindOf("/x/a.mp2"), RecordingKind::Mpeg);
    EXPECT_EQ(recordingKindOf("/x.ogg/a"), RecordingKind::Other);

    const DisplayNames names = {"D", "L", "T", "N", "Tel", "O", "A", "C", "E1", "E2", "P"};
    EXPECT_EQ(fieldOfDisplayName(names, "Tel"), kFieldCid);
    EXPECT_EQ(fieldOfDisplayName(names, "tel"), kFieldCount);
}

}  // namespace
}  // namespace ambrin
