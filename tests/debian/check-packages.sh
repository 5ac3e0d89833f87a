#!/bin/bash
# Builds the Debian packages as Debian does (dpkg-buildpackage on a copy of
# the source tree), checks them with lintian, installs them with apt-get, runs
# what they install, builds the example module against them with pkg-config
# and a host against their CMake package, then purges them and whatever the
# install brought in, so the machine is left as it was.
#
#   tests/debian/check-packages.sh [FOLDER]     (default: build/deb; as root)
#
# The packages are written to FOLDER. DEB_BUILD_OPTIONS is passed on; it
# defaults to "nocheck", as the tests run from the project's own build.
set -euo pipefail
root=$(cd "$(dirname "$0")/../.." && pwd)
out=$(realpath -m "${1:-$root/build/deb}")
export DEB_BUILD_OPTIONS=${DEB_BUILD_OPTIONS:-nocheck parallel=$(nproc)}
packages=(libpelorn0 libpelorn-dev pelorn)

say() { echo "check-packages: $*"; }
fail() { echo "check-packages: $*" >&2; exit 1; }

[ "$(id -u)" -eq 0 ] || fail "run as root: the packages are installed and purged with apt-get"
for p in "${packages[@]}"; do
    if dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q ' installed$'; then
        fail "$p is installed already; purge it first, the check installs and purges its own"
    fi
done
"$root/tools/install-deps.sh" debhelper dpkg-dev lintian

# The source as git has it (committed or not, ignored files left out), in a
# folder of its own: dpkg-buildpackage writes the packages beside it.
src=$out/src
rm -rf "$src" "$out"/*.deb "$out"/*.changes "$out"/*.buildinfo
mkdir -p "$src"
git -C "$root" ls-files -z --cached --others --exclude-standard |
    while IFS= read -r -d '' f; do if [ -e "$root/$f" ]; then printf '%s\0' "$f"; fi; done |
    tar -C "$root" --null -T - -cf - | tar -C "$src" -xf -

say "build-dependencies"
apt-get build-dep -y -q "$src" >/dev/null
say "dpkg-buildpackage (DEB_BUILD_OPTIONS=$DEB_BUILD_OPTIONS), log in $out/build.log"
(cd "$src" && dpkg-buildpackage -us -uc -b) >"$out/build.log" 2>&1 || {
    tail -n 40 "$out/build.log" >&2
    fail "dpkg-buildpackage failed"
}

say "lintian"
status=0
lintian --fail-on error,warning --display-info "$out"/*.changes >"$out/lintian.log" 2>&1 || status=$?
grep -v 'running with root privileges' "$out/lintian.log" || true
[ "$status" -eq 0 ] || fail "lintian found errors or warnings (above)"

# Every package the install adds is purged at the end, dependencies included.
before=$(mktemp)
work=$(mktemp -d)
installed_packages() { dpkg-query -W -f='${db:Status-Status} ${binary:Package}\n' | awk '$1 == "installed" { print $2 }' | sort; }
installed_packages >"$before"
cleanup() {
    local added
    added=$(installed_packages | comm -13 "$before" -)
    if [ -n "$added" ]; then
        say "purging ${added//$'\n'/ }"
        # shellcheck disable=SC2086
        DEBIAN_FRONTEND=noninteractive apt-get purge -y -q $added >/dev/null
    fi
    if ! installed_packages | cmp -s "$before" -; then
        echo "check-packages: the installed packages differ from before the check" >&2
        installed_packages | diff "$before" - >&2 || true
        exit 1
    fi
    rm -rf "$before" "$work"
}
trap cleanup EXIT

debs=()
for p in "${packages[@]}"; do
    debs+=("$(ls "$out/${p}_"*.deb)")
done

# The packages hold what `cmake --install` installs, no more and no less
# (besides each package's copyright, changelog and lintian overrides; the
# manual pages are compressed).
files() { grep -v '/$' | sed -e 's/\.gz$//' -e 's|^\./||' | sort; }
DESTDIR="$work/cmake" cmake --install "$src/obj-$(dpkg-architecture -qDEB_HOST_GNU_TYPE)" >/dev/null
(cd "$work/cmake" && find . ! -type d) | files >"$work/cmake.list"
for deb in "${debs[@]}"; do dpkg-deb --fsys-tarfile "$deb" | tar -t; done | files |
    grep -vE '^usr/share/(doc/[^/]+/(copyright|changelog)|lintian/overrides/)' >"$work/packages.list"
diff -u "$work/cmake.list" "$work/packages.list" || fail "the packages and cmake --install disagree (above)"

say "apt-get install"
DEBIAN_FRONTEND=noninteractive apt-get install -y -q --no-install-recommends "${debs[@]}" >/dev/null

# The runner: its usage line, then a script.
status=0
pelornrun >/dev/null 2>&1 || status=$?
[ "$status" -eq 255 ] || fail "pelornrun without a script: exit status $status, not 255"
doc=/usr/share/doc/pelorn
[ "$(pelornrun "$doc/examples/hello.scr")" = "Hello from pelorn" ] || fail "pelornrun hello.scr"

# Each shipped module, found by name in the library's folder.
modules=/usr/lib/$(dpkg-architecture -qDEB_HOST_MULTIARCH)/pelorn/modules
for module in "$modules"/*.so; do
    [ -e "$module" ] || continue
    name=$(basename "$module" .so)
    printf 'use "%s"\nPrintln("loaded %s")\n' "$name" "$name" >"$work/use-$name.scr"
    [ "$(cd "$work" && env -u PELORN_MODULE_PATH pelornrun "use-$name.scr")" = "loaded $name" ] || fail "use \"$name\" with the installed package"
    say "module $name"
done

# The pelorn command: its version, and a script's arguments and exit status
# through the sys module.
if command -v pelorn >/dev/null; then
    version=$(dpkg-query -W -f='${Version}' pelorn)
    [ "$(pelorn --version | head -n 1)" = "pelorn ${version%-*}" ] || fail "pelorn --version does not say $version"
    if [ -e "$modules/sys.so" ]; then
        printf 'use "sys"\nPrintln(GetArgs()[0])\nSetExitStatus(7)\n' >"$work/args.scr"
        status=0
        text=$(env -u PELORN_MODULE_PATH pelorn "$work/args.scr" packaged) || status=$?
        if [ "$text" != packaged ] || [ "$status" -ne 7 ]; then
            fail "pelorn args.scr: \"$text\", exit status $status (not \"packaged\", 7)"
        fi
    fi
fi

# A module author's build: the example module from the documentation folder.
cp -r /usr/share/doc/libpelorn-dev/examples/modules/tlv "$work/tlv"
make -s -C "$work/tlv" check

# A host author's build: find_package(pelorn) in the system folders.
mkdir -p "$work/host"
cat >"$work/host/CMakeLists.txt" <<CMAKE
cmake_minimum_required(VERSION 3.25)
project(pelorn_host C)
find_package(pelorn 0 REQUIRED)
add_executable(host_test "$root/tests/host/host_test.c")
target_link_libraries(host_test PRIVATE pelorn::pelorn)
CMAKE
cmake -S "$work/host" -B "$work/host/build" >/dev/null
cmake --build "$work/host/build" >/dev/null
"$work/host/build/host_test"

say "packages built, lint-free, installed, used and purged: ${debs[*]##*/}"
