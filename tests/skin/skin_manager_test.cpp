#include "skin/SkinManager.h"

#include <gtest/gtest.h>
#include <linux/capability.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <unistd.h>

#include <functional>
#include <memory>

#include "SkinTestTools.h"
#include "core/SettingsStore.h"
#include "platform/Folders.h"
#include "platform/MessageBox.h"
#include "skin/SkinArchive.h"
#include "skin/SkinBuilder.h"
#include "support/TestEnvironment.h"

namespace ambrin {
namespace {

using test::folderEntries;
using Names = std::vector<std::string>;

// Stands in for the skin document: parses the description while the files exist and
// remembers what it saw.
class DocumentStub : public SkinReader, public SkinBuilder {
  public:
    int buildSkin(const std::string& unpacked, const std::string& description) override {
        ++builds;
        folder = unpacked;
        descriptionPath = description;
        files = folderEntries(unpacked);
        return parseFile(description);
    }
    int startElement(const std::string& name, const Attributes& attributes) override {
        const auto found = attributes.find("ONAME");
        names.push_back(name + (found != attributes.end() ? ":" + found->second : ""));
        return 0;
    }
    int endElement(const std::string&) override { return 0; }

    int builds = 0;
    std::string folder;
    std::string descriptionPath;
    Names files;
    Names names;
};

class SkinManagerTest : public test::EnvironmentTest {
  protected:
    void SetUp() override {
        env.setVariable("AMBRIN_UI_LANG", "1033");
        install = env.path("opt") + "/";
        ::mkdir(install.c_str(), 0755);
        ::mkdir(env.path("dl").c_str(), 0755);
        settings = std::make_unique<SettingsStore>(install);
        setMessagePresenter([this](const MessageRequest& request) {
            messages.push_back(request.text);
            return kIdOk;
        });
    }
    void TearDown() override { setMessagePresenter({}); }

    // A package holding a description named `skinName` and one bitmap.
    void makePackage(const std::string& path, const std::string& skinName,
                     const std::string& description = "") {
        const std::string staging = env.path("staging");
        ::mkdir(staging.c_str(), 0755);
        test::writeFile(staging + "/skin.xml",
                        description.empty()
                            ? "<?xml version=\"1.0\"?>\n<OSKININFO ONAME=\"" + skinName +
                                  "\" ODATE=\"2012.07.31\"/>\n"
                                  "<OWINDOW ONAME=\"MainWindow\"></OWINDOW>\n"
                            : description);
        test::writeFile(staging + "/main.bmp", test::patternBytes(3000, 1));
        ASSERT_EQ(SkinArchive().createArchive(path, {staging + "/skin.xml", staging + "/main.bmp"}),
                  0);
    }

    std::string skinPathSetting() const { return settings->stringOr(setting::kSkinPath, "?"); }

