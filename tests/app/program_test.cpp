// The main program as the user runs it: real processes, real sockets, real files.

#include <gtest/gtest.h>
#include <sys/mount.h>
#include <sys/stat.h>

#include <csignal>
#include <filesystem>
#include <thread>

#include "codec/WavReader.h"
#include "core/SettingsStore.h"
#include "platform/StringIds.h"
#include "platform/StringTable.h"
#include "recorder/Recorder.h"
#include "support/AudioLine.h"
#include "support/ProgramTools.h"
#include "support/TestEnvironment.h"

namespace ambrin {
namespace {

using namespace std::chrono_literals;
using test::ChildProcess;

class ProgramTest : public test::EnvironmentTest {
  protected:
    // Every start records from the private sound server's line.
    test::AudioLine line{env};

    // An installation folder holding a copy of the program.
    std::string install(const std::string& name) {
        const std::string folder = env.path(name);
        ::mkdir(folder.c_str(), 0755);
        EXPECT_TRUE(test::copyFile(AMBRIN_BIN, folder + "/ambrin"));
        return folder + "/";
    }

    std::unique_ptr<ChildProcess> launch(const std::string& folder,
                                         std::vector<std::string> args = {"--headless"}) {
        return std::make_unique<ChildProcess>(folder + "ambrin", args, env.root());
    }

    std::string settingsFile() const { return env.path("config/Tavix/Ambrin+ v2.0.conf"); }

