#!/bin/bash
# Runs an example script against a smart card. When no reader other than
# the virtual ones is attached, the card is the project's virtual card
# (pelorn-vcard holding examples/demo.card) in a reader of the vsmartcard
# vpcd driver. Installs what is missing (apt-get), builds when needed,
# starts the PC/SC daemon when none runs, and stops every process it
# started, whatever happens.
#
#     sudo examples/run-demo.sh [SCRIPT]     (default: examples/read-and-mac.scr)
set -euo pipefail
cd "$(dirname "$0")/.."
script=${1:-examples/read-and-mac.scr}
build=${PELORN_BUILD:-build}
vcard=$build/pelorn-vcard
demo=run-demo
source examples/demo-stack.sh

# 1. What building and running need, then the programs themselves.
tools/install-deps.sh
if [ ! -x "$build/pelornrun" ] || [ ! -x "$vcard" ]; then
    say "building into $build"
    cmake -S . -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
    cmake --build "$build" -j"$(nproc)" --target pelornrun pelorn-vcard >/dev/null
fi

# 2. The daemon: the system's (running, or started on demand by systemd),
#    else one of ours for the length of the demo.
start_daemon_when_none

# 3. The card: a real reader is used as it is; otherwise the virtual card
#    goes into the first empty vpcd reader.
readers=$("$vcard" status)
if grep -v '^Virtual PCD ' <<<"$readers" | grep -q ': '; then
    say "using the attached reader(s):"
    grep -v '^Virtual PCD ' <<<"$readers" >&2
else
    insert_virtual_card examples/demo.card
fi

# 4. The script.
status=0
"$build/pelornrun" "$script" || status=$?
exit $status
