#!/bin/bash
# Installs the npm tools that build and test the editor files (package.json
# and package-lock.json beside this script) under BUILD_DIR/editors/npm, and
# prints that folder. Nothing is installed in the source tree; a second run
# with the same lock file installs nothing.
#   editors/npm-tools.sh BUILD_DIR
set -euo pipefail

here="$(cd "$(dirname "$0")" && pwd)"
[ $# -eq 1 ] || { echo "usage: $0 BUILD_DIR" >&2; exit 2; }
tools="$(mkdir -p "$1/editors/npm" && cd "$1/editors/npm" && pwd)"

for tool in node npm; do
    command -v "$tool" >/dev/null || { echo "$0: $tool is not installed (Node.js 20 or later with npm)" >&2; exit 1; }
done

# The stamp is the lock file of the last install that completed.
if ! cmp -s "$here/package-lock.json" "$tools/installed.lock"; then
    rm -f "$tools/installed.lock"
    cp "$here/package.json" "$here/package-lock.json" "$tools/"
    # Install scripts would fetch prebuilt binaries that packaging never uses.
    (cd "$tools" && npm ci --ignore-scripts --prefer-offline --no-audit --no-fund --loglevel=error >&2)
    cp "$here/package-lock.json" "$tools/installed.lock"
fi
echo "$tools"
