// The whole update as the launcher runs it: a running ambrin 3.0.0.0, libwizard.so loaded by
// name from the installation folder, a signed manifest on a server of the test's own, and
// the user's answer given by clicking the question's real button.

#include <dirent.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <functional>
#include <map>
#include <thread>

#include "platform/VersionInfo.h"
#include "platform/WindowEndpoint.h"
#include "support/AudioLine.h"
#include "support/HttpTestServer.h"
#include "support/ProgramTools.h"
#include "support/TestEnvironment.h"

namespace ambrin {
namespace {

using namespace std::chrono_literals;
using test::ChildProcess;
using test::HttpTestServer;

constexpr const char* kManifestPath = "/product/update/ambrin_update/update.txt";
constexpr const char* kSignaturePath = "/product/update/ambrin_update/update.txt.minisig";
const std::vector<std::string> kInstalled = {"ambrin", "libwizard.so", "refrex", "readme.txt",
                                             "notes.txt"};
const std::vector<std::string> kPublished = {"ambrin", "notes.txt", "readme.txt"};

class UpdateTest : public test::EnvironmentTest {
  public:
    test::AudioLine line{env};  // the program records from the private sound server
    HttpTestServer server;
    std::string folder = env.path("opt/");
    std::string publish = env.path("publish/");
    std::string pictures = env.path("pictures");
    std::string manifest;  // as the release tool wrote it
    std::map<std::string, std::string> installed;
    std::unique_ptr<ChildProcess> program;

    void SetUp() override {
        ASSERT_TRUE(line.available());
        for (const std::string& made : {folder, publish, pictures}) {
            std::filesystem::create_directories(made);
        }
        ASSERT_TRUE(test::copyFile(AMBRIN_RELEASES "/3.0.0.0/ambrin", folder + "ambrin"));
        ASSERT_TRUE(test::copyFile(WIZARD_LIB, folder + "libwizard.so"));
        ASSERT_TRUE(test::copyFile(UPDATE_RUNNER_BIN, folder + "refrex"));
        test::writeFile(folder + "readme.txt", "Ambrin+ 3.0.0.0\n", 0644);
        test::writeFile(folder + "notes.txt", "notes, one\n", 0644);
        for (const std::string& name : kInstalled) {
            installed[name] = test::readFile(folder + name);
        }

        ASSERT_TRUE(test::copyFile(AMBRIN_RELEASES "/3.0.0.1/ambrin", publish + "ambrin"));
        test::writeFile(publish + "readme.txt", "Ambrin+ 3.0.0.1, with more to read\n", 0644);
        test::writeFile(publish + "notes.txt", "notes, two\n", 0644);  // same size: left alone
        manifest = test::runCommand(std::string(MANIFEST_TOOL_BIN) + " " + publish + " " +
                                    server.url("/files/"));
        ASSERT_NE(manifest.find("COUNT=3"), std::string::npos) << manifest;
        for (const std::string& name : kPublished) {
            server.serve("/files/" + name, test::readFile(publish + name));
        }

        makeKey("project");
        makeKey("other");
        const std::string key = test::readFile(env.path("project.pub"));
        env.setVariable("AMBRIN_UPDATE_PUBLIC_KEY", key.substr(key.find('\n') + 1));
        env.setVariable("AMBRIN_UPDATE_HOST", server.hostAndPort());
        publishManifest(manifest);

        program = std::make_unique<ChildProcess>(
            folder + "ambrin", std::vector<std::string>{"--headless"}, env.root());
        ASSERT_TRUE(program->waitForOutput("ambrin: running", 15s))
            << program->output() << program->errors();
    }

    void TearDown() override {
        stopPrograms();
        // AMBRIN_TEST_PICTURES=FOLDER keeps the pictures of the dialogs for a look.
        if (const char* keep = std::getenv("AMBRIN_TEST_PICTURES")) {
            const std::string name =
                ::testing::UnitTest::GetInstance()->current_test_info()->name();
            for (const auto& picture : std::filesystem::directory_iterator(pictures)) {
                std::filesystem::copy_file(picture.path(),
                                           std::string(keep) + "/" +
                                               name.substr(name.rfind('/') + 1) + "-" +
                                               picture.path().filename().string(),
                                           std::filesystem::copy_options::overwrite_existing);
            }
        }
    }

    void serveAmbrin(HttpTestServer::Kind kind) {
        server.serve("/files/ambrin", {kind, 200, test::readFile(publish + "ambrin"),
                                       server.url("/elsewhere"), true, -1});
    }

    void makeKey(const std::string& name) {
        test::runCommand("minisign -G -W -p " + env.path(name + ".pub") + " -s " +
                         env.path(name + ".key"));
    }

    // Signs `text` as a publisher does and puts both on the server.
    void publishManifest(const std::string& text, const std::string& key = "project") {
        const std::string file = env.path("update.txt");
        test::writeFile(file, text);
        test::runCommand("minisign -S -s " + env.path(key + ".key") + " -m " + file +
                         " -t 'Ambrin+ 3.0.0.1'");
        server.serve(kManifestPath, text);
        server.serve(kSignaturePath, test::readFile(file + ".minisig"));
    }

