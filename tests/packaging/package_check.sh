#!/usr/bin/env bash
# The Debian package: its fields and dependencies, its contents, every
# library the game needs found from the unpacked files alone, and the game
# played straight from the unpacked tree.
# Usage: package_check.sh DEB X_CLOSE
source "$(dirname "$0")/../e2e/lib.sh"
source "$(dirname "$0")/installed.sh"
deb=$1 x_close=$2
[[ -f $deb ]] || fail "no package at $deb: build it first (make package)"

field() { dpkg-deb -f "$deb" "$1"; }
[[ $(field Package) == vimbo ]] || fail "package name $(field Package)"
[[ $(field Version) == 3.2 ]] || fail "version $(field Version)"
[[ $(field Maintainer) == Brennolt ]] || fail "maintainer $(field Maintainer)"
[[ $(field Architecture) == "$(dpkg --print-architecture)" ]] || fail "architecture $(field Architecture)"
# The libraries come from dpkg-shlibdeps, read off the executable.
depends=$(field Depends)
names=$(sed -e 's/ ([^)]*)//g' -e 's/, /\n/g' <<<"$depends")
for lib in libc6 libstdc++6 libqt6core6 libqt6gui6 libqt6widgets6 libqt6svg6 libsdl2-2.0-0 \
    libsdl2-mixer-2.0-0 libfluidsynth3; do
    grep -qxF "$lib" <<<"$names" || fail "no $lib in Depends: $depends"
done
# Without a soundfont the music is silent.
grep -qE 'timgm6mb-soundfont \| fluid-soundfont-gm' <<<"$(field Depends), $(field Recommends)" ||
    fail "no soundfont among the dependencies"

# The contents: the listing names what a player's machine gets, and nothing
# from the build (the tests, the tools) slips in.
dpkg-deb -c "$deb" | awk '{print $6}' | sed 's,^\./,/,; s,/$,,' | sort >"$E2E_TMP/contents"
for f in /usr/lib/vimbo/vimbo /usr/lib/vimbo/carta.wav /usr/lib/vimbo/Music/5carte.mid \
    /usr/lib/vimbo/Music/finale.mid /usr/bin/vimbo /usr/share/applications/vimbo.desktop \
    /usr/share/icons/hicolor/32x32/apps/vimbo.png /usr/share/icons/hicolor/scalable/apps/vimbo.svg \
    "/usr/share/metainfo/$appid.metainfo.xml"; do
    grep -qx "$f" "$E2E_TMP/contents" || fail "$f not in the package"
done
files=$(dpkg-deb -c "$deb" | grep -vc '^d')
[[ $files == 9 ]] || fail "expected 9 files in the package, found $files: $(cat "$E2E_TMP/contents")"

root="$E2E_TMP/root"
dpkg-deb -x "$deb" "$root"
missing=$(ldd "$root/usr/lib/vimbo/vimbo" | grep 'not found' || true)
[[ -z $missing ]] || fail "libraries not found: $missing"
check_layout "$root/usr"
play_installed "$root/usr" "$x_close"
echo "package: $(basename "$deb") with Depends: $depends; Recommends: $(field Recommends)"
