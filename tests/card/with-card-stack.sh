#!/bin/bash
# Runs a command with a PC/SC stack of its own: pcscd with the vpcd driver.
# With namespaces (root with CAP_SYS_ADMIN), the daemon, its socket and the
# vpcd ports live in new mount, network and PID namespaces: the command's
# virtual cards never meet other users of the machine's readers (another
# test run, the acceptance harness), and every process started inside ends
# with the command. Without namespaces, the daemon runs on the machine, and
# only when no other pcscd runs there; it is stopped afterwards.
#
#     tests/card/with-card-stack.sh COMMAND [ARGUMENT]...
#
# Inside, PELORN_CARD_STACK=private and PELORN_PCSCD_CTL names a script that
# stops and starts the daemon (see pcscd-ctl.sh). Root only; exits 77
# (skipped) where none of this is possible.
set -u

here=$(cd "$(dirname "$0")" && pwd)
vpcd_driver=/usr/lib/pcsc/drivers/serial/libifdvpcd.so

skip() {
    echo "card tests skipped: $*"
    exit 77
}

# Runs the command between starting and stopping the daemon; every process
# the command leaves behind goes with its process group.
run_with_daemon() {
    local state status
    state=$(mktemp -d /tmp/pelorn-card-stack-XXXXXX)
    export PELORN_PCSCD_STATE=$state PELORN_PCSCD_CTL=$here/pcscd-ctl.sh
    if ! "$PELORN_PCSCD_CTL" start; then
        rm -rf "$state"
        return 1
    fi
    set -m
    "$@" &
    local pid=$!
    wait "$pid"
    status=$?
    kill -- -"$pid" 2>/dev/null
    "$PELORN_PCSCD_CTL" stop
    rm -rf "$state"
    return $status
}

if [ "${PELORN_CARD_STACK:-}" != private ]; then
    if [ $# -eq 0 ]; then
        sed -n '2,16p' "$0" | sed 's/^# \{0,1\}//'
        exit 2
    fi
    command -v pcscd >/dev/null && [ -e "$vpcd_driver" ] || skip "install pcscd and vsmartcard-vpcd"
    [ "$(id -u)" = 0 ] || skip "a PC/SC daemon of their own needs root"
    if unshare --mount --net --pid --fork --mount-proc true 2>/dev/null; then
        exec env PELORN_CARD_STACK=private unshare --mount --net --pid --fork --mount-proc "$0" "$@"
    fi
    # No namespaces: the machine's own loopback and socket, if they are free.
    if pgrep -x pcscd >/dev/null || grep -qiE ':8C7[BC] [0-9A-F]+:0000 0A' /proc/net/tcp /proc/net/tcp6 2>/dev/null; then
        skip "no namespaces here, and a PC/SC daemon already runs on this machine"
    fi
    mkdir -p /run/pcscd
    export PELORN_CARD_STACK=private
    run_with_daemon "$@"
    exit $?
fi

# PID 1 of the new namespaces from here on: when this script ends, the
# kernel ends the daemon and every virtual card with it.
ip link set lo up || exit 1
mkdir -p /run/pcscd && mount -t tmpfs tmpfs /run/pcscd || exit 1
run_with_daemon "$@"
