#include "records/CallContentList.h"

#include <filesystem>

#include "support/TestEnvironment.h"

namespace ambrin {
namespace {

class CallContentListTest : public test::EnvironmentTest {
  protected:
    CallContentList::Slots loadFrom(const std::string& text) {
        test::writeFile(list.filePath(), text);
        EXPECT_TRUE(list.LoadContents());
        return list.slots();
    }

    CallContentList list{env.path("DefaultContent.txt")};
};

TEST_F(CallContentListTest, TwentyOfTwentyFiveLinesAreTaken) {
    std::string text;
    for (int i = 1; i <= 25; ++i) {
        text += "line " + std::to_string(i) + "\n";
    }
    const auto slots = loadFrom(text);
    EXPECT_EQ(slots.front(), "line 1");
    EXPECT_EQ(slots.back(), "line 20");
}

TEST_F(CallContentListTest, OnlyPiecesEndingInALineFeedAreTaken) {
    auto slots = loadFrom("Windows\r\n\nlast without end");
    EXPECT_EQ(slots[0], "Windows");
    EXPECT_EQ(slots[1], "");  // an empty line leaves its slot free
    EXPECT_EQ(slots[2], "");

    // A line longer than one read: its first 259 bytes are skipped, the rest is a line.
    slots = loadFrom(std::string(300, 'x') + "\nnext\n");
    EXPECT_EQ(slots[0], std::string(41, 'x'));
    EXPECT_EQ(slots[1], "next");
}

TEST_F(CallContentListTest, MissingFileLeavesEverySlotFree) {
    loadFrom("old\n");
    std::filesystem::remove(list.filePath());
    EXPECT_FALSE(list.LoadContents());
    EXPECT_EQ(list.slots(), CallContentList::Slots{});
}

TEST_F(CallContentListTest, SavedWithLineFeedsAndWithoutFreeSlots) {
    loadFrom("a\n\nb\r\n");
    ASSERT_TRUE(list.SaveContents());
    EXPECT_EQ(test::readFile(list.filePath()), "a\nb\n");
}

TEST_F(CallContentListTest, TwentyFitAndRemovalMovesTheRestUp) {
    for (int i = 0; i < 20; ++i) {
        ASSERT_TRUE(list.AddContent("text " + std::to_string(i)));
    }
    EXPECT_FALSE(list.AddContent("text 20"));
    EXPECT_TRUE(list.ContainsContent("text 7"));
    EXPECT_FALSE(list.ContainsContent("Text 7"));
    EXPECT_FALSE(list.RemoveContent("text 99"));

    ASSERT_TRUE(list.RemoveContent("text 19"));
    EXPECT_EQ(list.slots().back(), "");
    ASSERT_TRUE(list.RemoveContent("text 0"));
    EXPECT_EQ(list.slots()[0], "text 1");
    EXPECT_EQ(list.slots()[17], "text 18");
    ASSERT_TRUE(list.SaveContents());

    CallContentList restarted(list.filePath());
    ASSERT_TRUE(restarted.LoadContents());
    EXPECT_EQ(restarted.slots(), list.slots());
    EXPECT_FALSE(restarted.ContainsContent("text 19"));
}

TEST_F(CallContentListTest, OnlyTextsThatReadBackAsOneLineAreAdded) {
    EXPECT_FALSE(list.AddContent(""));
    EXPECT_FALSE(list.AddContent("two\nlines"));
    EXPECT_FALSE(list.AddContent(std::string(259, 'x')));
    ASSERT_TRUE(list.AddContent(std::string(258, 'x')));
    ASSERT_TRUE(list.SaveContents());
    ASSERT_TRUE(list.LoadContents());
    EXPECT_EQ(list.slots()[0], std::string(258, 'x'));
}

}  // namespace
}  // namespace ambrin
