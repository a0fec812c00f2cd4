# What `cmake --install` puts in place: the program and its systemd user unit.
include(GNUInstallDirs)

install(TARGETS ambrin RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR} COMPONENT program)

# The unit names the installed program, so it is written at install time, when the
# prefix (also one given to `cmake --install --prefix`) is known. systemd looks for
# user units in <prefix>/lib/systemd/user for the prefixes /usr and /usr/local.
install(CODE "
    set(AMBRIN_PROGRAM \"\${CMAKE_INSTALL_PREFIX}/${CMAKE_INSTALL_BINDIR}/ambrin\")
    set(unit \"\$ENV{DESTDIR}\${CMAKE_INSTALL_PREFIX}/lib/systemd/user/ambrin.service\")
    message(STATUS \"Installing: \${unit}\")
    configure_file(\"${PROJECT_SOURCE_DIR}/resources/systemd/ambrin.service.in\" \"\${unit}\" @ONLY)
" COMPONENT program)
