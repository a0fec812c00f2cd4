#pragma once

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <memory>
#include <string>
#include <vector>

#include "codec/WavSink.h"
#include "core/AppContext.h"
#include "core/CallRecord.h"
#include "core/SettingsStore.h"
#include "records/RecordDatabase.h"
#include "support/TestEnvironment.h"

namespace ambrin::test {

// An installation in a private folder: settings with "InstallPath" pointing at it, a day
// folder for recordings, the context the records code works with, and an empty database.
class RecordsFixture : public EnvironmentTest {
  protected:
    RecordsFixture() {
        ::mkdir(env.path("opt").c_str(), 0755);
        ::mkdir(env.path("opt/db").c_str(), 0755);
        store = std::make_unique<SettingsStore>(folder());
        context.settings = store.get();
    }

    void SetUp() override { ASSERT_TRUE(database().InitializeDatabase()); }

    std::string folder() const { return env.path("opt") + "/"; }
    std::string databaseFile() const { return folder() + kDatabaseFileName; }
    std::string recording(const std::string& name) const { return env.path("opt/db/") + name; }
    RecordDatabase database() const { return RecordDatabase(context); }

    // A WAVE recording as the recorder writes it: 8000 Hz, 16-bit, mono, `seconds` long.
    static void writeWav(const std::string& path, int seconds) {
        WavSink sink(1, 16, 8000);
        ASSERT_TRUE(sink.open(path));
        const std::vector<std::int16_t> second(8000, 0);
        for (int i = 0; i < seconds; ++i) {
            ASSERT_TRUE(sink.write(second.data(), second.size() * 2));
        }
        sink.close();
    }

    // An OGG Vorbis file made by sox: a tone of `seconds`.
    void writeOgg(const std::string& path, int seconds) const {
        ChildProcess sox(
            "/usr/bin/sox",
            {"-n", "-r", "8000", "-c", "1", path, "synth", std::to_string(seconds), "sine", "440"},
            env.path("tmp"));
        ASSERT_EQ(sox.wait(std::chrono::seconds(30)), 0) << sox.errors();
    }

    // Runs `query` on the database file with the sqlite3 program; its output.
    std::string sqlite(const std::string& query) const {
        ChildProcess tool("/usr/bin/sqlite3", {"-batch", databaseFile(), query}, env.path("tmp"));
        EXPECT_EQ(tool.wait(std::chrono::seconds(30)), 0) << tool.errors();
        return tool.output();
    }

    static bool exists(const std::string& path) {
        struct stat info {};
        return ::stat(path.c_str(), &info) == 0;
    }

    std::unique_ptr<SettingsStore> store;
    AppContext context;
};

}  // namespace ambrin::test
