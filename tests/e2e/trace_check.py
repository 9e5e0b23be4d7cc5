#!/usr/bin/env python3
"""Reads the per-process traces `strace -ff` left of a run of the program and
prints every call by which it wrote to the disk or reached beyond its X
display: a file opened for writing, created, renamed, removed or changed; a
socket of any family but AF_UNIX; a local socket other than the X server's;
a program started. Prints nothing when the run kept to itself.

Usage: trace_check.py TRACE-PREFIX PROGRAM DISPLAY-NUMBER [SESSION-BUS-PATH]"""
import glob
import re
import sys

prefix, program, display = sys.argv[1:4]
bus = sys.argv[4] if len(sys.argv) > 4 else None  # a session without a bus has none

# What system libraries may do on their own, and why it is not the program's
# doing. A fresh home folder is used, so these would show as new files.
ALLOWED_WRITES = [
    # fontconfig (through Qt's font database) rebuilds its cache of the
    # system's fonts in the user's cache folder when the system-wide cache is
    # older than the font folders.
    (re.compile(r"/\.cache/fontconfig(/|$)"), "fontconfig's font cache"),
    # Mesa keeps compiled shaders per user, if anything draws with OpenGL.
    (re.compile(r"/\.cache/mesa_shader_cache(/|$)"), "Mesa's shader cache"),
]

ALLOWED_SOCKETS = {
    # The display connection: Xlib/xcb use the abstract name, or the path.
    f"@/tmp/.X11-unix/X{display}": "the X display",
    f"/tmp/.X11-unix/X{display}": "the X display",
    # The session bus: Qt's accessibility bridge (screen readers) and its
    # menu bar ask there, SDL too (screen saver, audio thread priority).
    # A test may point it at a path with no bus behind it.
    **({bus: "the D-Bus session bus"} if bus else {}),
    # glibc's name-service cache daemon, asked for the user's home folder
    # and name where it runs.
    "/var/run/nscd/socket": "nscd",
    "/run/nscd/socket": "nscd",
}

WRITE_FLAGS = re.compile(r"O_WRONLY|O_RDWR|O_CREAT|O_TRUNC|O_APPEND")
CHANGES = {
    "mkdir", "mkdirat", "rename", "renameat", "renameat2", "link", "linkat",
    "symlink", "symlinkat", "unlink", "unlinkat", "rmdir", "truncate", "chmod",
    "fchmodat", "chown", "lchown", "fchownat", "utime", "utimes", "utimensat",
    "futimesat", "mknod", "mknodat", "setxattr", "lsetxattr",
}
CALL = re.compile(r"^(?P<name>\w+)\((?P<args>.*)\)\s+=\s+(?P<result>-?\d+|\?)")


def succeeded(result):
    return result != "?" and int(result) >= 0


def paths(args):
    return re.findall(r'"((?:[^"\\]|\\.)*)"', args)


def allowed_write(path):
    return any(pattern.search(path) for pattern, _ in ALLOWED_WRITES)


def findings(line):
    call = CALL.match(line)
    if not call:
        return None
    name, args, result = call["name"], call["args"], call["result"]
    if name in ("open", "openat", "openat2", "creat"):
        if name != "creat" and not WRITE_FLAGS.search(args):
            return None
        if not succeeded(result):
            return None
        target = paths(args)[0] if paths(args) else ""
        # Devices (the sound card, /dev/null) are not files on the disk.
        if target.startswith("/dev/") and not target.startswith("/dev/shm"):
            return None
        return None if allowed_write(target) else "writes a file"
    if name in CHANGES:
        if not succeeded(result):
            return None  # nothing changed: an existing folder, say
        return None if all(allowed_write(p) for p in paths(args)) else "changes the disk"
    if name == "socket":
        return None if "AF_UNIX" in args else "opens a network socket"
    if name in ("connect", "sendto"):
        if "sa_family=" not in args:
            return None
        if "AF_UNIX" not in args:
            return "reaches the network"
        where = re.search(r'sun_path=(@?)"([^"]*)"', args)
        target = where[1] + where[2] if where else ""
        return None if target in ALLOWED_SOCKETS else "talks to a local socket"
    if name in ("bind", "listen"):
        return "offers a socket"
    if name in ("execve", "execveat"):
        # strace's own start of the program is the one allowed.
        return None if paths(args)[:1] == [program] else "starts a program"
    return None


found = []
for trace in sorted(glob.glob(prefix + ".*")):
    with open(trace, errors="replace") as f:
        for line in f:
            what = findings(line.rstrip("\n"))
            if what:
                found.append(f"{what}: {line.strip()}")
print("\n".join(found))
