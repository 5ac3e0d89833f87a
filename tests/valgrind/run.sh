#!/bin/bash
# Runs the acceptance cases with pelornrun under valgrind memcheck: every
# memory error and every leak fails its case (exit status 97).
#   tests/valgrind/run.sh [build dir] [extra run.py options, e.g. -k flow/]
# The runner's 2 GiB script stack costs memcheck about 6 s per start (all
# 292 cases take 15-30 minutes on 2 cores): CI runs a subset with -k, the
# whole set is for a longer job. Cases get a longer time limit than usual.
set -euo pipefail
root=$(cd "$(dirname "$0")/../.." && pwd)
build=$(cd "${1:-$root/build}" && pwd)
shift || true
acceptance=${PELORN_ACCEPTANCE:-$root/../shared/acceptance}
[ -f "$acceptance/run.py" ] || acceptance=/work/shared/acceptance
export PELORN_VALGRIND_RUNNER=$build/pelornrun
python3 "$acceptance/run.py" --runner "$root/tests/valgrind/pelornrun-memcheck" --timeout 600 --summary "$@"
