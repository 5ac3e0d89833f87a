# Installing pelorn, in three components that the Debian packages take one
# each (debian/rules):
#   Runtime      the shared library                    -> libpelorn0
#   Development  header, .so link, pkg-config and CMake
#                files, the module guide and example   -> libpelorn-dev
#   Tools        commands, shipped modules, manual
#                pages, the script guide and examples  -> pelorn
# Tools is the default, so commands and modules added later land there
# without naming it. `cmake --install` without --component installs all.
include(CMakePackageConfigHelpers)

set(CMAKE_INSTALL_DEFAULT_COMPONENT_NAME Tools)
set(PELORN_CMAKE_DIR ${CMAKE_INSTALL_LIBDIR}/cmake/pelorn)
# Debian keeps each package's documents in its own folder.
set(PELORN_SDK_DOCDIR ${CMAKE_INSTALL_DOCDIR} CACHE STRING
    "Folder for the module guide and the example module (relative to the prefix)")

# The commands find the library beside them in any prefix.
set_target_properties(pelornrun pelorn_command PROPERTIES INSTALL_RPATH "$ORIGIN/../${CMAKE_INSTALL_LIBDIR}")

install(TARGETS pelorn EXPORT pelornTargets
    LIBRARY DESTINATION ${CMAKE_INSTALL_LIBDIR} COMPONENT Runtime NAMELINK_COMPONENT Development
    PUBLIC_HEADER DESTINATION ${CMAKE_INSTALL_INCLUDEDIR} COMPONENT Development
    INCLUDES DESTINATION ${CMAKE_INSTALL_INCLUDEDIR})
install(TARGETS pelornrun pelorn_command RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
install(FILES docs/pelorn.1 docs/pelornrun.1 docs/pelorn-vcard.1 DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
# The guide for script authors, with the chapters of the pelorn command and
# of the shipped modules it links to.
install(FILES docs/language.md docs/command.md DESTINATION ${CMAKE_INSTALL_DOCDIR})
install(DIRECTORY docs/modules DESTINATION ${CMAKE_INSTALL_DOCDIR})
# The example scripts and the virtual cards (pelorn-vcard profiles) they run on.
file(GLOB PELORN_EXAMPLES CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/examples/*.scr
    ${CMAKE_CURRENT_SOURCE_DIR}/examples/*.card)
install(FILES ${PELORN_EXAMPLES} DESTINATION ${CMAKE_INSTALL_DOCDIR}/examples)

# The guide and the example module, which builds against the installed SDK.
install(FILES docs/extending.md DESTINATION ${PELORN_SDK_DOCDIR}
    COMPONENT Development)
install(DIRECTORY examples/modules DESTINATION ${PELORN_SDK_DOCDIR}/examples
    COMPONENT Development USE_SOURCE_PERMISSIONS PATTERN build EXCLUDE PATTERN .gitignore EXCLUDE)

install(EXPORT pelornTargets NAMESPACE pelorn:: DESTINATION ${PELORN_CMAKE_DIR} COMPONENT Development)
configure_package_config_file(${CMAKE_CURRENT_LIST_DIR}/pelornConfig.cmake.in
    ${CMAKE_CURRENT_BINARY_DIR}/pelornConfig.cmake INSTALL_DESTINATION ${PELORN_CMAKE_DIR})
write_basic_package_version_file(${CMAKE_CURRENT_BINARY_DIR}/pelornConfigVersion.cmake
    COMPATIBILITY SameMajorVersion)
install(FILES ${CMAKE_CURRENT_BINARY_DIR}/pelornConfig.cmake ${CMAKE_CURRENT_BINARY_DIR}/pelornConfigVersion.cmake
    DESTINATION ${PELORN_CMAKE_DIR} COMPONENT Development)

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
" COMPONENT Development)
install(FILES ${PELORN_PC_STAGED} DESTINATION ${CMAKE_INSTALL_LIBDIR}/pkgconfig COMPONENT Development)

# The build tree's own: hosts and modules build against a tree that is not
# installed (pkg-config takes NAME-uninstalled.pc first).
configure_file(${CMAKE_CURRENT_LIST_DIR}/pelorn-uninstalled.pc.in ${PROJECT_BINARY_DIR}/pelorn-uninstalled.pc @ONLY)
