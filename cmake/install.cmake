# Installing the SDK: the library with its SONAME links, the public header,
# the runner and its manual page, a pkg-config file and a CMake package.
include(CMakePackageConfigHelpers)

set(PELORN_CMAKE_DIR ${CMAKE_INSTALL_LIBDIR}/cmake/pelorn)

# The runner finds the library beside it in any prefix.
set_target_properties(pelornrun PROPERTIES INSTALL_RPATH "$ORIGIN/../${CMAKE_INSTALL_LIBDIR}")

install(TARGETS pelorn EXPORT pelornTargets
    LIBRARY DESTINATION ${CMAKE_INSTALL_LIBDIR}
    PUBLIC_HEADER DESTINATION ${CMAKE_INSTALL_INCLUDEDIR}
    INCLUDES DESTINATION ${CMAKE_INSTALL_INCLUDEDIR})
install(TARGETS pelornrun RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
install(FILES ${CMAKE_CURRENT_SOURCE_DIR}/docs/pelornrun.1 DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
# The guide and the example module, which builds against the installed SDK.
install(FILES ${CMAKE_CURRENT_SOURCE_DIR}/docs/extending.md DESTINATION ${CMAKE_INSTALL_DOCDIR})
# The script author's guide, and the chapters of the modules shipped with
# pelorn beside it (the guide links to them as modules/NAME.md).
install(FILES ${CMAKE_CURRENT_SOURCE_DIR}/docs/language.md DESTINATION ${CMAKE_INSTALL_DOCDIR})
file(GLOB PELORN_MODULE_DOCS CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/docs/modules/*.md)
if(PELORN_MODULE_DOCS)
    install(FILES ${PELORN_MODULE_DOCS} DESTINATION ${CMAKE_INSTALL_DOCDIR}/modules)
endif()
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
