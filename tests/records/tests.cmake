# The call records: database, storing of recordings, recording information, stock contents.
find_package(SQLite3 REQUIRED)

ambrin_test(records_tests
    SOURCES records/record_database_test.cpp records/call_storage_test.cpp
            records/record_information_test.cpp records/call_content_list_test.cpp
            records/damaged_database_test.cpp records/backup_test.cpp
            records/record_retention_test.cpp
            records/record_search_test.cpp records/record_export_test.cpp
    LIBS ambrin_records SQLite::SQLite3 TSAN)
target_compile_definitions(records_tests PRIVATE
    AMBRIN_WORKBOOK_READER="${CMAKE_CURRENT_SOURCE_DIR}/records/read_workbook.py")

# The search index against reading every record.
ambrin_test(record_search_tests
    SOURCES records/record_search_index_test.cpp
    LIBS ambrin_records SQLite::SQLite3)

# The recording-information window through its widgets (offscreen).
find_package(Qt6 REQUIRED COMPONENTS Test)
ambrin_test(records_ui_tests
    SOURCES records/information_dialog_test.cpp records/progress_dialog_test.cpp
            records/auto_backup_page_test.cpp
            records/record_list_page_test.cpp
            support/GuiApplication.cpp
    LIBS ambrin_records_ui Qt6::Test SQLite::SQLite3)

# A bounded libFuzzer run of the entry names a restore reads. The fuzzer brings its own
# sanitizers, so the sanitizer builds leave it out.
if(NOT AMBRIN_SANITIZE)
    add_test(NAME backup_fuzz
        COMMAND ${CMAKE_CURRENT_SOURCE_DIR}/records/fuzz/run_fuzzer.sh
                ${PROJECT_SOURCE_DIR} ${CMAKE_CURRENT_BINARY_DIR}/backup-fuzz 30)
    set_tests_properties(backup_fuzz PROPERTIES LABELS fuzz TIMEOUT 200)
endif()
