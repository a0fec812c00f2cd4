# The launcher. Included by tests/CMakeLists.txt.

ambrin_test(launcher_tests
    SOURCES launcher/launcher_parts_test.cpp
    LIBS ambrin_launcher_core)
add_dependencies(launcher_tests launcher_art)
target_compile_definitions(launcher_tests PRIVATE
    LAUNCHER_ART="${CMAKE_BINARY_DIR}/src/launcher/art")

# The real launcher on a private X server, and its command line.
find_package(X11 REQUIRED)
ambrin_test(launcher_window_tests
    SOURCES launcher/launcher_window_test.cpp
    LIBS ambrin_launcher_core Qt6::Gui X11::X11 X11::Xext)
add_dependencies(launcher_window_tests refrex launcher_art)
target_compile_definitions(launcher_window_tests PRIVATE
    REFREX_BIN="$<TARGET_FILE:refrex>"
    WIZARD_LIB="$<TARGET_FILE:wizard>"
    LAUNCHER_ART="${CMAKE_BINARY_DIR}/src/launcher/art"
    LAUNCHER_SCREENSHOTS="${CMAKE_BINARY_DIR}/screenshots/launcher"
    AMBRIN_LSAN_SUPPRESSIONS="${CMAKE_CURRENT_SOURCE_DIR}/support/lsan_toolkit.supp")

# A bounded libFuzzer run of the shape image reader. The fuzzer brings its own sanitizers,
# so the sanitizer builds leave it out.
if(NOT AMBRIN_SANITIZE)
    add_test(NAME launcher_fuzz
        COMMAND ${CMAKE_CURRENT_SOURCE_DIR}/launcher/fuzz/run_fuzzer.sh
                ${PROJECT_SOURCE_DIR} ${CMAKE_CURRENT_BINARY_DIR}/launcher-fuzz
                ${CMAKE_BINARY_DIR}/src/launcher/art/REGION.pcx 20)
    set_tests_properties(launcher_fuzz PROPERTIES LABELS fuzz TIMEOUT 200)
endif()
