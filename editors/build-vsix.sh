#!/bin/bash
# Builds the VS Code extension (editors/vscode) into
# BUILD_DIR/editors/pelorn-VERSION.vsix with @vscode/vsce from the npm tools,
# checks that the package holds the extension's files, and prints its path.
#   editors/build-vsix.sh BUILD_DIR
set -euo pipefail

here="$(cd "$(dirname "$0")" && pwd)"
[ $# -eq 1 ] || { echo "usage: $0 BUILD_DIR" >&2; exit 2; }
tools="$("$here/npm-tools.sh" "$1")"
out="$(cd "$1" && pwd)/editors"

# The grammar must be the one names.json makes.
node "$here/generate.js" --check

# vsce packs a whole folder: a copy holds only the extension's own files.
stage="$out/vscode-stage"
rm -rf "$stage"
cp -R "$here/vscode" "$stage"
version="$(node -p "require('$stage/package.json').version")"
vsix="$out/pelorn-$version.vsix"
rm -f "$vsix"
(cd "$stage" && "$tools/node_modules/.bin/vsce" package --no-dependencies --skip-license \
    --allow-missing-repository --out "$vsix" >&2)

python3 - "$vsix" <<'PY'
import sys, zipfile
held = {name.lower() for name in zipfile.ZipFile(sys.argv[1]).namelist()}
wanted = ["extension.vsixmanifest", "extension/package.json", "extension/extension.js", "extension/readme.md",
          "extension/language-configuration.json", "extension/syntaxes/pelorn.tmlanguage.json"]
missing = [name for name in wanted if name not in held]
if missing:
    sys.exit(f"{sys.argv[1]} lacks {', '.join(missing)}")
PY
echo "$vsix"
