// Setup and removal from the installation medium of `make medium`, through the real wizard
// windows (played by ambrin_setup_runner), with the installed program recording a call.

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <optional>
#include <thread>

#include "platform/Registry.h"
#include "support/AudioLine.h"
#include "support/ProgramTools.h"
#include "support/TestEnvironment.h"
#include "wizard/InstalledProgram.h"

namespace ambrin {
namespace {

using namespace std::chrono_literals;
using test::ChildProcess;

const std::string kMedium = AMBRIN_MEDIUM "/";
const char* const kEntry = "Ambrin+ 3.0.desktop";
// The X server of xvfb-run, taken before a test environment hides it.
const char* const kDisplay = std::getenv("DISPLAY");

class SetupTest : public test::EnvironmentTest {
  protected:
    void SetUp() override {
        env.setVariable("AMBRIN_UI_LANG", "1033");
        if (kDisplay != nullptr) {
            env.setVariable("DISPLAY", kDisplay);
            env.setVariable("QT_QPA_PLATFORM", "xcb");
        } else {
            env.setVariable("QT_QPA_PLATFORM", "offscreen");
        }
    }

    // The wizard as the launcher calls it; the runner's exit code (0: it ended with Finish).
    int runWizard(std::vector<std::string> arguments, std::string* output = nullptr) {
        arguments.insert(arguments.begin(),
                         {"--library", kMedium + "libwizard.so", "--lang", "1033", "--no-start"});
        ChildProcess runner(SETUP_RUNNER_BIN, arguments, env.root());
        const auto code = runner.wait(60s);
        if (output != nullptr) {
            *output = runner.output();
        }
        return code.value_or(-1);
    }

    std::string folderFor(const std::string& name) {
        const std::string folder = env.path(name);
        std::filesystem::create_directories(folder);
        return folder;
    }

    static std::string value(Hive hive, const char* key, const char* name) {
        const auto opened = RegistryKey::open(hive, key);
        RegValue out;
        if (!opened || opened->query(name, out) != RegResult::Ok) {
            return "(none)";
        }
        return out.type == RegType::String ? out.text : std::to_string(out.dword);
    }

