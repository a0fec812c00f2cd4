# The version note of every deliverable: an ELF note section ".note.ambrin.version" with
# the four-part AMBRIN_VERSION, the product name and the file's own description, which
# VersionInfo reads back from the file (the updater compares installed files by it).
#
#   ambrin_version_note(<target> "<FileDescription>" [<version>])
# The version defaults to AMBRIN_VERSION; only tests give another.
function(ambrin_version_note target description)
    set(version ${AMBRIN_VERSION})
    if(ARGC GREATER 2)
        set(version ${ARGV2})
    endif()
    if(NOT version MATCHES "^([0-9]+)\\.([0-9]+)\\.([0-9]+)\\.([0-9]+)$")
        message(FATAL_ERROR "AMBRIN_VERSION must have four parts, like 3.0.0.0: ${version}")
    endif()
    set(NOTE_MAJOR ${CMAKE_MATCH_1})
    set(NOTE_MINOR ${CMAKE_MATCH_2})
    set(NOTE_BUILD ${CMAKE_MATCH_3})
    set(NOTE_REVISION ${CMAKE_MATCH_4})
    set(NOTE_PRODUCT "${AMBRIN_PRODUCT_NAME}")
    set(NOTE_DESCRIPTION "${description}")
    set(out ${CMAKE_CURRENT_BINARY_DIR}/${target}_version_note.cpp)
    configure_file(${PROJECT_SOURCE_DIR}/cmake/VersionNote.cpp.in ${out} @ONLY)
    target_sources(${target} PRIVATE ${out})
endfunction()
