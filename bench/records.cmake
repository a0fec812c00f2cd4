# The call records on a database of 100,000 records.
find_package(SQLite3 REQUIRED)

add_executable(ambrin_records_bench records_bench.cpp)
target_link_libraries(ambrin_records_bench PRIVATE
    ambrin_records SQLite::SQLite3 benchmark::benchmark ambrin_warnings)
