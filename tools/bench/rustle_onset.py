#!/usr/bin/env python3
"""How late the card rustle is, as a player hears it: the real program plays
through a private sound server (its own runtime folder and socket, a null
sink, never the desktop's own server), the sink's monitor is recorded, and
for each stock click the rustle's first sample is found in the recording by
cross-correlation with carta.wav and timed against the moment the click was
sent (XTest, from this process).

Three cases: the music on (its output stays open), clicks 0.8 s apart; the
same with clicks 0.35 s apart (the rustle's own stream is still open from the
click before); and the music off (the output has closed after its idle time
and the click opens it again).

The server is the one the machine has: PulseAudio, or PipeWire with its
PulseAudio service (pipewire-pulse); both speak the PulseAudio protocol, so
the game (SDL's pulseaudio driver) and parec are the same for both; on
PipeWire the game plays the rustle on a stream of PipeWire's own.

Usage: rustle_onset.py --build BUILD-DIR [--server KIND] [--clicks 12]
                       [--check | --soak MINUTES | --json]
  --server: pipewire or pulseaudio; by default the first the machine has.
  --check: only what must never happen, for the test suite: every click has a
  rustle, and the music on a long stretch has no gap (exit status 1 if not,
  77 if no sound server can be started here).
  --soak: the music for MINUTES with a stock turn every 2 s: its silent
  stretches (underruns) and the rustles heard whole.
  --json: the three cases, for bench.py: one line of JSON, the clicks of each
  case with their median and 90th percentile (77 if the server cannot start).
"""

import argparse
import ctypes
import json
import os
import shutil
import statistics
import subprocess
import sys
import tempfile
import threading
import time
import wave
from contextlib import contextmanager

from harness import IDLE_S, STOCK, Game, Xvfb, say, server_kinds, wait_for_idle

try:
    import numpy as np
except ImportError as error:  # Debian's python3-numpy
    sys.exit(str(error))

RATE = 44100
HERE = os.path.dirname(os.path.abspath(__file__))
ROOT = os.path.dirname(os.path.dirname(HERE))


# ---- a private sound server -------------------------------------------------


