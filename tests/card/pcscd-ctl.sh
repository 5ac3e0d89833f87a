#!/bin/bash
# Stops and starts the private pcscd of with-card-stack.sh; refuses to run
# anywhere else, so that no test ever stops the machine's own daemon.
#
#     pcscd-ctl.sh start [READER_CONF_DIR]    (default: the system's vpcd readers)
#     pcscd-ctl.sh stop
set -u

if [ "${PELORN_CARD_STACK:-}" != private ] || [ -z "${PELORN_PCSCD_STATE:-}" ]; then
    echo "pcscd-ctl: only inside with-card-stack.sh" >&2
    exit 2
fi
pidfile=$PELORN_PCSCD_STATE/pcscd.pid
log=$PELORN_PCSCD_STATE/pcscd.log
socket=/run/pcscd/pcscd.comm

# The vpcd driver listens on 35963 (0x8C7B) or, in a test's own
# configuration, on the port its CHANNELID names (none: no reader at all).
listening() {
    [ -z "$1" ] || grep -qiE ":$1 [0-9A-F]+:0000 0A" /proc/net/tcp /proc/net/tcp6 2>/dev/null
}

stop() {
    [ -s "$pidfile" ] || return 0
    pid=$(cat "$pidfile")
    kill "$pid" 2>/dev/null
    for _ in $(seq 50); do
        kill -0 "$pid" 2>/dev/null || break
        sleep 0.05
    done
    kill -9 "$pid" 2>/dev/null
    rm -f "$pidfile" "$socket"
}

start() {
    stop
    args=(--foreground)
    port=8C7B
    if [ -n "${1:-}" ]; then
        args+=(--config "$1")
        port=$(cat "$1"/* 2>/dev/null | sed -n 's/^CHANNELID[[:space:]]*0x//p' | head -1)
    fi
    setsid pcscd "${args[@]}" </dev/null >>"$log" 2>&1 &
    echo $! >"$pidfile"
    for _ in $(seq 100); do
        [ -S "$socket" ] && listening "$port" && return 0
        sleep 0.05
    done
    echo "pcscd-ctl: pcscd did not come up (see $log)" >&2
    return 1
}

case "${1:-}" in
    start) start "${2:-}" ;;
    stop) stop ;;
    *) echo "usage: pcscd-ctl.sh start [READER_CONF_DIR] | stop" >&2; exit 2 ;;
esac
