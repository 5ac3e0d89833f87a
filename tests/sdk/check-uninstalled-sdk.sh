#!/bin/bash
# Checks pelorn-uninstalled.pc: with PKG_CONFIG_PATH naming a build folder,
# pkg-config finds "pelorn" in the tree itself. Builds the example TLV
# module with its own Makefile and runs its tests (scripts under the tree's
# pelornrun), then builds and runs the host test the same way.
#
#   tests/sdk/check-uninstalled-sdk.sh BUILD_FOLDER
set -euo pipefail
root=$(cd "$(dirname "$0")/../.." && pwd)
build=$(realpath "$1")
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

export PKG_CONFIG_PATH=$build
flags=$(pkg-config --cflags --libs pelorn)
echo "build tree SDK: $flags"
case " $flags " in
*" -I$root/include "*" -L$build "*) ;;
*) echo "pkg-config does not name the tree's include/ and build folder" >&2; exit 1 ;;
esac
[ "$(pkg-config --variable=bindir pelorn)" = "$build" ] || { echo "bindir is not the build folder" >&2; exit 1; }

make -s -C "$root/examples/modules/tlv" BUILD="$work/tlv" check

# shellcheck disable=SC2086 # the flags are words
cc -Wall -Wextra -Werror -o "$work/host_test" "$root/tests/host/host_test.c" $flags \
    -Wl,-rpath,"$(pkg-config --variable=libdir pelorn)"
"$work/host_test"