    static constexpr const char* kUninstallKey =
        "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Ambrin";
};

bool executable(const std::string& path) {
    struct stat info {};
    return ::stat(path.c_str(), &info) == 0 && (info.st_mode & 0111) == 0111;
}

// Real keys on the X server: Return in the visible window of `pid` titled `title` once it
// shows. False when no such window came within the time.
bool pressReturnIn(pid_t pid, const std::string& title, std::chrono::seconds timeout) {
    const auto end = std::chrono::steady_clock::now() + timeout;
    while (std::chrono::steady_clock::now() < end) {
        const std::string found =
            test::runCommand("xdotool search --onlyvisible --pid " + std::to_string(pid) +
                             " --name '^" + title + "$' 2>/dev/null | head -n 1");
        if (!found.empty()) {
            const std::string window = found.substr(0, found.find('\n'));
            test::runCommand("xdotool windowfocus --sync " + window + " && xdotool key Return");
            return true;
        }
        std::this_thread::sleep_for(100ms);
    }
    return false;
}

TEST_F(SetupTest, InstallRecordReinstallRefuseAndRemove) {
    test::AudioLine line{env};
    ASSERT_TRUE(line.available());
    ASSERT_TRUE(std::filesystem::exists(kMedium + "setup")) << "make medium first";

    // A file that cannot be put in place (a folder holds its name): the source path and
    // "Unable to install the file." in "Install Error", and the installation stops there,
    // keeping what it copied before.
    const std::string chosen = folderFor("programs");
    const std::string folder = chosen + "/Ambrin/";
    std::filesystem::create_directories(folder + "readme.txt/in the way");
    std::string output;
    EXPECT_EQ(runWizard({"--folder", chosen}, &output), 1);
    EXPECT_NE(output.find("box: Install Error|"), std::string::npos) << output;
    EXPECT_NE(output.find("_eng/readme.txt Unable to install the file."), std::string::npos)
        << output;
    EXPECT_TRUE(executable(folder + "ambrin"));
    EXPECT_TRUE(std::filesystem::exists(folder + "ambrin.vsk"));
    EXPECT_FALSE(std::filesystem::exists(folder + "AMBRIN.pdf"));
    std::filesystem::remove_all(folder + "readme.txt");

    // Licence, folder (chosen in the browser), Install, Finish.
    ASSERT_EQ(runWizard({"--folder", chosen}, &output), 0) << output;
    for (const char* name : {"ambrin", "refrex", "libwizard.so"}) {
        EXPECT_TRUE(executable(folder + name)) << name;
    }
    for (const char* name :
         {"ambrin.vsk", "Ambrin_Large.VSK", "AMBRIN.pdf", "DefaultContent.txt"}) {
        EXPECT_TRUE(std::filesystem::exists(folder + name)) << name;
    }
    EXPECT_EQ(std::filesystem::exists(kMedium + "libmp3lame.so.0_"),
              std::filesystem::exists(folder + "libmp3lame.so.0"));
    // English: the texts from _eng/, the rest from the medium's top.
    EXPECT_EQ(test::readFile(folder + "readme.txt"), test::readFile(kMedium + "_eng/readme.txt"));
    const std::string menuEntry = env.path("data/applications/") + kEntry;
    const std::string desktopEntry = env.path("home/Desktop/") + kEntry;
    EXPECT_NE(test::readFile(menuEntry).find("Exec=\"" + folder + "ambrin\""), std::string::npos)
        << test::readFile(menuEntry);
    EXPECT_TRUE(executable(desktopEntry));
    EXPECT_EQ(value(Hive::LocalMachine, kUninstallKey, "DisplayName"), "Ambrin+ 3.0");
    EXPECT_EQ(value(Hive::LocalMachine, kUninstallKey, "UninstallString"),
              folder + "refrex /uninstall");
    EXPECT_EQ(value(Hive::LocalMachine, "SOFTWARE\\Tavix\\Ambrin+ 2.0", "Language"), "1033");

    // The installed program records a call beside itself (one user's own folder).
    test::writeShortCallSettings();
    ASSERT_EQ(test::recordOneCall(line, folder + "ambrin", {}, env.root()), "");
    const auto recordings = test::filesUnder(folder + "db");
    ASSERT_EQ(recordings.size(), 1u);
    EXPECT_EQ(test::sqliteQuery(folder + "Ambrin.od2", "select FileName from RecordInfo"),
              recordings[0] + "\n");

    // Installing while the program runs: it is asked to end (its own exit question), then
    // Install goes through into the same folder.
    {
        ChildProcess program(folder + "ambrin", {"--headless"}, env.root());
        ASSERT_TRUE(program.waitForOutput("ambrin: running", 10s)) << program.errors();
        ASSERT_EQ(runWizard({"--folder", chosen}, &output), 0) << output;
        EXPECT_NE(output.find("box: Setup Wizard|Ambrin+ is already being used."),
                  std::string::npos)
            << output;
        EXPECT_EQ(program.wait(5s), 0);
        EXPECT_NE(program.errors().find("Do you want to exit?"), std::string::npos)
            << program.errors();
    }

    // Another folder while installed: refused.
    const std::string other = folderFor("elsewhere");
    EXPECT_EQ(runWizard({"--folder", other}, &output), 1);
    EXPECT_NE(output.find("box: Setup Error|This program is already installed."), std::string::npos)
        << output;
    EXPECT_FALSE(std::filesystem::exists(other + "/Ambrin"));

    // Removal as the uninstall entry runs it: the installed launcher with "/uninstall",
    // answered with keys (OK on the question, Uninstall, Finish once it is done). The
    // programs and the entries go, the database and the recording stay.
    {
        ChildProcess remover(folder + "refrex", {"/uninstall"}, env.root());
        ASSERT_TRUE(pressReturnIn(remover.pid(), "UnInstall", 20s)) << remover.errors();
        ASSERT_TRUE(pressReturnIn(remover.pid(), "Uninstall Wizard", 10s)) << remover.errors();
        std::optional<int> ended;
        for (int i = 0; i < 60 && !ended; ++i) {
            ended = remover.wait(500ms);
            if (!ended) {
                pressReturnIn(remover.pid(), "Uninstall Wizard", 1s);
            }
        }
        EXPECT_EQ(ended, 0) << remover.errors();
    }
    for (const char* name : {"ambrin", "refrex", "libwizard.so", "ambrin.vsk", "Ambrin_Large.VSK",
                             "AMBRIN.pdf", "readme.txt", "DefaultContent.txt", "libmp3lame.so.0"}) {
        EXPECT_FALSE(std::filesystem::exists(folder + name)) << name;
    }
    EXPECT_FALSE(std::filesystem::exists(menuEntry));
    EXPECT_FALSE(std::filesystem::exists(desktopEntry));
    EXPECT_EQ(value(Hive::LocalMachine, kUninstallKey, "DisplayName"), "");
    EXPECT_FALSE(RegistryKey::open(Hive::CurrentUser, "SOFTWARE\\Tavix\\Ambrin+ v2.0"));
    EXPECT_TRUE(std::filesystem::exists(folder + "Ambrin.od2"));
    EXPECT_EQ(test::filesUnder(folder + "db"), recordings);

    // Nothing installed any more: removal from the medium leaves the medium alone.
    EXPECT_EQ(runWizard({"--uninstall"}, &output), 1);
    EXPECT_EQ(output.find("box:"), std::string::npos) << output;
    for (const char* name : {"libwizard.so", "readme.txt", "setup"}) {
        EXPECT_TRUE(std::filesystem::exists(kMedium + name)) << name;
    }
}

}  // namespace
}  // namespace ambrin