    std::string install;
    std::unique_ptr<SettingsStore> settings;
    Names messages;
};

TEST_F(SkinManagerTest, TheCurrentSkinNameComesFromSkinPath) {
    EXPECT_EQ(SkinManager(*settings).currentSkinName(), "AMBRIN_LARGE");
    settings->writeString(setting::kSkinPath, "/somewhere/Blue.Night.vsk");
    EXPECT_EQ(SkinManager(*settings).currentSkinName(), "BLUE.NIGHT");
    settings->writeString(setting::kSkinPath, env.path("dl"));
    EXPECT_EQ(SkinManager(*settings).currentSkinName(), "");
}

TEST_F(SkinManagerTest, DefaultPathAndListing) {
    SkinManager manager(*settings);
    EXPECT_EQ(manager.defaultSkinPath(), install + "Ambrin_Large.VSK");
    test::writeFile(install + "Ambrin_Large.VSK", "1");
    test::writeFile(install + "blue.vsk", "2");
    test::writeFile(install + "notes.txt", "3");
    test::writeFile(install + "VSK", "4");
    ::mkdir((install + "Green.VSK").c_str(), 0755);
    EXPECT_EQ(manager.listSkins(), (SkinList{{"AMBRIN_LARGE", install + "Ambrin_Large.VSK"},
                                             {"BLUE", install + "blue.vsk"}}));
}

TEST_F(SkinManagerTest, SelectAddAndDelete) {
    SkinManager manager(*settings);
    EXPECT_EQ(manager.selectSkin(install + "Red.VSK"), 0);
    EXPECT_EQ(skinPathSetting(), install + "Red.VSK");
    EXPECT_EQ(manager.currentSkinName(), "RED");

    test::writeFile(install + "Blue.VSK", "older");
    test::writeFile(env.path("dl/Blue.zip"), "blue");
    std::string path = env.path("dl/Blue.zip");
    EXPECT_EQ(manager.addSkin(path, false), 0);
    EXPECT_EQ(path, install + "Blue.zip");
    path = env.path("dl/Blue.zip");
    EXPECT_EQ(manager.addSkin(path, true), 0);
    EXPECT_EQ(path, install + "Blue.VSK");
    EXPECT_EQ(manager.addSkin(path, true), 0);  // already in place: not emptied
    EXPECT_EQ(test::readFile(install + "Blue.VSK"), "blue");

    for (const std::string& source : {env.path("dl"), env.path("dl/none.VSK")}) {
        path = source;
        EXPECT_EQ(manager.addSkin(path, true), 28);
        EXPECT_EQ(path, source);
    }
    EXPECT_EQ(folderEntries(install), (Names{"Blue.VSK", "Blue.zip"}));

    EXPECT_EQ(manager.deleteSkin(install + "Blue.zip"), 0);
    EXPECT_EQ(manager.deleteSkin(install + "Blue.zip"), 27);
    EXPECT_EQ(folderEntries(install), Names{"Blue.VSK"});
}

TEST_F(SkinManagerTest, SkinInformationIsReadThroughAnUnpackFolder) {
    makePackage(install + "Blue.VSK", "Blue Night");
    makePackage(install + "ambrin.vsk", "Lower Case");
    SkinManager manager(*settings);
    SkinInfo info;
    EXPECT_EQ(manager.readSkinInfo("Blue", info), 0);
    EXPECT_EQ(info.name, "Blue Night");
    EXPECT_EQ(info.date, "2012.07.31");
    EXPECT_EQ(manager.readSkinInfo("AMBRIN", info), 0);  // listed as "AMBRIN"
    EXPECT_EQ(info.name, "Lower Case");
    EXPECT_EQ(folderEntries(env.path("tmp")), Names{});

    makePackage(install + "Broken.VSK", "", "<OSKININFO ONAME=\"x\"/> text");
    EXPECT_EQ(manager.readSkinInfo("Broken", info), 0);
    EXPECT_EQ(info.name, "");
    EXPECT_EQ(manager.skinInfo().name, "x");

    EXPECT_EQ(manager.readSkinInfo("Missing", info), 8);
    EXPECT_EQ(folderEntries(env.path("tmp")), Names{});
    EXPECT_TRUE(messages.empty());
}

// Runs `check` in a child process without capabilities, so that even as root it may not
// write into a read-only folder; its exit code.
int runUnprivileged(const std::function<int()>& check) {
    const pid_t child = ::fork();
    if (child == 0) {
        __user_cap_header_struct header{_LINUX_CAPABILITY_VERSION_3, 0};
        __user_cap_data_struct none[_LINUX_CAPABILITY_U32S_3]{};
        ::_exit(::syscall(SYS_capset, &header, none) == 0 ? check() : 100);
    }
    int status = 0;
    return ::waitpid(child, &status, 0) == child && WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

// An installation for every user: a skin the user adds goes to the user's data folder, is
// listed beside the installed ones and can be read from there.
TEST_F(SkinManagerTest, SkinsAddedToAReadOnlyInstallationGoToTheUsersDataFolder) {
    makePackage(install + "Ambrin_Large.VSK", "Large");
    makePackage(env.path("dl/Blue.zip"), "Blue Night");
    const std::string added = env.path("data/Ambrin+/");
    ::chmod(install.c_str(), 0555);
    const int failed = runUnprivileged([&] {
        SkinManager manager(*settings);
        std::string path = env.path("dl/Blue.zip");
        if (manager.addSkin(path, true) != 0 || path != added + "Blue.VSK") {
            return 1;
        }
        if (manager.listSkins() != SkinList{{"AMBRIN_LARGE", install + "Ambrin_Large.VSK"},
                                            {"BLUE", added + "Blue.VSK"}}) {
            return 2;
        }
        SkinInfo info;
        return manager.readSkinInfo("Blue", info) == 0 && info.name == "Blue Night" ? 0 : 3;
    });
    ::chmod(install.c_str(), 0755);
    EXPECT_EQ(failed, 0);
    EXPECT_EQ(folderEntries(install), Names{"Ambrin_Large.VSK"});
    EXPECT_EQ(folderEntries(added), Names{"Blue.VSK"});
}

// The package steps of loading a skin, with the fallbacks to the default skin.
class SkinLoadTest : public SkinManagerTest {
  protected:
    int load(const std::string& path) {
        SkinManager manager(*settings);
        return manager.loadSkin(path, document, errorText);
    }

    DocumentStub document;
    std::string errorText = "stale";
};

TEST_F(SkinLoadTest, APackageIsUnpackedForTheBuildAndRemovedAfterwards) {
    makePackage(install + "Blue.VSK", "Blue");
    EXPECT_EQ(load(install + "Blue.VSK"), 0);
    EXPECT_EQ(document.folder.rfind(env.path("tmp/VSK"), 0), 0u) << document.folder;
    EXPECT_NE(document.folder.find_first_of("0123456789"), std::string::npos);
    EXPECT_EQ(document.descriptionPath, document.folder + "/skin.xml");
    EXPECT_EQ(document.files, (Names{"main.bmp", "skin.xml"}));
    EXPECT_EQ(document.names, (Names{"OSKININFO:Blue", "OWINDOW:MainWindow"}));
    EXPECT_EQ(folderEntries(env.path("tmp")), Names{});
    EXPECT_TRUE(messages.empty());
    EXPECT_EQ(errorText, "");

    // A description that does not parse is the builder's answer; the folder goes anyway.
    makePackage(install + "Bad.VSK", "", "<OWINDOW>text</OWINDOW>");
    EXPECT_EQ(load(install + "Bad.VSK"), 23);
    EXPECT_EQ(document.errorPosition(), "[0].");
    EXPECT_EQ(folderEntries(env.path("tmp")), Names{});
}

TEST_F(SkinLoadTest, AFolderSkinIsReadInPlace) {
    test::writeFile(env.path("dl/skin.xml"), "<OWINDOW ONAME=\"MainWindow\"/>");
    EXPECT_EQ(load(env.path("dl")), 0);
    EXPECT_EQ(document.descriptionPath, env.path("dl/skin.xml"));
    EXPECT_EQ(folderEntries(env.path("dl")), Names{"skin.xml"});
    EXPECT_EQ(folderEntries(env.path("tmp")), Names{});
}

TEST_F(SkinLoadTest, ThePackageFallsBackToTheDefaultSkin) {
    makePackage(install + "Ambrin_Large.VSK", "Large");
    // One that cannot be opened: message 3, and the default becomes the selected skin.
    EXPECT_EQ(load(install + "Gone.VSK"), 0);
    EXPECT_EQ(messages, Names{"Cannot open skin."});
    EXPECT_EQ(document.names.front(), "OSKININFO:Large");
    EXPECT_EQ(skinPathSetting(), install + "Ambrin_Large.VSK");

    // The empty path means the default, without a message.
    messages.clear();
    settings->writeString(setting::kSkinPath, "");
    EXPECT_EQ(load(""), 0);
    EXPECT_TRUE(messages.empty());
    EXPECT_EQ(skinPathSetting(), install + "Ambrin_Large.VSK");

    // One that cannot be unpacked: message 5, and the selection stays.
    document.names.clear();
    test::writeFile(install + "Bad.VSK", test::tarStream({{"skin.xml", "<A/>", '2'}}));
    settings->writeString(setting::kSkinPath, install + "Bad.VSK");
    EXPECT_EQ(load(install + "Bad.VSK"), 0);
    EXPECT_EQ(messages, Names{"Cannot extract skin."});
    EXPECT_EQ(document.names.front(), "OSKININFO:Large");
    EXPECT_EQ(skinPathSetting(), install + "Bad.VSK");
    EXPECT_EQ(folderEntries(env.path("tmp")), Names{});
}

TEST_F(SkinLoadTest, WithoutAUsableSkinTheLoadFailsWith2) {
    EXPECT_EQ(load(install + "Gone.VSK"), 2);
    EXPECT_EQ(messages, Names{"Cannot open skin."});
    EXPECT_EQ(errorText, "Cannot find skin.");
    EXPECT_EQ(document.builds, 0);
    EXPECT_EQ(folderEntries(env.path("tmp")), Names{});

    messages.clear();
    env.setVariable("TMPDIR", env.path("no/such/folder"));
    EXPECT_EQ(load(install + "Gone.VSK"), 2);
    EXPECT_EQ(messages, Names{"Cannot create temporary folder for skin."});
}

}  // namespace
}  // namespace ambrin