    static size_t position(const std::string& text, const std::string& part) {
        const size_t at = text.find(part);
        return at == std::string::npos ? text.size() + 1 : at;
    }
};

TEST_F(ProgramTest, RunsUntilSigtermThenTearsDownInOrder) {
    const std::string folder = install("opt");
    test::writeFile(folder + "__temp__.wav", "left from a playback");
    auto program = launch(folder);
    ASSERT_TRUE(program->waitForOutput("ambrin: running", 10s))
        << program->output() << program->errors();
    program->signal(SIGTERM);
    const auto code = program->wait(5s);
    ASSERT_TRUE(code.has_value()) << "did not end within 5 s";
    EXPECT_EQ(*code, 0);
    const std::string out = program->output();
    EXPECT_LT(position(out, "event 9 close-windows"),
              position(out, "shutdown: engine controller freed"));
    EXPECT_LT(position(out, "shutdown: engine controller freed"),
              position(out, "shutdown: database closed"));
    EXPECT_LT(position(out, "shutdown: database closed"),
              position(out, "shutdown: settings freed"));
    EXPECT_LT(position(out, "shutdown: settings freed"),
              position(out, "shutdown: temporary playback file removed"));
    EXPECT_FALSE(test::readFile(folder + "__temp__.wav").size() > 0);
    EXPECT_NE(::access((folder + "db").c_str(), F_OK),
              -1);  // the recordings folder is made at start
}

TEST_F(ProgramTest, FirstStartWritesEveryDefaultAndASecondChangesNothing) {
    const std::string folder = install("opt");
    {
        auto program = launch(folder);
        ASSERT_TRUE(program->waitForOutput("ambrin: running", 10s));
        program->signal(SIGINT);
        ASSERT_EQ(program->wait(5s), 0);
    }
    const std::string first = test::readFile(settingsFile());
    for (const auto& definition : SettingsStore::table()) {
        EXPECT_NE(first.find(std::string("\"") + definition.name + "\"="), std::string::npos)
            << definition.name;
    }
    EXPECT_NE(first.find("\"InstallPath\"=\"" + folder + "\""), std::string::npos);
    {
        auto program = launch(folder);
        ASSERT_TRUE(program->waitForOutput("ambrin: running", 10s));
        program->signal(SIGTERM);
        ASSERT_EQ(program->wait(5s), 0);
    }
    EXPECT_EQ(test::readFile(settingsFile()), first);
}

TEST_F(ProgramTest, ASecondStartWakesTheFirstAndEnds) {
    const std::string folder = install("opt");
    auto first = launch(folder);
    ASSERT_TRUE(first->waitForOutput("ambrin: running", 10s));

    const auto started = std::chrono::steady_clock::now();
    auto second = launch(folder);
    const auto code = second->wait(2s);
    ASSERT_TRUE(code.has_value()) << "the second start did not end within 2 s";
    EXPECT_EQ(*code, 0);
    EXPECT_LT(std::chrono::steady_clock::now() - started, 2s);
    EXPECT_TRUE(first->waitForOutput("woken up", 5s)) << first->output();
    EXPECT_EQ(second->output().find("ambrin: running"), std::string::npos);

    // A start without windows finds the running one just the same.
    auto third = launch(folder, {});
    EXPECT_EQ(third->wait(2s), 0);
    EXPECT_TRUE(first->running());

    auto quit = launch(folder, {"--command", "quit"});
    EXPECT_EQ(quit->wait(5s), 0);
    EXPECT_EQ(first->wait(5s), 0);
    // Quit from the command line asks no question.
    EXPECT_EQ(first->errors().find("Ambrin+:"), std::string::npos) << first->errors();
}

TEST_F(ProgramTest, CommandsReachTheRunningInstanceAsMenuCommands) {
    const std::string folder = install("opt");
    auto missing = launch(folder, {"--command", "record"});
    EXPECT_EQ(missing->wait(5s), 1);
    EXPECT_NE(missing->errors().find("not running"), std::string::npos);

    auto program = launch(folder);
    ASSERT_TRUE(program->waitForOutput("ambrin: running", 10s));
    for (const char* name : {"options", "list"}) {
        auto command = launch(folder, {"--command", name});
        EXPECT_EQ(command->wait(5s), 0) << name;
    }
    EXPECT_TRUE(program->waitForOutput("event 16 open-window 2", 5s));
    EXPECT_TRUE(program->waitForOutput("event 16 open-window\n", 5s));
    auto bad = launch(folder, {"--command", "dance"});
    EXPECT_EQ(bad->wait(5s), 1);
    auto quit = launch(folder, {"--command", "quit"});
    EXPECT_EQ(quit->wait(5s), 0);
    EXPECT_EQ(program->wait(5s), 0);
}

TEST_F(ProgramTest, AnOldDatabaseHandsOverToTheConverterOnce) {
    const std::string folder = install("opt");
    test::writeFile(folder + "Ambrin.odb", "old");
    test::writeFile(folder + "User.odb", "old");
    test::writeFile(folder + "dbtrans", "#!/bin/sh\npwd >> converter.log\n", 0755);
    auto program = launch(folder);
    EXPECT_EQ(program->wait(5s), 0);
    for (int i = 0; i < 200 && test::readFile(folder + "converter.log").empty(); ++i) {
        std::this_thread::sleep_for(10ms);
    }
    EXPECT_EQ(test::readFile(folder + "converter.log"), env.path("opt") + "\n");
    EXPECT_EQ(program->output().find("ambrin: running"), std::string::npos);
    EXPECT_EQ(::access(settingsFile().c_str(), F_OK), -1);  // nothing else was started
}

TEST_F(ProgramTest, AMovedInstallationIsRepairedAtTheNextStart) {
    const std::string first = install("first");
    {
        auto program = launch(first);
        ASSERT_TRUE(program->waitForOutput("ambrin: running", 10s));
        program->signal(SIGTERM);
        ASSERT_EQ(program->wait(5s), 0);
    }
    const std::string moved = install("moved");
    auto program = launch(moved);
    ASSERT_TRUE(program->waitForOutput("ambrin: running", 10s));
    program->signal(SIGTERM);
    ASSERT_EQ(program->wait(5s), 0);
    const std::string content = test::readFile(settingsFile());
    EXPECT_NE(content.find("\"InstallPath\"=\"" + moved + "\""), std::string::npos) << content;
    EXPECT_NE(content.find("\"DatabasePath\"=\"" + first + "db\""), std::string::npos) << content;
}

TEST_F(ProgramTest, AnUnreachableSoundServerEndsTheProgramWithTheDeviceMessage) {
    env.setVariable("AMBRIN_UI_LANG", "1033");
    env.setVariable("PULSE_SERVER", "unix:" + env.path("nothing"));
    const std::string folder = install("opt");
    auto program = launch(folder);
    ASSERT_EQ(program->wait(10s), 7);  // no audio input: a failure a service manager sees
    EXPECT_NE(program->errors().find("Ambrin+: Fail to Initialize Audio Device. [30]"),
              std::string::npos)
        << program->errors();
    EXPECT_EQ(program->errors().find("Do you want to exit?"), std::string::npos);
    EXPECT_NE(program->output().find("shutdown: temporary playback file removed"),
              std::string::npos);
}

TEST_F(ProgramTest, ACallOnTheLineBecomesOneWaveFileByItself) {
    ASSERT_TRUE(line.available());
    const std::string folder = install("opt");
    {
        SettingsStore store(folder);
        store.writeInt(setting::kRecordFormat, kFormatWave);
        store.writeInt(setting::kTimeOfCallEnd, 2);
        store.writeInt(setting::kMinimumRecordTime, 0);  // a short test call is kept
    }
    auto program = launch(folder);
    ASSERT_TRUE(program->waitForOutput("ambrin: running", 10s)) << program->errors();
    signals::Samples call = signals::noise(1.5, 200, 3);
    signals::append(call, signals::tone(350, 2.0, 14000));
    ASSERT_TRUE(line.write(call));
    ASSERT_TRUE(program->waitForOutput("event 27 recording", 10s)) << program->output();
    for (int i = 0; i < 40 && !program->waitForOutput("event 24 idle", 0ms); ++i) {
        ASSERT_TRUE(line.write(signals::silence(0.5)));
        std::this_thread::sleep_for(20ms);
    }
    ASSERT_TRUE(program->waitForOutput("event 24 idle", 2s)) << program->output();
    EXPECT_TRUE(program->waitForOutput("event 23 time 0:0:1", 0ms));
    program->signal(SIGTERM);
    EXPECT_EQ(program->wait(5s), 0);

    const auto files = test::filesUnder(folder + "db");
    ASSERT_EQ(files.size(), 1u);
    const std::string name = std::filesystem::path(files[0]).filename().string();
    EXPECT_EQ(name.size(), std::string("20120731153012.wav").size()) << name;
    EXPECT_EQ(std::filesystem::path(files[0]).parent_path().filename().string(), name.substr(0, 8));
    const auto info = readWavInfo(files[0]);
    ASSERT_TRUE(info.has_value());
    const std::string bytes = test::readFile(files[0]);
    std::size_t firstLoud = 0;
    for (std::size_t i = info->dataOffset; i + 1 < bytes.size(); i += 2) {
        const auto sample = static_cast<std::int16_t>(
            static_cast<std::uint8_t>(bytes[i]) | (static_cast<std::uint8_t>(bytes[i + 1]) << 8));
        if (sample > 6882) {
            firstLoud = (i - info->dataOffset) / 2;
            break;
        }
    }
    EXPECT_GE(firstLoud, 4000u) << "less than 500 ms of audio before the call's first sound";
}

TEST_F(ProgramTest, ManualModeRecordsBetweenTheCommands) {
    ASSERT_TRUE(line.available());
    const std::string folder = install("opt");
    {
        SettingsStore store(folder);
        store.writeInt(setting::kRecordFormat, kFormatWave);
        store.writeInt(setting::kRecordMode, 1);
        store.writeInt(setting::kMinimumRecordTime, 0);
    }
    auto program = launch(folder);
    ASSERT_TRUE(program->waitForOutput("ambrin: running", 10s)) << program->errors();
    ASSERT_TRUE(line.write(signals::tone(350, 2.0, 14000)));
    std::this_thread::sleep_for(300ms);
    EXPECT_EQ(program->output().find("event 27"), std::string::npos);

    EXPECT_EQ(launch(folder, {"--command", "record"})->wait(5s), 0);
    ASSERT_TRUE(program->waitForOutput("event 27 recording", 5s));
    ASSERT_TRUE(line.write(signals::speechLike(3.0, 9), true));
    EXPECT_EQ(launch(folder, {"--command", "stop"})->wait(5s), 0);
    ASSERT_TRUE(program->waitForOutput("event 24 idle", 5s));
    EXPECT_EQ(launch(folder, {"--command", "stop"})->wait(5s), 0);  // a surplus stop is harmless
    EXPECT_EQ(launch(folder, {"--command", "quit"})->wait(5s), 0);
    EXPECT_EQ(program->wait(5s), 0);
    const auto files = test::filesUnder(folder + "db");
    ASSERT_EQ(files.size(), 1u);
    EXPECT_GE(wavDurationSeconds(files[0]), 2);
}

TEST_F(ProgramTest, TheCallJustRecordedPlaysPausesAndResumes) {
    ASSERT_TRUE(line.available());
    env.setVariable("AMBRIN_AUDIO_SINK", "fakesink sync=true");
    const std::string folder = install("opt");
    {
        SettingsStore store(folder);
        store.writeInt(setting::kRecordFormat, kFormatWave);
        store.writeInt(setting::kRecordMode, 1);
        store.writeInt(setting::kMinimumRecordTime, 1);
    }
    auto program = launch(folder);
    ASSERT_TRUE(program->waitForOutput("ambrin: running", 10s)) << program->errors();
    EXPECT_EQ(launch(folder, {"--command", "record"})->wait(5s), 0);
    ASSERT_TRUE(program->waitForOutput("event 27 recording", 5s));
    ASSERT_TRUE(line.write(signals::speechLike(4.0, 5), true));
    EXPECT_EQ(launch(folder, {"--command", "stop"})->wait(5s), 0);
    ASSERT_TRUE(program->waitForOutput("event 24 idle", 5s));

    EXPECT_EQ(launch(folder, {"--command", "play"})->wait(5s), 0);
    ASSERT_TRUE(program->waitForOutput("event 26 playing", 5s)) << program->output();
    ASSERT_TRUE(program->waitForOutput("event 23 time 0:0:1 of", 5s)) << program->output();
    EXPECT_EQ(launch(folder, {"--command", "pause"})->wait(5s), 0);
    ASSERT_TRUE(program->waitForOutput("event 25 paused", 5s));
    EXPECT_EQ(launch(folder, {"--command", "play"})->wait(5s), 0);
    ASSERT_TRUE(program->waitForOutput("event 21 end-of-playback", 15s)) << program->output();
    const std::string out = program->output();
    EXPECT_EQ(out.find("event 23 time 0:0:0"), std::string::npos);
    EXPECT_NE(out.find("event 23 time 0:0:3 of"), std::string::npos) << out;  // the whole length
    // After the end the engine is idle again: 24 comes before 21.
    EXPECT_LT(out.rfind("event 24 idle"), out.rfind("event 21 end-of-playback"));
    EXPECT_EQ(launch(folder, {"--command", "quit"})->wait(5s), 0);
    EXPECT_EQ(program->wait(5s), 0);
}

TEST_F(ProgramTest, ALongCallBecomesARecordAndAShortOneLeavesNothing) {
    ASSERT_TRUE(line.available());
    const std::string folder = install("opt");
    {
        SettingsStore store(folder);
        store.writeInt(setting::kRecordFormat, kFormatWave);
        store.writeInt(setting::kTimeOfCallEnd, 1);
        store.writeInt(setting::kMinimumRecordTime, 6);
    }
    auto program = launch(folder);
    ASSERT_TRUE(program->waitForOutput("ambrin: running", 10s)) << program->errors();
    // Paced like a real line: calls fed faster than real time would start in the same second.
    const auto call = [&](double seconds, int expectedIdle) {
        ASSERT_TRUE(line.write(signals::tone(350, seconds, 14000), true));
        for (int i = 0; i < 60; ++i) {
            const std::string out = program->output();
            std::size_t count = 0;
            for (std::size_t at = out.find("event 24 idle"); at != std::string::npos;
                 at = out.find("event 24 idle", at + 1)) {
                ++count;
            }
            if (count >= static_cast<std::size_t>(expectedIdle)) {
                return;
            }
            ASSERT_TRUE(line.write(signals::silence(0.25), true));
        }
        FAIL() << "the call did not end: " << program->output() << program->errors();
    };
    call(6.5, 1);  // about 8 s with its pre-roll and the silence that ends it: kept
    call(0.3, 2);  // about 2 s: too short
    program->signal(SIGTERM);
    ASSERT_EQ(program->wait(5s), 0);
    EXPECT_NE(program->output().find("event 33 recording-saved"), std::string::npos);

    const auto files = test::filesUnder(folder + "db");
    ASSERT_EQ(files.size(), 1u) << "the short call's file must be gone";
    const std::string rows =
        test::sqliteQuery(folder + "Ambrin.od2",
                          "select CallType, TotalTime, FileName, length(Date) from RecordInfo");
    const int duration = wavDurationSeconds(files[0]);
    EXPECT_GT(duration, 6);
    EXPECT_EQ(rows, "2|" + std::to_string(duration) + "|" + files[0] + "|14\n");
}

TEST_F(ProgramTest, OggAndMp3CallsAreStoredWithTheirTrueLength) {
    ASSERT_TRUE(line.available());
    const std::string folder = install("opt");
    SettingsStore store(folder);
    store.writeInt(setting::kRecordMode, 1);
    store.writeInt(setting::kMinimumRecordTime, 0);
    store.writeInt(setting::kAudioQuality, 10);  // 128 kbit/s: the size would say 8 times too long
    auto program = launch(folder);
    ASSERT_TRUE(program->waitForOutput("ambrin: running", 10s)) << program->errors();
    for (const int format : {kFormatOgg, kFormatMp3}) {
        store.writeInt(setting::kRecordFormat, format);  // read at every start
        const std::size_t saved = program->output().size();
        EXPECT_EQ(launch(folder, {"--command", "record"})->wait(5s), 0);
        ASSERT_TRUE(program->waitForOutput("event 27 recording", 5s));
        ASSERT_TRUE(line.write(signals::speechLike(4.0, 11), true));
        EXPECT_EQ(launch(folder, {"--command", "stop"})->wait(5s), 0);
        for (int i = 0;
             i < 100 && program->output().find("event 24 idle", saved) == std::string::npos; ++i) {
            std::this_thread::sleep_for(20ms);
        }
        std::this_thread::sleep_for(1100ms);  // the next call starts in another second
    }
    EXPECT_EQ(launch(folder, {"--command", "quit"})->wait(5s), 0);
    EXPECT_EQ(program->wait(5s), 0);

    const std::string rows =
        test::sqliteQuery(folder + "Ambrin.od2",
                          "select FileName || '|' || TotalTime from RecordInfo order by FileName");
    const auto files = test::filesUnder(folder + "db");
    ASSERT_EQ(files.size(), 2u) << rows;
    for (const auto& file : files) {
        // GStreamer's measure, truncated to whole seconds, is what the record must hold.
        const std::string discovered = test::runCommand("gst-discoverer-1.0 '" + file + "'");
        const std::size_t at = discovered.find("Duration: 0:00:");
        ASSERT_NE(at, std::string::npos) << discovered;
        const int seconds = std::stoi(discovered.substr(at + 15, 2));
        EXPECT_GE(seconds, 3);  // about 4 s of speech
        EXPECT_NE(rows.find(file + "|" + std::to_string(seconds) + "\n"), std::string::npos)
            << rows << discovered;
    }
    const std::string mp3 = files[0].substr(files[0].size() - 4) == ".mp3" ? files[0] : files[1];
    const std::string ogg = mp3 == files[0] ? files[1] : files[0];
    EXPECT_NE(test::runCommand("ogginfo '" + ogg + "'").find("Playback length: 0m:0"),
              std::string::npos);
    const std::string decoded = test::runCommand("mpg123 -t '" + mp3 + "'");
    EXPECT_NE(decoded.find("MPEG 1"), std::string::npos) << decoded;  // 128 kbit/s is MPEG-1
    EXPECT_EQ(decoded.find("error"), std::string::npos) << decoded;
}

// A tmpfs of a given size, where the machine allows mounting (root in a sandbox that permits
// it); unmounted at destruction.
class SmallVolume {
  public:
    SmallVolume(const std::string& folder, std::uint64_t bytes) : m_folder(folder) {
        ::mkdir(folder.c_str(), 0755);
        const std::string options = "size=" + std::to_string(bytes);
        m_mounted = ::mount("tmpfs", folder.c_str(), "tmpfs", 0, options.c_str()) == 0;
    }
    ~SmallVolume() {
        if (m_mounted) {
            ::umount2(m_folder.c_str(), MNT_DETACH);
        }
    }
    bool mounted() const { return m_mounted; }

