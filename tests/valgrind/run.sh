#!/bin/bash
# Runs the acceptance cases with pelornrun under valgrind memcheck: every
# memory error and every leak fails its case (exit status 97).
#   tests/valgrind/run.sh [build dir] [extra run.py options, e.g. -k flow/]
# A start under memcheck takes about a second (all 292 cases about four
# minutes on 2 cores); cases get a longer time limit than usual.
set -euo pipefail
root=$(cd "$(dirname "$0")/../.." && pwd)
build=$(cd "${1:-$root/build}" && pwd)
shift || true
acceptance=${PELORN_ACCEPTANCE:-$root/../shared/acceptance}
[ -f "$acceptance/run.py" ] || acceptance=/work/shared/acceptance
export PELORN_VALGRIND_RUNNER=$build/pelornrun
python3 "$acceptance/run.py" --runner "$root/tests/valgrind/pelornrun-memcheck" --timeout 600 --summary "$@"
