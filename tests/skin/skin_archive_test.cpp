#include "skin/SkinArchive.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>
#include <zip.h>

#include <cstring>
#include <ctime>
#include <map>

#include "SkinTestTools.h"
#include "platform/Folders.h"
#include "support/TestEnvironment.h"

namespace ambrin {
namespace {

using test::folderEntries;
using test::quoted;
using test::runCommand;
using test::TarMember;
using Names = std::vector<std::string>;

// Folders of one test: "files" holds what goes into packages, "out" receives extractions,
// and "outside" next to it must never change.
class SkinArchiveTest : public test::EnvironmentTest {
  protected:
    void SetUp() override {
        for (const char* name : {"files", "out", "outside"}) {
            ::mkdir(env.path(name).c_str(), 0755);
        }
        test::writeFile(env.path("outside/keep.txt"), "outside");
    }

    std::string file(const std::string& name, const std::string& content) {
        const std::string path = env.path("files/" + name);
        test::writeFile(path, content);
        return path;
    }

    std::string out(const std::string& name = "") const { return env.path("out/" + name); }

    int extractBytes(const std::string& bytes) {
        test::writeFile(env.path("pkg.VSK"), bytes);
        return archive.extract(env.path("pkg.VSK"), out());
    }

    // Nothing but the expected names anywhere around the target folder.
    void expectNothingOutside() const {
        Names entries = folderEntries(env.root());
        std::erase(entries, "pkg.VSK");
        EXPECT_EQ(entries, (Names{"cache", "config", "data", "files", "home", "machine", "out",
                                  "outside", "run", "tmp"}));
        EXPECT_EQ(folderEntries(env.path("outside")), Names{"keep.txt"});
        EXPECT_EQ(test::readFile(env.path("outside/keep.txt")), "outside");
    }

    std::string gunzip(const std::string& path) {
        std::string bytes;
        EXPECT_EQ(runCommand("gzip -dc " + quoted(path), &bytes), 0);
        return bytes;
    }