    struct Run {
        std::optional<int> code;
        std::string output;
    };
    Run runUpdate(bool stopDownload = false) {
        std::vector<std::string> arguments = {"--answer", "yes", "--pictures", pictures};
        if (stopDownload) {
            arguments.push_back("--stop");
        }
        ChildProcess runner(folder + "refrex", arguments, env.root());
        const auto code = runner.wait(90s);
        return {code, runner.output() + runner.errors()};
    }

    // The processes running the installed program, the replaced image included.
    std::vector<pid_t> programProcesses() {
        std::vector<pid_t> found;
        const std::string exe = folder + "ambrin";
        for (const auto& entry : std::filesystem::directory_iterator("/proc")) {
            const std::string name = entry.path().filename();
            if (name.find_first_not_of("0123456789") != std::string::npos) {
                continue;
            }
            char target[4096];
            const ssize_t length =
                ::readlink((entry.path() / "exe").c_str(), target, sizeof target - 1);
            if (length > 0 &&
                std::string(target, static_cast<std::size_t>(length)).rfind(exe, 0) == 0) {
                found.push_back(std::stoi(name));
            }
        }
        return found;
    }

    // The started program's processes once it runs with its window; empty after 15 s.
    std::vector<pid_t> runningProgram() {
        for (int i = 0; i < 150; ++i) {
            if (WindowEndpoint::exists("AMBRIN+", "AMBRIN+")) {
                return programProcesses();
            }
            std::this_thread::sleep_for(100ms);
        }
        return {};
    }

    void stopPrograms() {
        WindowEndpoint::send("AMBRIN+", "AMBRIN+", {kWmCommand, 40001, 119});
        if (program) {
            program->wait(10s);
        }
        for (int i = 0; i < 100 && !programProcesses().empty(); ++i) {
            std::this_thread::sleep_for(100ms);
        }
        for (const pid_t pid : programProcesses()) {
            ::kill(pid, SIGKILL);  // only processes of this test's own installation folder
        }
    }

    std::string mode(const std::string& path) {
        struct stat status {};
        ::stat(path.c_str(), &status);
        char text[8];
        std::snprintf(text, sizeof text, "%04o", status.st_mode & 07777);
        return text;
    }