class SoundServer:
    """A sound server of our own with a null sink 'vimbo_null': nothing of the
    user's session is touched (own XDG_RUNTIME_DIR, HOME, socket, no D-Bus).
    later: not started with the `with`, only by start()."""

    def __init__(self, kind, later=False):
        self.kind = kind
        self.later = later
        self.dir = tempfile.mkdtemp(prefix="vimbo-sound-")
        self.socket = os.path.join(self.dir, "native")
        self.server = f"unix:{self.socket}"
        self.env = {k: v for k, v in os.environ.items()
                    if not k.startswith(("PULSE_", "PIPEWIRE_", "DBUS_"))}
        self.env.update(XDG_RUNTIME_DIR=self.dir, HOME=self.dir, PULSE_SERVER=self.server,
                        PULSE_SINK="vimbo_null", DBUS_SESSION_BUS_ADDRESS="disabled:")
        self.procs = []

    def __enter__(self):
        if self.later:
            return self
        try:
            self._start()
        except BaseException:
            self.__exit__()
            raise
        return self

    def _spawn(self, cmd):
        log = open(os.path.join(self.dir, os.path.basename(cmd[0]) + ".log"), "w")
        self.procs.append(subprocess.Popen(cmd, env=self.env, stdout=log, stderr=log))

    def _start(self):
        if self.kind == "pulseaudio":
            self._spawn(["pulseaudio", "-n", "--daemonize=no", "--exit-idle-time=-1",
                         "--use-pid-file=no", "--disallow-module-loading=no",
                         "-L", f"module-native-protocol-unix socket={self.socket} auth-anonymous=1",
                         "-L", "module-null-sink sink_name=vimbo_null rate=44100"])
        else:
            # The PulseAudio service on a socket of ours; its config is
            # PipeWire's own with the socket changed.
            conf = os.path.join(self.dir, "pipewire-pulse.conf")
            with open("/usr/share/pipewire/pipewire-pulse.conf") as f:
                text = f.read()
            text = text.replace('"unix:native"', f'"{self.server}"')
            with open(conf, "w") as f:
                f.write(text)
            # WirePlumber wants a session bus: a private one, where there is
            # a bus daemon to start.
            if shutil.which("dbus-daemon"):
                bus = f"unix:path={self.dir}/bus"
                self._spawn(["dbus-daemon", "--session", "--nofork", f"--address={bus}"])
                self.env["DBUS_SESSION_BUS_ADDRESS"] = bus
                time.sleep(0.3)
            self._spawn(["pipewire"])
            time.sleep(0.5)
            self._spawn(["wireplumber"])
            self._spawn(["pipewire-pulse", "-c", conf])
        deadline = time.monotonic() + 10
        while not self._answers():
            if time.monotonic() > deadline or any(p.poll() is not None for p in self.procs):
                raise RuntimeError(f"the {self.kind} server did not start")
            time.sleep(0.1)
        if self.kind == "pipewire":
            self.pactl("load-module", "module-null-sink", "sink_name=vimbo_null", "rate=44100")
        # PipeWire makes the sink a moment after the module loads.
        while "vimbo_null" not in self.pactl("list", "short", "sinks"):
            if time.monotonic() > deadline:
                raise RuntimeError(f"the {self.kind} server made no null sink")
            time.sleep(0.1)
        try:
            self.pactl("set-default-sink", "vimbo_null")
        except RuntimeError:
            pass  # PULSE_SINK names it to the clients anyway
        # A part that ends at once (WirePlumber outside a desktop session)
        # leaves a server that answers but links no stream to the sink.
        time.sleep(0.5)
        for proc in self.procs:
            if proc.poll() is not None:
                name = os.path.basename(proc.args[0])
                with open(os.path.join(self.dir, name + ".log")) as f:
                    said = " ".join(f.read().split()[-12:])
                raise RuntimeError(f"{name} of the private {self.kind} server ended ({said})")

    def kill(self):
        """The server dies at once, as a crashed one does (its socket file stays)."""
        for proc in self.procs:
            proc.kill()
            proc.wait()
        self.procs = []

    def start(self):
        """Started (again) on the same socket; the moment it answers."""
        self._start()
        return time.monotonic()

    def _answers(self):
        return subprocess.run(["pactl", "info"], env=self.env, capture_output=True).returncode == 0

    def pactl(self, *args):
        done = subprocess.run(["pactl", *args], env=self.env, capture_output=True, text=True)
        if done.returncode != 0:
            raise RuntimeError(f"pactl {' '.join(args)}: {done.stderr.strip()}")
        return done.stdout

    def game_sound(self):
        """The game's sound output: SDL's pulseaudio driver, and only this
        server within reach, as the desktop's own is on a player's machine:
        PulseAudio's socket by PULSE_SERVER, and PipeWire's (where the server
        is PipeWire) in the server's runtime folder."""
        sound = {k: v for k, v in self.env.items() if k.startswith("PULSE_")}
        sound.update(SDL_AUDIODRIVER="pulseaudio", XDG_RUNTIME_DIR=self.dir)
        return sound

    def version(self):
        out = subprocess.run(["pactl", "info"], env=self.env, capture_output=True, text=True).stdout
        for line in out.splitlines():
            if line.startswith("Server Name:") or line.startswith("Server Version:"):
                yield line.split(":", 1)[1].strip()

    def __exit__(self, *_):
        for proc in reversed(self.procs):
            proc.terminate()
            try:
                proc.wait(5)
            except subprocess.TimeoutExpired:
                proc.kill()
                proc.wait()
        shutil.rmtree(self.dir, ignore_errors=True)


