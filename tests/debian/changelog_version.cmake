# cmake -DCHANGELOG=debian/changelog -DVERSION=X.Y.Z -P changelog_version.cmake
# Fails unless the newest changelog entry is for VERSION (an epoch "N:" and a
# Debian revision "-N" around it are allowed).
file(STRINGS "${CHANGELOG}" first LIMIT_COUNT 1)
if(NOT first MATCHES "^pelorn \\(([0-9]+:)?([^()]+)\\) ")
    message(FATAL_ERROR "${CHANGELOG}: the first line names no version: ${first}")
endif()
set(version "${CMAKE_MATCH_2}")
string(REGEX REPLACE "-[^-]*$" "" upstream "${version}")
if(NOT upstream STREQUAL VERSION)
    message(FATAL_ERROR "debian/changelog is at ${version} but project() at ${VERSION}: "
                        "add an entry with `dch -v ${VERSION}`")
endif()