    SkinArchive archive;
};

// Packages as this program writes them.
class SkinArchiveWriterTest : public SkinArchiveTest {};

// The checksum a header carries, and the sums of its bytes counted signed and unsigned.
struct HeaderSums {
    long stored;
    long signedSum = 0;
    long unsignedSum = 0;
};

HeaderSums sumsOf(std::string header) {
    HeaderSums sums{std::stol(header.substr(148, 6), nullptr, 8), 0, 0};
    header.replace(148, 8, 8, ' ');
    for (const char c : header) {
        sums.signedSum += static_cast<signed char>(c);
        sums.unsignedSum += static_cast<unsigned char>(c);
    }
    return sums;
}

TEST_F(SkinArchiveWriterTest, HeadersPaddingAndEndAreLaidOutByteForByte) {
    const std::string big = test::patternBytes(1024, 1);
    const std::string small = test::patternBytes(1000, 2);
    const std::string korean = "\xed\x95\x9c\xea\xb8\x80.xml";  // bytes of 0x80 and above
    const std::time_t before = std::time(nullptr);
    ASSERT_EQ(archive.createArchive(env.path("pkg.VSK"), {file("a.bmp", big), file(korean, small)}),
              0);
    EXPECT_EQ(test::readFile(env.path("pkg.VSK")).substr(0, 2), "\x1f\x8b");
    const std::string tar = gunzip(env.path("pkg.VSK"));
    ASSERT_EQ(tar.size(), 512 + 1024 + 512 + 512 + 1000 + 24 + 5120u);

    // Time and checksum taken over from the written header, then checked on their own.
    const std::string header = tar.substr(0, 512);
    EXPECT_EQ(header, "a.bmp" + std::string(95, '\0') +
                          std::string("100644 \0   764 \0   144 \0", 24) + "       2000 " +
                          header.substr(136, 20) + "0" + std::string(100, '\0') +
                          std::string("ustar  \0", 8) + std::string(247, '\0'));
    const long mtime = std::stol(header.substr(136, 11), nullptr, 8);
    EXPECT_TRUE(mtime >= before && mtime <= std::time(nullptr)) << mtime;
    EXPECT_EQ(header.substr(147, 1) + header.substr(154, 2), std::string(" \0 ", 3));
    EXPECT_EQ(sumsOf(header).stored, sumsOf(header).signedSum);

    EXPECT_EQ(tar.substr(512, 1024), big);
    EXPECT_EQ(tar.substr(1536, 512), std::string(512, '\0'));  // whole blocks: one more
    const HeaderSums sums = sumsOf(tar.substr(2048, 512));
    EXPECT_EQ(sums.stored, sums.signedSum);
    EXPECT_NE(sums.stored, sums.unsignedSum);
    EXPECT_EQ(tar.substr(2048, 12), korean + std::string(2, '\0'));
    EXPECT_EQ(tar.substr(2048 + 124, 12), "       1750 ");
    EXPECT_EQ(tar.substr(2560, 1000), small);
    EXPECT_EQ(tar.substr(3560), std::string(24 + 5120, '\0'));
}

TEST_F(SkinArchiveWriterTest, GnuTarListsAndExtractsOurPackages) {
    const std::map<std::string, std::string> files = {
        {"skin.xml", "<OSKININFO ONAME=\"x\"/>"},
        {"main.bmp", test::patternBytes(70000, 3)},
        {"\xed\x95\x9c.bmp", test::patternBytes(700, 4)}};
    std::vector<std::string> paths;
    for (const auto& [name, content] : files) {
        paths.push_back(file(name, content));
    }
    ASSERT_EQ(archive.createArchive(env.path("pkg.VSK"), paths), 0);

    std::string listing;
    ASSERT_EQ(runCommand("tar -tzvf " + quoted(env.path("pkg.VSK")), &listing), 0);
    // The owner fields hold octal 764 and 144.
    for (const char* part : {"-rw-r--r-- 500/100 ", " 70000 ", " skin.xml\n", " main.bmp\n"}) {
        EXPECT_NE(listing.find(part), std::string::npos) << part << " in\n" << listing;
    }

    ASSERT_EQ(runCommand("tar -xzf " + quoted(env.path("pkg.VSK")) + " -C " + quoted(out())), 0);
    for (const auto& [name, content] : files) {
        EXPECT_EQ(test::readFile(out(name)), content) << name;
    }
}

// After a member of whole blocks comes a zero block, which GNU tar takes for the end unless
// it is told to read on; our reader takes it for padding.
TEST_F(SkinArchiveWriterTest, GnuTarReadsPastWholeBlockMembersWithIgnoreZeros) {
    ASSERT_EQ(archive.createArchive(env.path("pkg.VSK"),
                                    {file("a.bmp", test::patternBytes(1024, 5)),
                                     file("empty.txt", ""), file("skin.xml", "<A/>")}),
              0);
    std::string listing;
    ASSERT_EQ(runCommand("tar -tzf " + quoted(env.path("pkg.VSK")), &listing), 0);
    EXPECT_EQ(listing, "a.bmp\n");
    listing.clear();
    ASSERT_EQ(runCommand("tar -tzif " + quoted(env.path("pkg.VSK")), &listing), 0);
    EXPECT_EQ(listing, "a.bmp\nempty.txt\nskin.xml\n");
    ASSERT_EQ(archive.extract(env.path("pkg.VSK"), out()), 0);
    EXPECT_EQ(folderEntries(out()), (Names{"a.bmp", "empty.txt", "skin.xml"}));
}

TEST_F(SkinArchiveWriterTest, FailuresLeaveNoPackage) {
    const std::string package = env.path("pkg.VSK");
    EXPECT_EQ(archive.createArchive(env.path("missing/pkg.VSK"), {file("a", "1")}), 6);
    EXPECT_EQ(archive.createArchive(package, {file("a", "1"), env.path("files/none")}), 8);
    EXPECT_FALSE(fileExists(package));
    EXPECT_EQ(archive.createArchive(package, {env.path("files")}), 8);
    EXPECT_EQ(archive.createArchive(package, {file(std::string(100, 'n'), "1")}), 14);
    EXPECT_FALSE(fileExists(package));
    EXPECT_EQ(archive.createArchive(package, {file(std::string(99, 'n'), "1")}), 0);
}

// Tar streams from other writers, and headers the writer would never make.
class SkinArchiveReaderTest : public SkinArchiveTest {};

TEST_F(SkinArchiveReaderTest, ReadsGnuTarArchivesPlainAndCompressedFlatOrInAFolder) {
    const std::map<std::string, std::string> files = {{"skin.xml", "<A/>"},
                                                      {"a.bmp", test::patternBytes(1024, 6)},
                                                      {"b.bmp", test::patternBytes(1000, 7)},
                                                      {"empty", ""}};
    ::mkdir(env.path("files/Skin").c_str(), 0755);
    std::string names;
    for (const auto& [name, content] : files) {
        file(name, content);
        file("Skin/" + name, content);
        names += " " + name;
    }
    const std::string in = " -C " + quoted(env.path("files"));
    for (const std::string options : {"-cf", "-czf"}) {
        for (const std::string& members : {names, std::string(" Skin")}) {
            SCOPED_TRACE(options + members);
            ASSERT_EQ(
                runCommand("tar " + options + " " + quoted(env.path("pkg.VSK")) + in + members), 0);
            ASSERT_EQ(archive.extract(env.path("pkg.VSK"), out()), 0);
            EXPECT_EQ(folderEntries(out()), (Names{"a.bmp", "b.bmp", "empty", "skin.xml"}));
            for (const auto& [name, content] : files) {
                EXPECT_EQ(test::readFile(out(name)), content) << name;
            }
            EXPECT_EQ(archive.extractedFiles().size(), 4u);
            ASSERT_EQ(archive.clearFolder(out()), 0);
        }
    }
}

TEST_F(SkinArchiveReaderTest, AHighByteHeaderChecksWithTheSignedSumOnly) {
    TarMember member{"\xb0\xa1.bmp", "data"};
    ASSERT_EQ(extractBytes(test::tarStream({member})), 0);
    EXPECT_EQ(test::readFile(out("\xb0\xa1.bmp")), "data");
    member.unsignedChecksum = true;
    EXPECT_EQ(extractBytes(test::tarStream({member})), 14);
}

TEST_F(SkinArchiveReaderTest, HeaderRules) {
    const TarMember good{"skin.xml", "<A/>"};
    const TarMember folder{"Skin/", "", '5'};
    auto withSize = [&good](const std::string& field) {
        TarMember member = good;
        member.sizeField = field;
        return member;
    };
    TarMember posix = good;
    posix.magic = std::string("ustar") + '\0' + "00";
    struct Case {
        const char* what;
        std::vector<TarMember> members;
        int result;
    };
    const std::vector<Case> cases = {
        {"posix magic", {good, posix}, 14},
        {"symbolic link", {good, TarMember{"link", "", '2'}}, 14},
        {"hard link", {good, TarMember{"link", "", '1'}}, 14},
        {"long name", {good, TarMember{"././@LongLink", "x", 'L'}}, 14},
        {"old regular file", {TarMember{"skin.xml", "<A/>", '\0'}}, 0},
        {"one folder", {folder, good}, 0},
        {"two folders", {folder, good, TarMember{"Skin/x/", "", '5'}}, 14},
        {"blank size", {withSize(std::string(12, ' '))}, 14},
        {"size after blanks", {withSize("      4 xyz")}, 0},
        {"size with an 8", {withSize("00000000008")}, 14},
        {"size then a letter", {withSize("0000000004x")}, 14},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        EXPECT_EQ(extractBytes(test::tarStream(c.members)), c.result);
        EXPECT_EQ(folderEntries(out()), c.result == 0 ? Names{"skin.xml"} : Names{});
        EXPECT_EQ(archive.extractedFiles().size(), c.result == 0 ? 1u : 0u);
        archive.clearFolder(out());
    }
}

TEST_F(SkinArchiveReaderTest, ShortArchivesAreReadFailures) {
    const std::string stream = test::tarStream(
        {{"a.bmp", test::patternBytes(1000, 8)}, {"skin.xml", test::patternBytes(600, 9)}});
    EXPECT_EQ(extractBytes(stream.substr(0, 300)), 26);
    EXPECT_EQ(extractBytes(stream.substr(0, 1536 + 700)), 26);  // in the second member
    EXPECT_EQ(folderEntries(out()), Names{});
    EXPECT_EQ(extractBytes(stream.substr(0, stream.size() - 1024)), 26);  // no end block
    EXPECT_EQ(extractBytes(""), 26);
    EXPECT_EQ(archive.extract(env.path("none.VSK"), out()), 8);
    EXPECT_EQ(archive.extract("", out()), 8);
    EXPECT_EQ(extractBytes(stream), 0);
    EXPECT_EQ(archive.extract(env.path("pkg.VSK"), env.path("no-folder")), 8);
}

TEST_F(SkinArchiveReaderTest, MemberNamesAreBaseNamesOnly) {
    ASSERT_EQ(extractBytes(test::tarStream({{"../up.txt", "1"},
                                            {"/etc/abs.txt", "2"},
                                            {"a\\..\\win.txt", "3"},
                                            {"x/../../../dup.txt", "4"},
                                            {"y/dup.txt", "5"}})),
              0);
    EXPECT_EQ(folderEntries(out()), (Names{"abs.txt", "dup.txt", "up.txt", "win.txt"}));
    EXPECT_EQ(test::readFile(out("dup.txt")), "5");
    EXPECT_EQ(archive.extractedFiles(),
              (Names{out("up.txt"), out("abs.txt"), out("win.txt"), out("dup.txt")}));
    expectNothingOutside();

    for (const std::string bad : {"..", ".", "", "dir/", "dir/..", "a\\."}) {
        SCOPED_TRACE(bad);
        archive.clearFolder(out());
        EXPECT_EQ(extractBytes(test::tarStream({{"first.txt", "1"}, {bad, "2"}})), 14);
        EXPECT_EQ(folderEntries(out()), Names{});
        expectNothingOutside();
    }
}

TEST_F(SkinArchiveReaderTest, PlantedLinksNeverCarryAWriteOutside) {
    const std::string outsideFile = env.path("outside/keep.txt");
    ASSERT_EQ(::symlink(outsideFile.c_str(), out("skin.xml").c_str()), 0);
    EXPECT_EQ(extractBytes(test::tarStream({{"a.bmp", "1"}, {"skin.xml", "evil"}})), 14);
    EXPECT_EQ(folderEntries(out()), Names{"skin.xml"});
    expectNothingOutside();

    // A hard link is replaced by a file of its own.
    ::unlink(out("skin.xml").c_str());
    ASSERT_EQ(::link(outsideFile.c_str(), out("skin.xml").c_str()), 0);
    EXPECT_EQ(extractBytes(test::tarStream({{"skin.xml", "new"}})), 0);
    EXPECT_EQ(test::readFile(out("skin.xml")), "new");
    expectNothingOutside();
}

class SkinArchiveZipTest : public SkinArchiveTest {
  protected:
    // A zip made with libzip, for names the zip command would not write.
    void makeZip(const std::vector<std::pair<std::string, std::string>>& entries) {
        int error = 0;
        zip_t* zip = zip_open(env.path("pkg.VSK").c_str(), ZIP_CREATE | ZIP_TRUNCATE, &error);
        ASSERT_NE(zip, nullptr);
        for (const auto& [name, data] : entries) {
            zip_source_t* source = zip_source_buffer(zip, data.data(), data.size(), 0);
            ASSERT_GE(zip_file_add(zip, name.c_str(), source, ZIP_FL_ENC_UTF_8), 0) << name;
        }
        ASSERT_EQ(zip_close(zip), 0);
    }
};

TEST_F(SkinArchiveZipTest, ZipPackagesExtractFlatWithOrWithoutAFolder) {
    ::mkdir(env.path("files/Skin").c_str(), 0755);
    ::mkdir(env.path("files/Skin/bitmaps").c_str(), 0755);
    test::writeFile(env.path("files/Skin/skin.xml"), "<A/>");
    test::writeFile(env.path("files/Skin/bitmaps/main.bmp"), test::patternBytes(5000, 10));
    const std::string package = quoted(env.path("pkg.VSK"));
    for (const std::string options : {"-q -r -j", "-q -r"}) {
        SCOPED_TRACE(options);
        ::unlink(env.path("pkg.VSK").c_str());
        ASSERT_EQ(runCommand("cd " + quoted(env.path("files")) + " && zip " + options + " " +
                             package + " Skin"),
                  0);
        ASSERT_EQ(archive.extract(env.path("pkg.VSK"), out()), 0);
        EXPECT_EQ(folderEntries(out()), (Names{"main.bmp", "skin.xml"}));
        EXPECT_EQ(test::readFile(out("main.bmp")), test::patternBytes(5000, 10));
        archive.clearFolder(out());
    }
}

TEST_F(SkinArchiveZipTest, BadAndHostileZipsWriteNothingOutside) {
    // "PK" 3 4 chooses the zip path, also for garbage and for a tar whose first name has it.
    const int garbage = extractBytes(std::string("PK\x03\x04", 4) + test::patternBytes(600, 11));
    EXPECT_TRUE(garbage == 8 || garbage == 14) << garbage;
    EXPECT_EQ(extractBytes(test::tarStream({{std::string("PK\x03\x04", 4) + "x", "1"}})), 8);
    EXPECT_EQ(folderEntries(out()), Names{});

    makeZip({{"../up.txt", "1"}, {"/abs.txt", "2"}, {"dir\\win.txt", "3"}});
    ASSERT_EQ(archive.extract(env.path("pkg.VSK"), out()), 0);
    EXPECT_EQ(folderEntries(out()), (Names{"abs.txt", "up.txt", "win.txt"}));
    expectNothingOutside();

    for (const std::string bad : {"..", "sub/..", "."}) {
        SCOPED_TRACE(bad);
        archive.clearFolder(out());
        makeZip({{"first.txt", "1"}, {bad, "2"}});
        EXPECT_EQ(archive.extract(env.path("pkg.VSK"), out()), 14);
        EXPECT_EQ(folderEntries(out()), Names{});
    }

    // A stored symbolic link (zip -y) is refused, and what came before it is deleted.
    archive.clearFolder(out());
    file("skin.xml", "<A/>");
    ASSERT_EQ(::symlink(env.path("outside/keep.txt").c_str(), env.path("files/link").c_str()), 0);
    ::unlink(env.path("pkg.VSK").c_str());
    ASSERT_EQ(runCommand("cd " + quoted(env.path("files")) + " && zip -q -y " +
                         quoted(env.path("pkg.VSK")) + " skin.xml link"),
              0);
    EXPECT_EQ(archive.extract(env.path("pkg.VSK"), out()), 14);
    EXPECT_EQ(folderEntries(out()), Names{});
    expectNothingOutside();
}

TEST_F(SkinArchiveTest, ClearingAndDeletingExtractedFiles) {
    ASSERT_EQ(extractBytes(test::tarStream({{"a", "1"}, {"b", "2"}, {"c", "3"}})), 0);
    test::writeFile(out("other"), "not extracted");
    ::unlink(out("b").c_str());
    EXPECT_EQ(archive.deleteExtractedFiles(), 27);  // "b" was gone already
    EXPECT_EQ(folderEntries(out()), Names{"other"});
    EXPECT_EQ(archive.deleteExtractedFiles(), 0);

    // Clearing goes into sub-folders but never through a link.
    ::mkdir(out("sub").c_str(), 0755);
    ::mkdir(out("sub/deeper").c_str(), 0755);
    test::writeFile(out("sub/deeper/b.bmp"), "2");
    ASSERT_EQ(::symlink(env.path("outside").c_str(), out("link").c_str()), 0);
    ASSERT_EQ(::symlink(env.path("outside").c_str(), out("sub/link").c_str()), 0);
    EXPECT_EQ(archive.clearFolder(out()), 0);
    EXPECT_EQ(folderEntries(out()), Names{});
    expectNothingOutside();
    EXPECT_EQ(archive.clearFolder(env.path("missing")), 27);
}

}  // namespace
}  // namespace ambrin
