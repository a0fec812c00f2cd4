#include <gtest/gtest.h>
#include <sys/stat.h>

#include "app/Application.h"
#include "core/SettingsStore.h"
#include "platform/DiskSpace.h"
#include "platform/Registry.h"
#include "support/TestEnvironment.h"

namespace ambrin {
namespace {

constexpr std::uint64_t kMiB = 1024 * 1024;

class DiskSpaceCheckTest : public test::EnvironmentTest {
  protected:
    DiskSpaceCheckTest() : store(programFolder()) {}

    // The program folder exists and is writable, so the recordings' default stays beside it.
    std::string programFolder() {
        ::mkdir(env.path("opt").c_str(), 0700);
        return env.path("opt") + "/";
    }

    bool checkWith(std::optional<std::uint64_t> freeBytes) {
        return checkDiskSpace(store, [&](const std::string& path) {
            probed = path;
            return freeBytes;
        });
    }

    SettingsStore store;
    std::string probed = "<not asked>";
};

TEST_F(DiskSpaceCheckTest, MoreThanFortyMebibytesAreNeeded) {
    EXPECT_FALSE(checkWith(40 * kMiB));
    EXPECT_TRUE(checkWith(40 * kMiB + 1));
    EXPECT_FALSE(checkWith(0));
    EXPECT_TRUE(checkWith(std::uint64_t{1} << 50));
    EXPECT_EQ(probed, env.path("opt") + "/db");
}

TEST_F(DiskSpaceCheckTest, WhatCannotBeToldPasses) {
    EXPECT_TRUE(checkWith(std::nullopt));
    auto key = RegistryKey::open(Hive::CurrentUser, std::string(kCompanyKey) + "\\" + kProductKey);
    ASSERT_NE(key, nullptr);
    key->deleteValue(setting::kDatabasePath);
    probed = "<not asked>";
    EXPECT_TRUE(checkWith(0));  // no "DatabasePath" at all: not even asked
    EXPECT_EQ(probed, "<not asked>");
}

TEST_F(DiskSpaceCheckTest, FreeSpaceIsMeasuredAtTheNearestExistingFolder) {
    const auto here = freeDiskBytes(env.root());
    ASSERT_TRUE(here.has_value());
    const auto deeper = freeDiskBytes(env.path("not/yet/made"));
    ASSERT_TRUE(deeper.has_value());
    // Same volume: within what other processes may have written meanwhile.
    const auto difference = *here > *deeper ? *here - *deeper : *deeper - *here;
    EXPECT_LT(difference, 64 * kMiB);
    EXPECT_TRUE(freeDiskBytes("relative/folder").has_value());  // from the current folder
}

}  // namespace
}  // namespace ambrin
