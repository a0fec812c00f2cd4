// The updater's parts against real files, a real HTTP server on 127.0.0.1 and signatures
// made by the minisign tool.

#include <dlfcn.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <vector>

#include "platform/VersionInfo.h"
#include "support/HttpTestServer.h"
#include "support/ProgramTools.h"
#include "support/TestEnvironment.h"
#include "wizard/FileInstaller.h"
#include "wizard/HttpTransfer.h"
#include "wizard/MinisignSignature.h"
#include "wizard/UpdateManifest.h"
#include "wizard/UpdateServer.h"
#include "wizard/UrlParts.h"
#include "wizard/WizardStrings.h"

namespace ambrin::wizard {
namespace {

using test::HttpTestServer;

TEST(UrlParts, SplitsLikeTheManifestsWriteThem) {
    struct Case {
        const char* url;
        const char* host;
        int port;
        const char* path;
    };
    const Case cases[] = {
        {"  http://update.example:8080/product/update.txt", "update.example", 8080,
         "product/update.txt"},
        {"update.example/a/b", "update.example", 80, "a/b"},
        {"ftp://10.0.0.7", "10.0.0.7", 80, ""},
        {"http://host:0/x", "host", 80, "x"},
        {"http://host:-5/x", "host", 80, "x"},
        {"http://host:99999/x", "host", 80, "x"},
        {"http://host/x:1", "host", 80, "x:1"},
        {"http://host:81", "host", 81, ""},
    };
    for (const Case& c : cases) {
        const UrlParts parts = splitUrl(c.url);
        EXPECT_EQ(parts.host, c.host) << c.url;
        EXPECT_EQ(parts.port, c.port) << c.url;
        EXPECT_EQ(parts.path, c.path) << c.url;
    }
}

TEST(WizardStrings, BothLanguagesCarryEveryIdWithTheSamePlaces) {
    auto places = [](const std::string& text) {
        std::string found;
        for (std::size_t at = text.find('%'); at != std::string::npos;
             at = text.find('%', at + 2)) {
            found += text.substr(at, 2);
        }
        return found;
    };
    for (int id = str::kDownloading; id <= str::kStopQuestion; ++id) {
        const std::string english = wizardString(id, 1033);
        const std::string korean = wizardString(id, 1042);
        EXPECT_FALSE(english.empty()) << id;
        EXPECT_FALSE(korean.empty()) << id;
        EXPECT_NE(english, korean) << id;
        EXPECT_EQ(places(english), places(korean)) << id;
    }
    EXPECT_EQ(fillPlaces(wizardString(str::kDownloading, 1033), {"ambrin_", "4096", "1", "2"}),
              "Downloading...  ambrin_ (4096 bytes [#1/2])");
}

TEST(VersionNote, EveryDeliverableCarriesItAndOtherFilesHaveNone) {
    const auto wizard = VersionInfo::read(WIZARD_LIB);
    ASSERT_TRUE(wizard.has_value());
    EXPECT_EQ(wizard->productName, "Ambrin+");
    EXPECT_EQ(wizard->fileDescription, "Ambrin+ Setup and Update");
    EXPECT_EQ(wizard->versionText(), AMBRIN_VERSION_TEXT);
    const auto program = VersionInfo::read(AMBRIN_BIN);
    ASSERT_TRUE(program.has_value());
    EXPECT_EQ(program->fileDescription, "Ambrin+ Call Recorder");
    EXPECT_EQ(program->versionText(), AMBRIN_VERSION_TEXT);
    // readelf, an outside reader, sees the same note.
    EXPECT_NE(
        test::runCommand(std::string("readelf -n ") + AMBRIN_BIN).find(".note.ambrin.version"),
        std::string::npos);

    EXPECT_FALSE(VersionInfo::read("/proc/self/status").has_value());
    EXPECT_FALSE(VersionInfo::read("/nonexistent").has_value());
    EXPECT_FALSE(VersionInfo::read("/bin/sh").has_value());
}

class UpdateFolderTest : public test::EnvironmentTest {
  protected:
    std::string folder = env.path("opt/");
    void SetUp() override { std::filesystem::create_directories(folder); }

