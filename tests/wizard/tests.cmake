# The updater in libwizard.so. Included by tests/CMakeLists.txt.

# Its parts: URL splitting, headers and transfers, the manifest, signatures, replacement.
ambrin_test(wizard_tests
    SOURCES wizard/update_parts_test.cpp wizard/setup_files_test.cpp support/HttpTestServer.cpp
    LIBS ambrin_wizard_core ${CMAKE_DL_LIBS})
add_dependencies(wizard_tests wizard ambrin)
# The exports are looked up as the launcher does: libwizard.so by name. An RPATH rather
# than a RUNPATH, as it also serves a dlopen that a sanitizer runtime makes on our behalf.
set_target_properties(wizard_tests PROPERTIES BUILD_RPATH $<TARGET_FILE_DIR:wizard>)
target_link_options(wizard_tests PRIVATE -Wl,--disable-new-dtags)

# The launcher's part in an update, for the whole-update test: it is copied beside
# libwizard.so into the installation folder and finds it there.
add_executable(ambrin_update_runner wizard/update_runner.cpp)
target_link_libraries(ambrin_update_runner PRIVATE Qt6::Widgets ${CMAKE_DL_LIBS} ambrin_warnings)
set_target_properties(ambrin_update_runner PROPERTIES BUILD_RPATH "$ORIGIN")
target_link_options(ambrin_update_runner PRIVATE -Wl,--disable-new-dtags)

# The installed program (3.0.0.0) and the release that replaces it (3.0.0.1).
set(AMBRIN_RELEASES ${CMAKE_CURRENT_BINARY_DIR}/releases)
add_custom_command(
    OUTPUT ${AMBRIN_RELEASES}/3.0.0.0/ambrin ${AMBRIN_RELEASES}/3.0.0.1/ambrin
    COMMAND ${CMAKE_COMMAND} -E make_directory ${AMBRIN_RELEASES}/3.0.0.0 ${AMBRIN_RELEASES}/3.0.0.1
    COMMAND ${CMAKE_CURRENT_SOURCE_DIR}/wizard/stamp_version.sh $<TARGET_FILE:ambrin> ${AMBRIN_RELEASES}/3.0.0.0/ambrin 3 0 0 0
    COMMAND ${CMAKE_CURRENT_SOURCE_DIR}/wizard/stamp_version.sh $<TARGET_FILE:ambrin> ${AMBRIN_RELEASES}/3.0.0.1/ambrin 3 0 0 1
    DEPENDS ambrin ${CMAKE_CURRENT_SOURCE_DIR}/wizard/stamp_version.sh
    COMMENT "Stamping the test releases of ambrin")
add_custom_target(ambrin_test_releases DEPENDS ${AMBRIN_RELEASES}/3.0.0.0/ambrin ${AMBRIN_RELEASES}/3.0.0.1/ambrin)

ambrin_test(update_tests
    SOURCES wizard/update_test.cpp support/HttpTestServer.cpp
    LIBS ambrin_platform AUDIO)
add_dependencies(update_tests wizard ambrin_update_runner ambrin_test_releases ambrin_update_manifest)
target_compile_definitions(update_tests PRIVATE
    WIZARD_LIB="$<TARGET_FILE:wizard>"
    UPDATE_RUNNER_BIN="$<TARGET_FILE:ambrin_update_runner>"
    MANIFEST_TOOL_BIN="$<TARGET_FILE:ambrin_update_manifest>"
    AMBRIN_RELEASES="${AMBRIN_RELEASES}")

# Bounded libFuzzer runs of the header reader, the manifest reader and the signature
# parser. The fuzzers bring their own sanitizers, so the sanitizer builds leave them out.
if(NOT AMBRIN_SANITIZE)
    add_test(NAME wizard_fuzz
        COMMAND ${CMAKE_CURRENT_SOURCE_DIR}/wizard/fuzz/run_fuzzer.sh
                ${PROJECT_SOURCE_DIR} ${CMAKE_CURRENT_BINARY_DIR}/wizard-fuzz)
    set_tests_properties(wizard_fuzz PROPERTIES LABELS fuzz TIMEOUT 200)
endif()

# Two small files with version notes of their own, for the version test.
foreach(version 2.0.0.0 1.2.3.4)
    string(REPLACE "." "_" id ${version})
    add_library(version_note_${id} SHARED)
    ambrin_version_note(version_note_${id} "Version Probe" ${version})
    add_dependencies(wizard_tests version_note_${id})
endforeach()
target_compile_definitions(wizard_tests PRIVATE
    NOTE_2_0_0_0="$<TARGET_FILE:version_note_2_0_0_0>"
    NOTE_1_2_3_4="$<TARGET_FILE:version_note_1_2_3_4>"
    WIZARD_LIB="$<TARGET_FILE:wizard>"
    AMBRIN_VERSION_TEXT="${AMBRIN_VERSION}")

# Setup and removal through the real wizard windows, from the medium of `make medium`.
add_executable(ambrin_setup_runner wizard/setup_runner.cpp)
target_link_libraries(ambrin_setup_runner PRIVATE Qt6::Widgets ${CMAKE_DL_LIBS} ambrin_warnings)

add_executable(setup_tests wizard/setup_test.cpp wizard/InstalledProgram.cpp)
target_link_libraries(setup_tests PRIVATE ambrin_platform ambrin_test_support GTest::gtest_main ambrin_warnings)
target_include_directories(setup_tests PRIVATE ${CMAKE_CURRENT_SOURCE_DIR})
target_compile_definitions(setup_tests PRIVATE
    AMBRIN_MEDIUM="${PROJECT_BINARY_DIR}/medium"
    SETUP_RUNNER_BIN="$<TARGET_FILE:ambrin_setup_runner>")
add_dependencies(setup_tests medium ambrin_setup_runner)
# -noreset, as on a desktop: between two windows (the removal after the install) the server
# would otherwise reset itself, and a program connecting meanwhile can find no display.
add_test(NAME setup
    COMMAND xvfb-run -a -s "-screen 0 1024x768x24 -nolisten tcp -noreset" $<TARGET_FILE:setup_tests>)
set_tests_properties(setup PROPERTIES LABELS "unit" FIXTURES_REQUIRED audio RESOURCE_LOCK audio_line TIMEOUT 180)

# The Debian package (`make test-package`, after `make package`; not in `make test`).
add_executable(package_tests EXCLUDE_FROM_ALL wizard/package_test.cpp wizard/InstalledProgram.cpp)
target_link_libraries(package_tests PRIVATE ambrin_platform ambrin_test_support GTest::gtest_main ambrin_warnings)
target_include_directories(package_tests PRIVATE ${CMAKE_CURRENT_SOURCE_DIR})
target_compile_definitions(package_tests PRIVATE AMBRIN_PACKAGE_FOLDER="${PROJECT_BINARY_DIR}/package")
add_test(NAME package COMMAND package_tests)
set_tests_properties(package PROPERTIES LABELS package FIXTURES_REQUIRED audio RESOURCE_LOCK audio_line TIMEOUT 180)
