#include "core/SettingsStore.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <cstring>
#include <thread>

#include "platform/StringTable.h"
#include "support/TestEnvironment.h"

namespace ambrin {
namespace {

class SettingsStoreTest : public test::EnvironmentTest {
  protected:
    // A program folder, with or without the program file in it.
    std::string installation(const std::string& name, bool withProgram = true) {
        const std::string folder = env.path(name);
        ::mkdir(folder.c_str(), 0755);
        if (withProgram) {
            test::writeFile(folder + "/" + kProgramFileName, "#!/bin/sh\n", 0755);
        }
        return folder + "/";
    }
};

TEST_F(SettingsStoreTest, FirstStartWritesEveryDefault) {
    env.setVariable("AMBRIN_UI_LANG", "1033");
    const std::string folder = installation("opt");
    SettingsStore store(folder);
    ASSERT_TRUE(store.isOpen());

    EXPECT_EQ(store.stringOr(setting::kInstallPath, "?"), folder);
    EXPECT_EQ(store.stringOr(setting::kDatabasePath, "?"), folder + "db");
    EXPECT_EQ(store.stringOr(setting::kDBBackupPath, "?"), folder + "DBBackup");
    EXPECT_EQ(store.stringOr(setting::kSkinPath, "?"), "");
    EXPECT_EQ(store.stringOr(setting::kWindowMode, "?"), "MainWindow");
    EXPECT_EQ(store.stringOr(setting::kMainWindowPos, "?"), "-1,-1");
    EXPECT_EQ(store.stringOr(setting::kSkinDefaultFont, "?"), "Arial");
    EXPECT_EQ(store.stringOr(setting::kDatabaseHeader, "?"),
              "Date;Duration;Type;Name;Phone Num.;Organization;Address;Contents;ETC1;ETC2;Path;");
    EXPECT_TRUE(store.boolOr(setting::kToTray, false));
    EXPECT_FALSE(store.boolOr(setting::kKeepVisible, true));
    EXPECT_TRUE(store.boolOr(setting::kCallInformation, false));
    EXPECT_FALSE(store.boolOr(setting::kAutoVolume, true));
    EXPECT_TRUE(store.boolOr(setting::kAutoUpdateValue, false));
    EXPECT_EQ(store.intOr(setting::kRecordFormat, -1), 1);
    EXPECT_EQ(store.intOr(setting::kTimeOfCallEnd, -1), 8);
    EXPECT_EQ(store.intOr(setting::kMinimumRecordTime, -1), 5);
    EXPECT_EQ(store.intOr(setting::kStartSoundValue, -1), 20);
    EXPECT_EQ(store.intOr(setting::kEndSoundValue, -1), 2);
    EXPECT_EQ(store.intOr(setting::kAutoBackupIndex, -1), 1);

    // Every value of the table exists with its type.
    for (const auto& definition : SettingsStore::table()) {
        if (definition.type == SettingType::String) {
            std::string value;
            EXPECT_EQ(store.readString(definition.name, value), kSettingsOk) << definition.name;
        } else {
            int value = 0;
            EXPECT_EQ(store.readInt(definition.name, value), kSettingsOk) << definition.name;
        }
    }
}

TEST_F(SettingsStoreTest, TheDatabaseHeaderDefaultFollowsTheLanguage) {
    SettingsStore store(installation("opt"));
    EXPECT_EQ(store.stringOr(setting::kDatabaseHeader, "?"),
              StringTable::forLanguage(kLangKorean).text(str::kDatabaseHeader));
}

TEST_F(SettingsStoreTest, ResultCodesOfReads) {
    SettingsStore store(installation("opt"));
    store.writeString("Short", "abcd");

    char buffer[8] = "xxxxxxx";
    std::uint32_t size = sizeof buffer;
    EXPECT_EQ(store.readString("Short", buffer, &size), kSettingsOk);
    EXPECT_STREQ(buffer, "abcd");
    EXPECT_EQ(size, 5u);

    // Exactly fitting (with its terminating zero) and one byte too small.
    size = 5;
    EXPECT_EQ(store.readString("Short", buffer, &size), kSettingsOk);
    size = 4;
    std::strcpy(buffer, "zzz");
    EXPECT_EQ(store.readString("Short", buffer, &size), kSettingsMoreData);
    EXPECT_EQ(buffer[0], '\0');
    EXPECT_EQ(size, 5u);

    // Size-only read.
    size = 0;
    EXPECT_EQ(store.readString("Short", nullptr, &size), kSettingsMoreData);
    EXPECT_EQ(size, 5u);

    size = sizeof buffer;
    EXPECT_EQ(store.readString("Missing", buffer, &size), kSettingsNotFound);
    EXPECT_EQ(store.readString("", buffer, &size), kSettingsBadArgument);
    EXPECT_EQ(store.readString("Short", buffer, nullptr), kSettingsBadArgument);
    size = 4;
    EXPECT_EQ(store.readString("Short", nullptr, &size), kSettingsBadArgument);

    int number = 99;
    EXPECT_EQ(store.readInt("Missing", number), kSettingsNotFound);
    EXPECT_EQ(number, 0);                                       // cleared before reading
    EXPECT_EQ(store.readInt("Short", number), kSettingsError);  // a text is not a number

    std::string text = "old";
    EXPECT_EQ(store.readString(setting::kWindowMode, text, 4), kSettingsMoreData);
    EXPECT_EQ(text, "");
}

TEST_F(SettingsStoreTest, NumbersAndBooleansRoundTrip) {
    SettingsStore store(installation("opt"));
    EXPECT_EQ(store.writeInt(setting::kTimeOfCallEnd, 12), kSettingsOk);
    int value = 0;
    EXPECT_EQ(store.readInt(setting::kTimeOfCallEnd, value), kSettingsOk);
    EXPECT_EQ(value, 12);

    EXPECT_EQ(store.writeInt(setting::kKeepVisible, 2), kSettingsOk);
    bool flag = false;
    EXPECT_EQ(store.readBool(setting::kKeepVisible, flag), kSettingsOk);
    EXPECT_TRUE(flag);  // any non-zero value reads as true
    store.writeBool(setting::kKeepVisible, true);
    EXPECT_EQ(store.intOr(setting::kKeepVisible, -1), 1);  // stored as 1
}

TEST_F(SettingsStoreTest, ValuesOutOfRangeReadAsValidOnesAndAreListedButNotRewritten) {
    SettingsStore store(installation("opt"));
    store.writeInt(setting::kTimeOfCallEnd, -1);          // would never end a call: the default
    store.writeInt(setting::kPreRecordTime, 0x7fffffff);  // the longest pre-roll
    store.writeInt(setting::kRecordFormat, 7);            // no such format: the default
    store.writeInt(setting::kStartSoundValue, 30);
    store.writeInt(setting::kEndSoundValue, 50);  // kept below the start level
    EXPECT_EQ(store.intOr(setting::kTimeOfCallEnd, 0), 8);
    EXPECT_EQ(store.intOr(setting::kPreRecordTime, 0), 30000);
    EXPECT_EQ(store.intOr(setting::kRecordFormat, 0), 1);
    EXPECT_EQ(store.intOr(setting::kEndSoundValue, 0), 29);

    const auto corrections = store.corrections();
    ASSERT_EQ(corrections.size(), 4u);
    EXPECT_EQ(corrections[0].name, setting::kRecordFormat);
    EXPECT_EQ(corrections[1].name, setting::kTimeOfCallEnd);
    EXPECT_EQ(corrections[1].stored, -1);
    EXPECT_EQ(corrections[1].used, 8);
    EXPECT_EQ(corrections[2].name, setting::kEndSoundValue);
    EXPECT_EQ(corrections[3].name, setting::kPreRecordTime);
    EXPECT_EQ(corrections[3].stored, 0x7fffffff);
    EXPECT_NE(test::readFile(env.path("config/Tavix/Ambrin+ v2.0.conf"))
                  .find("\"TimeOfCallEnd\"=dword:ffffffff"),
              std::string::npos);
}

TEST_F(SettingsStoreTest, ExistingValuesSurviveTheDefaultPass) {
    {
        SettingsStore first(installation("opt"));
        first.writeString(setting::kSkinPath, "");
        first.writeString(setting::kUserName, "Kim");
        first.writeInt(setting::kRecordFormat, 2);
    }
    SettingsStore second(installation("opt"));
    EXPECT_EQ(second.stringOr(setting::kSkinPath, "?"), "");
    EXPECT_EQ(second.stringOr(setting::kUserName, "?"), "Kim");
    EXPECT_EQ(second.intOr(setting::kRecordFormat, -1), 2);
}

TEST_F(SettingsStoreTest, MovedInstallationUpdatesInstallPathButKeepsDatabasePath) {
    const std::string first = installation("first");
    { SettingsStore store(first); }
    const std::string moved = installation("moved");
    {
        SettingsStore store(moved);
        EXPECT_EQ(store.stringOr(setting::kInstallPath, "?"), moved);
        EXPECT_EQ(store.stringOr(setting::kDatabasePath, "?"), first + "db");
    }
    // A copy started from a folder without the program file changes nothing.
    SettingsStore stray(installation("stray", false));
    EXPECT_EQ(stray.stringOr(setting::kInstallPath, "?"), moved);
}

TEST_F(SettingsStoreTest, RepairWritesTheDatabasePathWhenMissing) {
    const std::string first = installation("first");
    {
        SettingsStore store(first);
        // Only a repaired InstallPath writes the database folder right away; remove it and
        // change InstallPath so the next start repairs.
        auto key =
            RegistryKey::open(Hive::CurrentUser, std::string(kCompanyKey) + "\\" + kProductKey);
        ASSERT_NE(key, nullptr);
        key->deleteValue(setting::kDatabasePath);
        store.writeString(setting::kInstallPath, "/somewhere/else/");
    }
    SettingsStore store(first);
    EXPECT_EQ(store.stringOr(setting::kInstallPath, "?"), first);
    EXPECT_EQ(store.stringOr(setting::kDatabasePath, "?"), first + "db");
}

TEST_F(SettingsStoreTest, AKeyThatCannotBeCreatedAnswersThreeEverywhere) {
    test::writeFile(env.path("notafolder"), "x");
    env.setVariable("XDG_CONFIG_HOME", env.path("notafolder"));
    SettingsStore store(installation("opt"));
    EXPECT_FALSE(store.isOpen());
    std::string text;
    int number = 0;
    EXPECT_EQ(store.readString(setting::kInstallPath, text), kSettingsNotOpen);
    EXPECT_EQ(store.writeString(setting::kInstallPath, "x"), kSettingsNotOpen);
    EXPECT_EQ(store.readInt(setting::kRecordFormat, number), kSettingsNotOpen);
    EXPECT_EQ(store.writeBool(setting::kToTray, true), kSettingsNotOpen);
    EXPECT_EQ(store.intOr(setting::kRecordFormat, 7), 7);
}

TEST_F(SettingsStoreTest, ManyThreadsReadAndWriteAtOnce) {
    SettingsStore store(installation("opt"));
    constexpr int kThreads = 6;
    constexpr int kRounds = 30;
    std::atomic<int> badReads{0};
    std::vector<std::thread> threads;
    for (int t = 0; t < kThreads; ++t) {
        threads.emplace_back([&, t] {
            const std::string own = "Thread" + std::to_string(t);
            for (int i = 0; i < kRounds; ++i) {
                store.writeInt(own, i);
                int value = -1;
                if (store.readInt(own, value) != kSettingsOk || value != i) {
                    ++badReads;
                }
                // Values other threads never write stay readable throughout.
                if (store.intOr(setting::kTimeOfCallEnd, -1) != 8) {
                    ++badReads;
                }
            }
        });
    }
    for (auto& thread : threads) {
        thread.join();
    }
    EXPECT_EQ(badReads.load(), 0);
    for (int t = 0; t < kThreads; ++t) {
        EXPECT_EQ(store.intOr("Thread" + std::to_string(t), -1), kRounds - 1);
    }
}

}  // namespace
}  // namespace ambrin
