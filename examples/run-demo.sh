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
started=()

say() { echo "run-demo: $*" >&2; }

cleanup() {
    local i
    for ((i = ${#started[@]} - 1; i >= 0; i--)); do
        kill "${started[i]}" 2>/dev/null || true
        wait "${started[i]}" 2>/dev/null || true
    done
}
trap cleanup EXIT
trap 'exit 130' INT TERM

# 1. What building and running need, then the programs themselves.
tools/install-deps.sh
if [ ! -x "$build/pelornrun" ] || [ ! -x "$vcard" ]; then
    say "building into $build"
    cmake -S . -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
    cmake --build "$build" -j"$(nproc)" --target pelornrun pelorn-vcard >/dev/null
fi

# 2. The daemon: the system's (running, or started on demand by systemd),
#    else one of ours for the length of the demo.
if ! "$vcard" status >/dev/null 2>&1; then
    mkdir -p /run/pcscd
    setsid pcscd --foreground </dev/null >/tmp/pelorn-demo-pcscd.log 2>&1 &
    started+=($!)
    for _ in $(seq 50); do
        "$vcard" status >/dev/null 2>&1 && break
        sleep 0.1
    done
    say "started pcscd (log /tmp/pelorn-demo-pcscd.log)"
fi

# 3. The card: a real reader is used as it is; otherwise the virtual card
#    goes into the first empty vpcd reader.
readers=$("$vcard" status)
if grep -v '^Virtual PCD ' <<<"$readers" | grep -q ': '; then
    say "using the attached reader(s):"
    grep -v '^Virtual PCD ' <<<"$readers" >&2
else
    slot=$(grep -E '^Virtual PCD 00 0[0-9]: empty' <<<"$readers" | head -1 | sed -E 's/^Virtual PCD 00 0([0-9]).*/\1/')
    if [ -z "$slot" ]; then
        say "no reader to put the virtual card in: the running pcscd has no free vpcd reader"
        say "(install vsmartcard-vpcd and restart pcscd, or attach a reader)"
        exit 1
    fi
    "$vcard" --reader "$slot" examples/demo.card &
    started+=($!)
    "$vcard" wait "$slot" present 10 || exit 1
    say "virtual card inserted into Virtual PCD 00 0$slot"
fi

# 4. The script.
status=0
"$build/pelornrun" "$script" || status=$?
exit $status
