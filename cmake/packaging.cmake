# One Debian package with the library, the header, the SDK files and the
# runner: `cpack -G DEB` in the build folder writes pelorn_<version>_<arch>.deb.
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME pelorn)
set(CPACK_PACKAGE_VENDOR "pelorn")
set(CPACK_PACKAGE_CONTACT "pelorn maintainers <pelorn@localhost>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "smart-card scripting engine and console runner")
string(CONCAT CPACK_PACKAGE_DESCRIPTION
    "pelorn compiles and runs line-oriented scripts that talk to smart cards over PC/SC.\n"
    "This package holds the engine library libpelorn, its C header and pkg-config and\n"
    "CMake files for hosts and extension modules, the command pelorn and the console\n"
    "runner pelornrun.")
set(CPACK_STRIP_FILES ON)
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION misc)
# dpkg-shlibdeps finds what the binaries link (libssl3, libpcsclite1, libedit2, the C
# and C++ runtimes) with their versions; without it they are named here.
find_program(PELORN_DPKG_SHLIBDEPS dpkg-shlibdeps)
if(PELORN_DPKG_SHLIBDEPS)
    set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
else()
    set(CPACK_DEBIAN_PACKAGE_DEPENDS "libssl3, libpcsclite1, libedit2, libc6, libstdc++6, libgcc-s1")
endif()
set(CPACK_DEBIAN_PACKAGE_SUGGESTS "libpcsclite-dev, pkg-config, pcscd")
# Registers the library's SONAME and runs ldconfig on install and removal.
set(CPACK_DEBIAN_PACKAGE_GENERATE_SHLIBS ON)
include(CPack)
