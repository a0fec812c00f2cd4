// The Debian package of `make package`: what it holds, and the program run from it with its
// folder read-only, as for every user of a machine where it is installed.

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>

#include "platform/Shell.h"
#include "support/AudioLine.h"
#include "support/ProgramTools.h"
#include "support/TestEnvironment.h"
#include "wizard/InstalledProgram.h"

namespace ambrin {
namespace {

std::string packageFile() {
    for (const auto& entry : std::filesystem::directory_iterator(AMBRIN_PACKAGE_FOLDER)) {
        if (entry.path().extension() == ".deb") {
            return entry.path().string();
        }
    }
    return {};
}

class PackageTest : public test::EnvironmentTest {};

TEST_F(PackageTest, HoldsTheProgramsTheLauncherTheEntryAndTheIcons) {
    const std::string deb = packageFile();
    ASSERT_FALSE(deb.empty()) << "make package first";
    const std::string contents = test::runCommand("dpkg-deb --contents '" + deb + "'");
    for (const char* path :
         {"./opt/ambrin/ambrin", "./opt/ambrin/libwizard.so", "./opt/ambrin/Ambrin_Large.VSK",
          "./opt/ambrin/ambrin.vsk", "./opt/ambrin/AMBRIN.pdf", "./opt/ambrin/_eng/AMBRIN.pdf",
          "./usr/bin/ambrin -> /opt/ambrin/ambrin", "./usr/share/applications/ambrin.desktop",
          "./usr/share/icons/hicolor/scalable/apps/ambrin.svg",
          "./usr/share/icons/hicolor/48x48/apps/ambrin.png", "./usr/share/doc/ambrin/copyright",
          "./usr/share/man/man1/ambrin.1.gz"}) {
        EXPECT_NE(contents.find(path), std::string::npos) << path << "\n" << contents;
    }
    const std::string fields = test::runCommand("dpkg-deb --field '" + deb + "'");
    EXPECT_NE(fields.find("Recommends: libmp3lame0"), std::string::npos) << fields;
    for (const char* dependency : {"gstreamer1.0-plugins-good", "libqt6widgets6", "libpulse0"}) {
        EXPECT_NE(fields.find(dependency), std::string::npos) << dependency << "\n" << fields;
    }
}

TEST_F(PackageTest, AReadOnlyProgramFolderLeavesEverythingWrittenInTheUsersDataFolder) {
    test::AudioLine line{env};
    ASSERT_TRUE(line.available());
    const std::string deb = packageFile();
    ASSERT_FALSE(deb.empty()) << "make package first";
    const std::string root = env.path("root");
    test::runCommand("dpkg-deb -x '" + deb + "' '" + root + "'");
    const std::string folder = root + "/opt/ambrin";
    ASSERT_TRUE(std::filesystem::exists(folder + "/ambrin"));
    test::runCommand("chmod -R a-w '" + folder + "'");
    const auto before = test::folderListing(folder);

    // As an ordinary user: root's capabilities would let it write anywhere. (The child is
    // started by path, without a search of PATH.)
    const std::string setpriv = findProgram("setpriv");
    ASSERT_TRUE(::geteuid() != 0 || !setpriv.empty());
    const std::vector<std::string> user =
        ::geteuid() == 0 ? std::vector<std::string>{setpriv,      "--bounding-set", "-all",
                                                    "--inh-caps", "-all",           "--"}
                         : std::vector<std::string>{};
    test::writeShortCallSettings();
    ASSERT_EQ(test::recordOneCall(line, folder + "/ambrin", user, env.root()), "");

    EXPECT_EQ(test::folderListing(folder), before) << "the program folder was written";
    const std::string data = env.path("data/Ambrin+/");
    struct stat info {};
    ASSERT_EQ(::stat(data.c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 0777, 0700u);
    const auto recordings = test::filesUnder(data + "db");
    ASSERT_EQ(recordings.size(), 1u);
    EXPECT_EQ(test::sqliteQuery(data + "Ambrin.od2", "select FileName from RecordInfo"),
              recordings[0] + "\n");
    // The user's stock call contents start as the installed list.
    const std::string installedContents = test::readFile(folder + "/DefaultContent.txt");
    EXPECT_NE(installedContents, "");
    EXPECT_EQ(test::readFile(data + "DefaultContent.txt"), installedContents);
    test::runCommand("chmod -R u+w '" + root + "'");
}

}  // namespace
}  // namespace ambrin
