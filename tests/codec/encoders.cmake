# The OGG and MP3 encoder tests.
#
# Stand-ins for the MP3 encoder library: LAME's entry points forwarded to the real
# libmp3lame, one variant with all of them and two that each leave one out.
find_library(AMBRIN_REAL_LAME NAMES libmp3lame.so.0 REQUIRED)

function(ambrin_lame_stand_in name)
    add_library(${name} SHARED codec/LameStandIn.cpp)
    target_compile_definitions(${name} PRIVATE AMBRIN_REAL_LAME="${AMBRIN_REAL_LAME}" ${ARGN})
    target_link_libraries(${name} PRIVATE ${CMAKE_DL_LIBS} ambrin_warnings)
endfunction()

ambrin_lame_stand_in(lame_stand_in_full)
ambrin_lame_stand_in(lame_stand_in_without_lametag WITHOUT_LAMETAG_FRAME)
ambrin_lame_stand_in(lame_stand_in_without_tags_fid WITHOUT_MP3_TAGS_FID)

ambrin_test(encoder_tests
    SOURCES codec/ogg_sink_test.cpp codec/mp3_sink_test.cpp codec/mp3_library_test.cpp
            codec/duration_test.cpp codec/recording_repair_test.cpp
    LIBS ambrin_codec)
add_dependencies(encoder_tests
    lame_stand_in_full lame_stand_in_without_lametag lame_stand_in_without_tags_fid)
target_compile_definitions(encoder_tests PRIVATE
    AMBRIN_LAME_FULL="$<TARGET_FILE:lame_stand_in_full>"
    AMBRIN_LAME_WITHOUT_LAMETAG="$<TARGET_FILE:lame_stand_in_without_lametag>"
    AMBRIN_LAME_WITHOUT_TAGS_FID="$<TARGET_FILE:lame_stand_in_without_tags_fid>")

# A bounded libFuzzer run of the MP3 and OGG duration measurements. The fuzzer brings its
# own sanitizers, so the sanitizer builds leave it out.
if(NOT AMBRIN_SANITIZE)
    add_test(NAME duration_fuzz
        COMMAND ${CMAKE_CURRENT_SOURCE_DIR}/codec/fuzz/run_duration_fuzzer.sh
                ${PROJECT_SOURCE_DIR} ${CMAKE_CURRENT_BINARY_DIR}/duration-fuzz 30)
    set_tests_properties(duration_fuzz PROPERTIES LABELS fuzz TIMEOUT 200)
endif()

# A bounded libFuzzer run of the repair of interrupted recordings, in all three formats.
if(NOT AMBRIN_SANITIZE)
    add_test(NAME repair_fuzz
        COMMAND ${CMAKE_CURRENT_SOURCE_DIR}/codec/fuzz/run_repair_fuzzer.sh
                ${PROJECT_SOURCE_DIR} ${CMAKE_CURRENT_BINARY_DIR}/repair-fuzz 20)
    set_tests_properties(repair_fuzz PROPERTIES LABELS fuzz TIMEOUT 200)
endif()
