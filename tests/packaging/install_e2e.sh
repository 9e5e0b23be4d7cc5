#!/usr/bin/env bash
# `cmake --install` into a fresh prefix gives a working game: the files in
# their places, the launcher entry and metainfo valid, and the installed game
# played from another folder, sounds and all.
# Usage: install_e2e.sh BUILD-DIR X_CLOSE
source "$(dirname "$0")/../e2e/lib.sh"
source "$(dirname "$0")/installed.sh"
build=$1 x_close=$2
prefix="$E2E_TMP/prefix"

cmake --install "$build" --prefix "$prefix" >"$E2E_TMP/install.log" ||
    fail "cmake --install failed: $(cat "$E2E_TMP/install.log")"
check_layout "$prefix"
play_installed "$prefix" "$x_close"
