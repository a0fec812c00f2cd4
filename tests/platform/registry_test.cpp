#include "platform/Registry.h"

#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <thread>

#include "support/TestEnvironment.h"

namespace ambrin {
namespace {

using test::EnvironmentTest;

constexpr const char* kKey = "SOFTWARE\\Tavix\\Ambrin+ v2.0";

class RegistryTest : public EnvironmentTest {};

TEST_F(RegistryTest, KeysMapToFilesAndRefuseEscapingPaths) {
    EXPECT_EQ(RegistryKey::filePathFor(Hive::CurrentUser, kKey),
              env.path("config/Tavix/Ambrin+ v2.0.conf"));
    EXPECT_EQ(RegistryKey::filePathFor(Hive::LocalMachine, "SOFTWARE\\Tavix\\Setup"),
              env.path("machine/Tavix/Setup.conf"));
    EXPECT_EQ(RegistryKey::filePathFor(Hive::CurrentUser, "SOFTWARE\\..\\x"), "");
    EXPECT_EQ(RegistryKey::filePathFor(Hive::CurrentUser, "SOFTWARE\\a\\\\b"), "");
    EXPECT_EQ(RegistryKey::open(Hive::CurrentUser, kKey), nullptr);
}

TEST_F(RegistryTest, ValuesKeepTheirTypeAndSurviveReopening) {
    auto key = RegistryKey::create(Hive::CurrentUser, kKey);
    ASSERT_NE(key, nullptr);
    const std::string tricky = "quote\" back\\slash\nline\ttab \x01 end ";
    EXPECT_EQ(key->setString("Text", tricky), RegResult::Ok);
    EXPECT_EQ(key->setDword("Number", 0xFFFFFFFEu), RegResult::Ok);
    EXPECT_EQ(key->setString("Empty", ""), RegResult::Ok);

    auto again = RegistryKey::open(Hive::CurrentUser, kKey);
    ASSERT_NE(again, nullptr);
    RegValue value;
    ASSERT_EQ(again->query("text", value), RegResult::Ok);  // names compare without case
    EXPECT_EQ(value.type, RegType::String);
    EXPECT_EQ(value.text, tricky);
    ASSERT_EQ(again->query("Number", value), RegResult::Ok);
    EXPECT_EQ(value.type, RegType::Dword);
    EXPECT_EQ(value.dword, 0xFFFFFFFEu);
    ASSERT_EQ(again->query("Empty", value), RegResult::Ok);
    EXPECT_EQ(value.text, "");
    EXPECT_EQ(again->query("Missing", value), RegResult::NotFound);

    EXPECT_EQ(again->deleteValue("TEXT"), RegResult::Ok);
    EXPECT_EQ(key->query("Text", value), RegResult::NotFound);
    EXPECT_EQ(key->deleteValue("Text"), RegResult::NotFound);
}

TEST_F(RegistryTest, UnknownLinesOfAHandEditedFileAreKept) {
    auto key = RegistryKey::create(Hive::CurrentUser, kKey);
    ASSERT_NE(key, nullptr);
    test::writeFile(key->filePath(),
                    "; note\n[odd section]\n\"A\"=dword:zz\n\"B\"=\"x\"\ngarbage line\n");
    RegValue value;
    EXPECT_EQ(key->query("A", value), RegResult::NotFound);
    ASSERT_EQ(key->setDword("C", 3), RegResult::Ok);
    const std::string content = test::readFile(key->filePath());
    for (const char* kept :
         {"; note", "[odd section]", "\"A\"=dword:zz", "garbage line", "\"B\"=\"x\""}) {
        EXPECT_NE(content.find(kept), std::string::npos) << kept;
    }
    ASSERT_EQ(key->query("B", value), RegResult::Ok);
    EXPECT_EQ(value.text, "x");
}

TEST_F(RegistryTest, ConcurrentWritersFromThreadsAndProcessesLoseNothing) {
    auto key = RegistryKey::create(Hive::CurrentUser, kKey);
    ASSERT_NE(key, nullptr);
    constexpr int kThreads = 4;
    constexpr int kValues = 25;
    // Two processes, each with several threads, each thread writing its own values.
    const pid_t child = ::fork();
    const char* side = child == 0 ? "c" : "p";
    std::vector<std::thread> threads;
    for (int t = 0; t < kThreads; ++t) {
        threads.emplace_back([&, t] {
            auto own = RegistryKey::open(Hive::CurrentUser, kKey);
            for (int i = 0; own && i < kValues; ++i) {
                own->setDword(std::string(side) + std::to_string(t) + "_" + std::to_string(i),
                              static_cast<std::uint32_t>(i));
            }
        });
    }
    for (auto& thread : threads) {
        thread.join();
    }
    if (child == 0) {
        ::_exit(0);
    }
    int status = 0;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    for (const char* who : {"c", "p"}) {
        for (int t = 0; t < kThreads; ++t) {
            for (int i = 0; i < kValues; ++i) {
                RegValue value;
                const std::string name =
                    std::string(who) + std::to_string(t) + "_" + std::to_string(i);
                ASSERT_EQ(key->query(name, value), RegResult::Ok) << name;
                EXPECT_EQ(value.dword, static_cast<std::uint32_t>(i));
            }
        }
    }
}

TEST_F(RegistryTest, AnUnreadableFileIsAnErrorNotAnEmptyKey) {
    auto key = RegistryKey::create(Hive::CurrentUser, kKey);
    ASSERT_NE(key, nullptr);
    ASSERT_EQ(key->setString("Keep", "me"), RegResult::Ok);
    // A folder where the file should be: reads fail, and a write must not replace it.
    const std::string file = key->filePath();
    ASSERT_EQ(::rename(file.c_str(), (file + ".saved").c_str()), 0);
    ASSERT_EQ(::mkdir(file.c_str(), 0700), 0);
    RegValue value;
    EXPECT_EQ(key->query("Keep", value), RegResult::Error);
    EXPECT_EQ(key->setString("Other", "x"), RegResult::Error);
}

}  // namespace
}  // namespace ambrin
