#!/bin/sh
# Runs each tests/scripts/NAME.scr with pelornrun next to a copy of the
# module and compares standard output with NAME.out, standard error with
# NAME.err ($DIR in it is the folder the script ran in; none: empty) and the
# exit status with NAME.status (none: 0).
#
#   run-scripts.sh PELORNRUN MODULE.so SCRIPT_FOLDER
set -u
runner=$1 module=$2 folder=$3
passed=0 failed=0
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

for script in "$folder"/*.scr; do
    name=$(basename "$script" .scr)
    dir="$work/$name"
    mkdir -p "$dir"
    cp "$module" "$dir/tlv.so"
    cp "$script" "$dir/$name.scr"
    dir=$(cd "$dir" && pwd -P)
    (cd "$dir" && "$runner" "$name.scr" >stdout 2>stderr)
    status=$?
    expected_status=0
    [ -f "$folder/$name.status" ] && expected_status=$(cat "$folder/$name.status")
    if [ -f "$folder/$name.err" ]; then
        sed "s|\\\$DIR|$dir|g" "$folder/$name.err" >"$dir/expected-stderr"
    else
        : >"$dir/expected-stderr"
    fi
    problems=""
    cmp -s "$folder/$name.out" "$dir/stdout" || problems="$problems stdout"
    cmp -s "$dir/expected-stderr" "$dir/stderr" || problems="$problems stderr"
    [ "$status" = "$expected_status" ] || problems="$problems exit($status)"
    if [ -z "$problems" ]; then
        passed=$((passed + 1))
    else
        failed=$((failed + 1))
        echo "FAIL $name:$problems"
        diff -u "$folder/$name.out" "$dir/stdout" | sed 's/^/    /'
        diff -u "$dir/expected-stderr" "$dir/stderr" | sed 's/^/    /'
    fi
done
echo "scripts: $passed passed, $failed failed"
[ "$failed" -eq 0 ]
