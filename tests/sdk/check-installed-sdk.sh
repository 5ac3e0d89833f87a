#!/bin/bash
# Checks the SDK as its users meet it: installs pelorn into a temporary
# prefix, builds the example TLV module against it with pkg-config and runs
# the module's tests (scripts under the installed pelornrun), then builds the
# host test from a CMake project that finds the installed package.
#
#   tests/sdk/check-installed-sdk.sh [BUILD_FOLDER]     (default: build)
#
# The build folder is configured when it does not exist yet.
set -euo pipefail
root=$(cd "$(dirname "$0")/../.." && pwd)
build=$(realpath -m "${1:-$root/build}")
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
prefix=$work/prefix

if [ ! -f "$build/CMakeCache.txt" ]; then
    cmake -S "$root" -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo
fi
cmake --build "$build" -j"$(nproc)"
cmake --install "$build" --prefix "$prefix" >/dev/null

pc=$(find "$prefix" -name pelorn.pc -print -quit)
[ -n "$pc" ] || { echo "pelorn.pc was not installed" >&2; exit 1; }
export PKG_CONFIG_PATH=$(dirname "$pc")
echo "SDK in $prefix: $(pkg-config --cflags --libs pelorn)"

# A module author's build: the example's own Makefile, outside the source tree.
make -s -C "$root/examples/modules/tlv" BUILD="$work/tlv" check

# A host author's build: find_package(pelorn) and the pelorn::pelorn target.
mkdir -p "$work/consumer"
cat >"$work/consumer/CMakeLists.txt" <<CMAKE
cmake_minimum_required(VERSION 3.25)
project(pelorn_consumer C)
find_package(pelorn 0 REQUIRED)
add_executable(host_test "$root/tests/host/host_test.c")
target_link_libraries(host_test PRIVATE pelorn::pelorn)
CMAKE
cmake -S "$work/consumer" -B "$work/consumer/build" -DCMAKE_PREFIX_PATH="$prefix" >/dev/null
cmake --build "$work/consumer/build" >/dev/null
"$work/consumer/build/host_test"
