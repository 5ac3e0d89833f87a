#!/bin/bash
# Runs examples/gp/list-content.scr against a GlobalPlatform card: the
# project's virtual card (pelorn-vcard holding examples/gp/isd.card) in a
# reader of the vsmartcard vpcd driver. Builds when needed (PELORN_BUILD
# names the build folder, build by default), starts the PC/SC daemon when
# none runs, and stops every process it started, whatever happens.
#
#     sudo examples/gp/run-gp-demo.sh [SCRIPT]
set -euo pipefail
cd "$(dirname "$0")/../.."
script=${1:-examples/gp/list-content.scr}
build=${PELORN_BUILD:-build}
vcard=$build/pelorn-vcard
started=()

say() { echo "run-gp-demo: $*" >&2; }

cleanup() {
    local i
    for ((i = ${#started[@]} - 1; i >= 0; i--)); do
        kill "${started[i]}" 2>/dev/null || true
        wait "${started[i]}" 2>/dev/null || true
    done
}
trap cleanup EXIT
trap 'exit 130' INT TERM

# 1. What building and running need, then the programs and the module.
tools/install-deps.sh
if [ ! -x "$build/pelornrun" ] || [ ! -x "$vcard" ] || [ ! -e "$build/modules/gp.so" ]; then
    say "building into $build"
    cmake -S . -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
    cmake --build "$build" -j"$(nproc)" --target pelornrun pelorn-vcard pelorn_module_gp >/dev/null
fi

# 2. The daemon: the system's when it answers, else one of ours.
if ! "$vcard" status >/dev/null 2>&1; then
    mkdir -p /run/pcscd
    setsid pcscd --foreground </dev/null >/tmp/pelorn-gp-demo-pcscd.log 2>&1 &
    started+=($!)
    for _ in $(seq 50); do
        "$vcard" status >/dev/null 2>&1 && break
        sleep 0.1
    done
    say "started pcscd (log /tmp/pelorn-gp-demo-pcscd.log)"
fi

# 3. The card, in the first empty vpcd reader (the script prefers that
#    reader to any other holding a card).
readers=$("$vcard" status)
slot=$(grep -E '^Virtual PCD 00 0[0-9]: empty' <<<"$readers" | head -1 | sed -E 's/^Virtual PCD 00 0([0-9]).*/\1/')
if [ -z "$slot" ]; then
    say "no reader to put the virtual card in: the running pcscd has no free vpcd reader"
    say "(install vsmartcard-vpcd and restart pcscd)"
    exit 1
fi
"$vcard" --reader "$slot" examples/gp/isd.card &
started+=($!)
"$vcard" wait "$slot" present 10 || exit 1
say "virtual GlobalPlatform card inserted into Virtual PCD 00 0$slot"

# 4. The script.
status=0
"$build/pelornrun" "$script" || status=$?
exit $status
