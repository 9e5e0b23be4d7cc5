#!/usr/bin/env bash
# The game writes nothing and talks to nobody but its X server: the real
# program runs under strace through its start-up, a game (stock turns, a drag,
# a new game, both options) and its exit, with a fresh, empty home folder, and
# every call that would create, change or remove a file, open a network
# socket, reach a local socket other than the display's or start another
# program fails the test (trace_check.py names what system libraries may do).
#
# The session has a private runtime folder (without one Qt itself creates
# /tmp/runtime-$USER, and says so) and no session bus.
# Sound goes to SDL's dummy driver: the real output's connection to a sound
# server is not looked at here.
# Where the machine refuses tracing (a container without ptrace), the test
# exits with status 77, which CTest reports as skipped.
# Usage: nothing_written_e2e.sh VIMBO X_CLOSE
source "$(dirname "$0")/lib.sh"
source "$(dirname "$0")/session.sh"
VIMBO=$1 X_CLOSE=$2
here=$(cd "$(dirname "$0")" && pwd)
command -v strace >/dev/null || fail "strace is not installed"
# Tracing needs ptrace and seccomp filters; the skip says what strace said.
if ! why=$(strace -f --seccomp-bpf -qq -o /dev/null -e trace=openat true 2>&1); then
    echo "SKIPPED: strace cannot trace here (${why//$'\n'/ })"
    exit 77
fi

quiet_session_env
# No session bus at all, as on a bare X display: the game must not start one
# of its own (libdbus would, through dbus-launch, and the trace would show it).
unset DBUS_SESSION_BUS_ADDRESS
mkdir "$E2E_TMP/home" "$E2E_TMP/trace"
export HOME="$E2E_TMP/home"
unset XDG_CACHE_HOME XDG_CONFIG_HOME XDG_DATA_HOME
export SDL_AUDIODRIVER=dummy
# LeakSanitizer stops the world with ptrace at exit, which it cannot do under
# strace: in the sanitizer build the traced run leaves leak checks to the others.
export ASAN_OPTIONS="${ASAN_OPTIONS:+$ASAN_OPTIONS:}detect_leaks=0"
start_xvfb

# Per process files, so that no call is split between two threads' lines;
# whole strings, so that paths are not cut short.
trace="$E2E_TMP/trace/t"
calls=open,openat,openat2,creat,mkdir,mkdirat,rename,renameat,renameat2,link,linkat
calls+=,symlink,symlinkat,unlink,unlinkat,rmdir,truncate,chmod,fchmodat,chown,lchown
calls+=,fchownat,utime,utimes,utimensat,futimesat,mknod,mknodat,setxattr,lsetxattr
calls+=,execve,execveat,socket,connect,bind,listen,sendto
start_app strace -f -ff --seccomp-bpf -qq -s 4096 -o "$trace" -e trace="$calls" "$VIMBO"

wait_table
play_session
close_and_exit
quiet_log

[[ -n $(ls "$E2E_TMP/trace") ]] || fail "no trace written"
grep -q "@\?/tmp/.X11-unix/X${DISPLAY#:}\"}, [0-9]*) = 0" "$trace".* ||
    fail "the trace does not show the display connection"
found=$(/usr/bin/python3 "$here/trace_check.py" "$trace" "$VIMBO" "${DISPLAY#:}")
[[ -z $found ]] || fail "the program $found"
left=$(find "$HOME" -mindepth 1 ! -path "$HOME/.cache" ! -path "$HOME/.cache/fontconfig*" \
    ! -path "$HOME/.cache/mesa_shader_cache*")
[[ -z $left ]] || fail "the home folder is not empty: $left"
echo "nothing written: $(cat "$trace".* | wc -l) calls looked at, $(ls "$E2E_TMP/trace" | wc -l) processes and threads"
