// Backup and restore of 1 GiB of OGG recordings, against `zip -5 -r` of the same folder in the
// same run. The recordings are copies of one three-minute call encoded by sox, in day folders,
// made once per run in a private temporary folder (AMBRIN_BENCH_DIR chooses its parent).

#include <benchmark/benchmark.h>
#include <sys/stat.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>

#include "core/AppContext.h"
#include "core/SettingsStore.h"
#include "records/BackupFiles.h"
#include "records/BackupWorker.h"
#include "records/RecordDatabase.h"
#include "records/RestoreWorker.h"

namespace {

using namespace ambrin;
namespace fs = std::filesystem;

constexpr std::uint64_t kTotalBytes = 1ull << 30;
constexpr int kDays = 30;

class QuietProgress : public BackupProgress {
  public:
    void open(BackupMode) override {}
    void setRange(int) override {}
    void setPosition(int) override {}
    void finish() override {}
    void close() override {}
};

struct Installation {
    std::string root;
    BackupPlaces places;
    std::uint64_t bytes = 0;
};

Installation* g_installation = nullptr;

bool prepare() {
    const char* parent = std::getenv("AMBRIN_BENCH_DIR");
    std::string root = (parent ? std::string(parent) : fs::temp_directory_path().string()) +
                       "/ambrin-backup-bench-XXXXXX";
    if (::mkdtemp(root.data()) == nullptr) {
        return false;
    }
    auto* installation = new Installation;
    installation->root = root;
    installation->places = {root + "/db/", root + "/Ambrin.od2", root + "/DBBackup/"};
    fs::create_directories(installation->places.recordingFolder);
    if (!RecordDatabase(installation->places.databaseFile).InitializeDatabase()) {
        return false;
    }
    const std::string call = root + "/call.ogg";
    const std::string sox = "sox -n -r 8000 -c 1 '" + call + "' synth 180 pinknoise vol 0.3";
    if (std::system(sox.c_str()) != 0) {
        return false;
    }
    const std::uint64_t callSize = fs::file_size(call);
    for (int i = 0; installation->bytes < kTotalBytes; ++i) {
        const std::string day = installation->places.recordingFolder + "201207" +
                                (i % kDays < 9 ? "0" : "") + std::to_string(i % kDays + 1);
        fs::create_directories(day);
        fs::copy_file(call, day + "/Kim@" + std::to_string(20120700000000ll + i) + ".ogg");
        installation->bytes += callSize;
    }
    g_installation = installation;
    return true;
}

void BM_Backup(benchmark::State& state) {
    QuietProgress progress;
    for (auto _ : state) {
        BackupFlags flags;
        BackupWorker worker(g_installation->places, flags, progress);
        worker.setDate({2012, 7, 31});
        if (worker.run() != BackupResult::Done) {
            state.SkipWithError("the backup failed");
        }
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * g_installation->bytes));
}

void BM_ZipCommand(benchmark::State& state) {
    const std::string archive = g_installation->root + "/zip-command.zip";
    const std::string command =
        "cd '" + g_installation->places.recordingFolder + "' && zip -5 -r -q '" + archive + "' .";
    for (auto _ : state) {
        fs::remove(archive);
        if (std::system(command.c_str()) != 0) {
            state.SkipWithError("zip failed");
        }
    }
    fs::remove(archive);
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * g_installation->bytes));
}

void BM_Restore(benchmark::State& state) {
    QuietProgress progress;
    for (auto _ : state) {
        BackupFlags flags;
        if (RestoreWorker(g_installation->places, "20120731", flags, progress).run() !=
            BackupResult::Done) {
            state.SkipWithError("the restore failed");
        }
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * g_installation->bytes));
}

BENCHMARK(BM_Backup)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(3);
BENCHMARK(BM_ZipCommand)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(3);
BENCHMARK(BM_Restore)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(3);

}  // namespace

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    if (!prepare()) {
        std::fprintf(stderr, "the recordings could not be made\n");
        return 1;
    }
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    fs::remove_all(g_installation->root);
    return 0;
}
