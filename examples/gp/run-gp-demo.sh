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
demo=run-gp-demo
source examples/demo-stack.sh

# 1. What building and running need, then the programs and the module.
tools/install-deps.sh
if [ ! -x "$build/pelornrun" ] || [ ! -x "$vcard" ] || [ ! -e "$build/modules/gp.so" ]; then
    say "building into $build"
    cmake -S . -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
    cmake --build "$build" -j"$(nproc)" --target pelornrun pelorn-vcard pelorn_module_gp >/dev/null
fi

# 2. The daemon: the system's when it answers, else one of ours.
start_daemon_when_none

# 3. The card, in the first empty vpcd reader (the script prefers that
#    reader to any other holding a card).
insert_virtual_card examples/gp/isd.card "virtual GlobalPlatform card"

# 4. The script.
status=0
"$build/pelornrun" "$script" || status=$?
exit $status
