# What the demo scripts share, sourced by them after they set `build`,
# `vcard` and `demo` (the name their messages start with): every process
# they start is stopped when they end, whatever happens; the PC/SC daemon
# is the system's when it answers, else one of theirs; the virtual card
# goes into the first empty reader of the vpcd driver.

started=()

say() { echo "$demo: $*" >&2; }

stop_started() {
    local i
    for ((i = ${#started[@]} - 1; i >= 0; i--)); do
        kill "${started[i]}" 2>/dev/null || true
        wait "${started[i]}" 2>/dev/null || true
    done
}
trap stop_started EXIT
trap 'exit 130' INT TERM

start_daemon_when_none() {
    "$vcard" status >/dev/null 2>&1 && return
    mkdir -p /run/pcscd
    setsid pcscd --foreground </dev/null >"/tmp/pelorn-$demo-pcscd.log" 2>&1 &
    started+=($!)
    for _ in $(seq 50); do
        "$vcard" status >/dev/null 2>&1 && break
        sleep 0.1
    done
    say "started pcscd (log /tmp/pelorn-$demo-pcscd.log)"
}

# insert_virtual_card CARD_FILE [WHAT]: plays CARD_FILE in the first empty
# vpcd reader until the demo ends.
insert_virtual_card() {
    local readers slot
    readers=$("$vcard" status)
    slot=$(grep -E '^Virtual PCD 00 0[0-9]: empty' <<<"$readers" | head -1 | sed -E 's/^Virtual PCD 00 0([0-9]).*/\1/')
    if [ -z "$slot" ]; then
        say "no reader to put the virtual card in: the running pcscd has no free vpcd reader"
        say "(install vsmartcard-vpcd and restart pcscd, or attach a reader)"
        exit 1
    fi
    "$vcard" --reader "$slot" "$1" &
    started+=($!)
    "$vcard" wait "$slot" present 10 || exit 1
    say "${2:-virtual card} inserted into Virtual PCD 00 0$slot"
}
