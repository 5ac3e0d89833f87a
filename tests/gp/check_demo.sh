#!/bin/bash
# examples/gp/run-gp-demo.sh inside a private PC/SC stack (run me through
# tests/card/with-card-stack.sh): it must list the virtual card's content
# through SCP02 and SCP03 as list-content.expected shows.
#
#     check_demo.sh BUILD_FOLDER
set -u
here=$(cd "$(dirname "$0")" && pwd)
out=$(mktemp)
trap 'rm -f "$out"' EXIT
PELORN_BUILD=$1 "$here/../../examples/gp/run-gp-demo.sh" >"$out" 2>/dev/null
status=$?
if [ $status -ne 0 ]; then
    echo "run-gp-demo.sh ended with $status"
    cat "$out"
    exit 1
fi
diff -u "$here/list-content.expected" "$out"