    UpdateEntry entry(const std::string& file, std::int32_t size, FileVersion version) {
        UpdateEntry e;
        e.fileName = file;
        e.size = size;
        e.version = version;
        return e;
    }
};

TEST_F(UpdateFolderTest, VersionTestComparesNotesAndElseSizes) {
    std::filesystem::copy_file(NOTE_2_0_0_0, folder + "two");
    std::filesystem::copy_file(NOTE_1_2_3_4, folder + "one");
    const auto size = static_cast<std::int32_t>(std::filesystem::file_size(folder + "two"));
    // A file with version information goes by its version alone, whatever the size.
    EXPECT_FALSE(needsUpdate(entry("two", size + 1, {1, 9, 9, 9}), folder));
    EXPECT_FALSE(needsUpdate(entry("two", size, {2, 0, 0, 0}), folder));
    EXPECT_TRUE(needsUpdate(entry("two", size, {2, 0, 0, 1}), folder));
    EXPECT_TRUE(needsUpdate(entry("one", 0, {1, 2, 3, 5}), folder));
    EXPECT_FALSE(needsUpdate(entry("one", 0, {1, 2, 3, 4}), folder));
    EXPECT_FALSE(needsUpdate(entry("one", 0, {0, 9, 9, 9}), folder));

    // Without version information: missing, empty or another size means a fetch.
    test::writeFile(folder + "readme.txt", "twelve bytes");
    test::writeFile(folder + "empty.txt", "");
    EXPECT_FALSE(needsUpdate(entry("readme.txt", 12, {9, 9, 9, 9}), folder));
    EXPECT_TRUE(needsUpdate(entry("readme.txt", 13, {0, 0, 0, 0}), folder));
    EXPECT_TRUE(needsUpdate(entry("empty.txt", 0, {0, 0, 0, 0}), folder));
    EXPECT_TRUE(needsUpdate(entry("missing.txt", 12, {0, 0, 0, 0}), folder));
}

TEST_F(UpdateFolderTest, ManifestListIsAllOrNothing) {
    const std::string digest(64, 'a');
    auto manifest = [&](const std::string& entries, int count) {
        return ProfileReader::parse("[update]\nmaster=ambrin\ndefault=Files\n[FILES]\ncount=" +
                                    std::to_string(count) + "\n" + entries);
    };
    auto item = [&](int n, const std::string& file, const std::string& save) {
        const std::string i = std::to_string(n);
        return "FILE" + i + "=" + file + "\nURL" + i + "=http://h/" + file + "\nSAVE" + i + "=" +
               save + "\nSIZE" + i + "=5\nVER" + i + "=0,0,0,0\nSHA256" + i + "=" + digest + "\n";
    };
    const auto good =
        readManifest(manifest(item(0, "a", "a_") + item(1, "sub/b", "b_"), 2), folder);
    ASSERT_EQ(good.entries.size(), 2u);
    EXPECT_EQ(good.flagged, 2);
    EXPECT_EQ(good.entries[1].fileName, "sub/b");

    // A link inside the folder that leads out of it.
    std::filesystem::create_directories(env.path("outside"));
    std::filesystem::create_directory_symlink(env.path("outside"), folder + "link");
    const std::vector<std::string> refused = {
        item(0, "a", "a_") + item(1, "link/b", "b_"),  // out through a link
        item(0, "a", "a_") + item(1, "b", "link/b_"),  // a download out through a link
        item(0, "a", "a_") + item(1, "b", "a"),        // a download over a listed file
        item(0, "a", "a_") +
            item(1, "b", "b_").substr(0, item(1, "b", "b_").find("SHA256")),  // no digest
    };
    for (const std::string& entries : refused) {
        const auto list = readManifest(manifest(entries, 2), folder);
        EXPECT_TRUE(list.entries.empty()) << entries;
    }
    // Neither a master description nor a DEFAULT: the user is told.
    EXPECT_TRUE(
        readManifest(ProfileReader::parse("[UPDATE]\nMASTER=ambrin\n"), folder).noMasterFile);
}

class TransferTest : public test::EnvironmentTest {
  protected:
    HttpTestServer server;
    CancelEvent cancel;
    std::vector<int> notices;

