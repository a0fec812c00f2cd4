# Skin reader and skin packages. Included by tests/CMakeLists.txt.
ambrin_test(skin_tests
    SOURCES skin/skin_reader_test.cpp skin/skin_archive_test.cpp skin/skin_manager_test.cpp
            skin/SkinTestTools.cpp
    LIBS ambrin_skin PkgConfig::LIBZIP)

# Bounded libFuzzer runs of the description reader and of tar and zip extraction. The
# fuzzers bring their own sanitizers, so the sanitizer builds leave them out.
if(NOT AMBRIN_SANITIZE)
    add_test(NAME skin_fuzz
        COMMAND ${CMAKE_CURRENT_SOURCE_DIR}/skin/fuzz/run_fuzzers.sh
                ${PROJECT_SOURCE_DIR} ${CMAKE_CURRENT_BINARY_DIR}/skin-fuzz)
    set_tests_properties(skin_fuzz PROPERTIES LABELS fuzz TIMEOUT 900)
endif()

# The shipped skins as the build packs them.
ambrin_test(shipped_skin_tests
    SOURCES skin/shipped_skins_test.cpp
    LIBS ambrin_skin Qt6::Gui)
target_compile_definitions(shipped_skin_tests PRIVATE AMBRIN_SKIN_PACKAGE_DIR="$<TARGET_FILE_DIR:ambrin>")
add_dependencies(shipped_skin_tests ambrin_skins)

# Skin elements and their drawing, on small skins the tests make themselves.
ambrin_test(skin_element_tests
    SOURCES skin/skin_document_test.cpp skin/TestSkin.cpp skin/SkinTestTools.cpp
    LIBS ambrin_skin Qt6::Gui)
target_compile_definitions(skin_element_tests PRIVATE
    AMBRIN_SKIN_GOLDEN_DIR="${CMAKE_CURRENT_SOURCE_DIR}/skin/golden")

# The skinned window on the offscreen platform.
find_package(Qt6 REQUIRED COMPONENTS Test)
ambrin_test(skin_window_tests
    SOURCES app/skin_window_test.cpp skin/TestSkin.cpp
    LIBS ambrin_ui Qt6::Test)
target_include_directories(skin_window_tests PRIVATE ${CMAKE_CURRENT_SOURCE_DIR})
target_compile_definitions(skin_window_tests PRIVATE
    AMBRIN_SKIN_GOLDEN_DIR="${CMAKE_CURRENT_SOURCE_DIR}/skin/golden")

# The skinned window on a private X server, driven by xdotool.
ambrin_test(skin_window_x11_tests
    SOURCES app/skin_window_x11_test.cpp skin/TestSkin.cpp
    LIBS ambrin_ui Qt6::Test)
target_include_directories(skin_window_x11_tests PRIVATE ${CMAKE_CURRENT_SOURCE_DIR})
target_compile_definitions(skin_window_x11_tests PRIVATE
    AMBRIN_SKIN_GOLDEN_DIR="${CMAKE_CURRENT_SOURCE_DIR}/skin/golden")
