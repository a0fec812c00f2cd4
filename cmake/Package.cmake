# `make package`: a Debian package built with CPack from a staged root (build/package-root):
# the programs, skins, libraries and manuals in /opt/ambrin, `ambrin` in /usr/bin, the
# desktop entry and the icons. Dependencies: the shared libraries the programs link (found
# by dpkg-shlibdeps) and the packages of deps/debian-packages.txt marked "# runtime";
# those marked "# recommends" are recommended.
set(AMBRIN_PACKAGE_ROOT ${PROJECT_BINARY_DIR}/package-root)
set(package_launcher "")
set(package_targets ambrin wizard ambrin_skins ambrin_manual_pdf ambrin_icon_sizes)
if(TARGET refrex)
    set(package_launcher $<TARGET_FILE:refrex>)
    list(APPEND package_targets refrex)
endif()
get_target_property(package_program_dir ambrin BINARY_DIR)
string(REGEX MATCH "^[0-9]+\\.[0-9]+\\.[0-9]+" package_version "${AMBRIN_VERSION}")
add_custom_target(package_root
    COMMAND ${CMAKE_COMMAND}
            -DROOT=${AMBRIN_PACKAGE_ROOT}
            -DPROGRAM=$<TARGET_FILE:ambrin>
            -DLAUNCHER=${package_launcher}
            -DWIZARD=$<TARGET_FILE:wizard>
            -DPROGRAM_DIR=${package_program_dir}
            -DSOURCE=${PROJECT_SOURCE_DIR}
            -DVERSION=${package_version}
            -P ${PROJECT_SOURCE_DIR}/cmake/StagePackage.cmake
    DEPENDS ${package_targets}
    COMMENT "Staging the package's files in ${AMBRIN_PACKAGE_ROOT}"
    VERBATIM)

set(package_depends "")
set(package_recommends "")
file(STRINGS ${PROJECT_SOURCE_DIR}/deps/debian-packages.txt package_lines)
foreach(line IN LISTS package_lines)
    if(line MATCHES "^([a-z0-9.+-]+)[ \t]*#[ \t]*runtime")
        list(APPEND package_depends ${CMAKE_MATCH_1})
    elseif(line MATCHES "^([a-z0-9.+-]+)[ \t]*#[ \t]*recommends")
        list(APPEND package_recommends ${CMAKE_MATCH_1})
    endif()
endforeach()
list(JOIN package_depends ", " package_depends)
list(JOIN package_recommends ", " package_recommends)

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME ambrin)
set(CPACK_PACKAGE_VERSION ${package_version})
set(CPACK_PACKAGE_VENDOR "TAVIX Co., Ltd.")
# No comma in the name: Debian reads a comma in Maintainer as a list of contacts.
set(CPACK_PACKAGE_CONTACT "TAVIX Co. Ltd. <support@tavix.co.kr>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "telephone call recorder for the desktop")
# The extended description; CPack puts the summary above it and indents it.
set(CPACK_DEBIAN_PACKAGE_DESCRIPTION "Ambrin+ records the telephone calls that reach the computer's microphone or
line input, one audio file per call (OGG Vorbis, MP3 or WAVE), and keeps a
record of each call in a local database.")
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION sound)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_HOMEPAGE "https://www.tavix.co.kr/")
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# The setup library and the launcher are loaded beside the program, not from the system.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS_PRIVATE_DIRS /opt/ambrin)
set(CPACK_DEBIAN_PACKAGE_DEPENDS "${package_depends}")
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "${package_recommends}")
set(CPACK_DEBIAN_COMPRESSION_TYPE xz)
# Only the staged root goes in; the project's own install rules are for `cmake --install`.
set(CPACK_INSTALL_CMAKE_PROJECTS "")
set(CPACK_INSTALLED_DIRECTORIES "${AMBRIN_PACKAGE_ROOT};/")
set(CPACK_PACKAGE_DIRECTORY ${PROJECT_BINARY_DIR}/package)
set(CPACK_OUTPUT_CONFIG_FILE ${PROJECT_BINARY_DIR}/CPackConfig.cmake)
include(CPack)