  private:
    std::string m_folder;
    bool m_mounted = false;
};

TEST_F(ProgramTest, ADueBackupIsMadeAtStartWithTheDefaultAnswerAndPrintedProgress) {
    const std::string folder = install("opt");
    auto first = launch(folder);  // makes the settings and the database
    ASSERT_TRUE(first->waitForOutput("ambrin: running", 10s)) << first->errors();
    first->signal(SIGTERM);
    ASSERT_EQ(first->wait(5s), 0);
    {
        SettingsStore store(folder);
        store.writeInt(setting::kAutoBackupIndex, 1);
    }
    ::mkdir((folder + "DBBackup").c_str(), 0755);
    test::writeFile(folder + "DBBackup/20000101.odk", "an old backup");
    ::mkdir((folder + "db/20120731").c_str(), 0755);
    test::writeFile(folder + "db/20120731/Kim@20120731153012.ogg", "recording");

    auto program = launch(folder);
    ASSERT_TRUE(program->waitForOutput("ambrin: running", 30s)) << program->errors();
    program->signal(SIGTERM);
    EXPECT_EQ(program->wait(5s), 0);
    const std::string out = program->output();
    EXPECT_LT(position(out, loadString(str::kBackupInProgress)),
              position(out, loadString(str::kBackupCompleted)));
    EXPECT_LT(position(out, loadString(str::kBackupCompleted)), position(out, "ambrin: running"));
    const auto backups = test::filesUnder(folder + "DBBackup");
    ASSERT_EQ(backups.size(), 2u);
    const std::string made = backups[1];
    EXPECT_EQ(made.substr(made.size() - 4), ".odk");
    const std::string listing = test::runCommand("unzip -Z1 '" + made + "'");
    EXPECT_NE(listing.find("Ambrin.od2"), std::string::npos) << listing;
    EXPECT_NE(listing.find("20120731/Kim@20120731153012.ogg"), std::string::npos) << listing;
}

TEST_F(ProgramTest, ADatabaseDriveWithFortyMebibytesFreeEndsTheStartWithAWarning) {
    env.setVariable("AMBRIN_UI_LANG", "1033");
    const std::string folder = install("opt");
    {
        SettingsStore store(folder);
        store.writeString(setting::kDatabasePath, env.path("small") + "/db");
    }
    {
        SmallVolume full(env.path("small"), 40ull << 20);
        if (!full.mounted()) {
            GTEST_SKIP() << "mounting a tmpfs is not allowed here";
        }
        auto program = launch(folder);
        ASSERT_EQ(program->wait(5s), 4);  // too little disk
        EXPECT_NE(program->errors().find("Ambrin+: " + loadString(str::kDiskSpaceLow)),
                  std::string::npos)
            << program->errors();
        EXPECT_EQ(program->output().find("ambrin: running"), std::string::npos);
    }
    // One page more than 40 MiB (a tmpfs counts in pages) is enough.
    SmallVolume roomy(env.path("small"), (40ull << 20) + 4096);
    ASSERT_TRUE(roomy.mounted());
    auto program = launch(folder);
    ASSERT_TRUE(program->waitForOutput("ambrin: running", 10s)) << program->errors();
    program->signal(SIGTERM);
    EXPECT_EQ(program->wait(5s), 0);
}

}  // namespace
}  // namespace ambrin
