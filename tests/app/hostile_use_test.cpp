// The running program against a hostile but fair user: clients that clog the command
// socket, a recording folder that is a file, a database locked at the wrong moment, and
// starts that must fail loudly enough for a service manager to see.

#include <gtest/gtest.h>
#include <sqlite3.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include <atomic>
#include <csignal>
#include <cstring>
#include <thread>

#include "core/SettingsStore.h"
#include "platform/Registry.h"
#include "platform/WindowEndpoint.h"
#include "recorder/Recorder.h"
#include "support/AudioLine.h"
#include "support/ProgramTools.h"
#include "support/TestEnvironment.h"

namespace ambrin {
namespace {

using namespace std::chrono_literals;
using test::ChildProcess;

// The English text of the recording-start failure (string 76).
constexpr const char* kStartFailureText = "cannot be saved because of a problem with the DB folder";

class HostileUseTest : public test::EnvironmentTest {
  protected:
    test::AudioLine line{env};

    void SetUp() override { env.setVariable("AMBRIN_UI_LANG", "1033"); }

    std::string install(const std::string& name) {
        const std::string folder = env.path(name);
        ::mkdir(folder.c_str(), 0755);
        EXPECT_TRUE(test::copyFile(AMBRIN_BIN, folder + "/ambrin"));
        return folder + "/";
    }
    std::unique_ptr<ChildProcess> launch(const std::string& folder,
                                         std::vector<std::string> args = {"--headless"}) {
        return std::make_unique<ChildProcess>(folder + "ambrin", std::move(args), env.root());
    }
    std::optional<int> command(const std::string& folder, const std::string& name) {
        return launch(folder, {"--command", name})->wait(10s);
    }
    // Automatic recording that ends a call after a second of silence and keeps every call.
    static void shortCalls(const std::string& folder) {
        SettingsStore store(folder);
        store.writeInt(setting::kRecordFormat, kFormatWave);
        store.writeInt(setting::kMinimumRecordTime, 0);
        store.writeInt(setting::kTimeOfCallEnd, 1);
    }
    // A call on the line: tone, then silence until the program has stored `calls` calls.
    void call(ChildProcess& program, double seconds, size_t calls) {
        ASSERT_TRUE(line.write(signals::tone(350, seconds, 14000), true));
        for (int i = 0; i < 60 && test::occurrences(program.output(), "event 24 idle") < calls;
             ++i) {
            ASSERT_TRUE(line.write(signals::silence(0.25), true));
        }
    }
};

// The dword lines of a settings file, which the program must leave as they are.
std::string dwordLines(const std::string& text) {
    std::string lines;
    size_t from = 0;
    while (from < text.size()) {
        const size_t end = std::min(text.find('\n', from), text.size());
        const std::string line = text.substr(from, end - from);
        if (line.find("=dword:") != std::string::npos) {
            lines += line + "\n";
        }
        from = end + 1;
    }
    return lines;
}

TEST_F(HostileUseTest, EveryNumericSettingAtItsExtremesStillStartsRecordsAndQuits) {
    ASSERT_TRUE(line.available());
    const std::string folder = install("opt");
    SettingsStore(folder).writeInt(setting::kRecordFormat, kFormatWave);  // writes every default
    auto key = RegistryKey::open(Hive::CurrentUser, std::string(kCompanyKey) + "\\" + kProductKey);
    ASSERT_NE(key, nullptr);
    for (const std::uint32_t hostile : {0u, 0xffffffffu, 0x7fffffffu}) {
        SCOPED_TRACE(hostile);
        for (const auto& definition : SettingsStore::table()) {
            if (definition.type != SettingType::String) {
                key->setDword(definition.name, hostile);
            }
        }
        const std::string stored = dwordLines(test::readFile(key->filePath()));
        auto program = launch(folder);
        ASSERT_TRUE(program->waitForOutput("ambrin: running", 10s))
            << program->output() << program->errors();
        // Told which values were out of range: the start level always is.
        EXPECT_NE(program->output().find("The setting \"StartSoundValue\" holds " +
                                         std::to_string(static_cast<int>(hostile))),
                  std::string::npos)
            << program->output();

        // A call by hand: the corrected levels may not start one by themselves, and silence
        // may not end it (a call-end time of 0 leaves that to Stop).
        const size_t saved = test::occurrences(program->output(), "event 33 recording-saved");
        EXPECT_EQ(command(folder, "record"), 0);
        ASSERT_TRUE(program->waitForOutput("event 27 recording", 5s)) << program->output();
        ASSERT_TRUE(line.write(signals::tone(350, 3.0, 14000), true));
        const long kib = test::residentKiB(program->pid());
        const size_t idle = test::occurrences(program->output(), "event 24 idle");
        EXPECT_EQ(command(folder, "stop"), 0);
        for (int i = 0; i < 100 && test::occurrences(program->output(), "event 24 idle") == idle;
             ++i) {
            std::this_thread::sleep_for(100ms);
        }
        // 0x7fffffff asks for calls of an hour at least: that one is discarded.
        EXPECT_EQ(test::occurrences(program->output(), "event 33 recording-saved"),
                  saved + (hostile == 0x7fffffffu ? 0 : 1))
            << program->output() << program->errors();
        EXPECT_EQ(command(folder, "quit"), 0);
        EXPECT_EQ(program->wait(5s), 0) << program->errors();
        EXPECT_EQ(dwordLines(test::readFile(key->filePath())), stored)
            << "stored values were rewritten";
#if !defined(__SANITIZE_ADDRESS__) && !defined(__SANITIZE_THREAD__)
        EXPECT_LT(kib, 64 * 1024) << "resident memory while recording";
#endif
        std::printf("resident memory with every numeric setting %#x: %ld KiB\n", hostile, kib);
    }
}

int connectRaw(const std::string& path) {
    const int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_un addr{};
    addr.sun_family = AF_UNIX;
    std::strncpy(addr.sun_path, path.c_str(), sizeof addr.sun_path - 1);
    if (::connect(fd, reinterpret_cast<sockaddr*>(&addr), sizeof addr) != 0) {
        ::close(fd);
        return -1;
    }
    return fd;
}

TEST_F(HostileUseTest, QuitGetsThroughAHundredIdleClientsAndATrickle) {
    ASSERT_TRUE(line.available());
    const std::string folder = install("opt");
    auto program = launch(folder);
    ASSERT_TRUE(program->waitForOutput("ambrin: running", 10s)) << program->errors();

    const std::string path = WindowEndpoint::socketPath("Ambrin+", "Ambrin+");
    std::vector<int> idle;
    for (int i = 0; i < 100; ++i) {
        idle.push_back(connectRaw(path));
        ASSERT_GE(idle.back(), 0) << i;
    }
    std::atomic<bool> stop{false};
    std::thread trickle([&] {  // a byte a second, on fresh connections as each is cut
        while (!stop) {
            const int fd = connectRaw(path);
            for (int i = 0; i < 24 && !stop && fd >= 0; ++i) {
                const char byte = 'W';
                if (::send(fd, &byte, 1, MSG_NOSIGNAL) != 1) {
                    break;
                }
                for (int tick = 0; tick < 20 && !stop; ++tick) {
                    std::this_thread::sleep_for(50ms);
                }
            }
            if (fd >= 0) {
                ::close(fd);
            }
        }
    });
    std::this_thread::sleep_for(2500ms);  // the trickle is on its second or third connection

    const auto asked = std::chrono::steady_clock::now();
    const auto quit = command(folder, "quit");
    const auto ended = program->wait(1s);
    const auto latency = std::chrono::duration_cast<std::chrono::milliseconds>(
        std::chrono::steady_clock::now() - asked);
    stop = true;
    trickle.join();
    for (int fd : idle) {
        ::close(fd);
    }
    EXPECT_EQ(quit, 0) << "the quit command was not delivered";
    EXPECT_EQ(ended, 0) << "not ended 1 s after the quit command\n" << program->output();
    RecordProperty("quit_latency_ms", static_cast<int>(latency.count()));
    std::printf("quit latency with 100 idle clients and a trickle: %lld ms\n",
                static_cast<long long>(latency.count()));
}

TEST_F(HostileUseTest, EveryRefusedStartEndsWithTheCodeOfItsCause) {
    ASSERT_TRUE(line.available());
    const std::string folder = install("opt");
    EXPECT_EQ(launch(folder, {"--no-such-option"})->wait(5s), 2);

    {  // A normal quit, and a second start that wakes the first, are successes.
        auto first = launch(folder);
        ASSERT_TRUE(first->waitForOutput("ambrin: running", 10s)) << first->errors();
        EXPECT_EQ(launch(folder)->wait(10s), 0);
        EXPECT_EQ(command(folder, "quit"), 0);
        EXPECT_EQ(first->wait(5s), 0);
    }
    EXPECT_EQ(command(folder, "quit"), 1) << "nothing runs to take it";

    {  // The database is a folder: it cannot be opened.
        ASSERT_EQ(::rename((folder + "Ambrin.od2").c_str(), (folder + "kept.od2").c_str()), 0);
        ::mkdir((folder + "Ambrin.od2").c_str(), 0755);
        auto program = launch(folder);
        EXPECT_EQ(program->wait(10s), 5) << program->output() << program->errors();
        ::rmdir((folder + "Ambrin.od2").c_str());
    }

    // No audio input (7), too little disk (4) and a damaged database (6) are checked by the
    // program and resilience tests of those starts.
}

TEST_F(HostileUseTest, ARecordingFolderThatIsAFileIsToldOnceAndTheNextCallAfterItIsBackRecords) {
    ASSERT_TRUE(line.available());
    const std::string folder = install("opt");
    shortCalls(folder);
    const std::string calls = env.path("calls");
    SettingsStore(folder).writeString(setting::kDatabasePath, calls + "/");
    test::writeFile(calls, "a file where the recordings should go");
    auto program = launch(folder);
    ASSERT_TRUE(program->waitForOutput("ambrin: running", 10s)) << program->errors();

    ASSERT_TRUE(line.write(signals::tone(350, 20.0, 14000), true));  // every buffer asks to record
    ASSERT_TRUE(line.write(signals::silence(1.0), true));
    EXPECT_EQ(test::occurrences(program->errors(), kStartFailureText), 1u) << program->errors();
    EXPECT_EQ(test::occurrences(program->output(), "event 27 recording"), 0u);

    ::unlink(calls.c_str());
    ::mkdir(calls.c_str(), 0755);
    call(*program, 2.0, 1);
    EXPECT_EQ(test::occurrences(program->output(), "event 33 recording-saved"), 1u)
        << program->output();
    EXPECT_EQ(command(folder, "quit"), 0);
    EXPECT_EQ(program->wait(5s), 0);
    EXPECT_EQ(test::filesUnder(calls).size(), 1u);
    EXPECT_EQ(test::occurrences(program->errors(), kStartFailureText), 1u) << program->errors();
}

TEST_F(HostileUseTest, ACallEndingWhileTheDatabaseIsLockedIsStoredWhileTheProgramRuns) {
    ASSERT_TRUE(line.available());
    const std::string folder = install("opt");
    shortCalls(folder);
    auto program = launch(folder);
    ASSERT_TRUE(program->waitForOutput("ambrin: running", 10s)) << program->errors();

    sqlite3* locker = nullptr;
    ASSERT_EQ(sqlite3_open((folder + "Ambrin.od2").c_str(), &locker), SQLITE_OK);
    // The program's own start-up work (the search index, the health look) may hold the
    // database a moment: wait for it as any other program would.
    sqlite3_busy_timeout(locker, 10000);
    ASSERT_EQ(sqlite3_exec(locker, "BEGIN EXCLUSIVE", nullptr, nullptr, nullptr), SQLITE_OK);
    call(*program, 2.0, 1);
    // The insertion waits for the lock as long as it may, then keeps the call in the journal.
    for (int i = 0; i < 300 && program->errors().find("could not be saved") == std::string::npos;
         ++i) {
        std::this_thread::sleep_for(100ms);
    }
    ASSERT_NE(program->errors().find("could not be saved"), std::string::npos) << program->errors();
    EXPECT_EQ(test::occurrences(program->output(), "event 33 recording-saved"), 0u);
    sqlite3_exec(locker, "COMMIT", nullptr, nullptr, nullptr);
    sqlite3_close(locker);

    ASSERT_TRUE(
        program->waitForOutput("1 call(s) that could not be saved earlier are now stored", 65s))
        << program->output();
    EXPECT_TRUE(program->running());
    EXPECT_EQ(test::sqliteQuery(folder + "Ambrin.od2", "select count(*) from RecordInfo"), "1\n");
    EXPECT_NE(::access((folder + "Ambrin.od2.unsaved").c_str(), F_OK), 0);
    EXPECT_EQ(command(folder, "quit"), 0);
    EXPECT_EQ(program->wait(5s), 0);
}

}  // namespace
}  // namespace ambrin
