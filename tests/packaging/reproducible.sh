#!/usr/bin/env bash
# The same sources give the same package, byte for byte: a copy of them in
# another folder, packaged there later by `make package` under another umask,
# time zone and locale. Only the game is built the second time
# (PACKAGE_TESTS=OFF): the tests are no part of the package.
# Usage: reproducible.sh DEB SOURCE-DIR
source "$(dirname "$0")/../e2e/lib.sh"
deb=$1 src=$2
[[ -f $deb ]] || fail "no package at $deb: build it first (make package)"

# The copy leaves out git and every configured build folder, and its files
# are as new as a fresh checkout's (-m). Without git the copy would be dated
# by its changelog, so it is given the first package's date (that of its
# files), as a rebuilder is given the original's.
copy="$E2E_TMP/elsewhere/vimbo"
mkdir -p "$copy"
tar -C "$src" --exclude=./.git --exclude-tag-all=CMakeCache.txt -cf - . | tar -C "$copy" -xmf -
stamp=$(dpkg-deb --fsys-tarfile "$deb" | TZ=UTC0 tar -tv --full-time | awk 'NR == 1 { print $4, $5 }')
epoch=$(TZ=UTC0 date -d "$stamp" +%s)

# The make running this test must not lend its options to this one.
(cd "$copy" && umask 002 &&
    env -u MAKEFLAGS -u MFLAGS -u MAKELEVEL TZ=America/St_Johns LC_ALL=C.UTF-8 \
        SOURCE_DATE_EPOCH="$epoch" make package PACKAGE_TESTS=OFF) >"$E2E_TMP/build.log" 2>&1 ||
    fail "the second build failed: $(tail -n 30 "$E2E_TMP/build.log")"
again=$copy/build-package/$(basename "$deb")
[[ -f $again ]] || fail "the second build made no $(basename "$again")"
if ! cmp -s "$deb" "$again"; then
    # diffoscope (Debian's package of that name) says where they differ.
    if command -v diffoscope >/dev/null; then diffoscope "$deb" "$again" | head -n 80 >&2 || true; fi
    fail "a second build of the same sources gives another package (or they changed since $deb was built)"
fi
echo "reproducible: $(basename "$deb") built again in another folder, the same $(stat -c %s "$deb") bytes"
