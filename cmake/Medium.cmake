# `make medium`: the installation medium in build/medium, laid out as the setup expects it:
# the launcher as `setup`, libwizard.so beside it, the staged copies of the file table
# (their names end in "_"), the Korean texts at the top and the English ones in _eng/.
set(AMBRIN_MEDIUM ${PROJECT_BINARY_DIR}/medium)
# The MP3 encoder library goes on the medium when the build machine has it.
find_library(AMBRIN_LAME_LIBRARY NAMES libmp3lame.so.0)
set(medium_launcher "")
set(medium_targets ambrin wizard ambrin_skins ambrin_manual_pdf)
if(TARGET refrex)
    set(medium_launcher $<TARGET_FILE:refrex>)
    list(APPEND medium_targets refrex)
endif()
get_target_property(medium_program_dir ambrin BINARY_DIR)
add_custom_target(medium
    COMMAND ${CMAKE_COMMAND}
            -DMEDIUM=${AMBRIN_MEDIUM}
            -DPROGRAM=$<TARGET_FILE:ambrin>
            -DLAUNCHER=${medium_launcher}
            -DWIZARD=$<TARGET_FILE:wizard>
            -DPROGRAM_DIR=${medium_program_dir}
            -DRESOURCES=${PROJECT_SOURCE_DIR}/resources/medium
            -DLAME=${AMBRIN_LAME_LIBRARY}
            -P ${PROJECT_SOURCE_DIR}/cmake/StageMedium.cmake
    DEPENDS ${medium_targets}
    COMMENT "Laying out the installation medium in ${AMBRIN_MEDIUM}"
    VERBATIM)
