# The call records on a database of 100,000 records.
find_package(SQLite3 REQUIRED)

# Generated call records for the benchmarks' databases.
add_library(ambrin_bench_records STATIC BenchRecords.cpp)
target_link_libraries(ambrin_bench_records PUBLIC ambrin_records SQLite::SQLite3 PRIVATE ambrin_warnings)

add_executable(ambrin_records_bench records_bench.cpp)
target_link_libraries(ambrin_records_bench PRIVATE
    ambrin_bench_records benchmark::benchmark ambrin_warnings)

# Backup and restore of 1 GiB of recordings against the zip command.
add_executable(ambrin_backup_bench backup_bench.cpp)
target_link_libraries(ambrin_backup_bench PRIVATE ambrin_records benchmark::benchmark ambrin_warnings)

# A search of 1,000,000 records through the search index against reading every record.
add_executable(ambrin_search_bench search_bench.cpp)
target_link_libraries(ambrin_search_bench PRIVATE
    ambrin_records SQLite::SQLite3 benchmark::benchmark ambrin_warnings)

# The record list on 100,000 and 1,000,000 calls, and the spreadsheet export.
add_executable(ambrin_record_list_bench record_list_bench.cpp)
target_link_libraries(ambrin_record_list_bench PRIVATE
    ambrin_records_ui ambrin_bench_records benchmark::benchmark ambrin_warnings)
