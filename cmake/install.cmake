# Installing the SDK: the library with its SONAME links, the public header,
# the runner and its manual page, a pkg-config file and a CMake package.
include(CMakePackageConfigHelpers)

set(PELORN_CMAKE_DIR ${CMAKE_INSTALL_LIBDIR}/cmake/pelorn)

# The commands find the library beside them in any prefix.
set_target_properties(pelornrun pelorn_command PROPERTIES INSTALL_RPATH "$ORIGIN/../${CMAKE_INSTALL_LIBDIR}")

install(TARGETS pelorn EXPORT pelornTargets
    LIBRARY DESTINATION ${CMAKE_INSTALL_LIBDIR}
    PUBLIC_HEADER DESTINATION ${CMAKE_INSTALL_INCLUDEDIR}
    INCLUDES DESTINATION ${CMAKE_INSTALL_INCLUDEDIR})
install(TARGETS pelornrun pelorn_command RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
install(FILES ${CMAKE_CURRENT_SOURCE_DIR}/docs/pelornrun.1 ${CMAKE_CURRENT_SOURCE_DIR}/docs/pelorn.1
    DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
# The guide and the example module, which builds against the installed SDK.
# The guides: for hosts and modules, for script authors (with the chapters
# of the pelorn command and of the shipped modules it links to).
install(FILES ${CMAKE_CURRENT_SOURCE_DIR}/docs/extending.md ${CMAKE_CURRENT_SOURCE_DIR}/docs/language.md
    ${CMAKE_CURRENT_SOURCE_DIR}/docs/command.md DESTINATION ${CMAKE_INSTALL_DOCDIR})
install(DIRECTORY ${CMAKE_CURRENT_SOURCE_DIR}/docs/modules DESTINATION ${CMAKE_INSTALL_DOCDIR})
install(DIRECTORY ${CMAKE_CURRENT_SOURCE_DIR}/examples/modules DESTINATION ${CMAKE_INSTALL_DOCDIR}/examples
    PATTERN build EXCLUDE PATTERN .gitignore EXCLUDE)

install(EXPORT pelornTargets NAMESPACE pelorn:: DESTINATION ${PELORN_CMAKE_DIR})
configure_package_config_file(${CMAKE_CURRENT_LIST_DIR}/pelornConfig.cmake.in
    ${CMAKE_CURRENT_BINARY_DIR}/pelornConfig.cmake INSTALL_DESTINATION ${PELORN_CMAKE_DIR})
write_basic_package_version_file(${CMAKE_CURRENT_BINARY_DIR}/pelornConfigVersion.cmake
    COMPATIBILITY SameMajorVersion)
install(FILES ${CMAKE_CURRENT_BINARY_DIR}/pelornConfig.cmake ${CMAKE_CURRENT_BINARY_DIR}/pelornConfigVersion.cmake
    DESTINATION ${PELORN_CMAKE_DIR})

# pelorn.pc is written when installing, so that it names the prefix actually
# installed into (cmake --install --prefix, or the package's /usr).
set(PELORN_PC_TEMPLATE ${CMAKE_CURRENT_LIST_DIR}/pelorn.pc.in)
set(PELORN_PC_STAGED ${CMAKE_CURRENT_BINARY_DIR}/pkgconfig/pelorn.pc)
install(CODE "
    set(PC_PREFIX \"\${CMAKE_INSTALL_PREFIX}\")
    set(CMAKE_INSTALL_BINDIR \"${CMAKE_INSTALL_BINDIR}\")
    set(CMAKE_INSTALL_LIBDIR \"${CMAKE_INSTALL_LIBDIR}\")
    set(CMAKE_INSTALL_INCLUDEDIR \"${CMAKE_INSTALL_INCLUDEDIR}\")
    set(PROJECT_VERSION \"${PROJECT_VERSION}\")
    configure_file(\"${PELORN_PC_TEMPLATE}\" \"${PELORN_PC_STAGED}\" @ONLY)
")
install(FILES ${PELORN_PC_STAGED} DESTINATION ${CMAKE_INSTALL_LIBDIR}/pkgconfig)

# The build tree's own: hosts and modules build against a tree that is not
# installed (pkg-config takes NAME-uninstalled.pc first).
configure_file(${CMAKE_CURRENT_LIST_DIR}/pelorn-uninstalled.pc.in ${PROJECT_BINARY_DIR}/pelorn-uninstalled.pc @ONLY)
