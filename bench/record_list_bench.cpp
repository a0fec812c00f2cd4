// The record list on large databases: the page opened to its first rows shown (today's
// calls), a text search over every call, and the spreadsheet export of 10,000 calls with the
// memory it takes. The databases (100,000 and 1,000,000 calls over the days up to today)
// are built once per run in a private temporary folder, each in one transaction.
//   ambrin_record_list_bench [--benchmark_filter=...]

#include <benchmark/benchmark.h>
#include <sqlite3.h>
#include <sys/resource.h>

#include <QApplication>
#include <QDate>
#include <QDateEdit>
#include <QLineEdit>
#include <QTableView>
#include <cstdlib>
#include <filesystem>
#include <map>
#include <memory>
#include <string>

#include "BenchRecords.h"
#include "core/AppContext.h"
#include "core/SettingsStore.h"
#include "platform/Folders.h"
#include "records/RecordDatabase.h"
#include "records/RecordExport.h"
#include "records/RecordSearch.h"
#include "records/ui/RecordListModel.h"
#include "records/ui/RecordListPage.h"
#include "records/ui/StandalonePageHost.h"

namespace {

using namespace ambrin;

constexpr int kCallsPerDay = 1000;

// One installation (settings, database) per size.
struct Installation {
    std::string root;
    std::unique_ptr<SettingsStore> store;
    AppContext context;
};

std::string g_root;
std::map<int, std::unique_ptr<Installation>> g_installations;

// `count` calls, kCallsPerDay a day, the last day today.
bool buildRecords(const std::string& path, int count) {
    const QDate today = QDate::currentDate();
    return bench::fillCallRecords(path, count, [&](int i) {
        const QDate day = today.addDays(-(count - 1 - i) / kCallsPerDay);
        const int second = (i % kCallsPerDay) * 86;  // spread over the day
        char key[32];
        std::snprintf(key, sizeof key, "%04d%02d%02d%02d%02d%02d", day.year(), day.month(),
                      day.day(), second / 3600, second / 60 % 60, second % 60);
        return std::string(key);
    });
}

AppContext* installation(benchmark::State& state, int count) {
    auto& slot = g_installations[count];
    if (!slot) {
        auto made = std::make_unique<Installation>();
        made->root = g_root + "/" + std::to_string(count) + "/";
        std::filesystem::create_directories(made->root);
        made->store = std::make_unique<SettingsStore>(made->root);
        made->store->writeString(setting::kInstallPath, made->root);
        made->context.settings = made->store.get();
        RecordDatabase database(made->context);
        if (!database.InitializeDatabase() || !buildRecords(database.filePath(), count)) {
            state.SkipWithError("cannot build the database");
            return nullptr;
        }
        slot = std::move(made);
    }
    // The settings of every installation live in the one registry file of this home.
    slot->store->writeString(setting::kInstallPath, slot->root);
    return &slot->context;
}

long maxResidentKiB() {
    rusage usage{};
    ::getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss;
}

// The newest `range(0)` calls of the 100,000 exported; the peak resident memory it added.
void exportRows(benchmark::State& state) {
    AppContext* context = installation(state, 100000);
    if (context == nullptr) {
        return;
    }
    // The keys as the list holds them, newest first, read without holding the records.
    std::vector<std::string> keys;
    {
        const SqliteConnection connection = RecordDatabase(*context).openForReading();
        sqlite3_stmt* raw = nullptr;
        sqlite3_prepare_v2(connection.get(),
                           "select Date from RecordInfo order by Date desc limit ?", -1, &raw,
                           nullptr);
        const SqliteStatement statement(raw);
        sqlite3_bind_int64(raw, 1, state.range(0));
        while (sqlite3_step(raw) == SQLITE_ROW) {
            keys.emplace_back(reinterpret_cast<const char*>(sqlite3_column_text(raw, 0)));
        }
    }
    const DisplayNames names = defaultDisplayNames();
    const std::string folder = g_root + "/documents";
    const long before = maxResidentKiB();
    for (auto _ : state) {
        std::string path;
        if (!exportRecordList(RecordDatabase(*context), keys, "2000-01-01", "2099-12-31", names,
                              folder, path)) {
            state.SkipWithError("export failed");
            break;
        }
        state.PauseTiming();
        std::filesystem::remove(path);
        state.ResumeTiming();
    }
    state.counters["peak_added_MiB"] = static_cast<double>(maxResidentKiB() - before) / 1024.0;
}
// First of all and the smaller first, so that nothing before hides the peak of each.
BENCHMARK(exportRows)->Arg(1000)->Arg(10000)->Unit(benchmark::kMillisecond);

// Page made, shown (columns, search of today) and painted once.
void openPage(benchmark::State& state) {
    AppContext* context = installation(state, static_cast<int>(state.range(0)));
    if (context == nullptr) {
        return;
    }
    int rows = 0;
    StandalonePageHost host(*context);
    for (auto _ : state) {
        RecordListPage page(host, nullptr);
        page.resize(900, 500);
        page.show();
        page.pageShown();
        QApplication::processEvents();
        rows = page.model().rowCount();
    }
    state.counters["rows"] = rows;
}
BENCHMARK(openPage)->Arg(100000)->Arg(1000000)->Unit(benchmark::kMillisecond);

// A text in the Name field over every call of the database, listed and painted.
void searchText(benchmark::State& state) {
    AppContext* context = installation(state, static_cast<int>(state.range(0)));
    if (context == nullptr) {
        return;
    }
    StandalonePageHost host(*context);
    RecordListPage page(host, nullptr);
    page.resize(900, 500);
    page.show();
    page.pageShown();
    QApplication::processEvents();
    page.findChild<QDateEdit*>("dateFrom")->setDate(QDate(2000, 1, 1));
    page.findChild<QLineEdit*>("editSearch")->setText("Lee 99");  // Lee 99, Lee 990 ...
    int rows = 0;
    for (auto _ : state) {
        page.search();
        QApplication::processEvents();
        rows = page.model().rowCount();
    }
    state.counters["rows"] = rows;
}
BENCHMARK(searchText)->Arg(100000)->Arg(1000000)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) {
    char pattern[] = "/tmp/ambrin-list-bench.XXXXXX";
    if (::mkdtemp(pattern) == nullptr) {
        return 1;
    }
    g_root = pattern;
    for (const char* variable : {"HOME", "XDG_CONFIG_HOME", "XDG_RUNTIME_DIR", "XDG_DATA_HOME",
                                 "XDG_CACHE_HOME", "TMPDIR", "AMBRIN_MACHINE_CONFIG"}) {
        ::setenv(variable, g_root.c_str(), 1);
    }
    ::setenv("QT_QPA_PLATFORM", "offscreen", 0);
    ::setenv("QT_LOGGING_RULES", "qt.qpa.*=false", 0);
    QApplication application(argc, argv);
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) {
        return 1;
    }
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    g_installations.clear();
    std::error_code ignored;
    std::filesystem::remove_all(g_root, ignored);
    return 0;
}
