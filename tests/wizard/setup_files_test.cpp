// The setup's choices that need no window: language, folders, the copy of one row.

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>

#include "platform/StringTable.h"
#include "support/TestEnvironment.h"
#include "wizard/SetupFiles.h"

namespace ambrin::wizard {
namespace {

class SetupFilesTest : public test::EnvironmentTest {};

TEST_F(SetupFilesTest, LanguageFollowsTheRequestTheEnglishTextsAndTheLocale) {
    const std::string medium = env.path("medium/");
    std::filesystem::create_directories(medium + "_eng");
    env.setVariable("LC_ALL", std::nullopt);
    env.setVariable("LC_MESSAGES", std::nullopt);
    env.setVariable("LANG", "ko_KR.UTF-8");
    // Without the English texts beside the library: English, whatever the locale.
    EXPECT_EQ(chooseLanguage(0, medium), kLangEnglish);
    test::writeFile(medium + "_eng/readme.txt", "readme");
    EXPECT_EQ(chooseLanguage(0, medium), kLangKorean);
    EXPECT_EQ(chooseLanguage(kLangKorean, medium), kLangKorean);
    EXPECT_EQ(chooseLanguage(kLangEnglish, medium), kLangEnglish);
    env.setVariable("LANG", "de_DE.UTF-8");
    EXPECT_EQ(chooseLanguage(0, medium), kLangEnglish);

    EXPECT_EQ(sourceFolder(medium, kLangEnglish), medium + "_eng/");
    EXPECT_EQ(sourceFolder(medium + "_eng/", kLangEnglish), medium + "_eng/");
    EXPECT_EQ(sourceFolder(medium, kLangKorean), medium);
}

TEST_F(SetupFilesTest, TheChosenFolderGetsAmbrinAndTheRootNoDoubleSlash) {
    EXPECT_EQ(folderWithProduct("/"), "/Ambrin/");
    EXPECT_EQ(folderWithProduct("/home/kim/"), "/home/kim/Ambrin/");
    EXPECT_EQ(folderWithProduct("/home//kim"), "/home/kim/Ambrin/");
    EXPECT_TRUE(sameFolder("/opt/Ambrin", "/opt//Ambrin/"));
    EXPECT_FALSE(sameFolder("/opt/Ambrin/", "/opt/Ambrin2/"));
}

TEST_F(SetupFilesTest, ARowKeepsTheSourceModeAndAMissingOptionalRowIsNoFailure) {
    const std::string medium = env.path("medium/");
    const std::string folder = env.path("programs/");
    std::filesystem::create_directories(medium + "_eng");
    std::filesystem::create_directories(folder);
    test::writeFile(medium + "ambrin_", "program", 0755);
    test::writeFile(folder + "ambrin", "old", 0444);  // a write-protected old copy
    const SetupFile program{"ambrin_", "ambrin", false};
    ASSERT_TRUE(installFile(medium + "_eng/", folder, program));  // from the folder above
    EXPECT_EQ(test::readFile(folder + "ambrin"), "program");
    struct stat info {};
    ASSERT_EQ(::stat((folder + "ambrin").c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 0777, 0755u);

    EXPECT_TRUE(installFile(medium, folder, {"dbtrans_", "dbtrans", true}));
    EXPECT_FALSE(std::filesystem::exists(folder + "dbtrans"));
    EXPECT_FALSE(installFile(medium, folder, {"readme.txt", "readme.txt", false}));
    EXPECT_TRUE(removeFile(folder, program));
    EXPECT_FALSE(std::filesystem::exists(folder + "ambrin"));
}

}  // namespace
}  // namespace ambrin::wizard