    // Files that only an update in progress has: downloads and the fetched manifest.
    std::vector<std::string> leftovers() {
        std::vector<std::string> found;
        for (const char* name :
             {"ambrin_", "readme.txt_", "notes.txt_", "update.txt", "update.txt.minisig"}) {
            if (::access((folder + name).c_str(), F_OK) == 0) {
                found.push_back(name);
            }
        }
        return found;
    }
};

TEST_F(UpdateTest, ReplacesTheRunningProgramAndStartsTheNewOne) {
    env.setVariable("AMBRIN_UI_LANG", "1033");
    const Run run = runUpdate();
    ASSERT_EQ(run.code, 0) << run.output;
    EXPECT_NE(run.output.find("box: Ambrin+ Auto Update|There are updated files for Ambrin+\nDo "
                              "you want to update it "
                              "now?\nAmbrin+ will be closed for updating."),
              std::string::npos)
        << run.output;
    EXPECT_EQ(test::occurrences(run.output, "box: "), 1u) << run.output;

    // The running program ended on the request, without its exit question.
    EXPECT_EQ(program->wait(10s), 0);
    EXPECT_EQ(program->errors().find("Ambrin+:"), std::string::npos) << program->errors();

    EXPECT_EQ(test::readFile(folder + "ambrin"), test::readFile(publish + "ambrin"));
    EXPECT_EQ(mode(folder + "ambrin"), "0755");
    EXPECT_EQ(test::readFile(folder + "readme.txt"), test::readFile(publish + "readme.txt"));
    EXPECT_EQ(mode(folder + "readme.txt"), "0644");
    EXPECT_EQ(test::readFile(folder + "notes.txt"), installed["notes.txt"]);
    EXPECT_EQ(server.requestCount("/files/notes.txt"), 0);
    EXPECT_TRUE(leftovers().empty()) << ::testing::PrintToString(leftovers());

    // The new program runs.
    const auto processes = runningProgram();
    ASSERT_EQ(processes.size(), 1u);
    const auto running = VersionInfo::read("/proc/" + std::to_string(processes[0]) + "/exe");
    ASSERT_TRUE(running.has_value());
    EXPECT_EQ(running->versionText(), "3.0.0.1");

    // Nothing newer is offered any more: checked silently, nothing fetched again.
    const int fetched = server.requestCount("/files/ambrin");
    const Run again = runUpdate();
    EXPECT_EQ(again.code, 0) << again.output;
    EXPECT_EQ(again.output.find("box: "), std::string::npos);
    EXPECT_EQ(server.requestCount("/files/ambrin"), fetched);
}

// A failure of any kind installs nothing.
struct FailureCase {
    const char* name;
    bool asks;  // the failure comes after the user has said yes
    std::function<void(UpdateTest&, std::string&)> prepare;
    bool userStops = false;  // the user closes the dialog during the download
};

void PrintTo(const FailureCase& failure, std::ostream* out) {
    *out << failure.name;
}

std::string replaced(std::string text, const std::string& from, const std::string& to) {
    const std::size_t at = text.find(from);
    return at == std::string::npos ? text : text.replace(at, from.size(), to);
}

std::string lineOf(const std::string& text, const std::string& start) {
    const std::size_t at = text.find("\n" + start) + 1;
    return text.substr(at, text.find('\n', at) - at + 1);
}

class UpdateFailureTest : public UpdateTest, public ::testing::WithParamInterface<FailureCase> {};

TEST_P(UpdateFailureTest, LeavesEveryInstalledFileAsItWas) {
    std::string text = manifest;
    GetParam().prepare(*this, text);
    const Run run = runUpdate(GetParam().userStops);
    EXPECT_EQ(run.code, 1) << run.output;
    EXPECT_NE(run.output.find("Update returned 0"), std::string::npos) << run.output;
    for (const std::string& name : kInstalled) {
        EXPECT_EQ(test::readFile(folder + name), installed[name]) << name;
    }
    EXPECT_EQ(mode(folder + "ambrin"), "0755");
    EXPECT_TRUE(leftovers().empty()) << ::testing::PrintToString(leftovers());
    if (GetParam().userStops) {
        EXPECT_NE(run.output.find("box: Ambrin+ 자동 업데이트|업데이트를 중지하시겠습니까?"),
                  std::string::npos)
            << run.output;
    }
    if (GetParam().asks) {
        EXPECT_NE(run.output.find("box: "), std::string::npos) << run.output;
        EXPECT_EQ(program->wait(10s), 0);  // ended for the update, then started again
    } else {
        EXPECT_EQ(run.output.find("box: "), std::string::npos)
            << "the user was asked: " << run.output;
        EXPECT_TRUE(program->running());
    }
    const auto processes = runningProgram();
    ASSERT_EQ(processes.size(), 1u);
    EXPECT_EQ(VersionInfo::read("/proc/" + std::to_string(processes[0]) + "/exe")->versionText(),
              "3.0.0.0");
}

const FailureCase kFailures[] = {
    {"EntryWithoutSave", false,
     [](UpdateTest& t, std::string& text) {
         t.publishManifest(replaced(text, lineOf(text, "SAVE1="), ""));
     }},
    {"Count70", false,
     [](UpdateTest& t, std::string& text) {
         std::string more;
         for (int n = 3; n < 70; ++n) {
             for (const char* key : {"FILE", "URL", "SAVE", "SIZE", "VER", "SHA256"}) {
                 std::string entry = lineOf(text, std::string(key) + "1=");
                 entry = replaced(entry, std::string(key) + "1=", key + std::to_string(n) + "=");
                 more += replaced(replaced(entry, "notes.txt_", "extra" + std::to_string(n)),
                                  "=notes.txt", "=extra" + std::to_string(n));
             }
         }
         t.publishManifest(replaced(text, "COUNT=3", "COUNT=70") + more);
     }},
    {"Redirect", true,
     [](UpdateTest& t, std::string&) { t.serveAmbrin(HttpTestServer::Kind::Redirect); }},
    {"OversizedHeader", true,
     [](UpdateTest& t, std::string&) { t.serveAmbrin(HttpTestServer::Kind::OversizedHeader); }},
    {"TruncatedBody", true,
     [](UpdateTest& t, std::string&) { t.serveAmbrin(HttpTestServer::Kind::TruncatedBody); }},
    {"TamperedFile", true,
     [](UpdateTest& t, std::string&) {
         // The second download is altered; the first, sound one is not installed either.
         std::string body = test::readFile(t.publish + "readme.txt");
         body[0] = 'a';
         t.server.serve("/files/readme.txt", body);
     }},
    {"UserStopsTheDownload", true,
     [](UpdateTest& t, std::string&) { t.serveAmbrin(HttpTestServer::Kind::SlowBody); }, true},
    {"UnsignedManifest", false,
     [](UpdateTest& t, std::string&) { t.server.remove(kSignaturePath); }},
    {"SignedByAnotherKey", false,
     [](UpdateTest& t, std::string& text) { t.publishManifest(text, "other"); }},
    {"EditedAfterSigning", false,
     [](UpdateTest& t, std::string& text) {
         t.server.serve(kManifestPath, replaced(text, "VER0=3,0,0,1", "VER0=3,0,0,2"));
     }},
    {"FileOutsideTheFolder", false,
     [](UpdateTest& t, std::string& text) {
         t.publishManifest(replaced(text, "FILE1=notes.txt", "FILE1=../x"));
     }},
    {"AbsoluteFileName", false,
     [](UpdateTest& t, std::string& text) {
         t.publishManifest(replaced(text, "FILE1=notes.txt", "FILE1=/etc/x"));
     }},
};

INSTANTIATE_TEST_SUITE_P(Cases, UpdateFailureTest, ::testing::ValuesIn(kFailures),
                         [](const ::testing::TestParamInfo<FailureCase>& testCase) {
                             return std::string(testCase.param.name);
                         });

}  // namespace
}  // namespace ambrin
