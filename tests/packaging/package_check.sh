#!/usr/bin/env bash
# The Debian package: its fields and dependencies, its contents, lintian's
# verdict (Debian's own checker: any error or warning fails), the executable's
# hardening and no run path, every library the game needs found from the
# unpacked files alone, and the game played straight from the unpacked tree.
# Usage: package_check.sh DEB X_CLOSE
source "$(dirname "$0")/../e2e/lib.sh"
source "$(dirname "$0")/installed.sh"
deb=$1 x_close=$2
[[ -f $deb ]] || fail "no package at $deb: build it first (make package)"

field() { dpkg-deb -f "$deb" "$1"; }
[[ $(field Package) == vimbo ]] || fail "package name $(field Package)"
[[ $(field Version) == 3.2 ]] || fail "version $(field Version)"
[[ $(field Maintainer) == "Brennolt <brennolt@users.noreply.github.com>" ]] ||
    fail "maintainer $(field Maintainer)"
[[ $(field Section) == games ]] || fail "section $(field Section)"
[[ $(field Architecture) == "$(dpkg --print-architecture)" ]] || fail "architecture $(field Architecture)"
# The libraries come from dpkg-shlibdeps, read off the executable.
depends=$(field Depends)
names=$(sed -e 's/ ([^)]*)//g' -e 's/, /\n/g' <<<"$depends")
for lib in libc6 libstdc++6 libqt6core6 libqt6gui6 libqt6widgets6 libqt6svg6 libsdl2-2.0-0 \
    libfluidsynth3; do
    grep -qxF "$lib" <<<"$names" || fail "no $lib in Depends: $depends"
done
# Without a soundfont the music is silent.
grep -qE 'timgm6mb-soundfont \| fluid-soundfont-gm' <<<"$(field Depends), $(field Recommends)" ||
    fail "no soundfont among the dependencies"
# Native on a Wayland desktop only with Qt's Wayland plugin.
grep -qw 'qt6-wayland' <<<"$(field Recommends)" || fail "qt6-wayland is not recommended"

# The contents: the listing names what a player's machine gets, and nothing
# from the build (the tests, the tools) slips in.
dpkg-deb -c "$deb" | awk '{print $6}' | sed 's,^\./,/,; s,/$,,' | sort >"$E2E_TMP/contents"
for f in /usr/lib/vimbo/vimbo /usr/lib/vimbo/carta.wav /usr/lib/vimbo/Music/5carte.mid \
    /usr/lib/vimbo/Music/finale.mid /usr/games/vimbo /usr/share/applications/vimbo.desktop \
    /usr/share/icons/hicolor/32x32/apps/vimbo.png /usr/share/icons/hicolor/scalable/apps/vimbo.svg \
    "/usr/share/metainfo/$appid.metainfo.xml" /usr/share/man/man6/vimbo.6.gz \
    /usr/share/doc/vimbo/copyright /usr/share/doc/vimbo/changelog.gz; do
    grep -qx "$f" "$E2E_TMP/contents" || fail "$f not in the package"
done
files=$(dpkg-deb -c "$deb" | grep -vc '^d')
[[ $files == 12 ]] || fail "expected 12 files in the package, found $files: $(cat "$E2E_TMP/contents")"

# The newest changelog entry is this version's.
[[ $(dpkg-deb --fsys-tarfile "$deb" | tar -xO ./usr/share/doc/vimbo/changelog.gz | zcat | head -n1) \
    == "vimbo ($(field Version)) "* ]] || fail "the changelog does not begin with version $(field Version)"

command -v lintian >/dev/null || fail "lintian is not installed"
lintian --fail-on error,warning "$deb" >"$E2E_TMP/lintian.log" 2>&1 ||
    fail "lintian finds errors or warnings: $(grep -v '^warning: running with root' "$E2E_TMP/lintian.log")"

root="$E2E_TMP/root"
dpkg-deb -x "$deb" "$root"
# Hardened as Debian's own packages are (dpkg-buildflags): relocations
# read-only and bound at start, the stack protector, fortified functions. And
# no run path, which would have the loader look for every library in the
# game's folder first.
exe=$root/usr/lib/vimbo/vimbo
dynamic=$(readelf -dW "$exe")
! grep -E '\((RPATH|RUNPATH)\)' <<<"$dynamic" || fail "the installed executable has a run path"
grep -qE '\(FLAGS\).*BIND_NOW|\(FLAGS_1\).* NOW' <<<"$dynamic" || fail "not linked with -z now"
readelf -lW "$exe" | grep -q GNU_RELRO || fail "not linked with -z relro"
imports=$(readelf --dyn-syms -W "$exe" | awk '$7 == "UND" { print $8 }')
grep -q '^__stack_chk_fail@' <<<"$imports" || fail "no stack protector"
grep -qE '^__[a-z]+_chk@' <<<"$imports" || fail "no fortified functions (_FORTIFY_SOURCE)"
# The manual page sends bugs to the package's maintainer.
zgrep -qF "$(field Maintainer)" "$root/usr/share/man/man6/vimbo.6.gz" ||
    fail "the manual page names another maintainer than $(field Maintainer)"
missing=$(ldd "$root/usr/lib/vimbo/vimbo" | grep 'not found' || true)
[[ -z $missing ]] || fail "libraries not found: $missing"
check_layout "$root/usr" games
play_installed "$root/usr" "$x_close" games
echo "package: $(basename "$deb") with Depends: $depends; Recommends: $(field Recommends)"
