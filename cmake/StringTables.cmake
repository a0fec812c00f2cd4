# Compiles a pair of string-table files (English and Korean) into a C++ source whose two
# tables live in `namespace`; the source's path goes into `out`.
#
#   ambrin_string_tables(<out> <name> <english file> <korean file> <namespace>)
function(ambrin_string_tables out name english korean namespace)
    set(source ${CMAKE_CURRENT_BINARY_DIR}/${name}.cpp)
    add_custom_command(
        OUTPUT ${source}
        COMMAND ${CMAKE_COMMAND} -DEN=${english} -DKO=${korean} -DOUT=${source} -DNAMESPACE=${namespace}
                -P ${PROJECT_SOURCE_DIR}/cmake/EmbedStrings.cmake
        DEPENDS ${english} ${korean} ${PROJECT_SOURCE_DIR}/cmake/EmbedStrings.cmake
        COMMENT "Embedding string tables ${name}")
    set(${out} ${source} PARENT_SCOPE)
endfunction()