    TransferResult fetch(const std::string& path, long long expected = 0) {
        const TransferRequest request{server.url(path), env.path("download"), "update.example",
                                      expected};
        return runTransfer(
            request, [this](int code, long long, long long) { notices.push_back(code); }, cancel);
    }
    bool downloaded() const { return ::access(env.path("download").c_str(), F_OK) == 0; }
};

TEST_F(TransferTest, FinishedOnlyWithTheWholeBodyOfA200) {
    const std::string body(100000, 'x');
    server.serve("/files/a", body);
    const auto done = fetch("/files/a", 5);
    EXPECT_EQ(done.notice, notice::kFinished);
    EXPECT_EQ(done.expectedSize, 100000);  // "Content-Length" replaces the manifest's size
    EXPECT_EQ(test::readFile(env.path("download")), body);
    EXPECT_EQ(notices.front(), notice::kStarted);
    EXPECT_EQ(notices.back(), notice::kFinished);
    EXPECT_EQ(server.requests().back(), "GET /files/a HTTP/1.0\r\nHost: update.example");

    struct Failure {
        const char* what;
        HttpTestServer::Answer answer;
    };
    const Failure failures[] = {
        {"302", {HttpTestServer::Kind::Redirect, 302, "", "http://elsewhere/a", true, -1}},
        {"404", {HttpTestServer::Kind::Plain, 404, "gone", "", true, -1}},
        {"header over 4096 bytes",
         {HttpTestServer::Kind::OversizedHeader, 200, body, "", true, -1}},
        {"body cut short", {HttpTestServer::Kind::TruncatedBody, 200, body, "", true, -1}},
        {"body over 256 MiB",
         {HttpTestServer::Kind::Plain, 200, body, "", true, kMaxBodyBytes + 1}},
    };
    for (const Failure& failure : failures) {
        std::filesystem::remove(env.path("download"));
        server.serve("/files/a", failure.answer);
        notices.clear();
        const auto result = fetch("/files/a");
        EXPECT_EQ(result.notice, notice::kFailed) << failure.what;
        EXPECT_EQ(notices.back(), notice::kFailed) << failure.what;
        EXPECT_FALSE(downloaded()) << failure.what;
    }
    server.remove("/files/a");
    HttpTestServer::Answer slow{HttpTestServer::Kind::Plain, 200, body, "", true, -1};
    server.serve("/files/a", slow);
    cancel.set();
    EXPECT_EQ(fetch("/files/a").notice, notice::kFailed);
    EXPECT_FALSE(downloaded());
}

TEST_F(TransferTest, NothingListeningFailsAtOnce) {
    const TransferRequest request{"http://127.0.0.1:1/x", env.path("download"), "h", 0};
    const auto result = runTransfer(
        request, [this](int code, long long, long long) { notices.push_back(code); }, cancel);
    EXPECT_EQ(result.notice, notice::kFailed);
    EXPECT_EQ(notices, (std::vector<int>{notice::kStarted, notice::kFailed}));
}

class SignatureTest : public test::EnvironmentTest {
  protected:
    std::string makeKey(const std::string& name) {
        test::runCommand("minisign -G -W -p " + env.path(name + ".pub") + " -s " +
                         env.path(name + ".key"));
        return test::readFile(env.path(name + ".pub"));
    }
    std::string sign(const std::string& key, const std::string& text,
                     const std::string& options = "") {
        test::writeFile(env.path("update.txt"), text);
        test::runCommand("minisign -S " + options + " -s " + env.path(key + ".key") + " -m " +
                         env.path("update.txt") + " -t 'ambrin 3.0.0.1'");
        return test::readFile(env.path("update.txt.minisig"));
    }
};

TEST_F(SignatureTest, OnlyTheKeysOwnUnchangedManifestPasses) {
    const auto key = MinisignPublicKey::parse(makeKey("project"));
    const auto other = MinisignPublicKey::parse(makeKey("other"));
    ASSERT_TRUE(key && other);
    const std::string manifest = "[UPDATE]\nMASTER=ambrin\n";
    for (const std::string options : {"", "-l"}) {  // hashed (the default) and legacy signatures
        const auto signature = MinisignSignature::parse(sign("project", manifest, options));
        ASSERT_TRUE(signature.has_value()) << options;
        EXPECT_EQ(signature->prehashed, options.empty());
        EXPECT_TRUE(signature->verify(*key, manifest));
        EXPECT_FALSE(signature->verify(*other, manifest));
        EXPECT_FALSE(signature->verify(*key, manifest + "\n"));
        auto altered = *signature;
        altered.trustedComment = "ambrin 9.9.9.9";
        EXPECT_FALSE(altered.verify(*key, manifest));
    }
    // The public key line alone, as AMBRIN_UPDATE_PUBLIC_KEY gives it, is the same key.
    const std::string pub = test::readFile(env.path("project.pub"));
    EXPECT_TRUE(MinisignPublicKey::parse(pub.substr(pub.find('\n') + 1)).has_value());
    EXPECT_FALSE(MinisignSignature::parse("untrusted comment: x\nnot base64\n").has_value());
    EXPECT_FALSE(MinisignPublicKey::parse("").has_value());
}

TEST_F(UpdateFolderTest, ReplacementKeepsTheModeAndNeverWritesIntoTheOldFile) {
    test::writeFile(folder + "program", "old program", 0750);
    ASSERT_EQ(::link((folder + "program").c_str(), env.path("old-image").c_str()), 0);
    test::writeFile(folder + "program_", "new program", 0600);
    ASSERT_TRUE(replaceFile(folder + "program_", folder + "program"));
    EXPECT_EQ(test::readFile(folder + "program"), "new program");
    struct stat status {};
    ::stat((folder + "program").c_str(), &status);
    EXPECT_EQ(status.st_mode & 07777, 0750u);
    // The old file was replaced by a rename, not overwritten: a running image stays whole.
    EXPECT_EQ(test::readFile(env.path("old-image")), "old program");
    EXPECT_EQ(test::filesUnder(folder).size(), 2u);  // no temporary file left

    EXPECT_FALSE(replaceFile(folder + "missing_", folder + "program"));
    EXPECT_EQ(test::readFile(folder + "program"), "new program");
}

TEST(FileDigest, MatchesSha256sum) {
    test::TestEnvironment env;
    test::writeFile(env.path("file"), std::string(200000, 'q'));
    const std::string expected = test::runCommand("sha256sum " + env.path("file")).substr(0, 64);
    EXPECT_EQ(fileSha256(env.path("file")), expected);
    EXPECT_FALSE(fileSha256(env.path("none")).has_value());
}

TEST(IsInternetAvailable, OneOnlyForTheProbePagesAnswer) {
    test::TestEnvironment env;
    // Kept mapped after dlclose, as in the launcher's process, so that what the library holds for
    // its whole life stays reachable (unmapped, it reads as a leak of an unknown module).
    void* library = ::dlopen("libwizard.so", RTLD_NOW | RTLD_NODELETE);
    ASSERT_NE(library, nullptr) << ::dlerror();
    auto* probe = reinterpret_cast<int (*)()>(::dlsym(library, "IsInternetAvailable"));
    ASSERT_NE(probe, nullptr);
    // Nothing else of the library is visible from outside.
    EXPECT_EQ(test::runCommand(std::string("nm -D --defined-only ") + WIZARD_LIB +
                               " | awk '$2 == \"T\" {print $3}' | sort"),
              "Ex2013Entry\nInstallWizard\nIsInternetAvailable\nSetLang\nUnInstall\nUpdate\n");
    {
        HttpTestServer server;
        env.setVariable("AMBRIN_UPDATE_HOST", server.hostAndPort());
        server.serve(kProbePath, "invalid mode");
        EXPECT_EQ(probe(), 1);
        EXPECT_EQ(server.requests().back(),
                  std::string("GET ") + kProbePath + " HTTP/1.0\r\nHost: 127.0.0.1");
        server.serve(kProbePath, "invalid mode\n");
        EXPECT_EQ(probe(), 0);
        server.remove(kProbePath);
        EXPECT_EQ(probe(), 0);
    }
    EXPECT_EQ(probe(), 0);  // nothing listening any more
    env.setVariable("AMBRIN_UPDATE_HOST", "no-such-host.invalid");
    EXPECT_EQ(probe(), 0);
    ::dlclose(library);
}

}  // namespace
}  // namespace ambrin::wizard
