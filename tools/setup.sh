#!/usr/bin/env bash
# Installs the Debian packages of the named groups of tools/debian-packages.txt
# (play, test, package, bench, fuzz) that are not installed yet:
#   tools/setup.sh play        what building and playing the game need
#   tools/setup.sh play test   and what the test suite needs
# Quick when everything is there: one dpkg-query a package, no apt.
set -euo pipefail

here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
list="$here/debian-packages.txt"
groups=("$@")
[[ ${#groups[@]} -gt 0 ]] || groups=(play test package bench fuzz)

# The packages under the [group] headings asked for, comments and blanks gone.
mapfile -t wanted < <(sed -e 's/#.*//' -e 's/[[:space:]]//g' "$list" | awk -v asked=" ${groups[*]} " '
    /^\[.*\]$/ { group = substr($0, 2, length($0) - 2); next }
    $0 != "" && index(asked, " " group " ") { print }')

installed() { [[ $(dpkg-query -W -f='${Status}' "$1" 2>/dev/null || true) == "install ok installed" ]]; }

missing=()
for pkg in "${wanted[@]}"; do
    installed "$pkg" || missing+=("$pkg")
done
# The sound test plays the game through a private server of the kind the
# machine has. PulseAudio and PipeWire's PulseAudio service (pipewire-pulse)
# exclude each other on Debian, and installing one removes the other: a
# machine that has either keeps it, and only one with neither gets PulseAudio.
if [[ " ${groups[*]} " == *" test "* ]] && ! installed pulseaudio && ! installed pipewire-pulse; then
    missing+=(pulseaudio)
fi

if [[ ${#missing[@]} -eq 0 ]]; then
    exit 0
fi

echo "Installing missing Debian packages: ${missing[*]}"
if [[ $(id -u) -eq 0 ]]; then
    sudo=()
elif command -v sudo >/dev/null; then
    sudo=(sudo)
else
    echo "These packages are missing and there is no sudo to install them: ${missing[*]}" >&2
    exit 1
fi

export DEBIAN_FRONTEND=noninteractive
# A fresh machine may have empty package lists; refresh them once, then install.
if ! "${sudo[@]}" apt-get install -y -q --no-install-recommends "${missing[@]}"; then
    "${sudo[@]}" apt-get update -q
    "${sudo[@]}" apt-get install -y -q --no-install-recommends "${missing[@]}"
fi