class Recorder:
    """The null sink's monitor, recorded as it comes. Each read is stamped
    with its arrival: near a moment, the earliest (arrival - samples so far /
    rate) among the reads is when sample 0 would have been at the sink, plus
    the monitor's own small delay (2 ms asked for). Taken near each click, it
    follows any drift between the sink's clock and ours, and any pause of the
    monitor."""

    def __init__(self, server):
        self.proc = subprocess.Popen(
            ["parec", "-d", "vimbo_null.monitor", "--raw", "--format=s16le", f"--rate={RATE}",
             "--channels=2", "--latency-msec=2"],
            env=server.env, stdout=subprocess.PIPE, stderr=subprocess.DEVNULL, bufsize=0)
        self.chunks = []
        self.reads = []  # (arrival, frames so far)
        self.frames = 0
        self.thread = threading.Thread(target=self._read, daemon=True)
        self.thread.start()

    def __enter__(self):
        return self

    def __exit__(self, *_):
        self.stop()

    def _read(self):
        while True:
            data = self.proc.stdout.read(4096)
            if not data:
                return
            now = time.monotonic()
            self.chunks.append(data)
            self.frames += len(data) // 4
            self.reads.append((now, self.frames))

    def start_near(self, moment, span=0.4):
        """When sample 0 was at the sink, judged by the reads around `moment`."""
        near = [t - n / RATE for t, n in self.reads if abs(t - moment) <= span]
        return min(near) if near else None

    def samples(self):
        data = b"".join(self.chunks)
        pcm = np.frombuffer(data[: len(data) // 4 * 4], dtype="<i2").reshape(-1, 2)
        return pcm.astype(np.float64).mean(axis=1)

    def stop(self):
        self.proc.terminate()
        self.proc.wait()
        self.thread.join(2)


# ---- the click and the rustle ----------------------------------------------


class Pointer:
    """Clicks sent straight from this process (XTest), so the moment a click
    leaves is known to a few microseconds."""

    def __init__(self, display):
        self.x11 = ctypes.CDLL("libX11.so.6")
        self.xtst = ctypes.CDLL("libXtst.so.6")
        self.x11.XOpenDisplay.restype = ctypes.c_void_p
        self.x11.XFlush.argtypes = [ctypes.c_void_p]
        self.x11.XSync.argtypes = [ctypes.c_void_p, ctypes.c_int]
        self.x11.XCloseDisplay.argtypes = [ctypes.c_void_p]
        for name in ("XTestFakeMotionEvent", "XTestFakeButtonEvent"):
            getattr(self.xtst, name).argtypes = [ctypes.c_void_p, ctypes.c_int, ctypes.c_int,
                                                 ctypes.c_ulong] + (
                [ctypes.c_ulong] if name == "XTestFakeMotionEvent" else [])
        self.dpy = self.x11.XOpenDisplay(display.encode())
        if not self.dpy:
            raise RuntimeError(f"cannot open display {display}")

    def __enter__(self):
        return self

    def __exit__(self, *_):
        self.close()

    def move(self, x, y):
        self.xtst.XTestFakeMotionEvent(self.dpy, -1, x, y, 0)
        self.x11.XSync(self.dpy, 0)

    def click(self):
        """Returns when the press and the release have left for the server."""
        self.xtst.XTestFakeButtonEvent(self.dpy, 1, 1, 0)
        self.xtst.XTestFakeButtonEvent(self.dpy, 1, 0, 0)
        self.x11.XFlush(self.dpy)
        return time.monotonic()

    def close(self):
        self.x11.XCloseDisplay(self.dpy)


def rustle_template(ms=40):
    with wave.open(os.path.join(ROOT, "resources", "carta.wav")) as w:
        assert w.getframerate() == RATE and w.getsampwidth() == 2
        pcm = np.frombuffer(w.readframes(w.getnframes()), dtype="<i2").astype(np.float64)
        pcm = pcm.reshape(-1, w.getnchannels()).mean(axis=1)
    return pcm[: RATE * ms // 1000]


def find_onset(signal, template, lo, hi):
    """The index in signal[lo:hi] where the template fits best, and how well
    (normalised correlation, 1 = exactly): the rustle's first sample."""
    lo, hi = max(lo, 0), min(hi, len(signal) - len(template))
    if hi <= lo:
        return None, 0.0
    window = signal[lo: hi + len(template)]
    corr = np.correlate(window, template, mode="valid")
    energy = np.sqrt(np.convolve(window ** 2, np.ones(len(template)), mode="valid"))
    score = corr / (np.maximum(energy, 1e-9) * np.linalg.norm(template))
    best = int(np.argmax(score))
    return lo + best, float(score[best])


def music_gaps(signal, start, end, block=441, where=None):
    """Stretches of 10 ms of digital silence inside [start, end): the music
    broke off (an underrun, a block never delivered). No music at all is one
    long gap. `where`, a list, gets the seconds (from `start`) of each."""
    part = signal[start:end]
    n = len(part) // block
    if n == 0 or np.abs(part).max() < 1000:
        return max(n, 1)
    quiet = np.abs(part[: n * block]).reshape(n, block).max(axis=1) == 0
    if where is not None:
        where += [i * block / RATE for i in np.nonzero(quiet)[0]]
    return int(quiet.sum())


# ---- the game played through the server ------------------------------------


def start_game(build, display, server):
    """The build's game, playing through the server and nothing else: the
    user's own sound settings do not reach it."""
    return Game(os.path.abspath(f"{build}/window/vimbo"), os.path.abspath(f"{build}/tools/bench"),
                display, server.game_sound(), unset=("PULSE_", "PIPEWIRE_", "SDL_DISKAUDIOFILE"))


def music_back(recorder, since, within=2.0):
    """Seconds from `since` until the music is heard in the recording, or None
    if not within `within` seconds (10 ms blocks louder than a whisper)."""
    deadline = since + within + 0.5
    while time.monotonic() < deadline:
        time.sleep(0.1)
    start = recorder.start_near(since + within, span=within)
    if start is None:
        return None
    signal = recorder.samples()
    block = RATE // 100
    n = len(signal) // block
    loud = np.nonzero(np.abs(signal[: n * block]).reshape(n, block).max(axis=1) > 0)[0]
    if not len(loud):
        return None
    back = start + loud[0] * block / RATE - since
    return back if back <= within else None


def comes_back(build, kind):
    """The server killed while the music plays and started again; and a
    server that comes up only after the game: each time the music is heard
    within 2 s of the server answering, and a stock click rustles. The two
    run side by side, each with its own X server, sound server and game:
    they mostly wait, and load the machine no more than one does."""
    template = rustle_template()
    cases = ("restarted", "started after the game")
    found, failures = {}, []

    def one(case):
        later = case == "started after the game"
        try:
            with Xvfb() as x, SoundServer(kind, later) as server, \
                    start_game(build, x.display, server) as game, Pointer(x.display) as pointer:
                if not later:
                    time.sleep(1.0)
                    server.kill()
                time.sleep(1.5)
                found[case] = heard_again(server, game, pointer, template)
        except BaseException as error:  # told on the main thread
            failures.append(error)

    threads = [threading.Thread(target=one, args=(case,)) for case in cases]
    for thread in threads:
        thread.start()
    for thread in threads:
        thread.join()
    if failures:
        raise failures[0]
    return {case: found[case] for case in cases}


def heard_again(server, game, pointer, template):
    """(seconds until the music is heard, the rustle's onset in ms) once the
    server is (back) up."""
    answered = server.start()
    with Recorder(server) as recorder:
        back = music_back(recorder, answered)
        pointer.move(*game.on_screen(*STOCK))
        sent = clicks(pointer, 1, 0.2)
        onset, score = onsets(recorder, sent, template)[0][0]
        return back, onset if score > 0.5 else None


def clicks(pointer, count, pause):
    sent = []
    for _ in range(count):
        time.sleep(pause)
        sent.append(pointer.click())
    time.sleep(1.0)
    return sent


def onsets(recorder, sent, template):
    signal = recorder.samples()
    found = []
    for at in sent:
        start = recorder.start_near(at + 0.1)
        if start is None:
            found.append((None, 0.0))
            continue
        index = int(round((at - start) * RATE))
        onset, score = find_onset(signal, template, index - RATE // 100, index + RATE // 4)
        found.append(((start + onset / RATE - at) * 1000, score)
                     if onset is not None else (None, 0.0))
    return found, signal


@contextmanager
def played(build, kind):
    """The game through a private server of the kind, the server's monitor
    recorded from before the game starts, the pointer on the stock: gives
    (server, recorder, game, pointer)."""
    with Xvfb() as x, SoundServer(kind) as server, Recorder(server) as recorder, \
            start_game(build, x.display, server) as game, Pointer(x.display) as pointer:
        pointer.move(*game.on_screen(*STOCK))
        yield server, recorder, game, pointer


def measure(build, kind, count=12, check=False):
    """{case: [(onset ms, match score), ...]} and the gaps found in the music."""
    template = rustle_template()
    results = {}
    with played(build, kind) as (server, recorder, game, pointer):
        if not check:
            # What the open output costs through this server, as the bench
            # measures idle CPU through SDL's disk driver.
            before = game.cpu_seconds()
            time.sleep(IDLE_S)
            results["idle cpu"] = game.cpu_seconds() - before
        mark = recorder.frames
        sent = clicks(pointer, count, 0.8)
        results["music on"], signal = onsets(recorder, sent, template)
        gaps = music_gaps(signal, mark, len(signal))
        if not check:
            # Clicks in quick succession, as a player turns the stock card
            # after card: the rustle's own stream is found still open.
            sent = clicks(pointer, count, 0.35)
            results["music on, quick clicks"], _ = onsets(recorder, sent, template)
            # Music off (Alt+O, Down, Return), then each click after the
            # output has closed for quiet (2 s).
            # A new game first (Alt+G, Return: "Shuffle cards"): the three
            # cases together turn more cards than one stock holds.
            game.menu("g", "Return", settle=1.0)
            game.menu("o", "Down", "Return", settle=0.3)
            pointer.move(*game.on_screen(*STOCK))
            sent = clicks(pointer, count, 3.0)
            results["music off, output reopened"], _ = onsets(recorder, sent, template)
        results["server"] = " ".join(server.version())
    return results, gaps


def soak(build, kind, minutes):
    """The music for `minutes` with a stock turn every 2 s (a new game every
    30): the silent stretches in the music, and the rustles heard whole."""
    template = rustle_template()
    found, games = [], []
    with played(build, kind) as (server, recorder, game, pointer):
        mark = recorder.frames
        end = time.monotonic() + 60 * minutes
        while time.monotonic() < end:
            pointer.move(*game.on_screen(*STOCK))
            sent = clicks(pointer, 30, 1.0)
            found += onsets(recorder, sent, template)[0]
            games.append(recorder.frames)
            game.menu("g", "Return", settle=1.0)
        where = []
        gaps = music_gaps(recorder.samples(), mark, recorder.frames, where=where)
        if where:
            say("silent stretches at (s):", " ".join(f"{t:.2f}" for t in where),
                "; new games at (s):", " ".join(f"{(t - mark) / RATE:.2f}" for t in games))
        return " ".join(server.version()), gaps, found


def summary(found):
    ms = [m for m, score in found if m is not None and score > 0.5]
    if not ms:
        return None, None, 0
    ordered = sorted(ms)
    p90 = ordered[min(len(ordered) - 1, int(round(0.9 * (len(ordered) - 1))))]
    return statistics.median(ms), p90, len(ms)


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--build", required=True)
    parser.add_argument("--clicks", type=int, default=12)
    mode = parser.add_mutually_exclusive_group()
    mode.add_argument("--check", action="store_true")
    mode.add_argument("--soak", type=float, metavar="MINUTES",
                      help="only the music's gaps over a long session with rustles")
    mode.add_argument("--json", action="store_true", help="the three cases, for bench.py")
    parser.add_argument("--server", choices=("pipewire", "pulseaudio"))
    args = parser.parse_args()
    # Xlib is used from more than one thread (the pointers of cases that run
    # side by side), each with a display of its own.
    ctypes.CDLL("libX11.so.6").XInitThreads()
    kind = args.server or next(iter(server_kinds()), None)
    if kind is None:
        print("SKIPPED: no sound server (PulseAudio or PipeWire) on this machine")
        sys.exit(77)
    if args.soak:
        server, gaps, found = soak(args.build, kind, args.soak)
        whole = sum(1 for m, score in found if m is not None and score > 0.5)
        print(f"{server}, {args.soak:g} min: {gaps} silent 10 ms stretches in the music; "
              f"{whole} of {len(found)} rustles heard whole (match > 0.5), "
              f"lowest match {min(score for _, score in found):.2f}")
        sys.exit(1 if gaps or whole < len(found) else 0)
    if args.check:
        # The test runs alone, but right after the rest of the suite: what
        # is still ending is load the check must not measure.
        wait_for_idle(10)
    try:
        results, gaps = measure(args.build, kind, args.clicks, args.check)
        back = comes_back(args.build, kind) if args.check else {}
    except RuntimeError as error:
        print(f"SKIPPED: {error}")
        sys.exit(77)
    server = results.pop("server")
    if args.json:
        idle, cases = results.pop("idle cpu"), []
        for case, found in results.items():
            median, p90, heard = summary(found)
            cases.append({"case": case, "clicks": found, "median": median, "p90": p90,
                          "heard": heard})
        print(json.dumps({"server": server, "idle cpu": idle, "gaps": gaps, "cases": cases}))
        return
    if "idle cpu" in results:
        print(f"{server}: CPU over {IDLE_S:.0f} s idle, music on: {results.pop('idle cpu'):.2f} s")
    failed = False
    for case, found in results.items():
        median, p90, heard = summary(found)
        detail = " ".join(f"{m:.1f}" if m is not None else "-" for m, _ in found)
        if median is None:
            print(f"{server}, {case}: no rustle heard at any click")
            failed = True
            continue
        print(f"{server}, {case}: median {median:.1f} ms, p90 {p90:.1f} ms, "
              f"{heard} of {len(found)} heard ({detail})")
        failed |= heard < len(found)
    print(f"music: {gaps} silent 10 ms stretches while it played")
    failed |= bool(gaps)
    for case, (music, rustle) in back.items():
        print(f"{server}, server {case}: music back after "
              + (f"{music:.2f} s" if music is not None else "more than 2 s (FAIL)")
              + ", the next click " + (f"rustled {rustle:.1f} ms later" if rustle is not None
                                       else "not heard (FAIL)"))
        failed |= music is None or rustle is None
    if args.check:
        sys.exit(1 if failed else 0)


if __name__ == "__main__":
    main()
