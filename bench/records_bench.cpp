// The call records on a database of 100,000 records: storing one finished call, reading every
// record as the record list does, and a text search in one field done through that reading.
// The database is built once per run in a private temporary folder (which also holds the
// settings), in one transaction.

#include <benchmark/benchmark.h>
#include <sys/stat.h>

#include <cstdlib>
#include <filesystem>
#include <memory>
#include <string>

#include "BenchRecords.h"
#include "codec/WavSink.h"
#include "core/AppContext.h"
#include "core/SettingsStore.h"
#include "records/CallStorage.h"
#include "records/RecordDatabase.h"

namespace {

using namespace ambrin;

constexpr int kRecordCount = 100000;

struct Installation {
    std::string root;
    std::unique_ptr<SettingsStore> store;
    AppContext context;
    std::string database;
    std::string dayFolder;
};

Installation* g_installation = nullptr;

bool buildRecords(const std::string& path) {
    return bench::fillCallRecords(path, kRecordCount, [](int i) {
        char key[32];
        std::snprintf(key, sizeof key, "2012%02d%02d%02d%02d%02d", 1 + i % 12, 1 + i % 28, i % 24,
                      i % 60, (i / 60) % 60);
        return std::string(key);
    });
}

bool setUp(Installation& installation) {
    char pattern[] = "/tmp/ambrin-bench.XXXXXX";
    if (::mkdtemp(pattern) == nullptr) {
        return false;
    }
    installation.root = pattern;
    // Settings and every other per-user file go into the private folder.
    for (const char* variable : {"HOME", "XDG_CONFIG_HOME", "XDG_RUNTIME_DIR", "XDG_DATA_HOME",
                                 "XDG_CACHE_HOME", "TMPDIR", "AMBRIN_MACHINE_CONFIG"}) {
        ::setenv(variable, installation.root.c_str(), 1);
    }
    installation.dayFolder = installation.root + "/db/";
    std::filesystem::create_directories(installation.dayFolder);
    installation.store = std::make_unique<SettingsStore>(installation.root + "/");
    installation.store->writeInt(setting::kMinimumRecordTime, -1);  // keep 0-second files
    installation.context.settings = installation.store.get();
    installation.database = RecordDatabase::databasePath(installation.context);
    return InitializeDatabase(installation.context) && buildRecords(installation.database);
}

void readEveryRecord(benchmark::State& state) {
    RecordDatabase database(g_installation->database);
    for (auto _ : state) {
        std::string key;
        CallRecord record;
        int64_t rows = 0;
        database.BeginCallRecords();
        while (database.NextCallRecord(key, record)) {
            ++rows;
        }
        database.EndIteration();
        state.counters["rows"] = static_cast<double>(rows);
    }
}
BENCHMARK(readEveryRecord)->Unit(benchmark::kMillisecond);

void searchNames(benchmark::State& state) {
    RecordDatabase database(g_installation->database);
    const std::string wanted = "Lee 99";  // Lee 99, Lee 990 .. Lee 99999
    for (auto _ : state) {
        std::string key;
        CallRecord record;
        int64_t found = 0;
        database.BeginCallRecords();
        while (database.NextCallRecord(key, record)) {
            found += record.name.find(wanted) != std::string::npos ? 1 : 0;
        }
        database.EndIteration();
        state.counters["found"] = static_cast<double>(found);
    }
}
BENCHMARK(searchNames)->Unit(benchmark::kMillisecond);

void storeOneCall(benchmark::State& state) {
    Installation& installation = *g_installation;
    int number = 0;
    for (auto _ : state) {
        state.PauseTiming();
        const std::string path =
            installation.dayFolder + "call" + std::to_string(number++) + ".wav";
        WavSink sink(1, 16, 8000);
        sink.open(path);
        sink.close();
        state.ResumeTiming();
        if (!StoreRecording(installation.context, path)) {
            state.SkipWithError("not stored");
            break;
        }
    }
}
// Last, so that the reading runs see exactly the records built.
BENCHMARK(storeOneCall)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) {
        return 1;
    }
    Installation installation;
    g_installation = &installation;
    const bool ready = setUp(installation);
    if (ready) {
        benchmark::RunSpecifiedBenchmarks();
    } else {
        std::fprintf(stderr, "cannot build the record database in %s\n", installation.root.c_str());
    }
    benchmark::Shutdown();
    installation.context.settings = nullptr;
    installation.store.reset();
    std::error_code ignored;
    if (!installation.root.empty()) {
        std::filesystem::remove_all(installation.root, ignored);
    }
    return ready ? 0 : 1;
}
