# Run by the `package_root` target (cmake -P) with ROOT, PROGRAM, LAUNCHER, WIZARD,
# PROGRAM_DIR, SOURCE and VERSION set: the file system of the Debian package.
# A script of its own: without this, "@VERSION@" below would be read as a variable.
cmake_policy(SET CMP0053 NEW)
file(REMOVE_RECURSE ${ROOT})
set(opt ${ROOT}/opt/ambrin)
set(share ${ROOT}/usr/share)
file(MAKE_DIRECTORY ${opt}/_eng ${ROOT}/usr/bin ${share}/applications ${share}/doc/ambrin
     ${share}/lintian/overrides ${share}/icons/hicolor/scalable/apps ${share}/man/man1)

foreach(program ${PROGRAM} ${WIZARD} ${LAUNCHER})
    file(COPY ${program} DESTINATION ${opt})
endforeach()
file(COPY ${PROGRAM_DIR}/ambrin.vsk ${PROGRAM_DIR}/Ambrin_Large.VSK ${PROGRAM_DIR}/AMBRIN.pdf
          ${SOURCE}/resources/medium/readme.txt
     DESTINATION ${opt})
file(COPY ${PROGRAM_DIR}/_eng/AMBRIN.pdf ${SOURCE}/resources/medium/_eng/readme.txt
     DESTINATION ${opt}/_eng)
file(COPY ${SOURCE}/resources/medium/DefaultContent.txt DESTINATION ${opt})
# Symbols and build paths stay in the build; the version note is an allocated section and
# stays with the programs.
file(GLOB programs ${opt}/ambrin ${opt}/refrex ${opt}/libwizard.so)
execute_process(COMMAND strip --strip-unneeded --remove-section=.comment ${programs}
                COMMAND_ERROR_IS_FATAL ANY)
file(GLOB data ${opt}/*.* ${opt}/DefaultContent.txt ${opt}/_eng/*)
file(CHMOD ${data} PERMISSIONS OWNER_READ OWNER_WRITE GROUP_READ WORLD_READ)
file(CHMOD ${opt}/libwizard.so PERMISSIONS OWNER_READ OWNER_WRITE GROUP_READ WORLD_READ)

# `ambrin` on the PATH; the program finds its folder through the link.
file(CREATE_LINK /opt/ambrin/ambrin ${ROOT}/usr/bin/ambrin SYMBOLIC)
file(COPY ${SOURCE}/resources/desktop/ambrin.desktop DESTINATION ${share}/applications)
file(COPY ${PROGRAM_DIR}/icons/hicolor/ DESTINATION ${share}/icons/hicolor)
file(COPY ${SOURCE}/resources/icons/ambrin.svg DESTINATION ${share}/icons/hicolor/scalable/apps)

file(COPY ${SOURCE}/resources/debian/copyright DESTINATION ${share}/doc/ambrin)
file(READ ${SOURCE}/resources/debian/changelog changelog)
string(REPLACE "@VERSION@" "${VERSION}" changelog "${changelog}")
file(WRITE ${ROOT}/changelog.Debian "${changelog}")
execute_process(COMMAND gzip -n -9 -c ${ROOT}/changelog.Debian
                OUTPUT_FILE ${share}/doc/ambrin/changelog.gz COMMAND_ERROR_IS_FATAL ANY)
file(REMOVE ${ROOT}/changelog.Debian)
execute_process(COMMAND gzip -n -9 -c ${SOURCE}/resources/debian/ambrin.1
                OUTPUT_FILE ${share}/man/man1/ambrin.1.gz COMMAND_ERROR_IS_FATAL ANY)
file(COPY_FILE ${SOURCE}/resources/debian/lintian-overrides ${share}/lintian/overrides/ambrin)
# Folders 0755, files as set above, whatever the umask of the build.
execute_process(COMMAND find ${ROOT} -type d -exec chmod 0755 {} +)
