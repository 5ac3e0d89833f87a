#!/bin/bash
# Installs what building, testing and running pelorn need (Debian 12, as root
# or with sudo), and any further packages named as arguments. Quiet when
# everything is there already.
#   tools/install-deps.sh [PACKAGE]...
set -euo pipefail

packages=(
    build-essential cmake flex bison pkg-config python3
    libssl-dev libpcsclite-dev libgtest-dev libedit-dev
    pcscd vsmartcard-vpcd
    vim python3-cryptography
    "$@"
)

missing=()
for p in "${packages[@]}"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done
[ ${#missing[@]} -eq 0 ] && exit 0

sudo=""
[ "$(id -u)" -ne 0 ] && sudo="sudo"
export DEBIAN_FRONTEND=noninteractive
$sudo apt-get update -q
$sudo apt-get install -y -q "${missing[@]}"
