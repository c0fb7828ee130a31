#!/usr/bin/env bash
# `cmake --install` into a scratch prefix puts the executable, the menu entry, the icons, the
# AppStream metadata, the copyright and the man page where the menu and the icon theme look.
# usage: install_layout_test.sh BUILD_DIR [with-binary]
set -euo pipefail
. "$(dirname "$0")/layout.sh"
build=$1
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT

cmake --install "$build" --prefix "$scratch/usr" >"$scratch/install.log" || {
    cat "$scratch/install.log"
    fail "cmake --install"
}
check_layout "$scratch/usr" "${2:-}"
