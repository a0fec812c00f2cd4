#include "platform/StringTable.h"

#include <gtest/gtest.h>

#include <regex>
#include <thread>

#include "platform/WorkerThread.h"
#include "support/TestEnvironment.h"

namespace ambrin {
namespace {

// Every printf conversion of a text, in order.
std::vector<std::string> conversions(std::string_view text) {
    static const std::regex pattern("%[-+ #0-9.]*[a-zA-Z]");
    std::vector<std::string> out;
    const std::string copy(text);
    for (auto it = std::sregex_iterator(copy.begin(), copy.end(), pattern);
         it != std::sregex_iterator(); ++it) {
        out.push_back(it->str());
    }
    return out;
}

TEST(StringTable, BothLanguagesCarryTheSameIdsWithMatchingPlaceholders) {
    const auto& english = StringTable::forLanguage(kLangEnglish);
    const auto& korean = StringTable::forLanguage(kLangKorean);
    ASSERT_FALSE(english.ids().empty());
    EXPECT_EQ(english.ids(), korean.ids());
    for (const int id : english.ids()) {
        EXPECT_FALSE(english.text(id).empty()) << id;
        EXPECT_FALSE(korean.text(id).empty()) << id;
        EXPECT_EQ(conversions(english.text(id)), conversions(korean.text(id))) << id;
    }
}

TEST(StringTable, TextsTheProgramShowsVerbatim) {
    const auto& english = StringTable::forLanguage(kLangEnglish);
    EXPECT_EQ(english.text(str::kAudioInitFailed), "Fail to Initialize Audio Device.");
    EXPECT_EQ(english.text(str::kExitQuestion), "Do you want to exit?");
    EXPECT_EQ(english.text(str::kDiskSpaceLow),
              "HardDisk is the lack of capacity. Please delete unnecessary files.\nPlease quit the "
              "program");
    EXPECT_EQ(english.text(str::kDatabaseHeader),
              "Date;Duration;Type;Name;Phone Num.;Organization;Address;Contents;ETC1;ETC2;Path;");
    EXPECT_TRUE(english.text(99999).empty());
}

TEST(StringTable, ParserHandlesEscapesCommentsAndBadLines) {
    const auto table =
        StringTable::parse("# comment\n7\ta\\nb\\\\c\\t \r\nnot a line\n3\tthree\nx\ty\n");
    EXPECT_EQ(table.ids(), (std::vector<int>{3, 7}));
    EXPECT_EQ(table.text(7), "a\nb\\c\t ");
}

TEST(StringTable, WorkerThreadsLoadKoreanUnlessEnglishIsForced) {
    test::TestEnvironment env;
    std::string seen;
    WorkerThread thread;
    thread.start([&] { seen = loadString(str::kExitQuestion); });
    thread.wait();
    EXPECT_EQ(seen, StringTable::forLanguage(kLangKorean).text(str::kExitQuestion));

    env.setVariable("AMBRIN_UI_LANG", "1033");
    thread.start([&] { seen = loadString(str::kExitQuestion); });
    thread.wait();
    EXPECT_EQ(seen, "Do you want to exit?");
}

TEST(WorkerThread, WaitWithTimeoutAndRestart) {
    WorkerThread thread;
    std::atomic<bool> release{false};
    ASSERT_TRUE(thread.start([&] {
        while (!release) {
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        }
    }));
    EXPECT_FALSE(thread.start([] {}));  // one routine at a time
    EXPECT_FALSE(thread.wait(std::chrono::milliseconds(20)));
    EXPECT_TRUE(thread.isRunning());
    release = true;
    EXPECT_TRUE(thread.wait());
    EXPECT_FALSE(thread.isRunning());
    int runs = 0;
    ASSERT_TRUE(thread.start([&] { ++runs; }));
    thread.wait();
    EXPECT_EQ(runs, 1);
}

}  // namespace
}  // namespace ambrin
