#!/usr/bin/env bash
# Installs the Debian packages that building, running and testing TavrelREX need.
# Usage: install-deps.sh [--test]   (--test adds clang and its fuzzer runtime, and the
# validators of the desktop files)
set -euo pipefail

packages=(
    build-essential cmake ninja-build pkg-config
    qt6-base-dev libqcustomplot-dev libqcustomplot2.1-qt6
    qt6-l10n-tools qt6-translations-l10n
    libcli11-dev nlohmann-json3-dev libgtest-dev
    libsigrok-dev libsigrok4 libglib2.0-dev
    libhdf5-dev libsndfile1-dev
    fonts-ipafont-gothic fonts-ipafont-mincho fonts-liberation2
    xvfb xauth
)
if [ "${1:-}" = "--test" ]; then
    packages+=(clang libclang-rt-14-dev clang-format)
    # Validators of the installed desktop files, file types and man pages; dpkg-dev for cpack.
    packages+=(desktop-file-utils appstream libxml2-utils shared-mime-info groff-base dpkg-dev)
fi

missing=()
for p in "${packages[@]}"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done
[ ${#missing[@]} -eq 0 ] && exit 0

sudo=""
if [ "$(id -u)" -ne 0 ]; then
    command -v sudo >/dev/null || { echo "install-deps: run as root or install sudo" >&2; exit 1; }
    sudo="sudo"
fi
echo "Installing: ${missing[*]}"
$sudo apt-get update -qq
DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}"
