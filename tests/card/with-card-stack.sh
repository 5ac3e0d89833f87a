#!/bin/bash
# Runs a command with a PC/SC stack of its own: pcscd with the vpcd driver,
# in new mount, network and PID namespaces. The vpcd ports and the daemon's
# socket are private, so the command's virtual cards never meet other users
# of the machine's readers (another test run, the acceptance harness), and
# every process started inside ends with the command.
#
#     tests/card/with-card-stack.sh COMMAND [ARGUMENT]...
#
# Inside, PELORN_CARD_STACK=private and PELORN_PCSCD_CTL names a script that
# stops and starts the private daemon (see pcscd-ctl.sh). Root only; exits 77
# (skipped) where that is not possible.
set -u

here=$(cd "$(dirname "$0")" && pwd)
vpcd_driver=/usr/lib/pcsc/drivers/serial/libifdvpcd.so

if [ "${PELORN_CARD_STACK:-}" != private ]; then
    if [ $# -eq 0 ]; then
        sed -n '2,13p' "$0" | sed 's/^# \{0,1\}//'
        exit 2
    fi
    if ! command -v pcscd >/dev/null || [ ! -e "$vpcd_driver" ]; then
        echo "card tests skipped: install pcscd and vsmartcard-vpcd"
        exit 77
    fi
    if [ "$(id -u)" != 0 ] || ! unshare --mount --net --pid --fork --mount-proc true 2>/dev/null; then
        echo "card tests skipped: a private PC/SC stack needs root (namespaces)"
        exit 77
    fi
    exec env PELORN_CARD_STACK=private unshare --mount --net --pid --fork --mount-proc "$0" "$@"
fi

# PID 1 of the namespace from here on: when this script ends, the kernel
# ends the daemon and every virtual card with it.
ip link set lo up || exit 1
mkdir -p /run/pcscd && mount -t tmpfs tmpfs /run/pcscd || exit 1
state=$(mktemp -d /tmp/pelorn-card-stack-XXXXXX)
trap 'rm -rf "$state"' EXIT
export PELORN_PCSCD_STATE=$state
export PELORN_PCSCD_CTL=$here/pcscd-ctl.sh
"$PELORN_PCSCD_CTL" start || exit 1
"$@"
