#include "platform/TextHelpers.h"

#include <gtest/gtest.h>

namespace ambrin {
namespace {

TEST(TextHelpers, TrimRemovesBlanksAtBothEndsOnly) {
    EXPECT_EQ(TrimBlanks("  \t a b \r\n"), "a b");
    EXPECT_EQ(TrimBlanks("   "), "");
    EXPECT_EQ(TrimBlanks(""), "");
}

TEST(TextHelpers, LeadingCharactersNeverSplitAMultiByteCharacter) {
    const std::string korean = "김철수abc";  // three 3-byte characters, then ASCII
    EXPECT_EQ(LeadingCharacters(korean, 1), "김");
    EXPECT_EQ(LeadingCharacters(korean, 4), "김철수a");
    EXPECT_EQ(LeadingCharacters(korean, 100), korean);
    EXPECT_EQ(characterCount(korean), 6u);
    // A truncated sequence counts byte by byte instead of swallowing what follows.
    const std::string broken = std::string("\xEA\xB9") + "x";
    EXPECT_EQ(characterCount(broken), 3u);
    EXPECT_EQ(LeadingCharacters(broken, 2), "\xEA\xB9");
}

TEST(TextHelpers, CutToBytesKeepsWholeCharacters) {
    EXPECT_EQ(cutToBytes("김철수", 7), "김철");
    EXPECT_EQ(cutToBytes("김철수", 9), "김철수");
    EXPECT_EQ(cutToBytes("abc", 0), "");
}

TEST(TextHelpers, FieldsOfSemicolonSeparatedText) {
    const std::string header = "Date;Duration;Type;;Phone Num.;";
    EXPECT_EQ(fieldAt(header, 0), "Date");
    EXPECT_EQ(fieldAt(header, 2), "Type");
    EXPECT_EQ(fieldAt(header, 3), "");
    EXPECT_EQ(fieldAt(header, 4), "Phone Num.");
    EXPECT_EQ(fieldAt(header, 9), "");
    EXPECT_EQ(fieldAt("last", 0), "last");
}

TEST(TextHelpers, HoursMinutesSeconds) {
    EXPECT_EQ(formatHms(0), "00:00:00");
    EXPECT_EQ(formatHms(3661), "01:01:01");
    EXPECT_EQ(formatHms(100 * 3600 + 59), "100:00:59");
    EXPECT_EQ(formatHms(-5), "00:00:00");
}

TEST(TextHelpers, NamesCompareWithoutCase) {
    EXPECT_TRUE(equalsNoCase("AMBRIN+", "Ambrin+"));
    EXPECT_FALSE(equalsNoCase("Ambrin", "Ambrin+"));
}

}  // namespace
}  // namespace ambrin
