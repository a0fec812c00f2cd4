// A text search in one field of 1,000,000 call records, as the record list runs it: through
// the search index (the index names the candidates, each is read and tested for the text as a
// case-sensitive substring within the date range) against reading every record, on the same
// database in the same run. The database is built once per run in a private temporary folder;
// building the index over it (what the first start after an update does) is timed once and printed.

#include <benchmark/benchmark.h>
#include <sqlite3.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <random>
#include <string>
#include <vector>

#include "records/RecordDatabase.h"
#include "records/RecordSearch.h"
#include "records/RecordSearchIndex.h"

namespace {

using ambrin::RecordSearchIndex;

constexpr int kRecordCount = 1000000;

const std::vector<std::string> kWords = {
    "김민준", "이서연", "박지호",  "최유나",   "서울",   "부산", "주문",     "배송",
    "문의",   "환불",   "견적",    "주식회사", "강남구", "Kim",  "Lee",      "Park",
    "ORDER",  "order",  "Invoice", "Delivery", "Seoul",  "Ltd",  "테헤란로", "2024"};

std::string g_path;
bool g_keep = false;

struct Database {
    sqlite3* db = nullptr;
    Database() { sqlite3_open(g_path.c_str(), &db); }
    ~Database() { sqlite3_close(db); }
};

void build() {
    if (const char* kept = std::getenv("AMBRIN_SEARCH_BENCH_DB")) {
        g_path = kept;  // built once and kept, for repeated runs while tuning
        g_keep = true;
        if (std::filesystem::exists(g_path)) {
            return;
        }
    } else {
        const std::string folder = std::filesystem::temp_directory_path() /
                                   ("ambrin-search-bench." + std::to_string(::getpid()));
        std::filesystem::create_directories(folder);
        g_path = folder + "/Ambrin.od2";
    }
    Database d;
    sqlite3_exec(d.db,
                 "CREATE TABLE IF NOT EXISTS RecordInfo (Date varchar(40), Name varchar(40), CID "
                 "varchar(40), Organize varchar(40), Address varchar(255), Contents text, "
                 "FileName varchar(255), ETC1 varchar(40), ETC2 varchar(40), TotalTime int "
                 "default 0, CallType int(1) default 0); BEGIN",
                 nullptr, nullptr, nullptr);
    sqlite3_stmt* insert = nullptr;
    sqlite3_prepare_v2(d.db, "insert into RecordInfo values (?, ?, ?, ?, ?, ?, ?, ?, ?, 60, 0)", -1,
                       &insert, nullptr);
    std::mt19937 random(1);
    std::uniform_int_distribution<std::size_t> word(0, kWords.size() - 1);
    std::uniform_int_distribution<int> digit(0, 9);
    for (int i = 0; i < kRecordCount; ++i) {
        char key[32];
        std::snprintf(key, sizeof key, "2024%02d%02d%06d", 1 + i % 12, 1 + i % 28, i % 1000000);
        std::string number = "010";
        for (int d8 = 0; d8 < 8; ++d8) {
            number += static_cast<char>('0' + digit(random));
        }
        const std::string name = kWords[word(random)];
        const std::string contents = kWords[word(random)] + " " + kWords[word(random)] + " " +
                                     kWords[word(random)] + " " + std::to_string(i);
        const std::string organize = kWords[word(random)] + " " + kWords[word(random)];
        const std::string fields[] = {key,
                                      name,
                                      number,
                                      organize,
                                      kWords[word(random)],
                                      contents,
                                      "/home/user/db/" + std::string(key) + ".ogg",
                                      "",
                                      ""};
        for (int c = 0; c < 9; ++c) {
            sqlite3_bind_text(insert, c + 1, fields[c].c_str(), -1, SQLITE_TRANSIENT);
        }
        sqlite3_step(insert);
        sqlite3_reset(insert);
    }
    sqlite3_finalize(insert);
    sqlite3_exec(d.db, "COMMIT", nullptr, nullptr, nullptr);

    const auto started = std::chrono::steady_clock::now();
    RecordSearchIndex(g_path).prepare();
    const auto seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - started);
    std::printf("search index built over %d records in %.1f s\n", kRecordCount, seconds.count());
}

// The record list's search over the whole year, by the given method.
void search(benchmark::State& state, int field, const std::string& text,
            ambrin::SearchMethod method) {
    const ambrin::RecordDatabase database(g_path);
    const ambrin::RecordQuery query{"20240101000000", "20241231235959", field, text};
    std::vector<ambrin::RecordRow> rows;
    for (auto _ : state) {
        ambrin::searchRecords(database, query, rows, method);
    }
    state.counters["found"] = static_cast<double>(rows.size());
}

void scanSearch(benchmark::State& state, int field, const std::string& text) {
    search(state, field, text, ambrin::SearchMethod::ReadEveryRecord);
}

void indexedSearch(benchmark::State& state, int field, const std::string& text) {
    search(state, field, text, ambrin::SearchMethod::Fastest);
}

// Phone Num. for a run of digits; Name for a customer's name.
void BM_ScanPhoneNumber(benchmark::State& state) {
    scanSearch(state, 4, "45678");
}
void BM_IndexedPhoneNumber(benchmark::State& state) {
    indexedSearch(state, 4, "45678");
}
void BM_ScanContents(benchmark::State& state) {
    scanSearch(state, 7, "환불 Delivery");
}
void BM_IndexedContents(benchmark::State& state) {
    indexedSearch(state, 7, "환불 Delivery");
}
// A name in one record of 24: every trigram is common, so reading every record is chosen.
void BM_ScanCommonName(benchmark::State& state) {
    scanSearch(state, 3, "Kim");
}
void BM_IndexedCommonName(benchmark::State& state) {
    indexedSearch(state, 3, "Kim");
}
BENCHMARK(BM_ScanPhoneNumber)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(3);
BENCHMARK(BM_IndexedPhoneNumber)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_ScanContents)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(3);
BENCHMARK(BM_IndexedContents)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_ScanCommonName)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(3);
BENCHMARK(BM_IndexedCommonName)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(3);

}  // namespace

int main(int argc, char** argv) {
    build();
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    if (!g_keep) {
        std::filesystem::remove_all(std::filesystem::path(g_path).parent_path());
    }
    return 0;
}
