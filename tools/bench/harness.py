"""What the benchmarks (bench.py, rustle_onset.py) drive the real program
with: a private X server with no window manager, the game started on it in an
environment of our own and its table found, a private runtime folder that is
gone when the measuring process ends, and the machine's load and sound
servers as the measurements need to know them."""

import atexit
import os
import re
import select
import shutil
import signal
import subprocess
import sys
import tempfile
import time
from contextlib import ExitStack, contextmanager

TITLE = "^Brennolt - Vimbo$"
CLK_TCK = os.sysconf("SC_CLK_TCK")
OPENING_PICTURE_S = 3.6  # a little more than three seconds, then the deal
IDLE_S = 10.0
LOAD_LIMIT = 1.0
STOCK = (360, 280)  # the stock's middle, in the table's pixels
_runtime_dir = None


def say(*words):
    print(*words, file=sys.stderr, flush=True)


def runtime_dir():
    """The programs' XDG_RUNTIME_DIR (Qt wants one, private): made when first
    wanted, not on import, and gone when this process ends."""
    global _runtime_dir
    if _runtime_dir is None:
        _runtime_dir = tempfile.mkdtemp(prefix="vimbo-bench-")
        atexit.register(shutil.rmtree, _runtime_dir, True)
    return _runtime_dir


def run(cmd, env, timeout=60):
    done = subprocess.run(cmd, env=env, capture_output=True, text=True, timeout=timeout)
    if done.returncode != 0:
        raise SystemExit(f"{' '.join(cmd)} failed: {done.stderr.strip()}")
    return done.stdout


# ---- the machine ------------------------------------------------------------


def load1():
    with open("/proc/loadavg") as f:
        return float(f.read().split()[0])


def wait_for_quiet(deadline):
    """Waits until the 1-minute load is at most LOAD_LIMIT, or the deadline
    (time.monotonic()) has passed; returns the load it starts with."""
    load = load1()
    while load > LOAD_LIMIT and time.monotonic() < deadline:
        say(f"  load {load:.2f} > {LOAD_LIMIT}: waiting for the machine to quieten")
        time.sleep(20)
        load = load1()
    return load


def busy_share(span=0.5):
    """How much of the machine's processor time over `span` seconds was not
    idle (waiting on the disk counts as busy)."""
    def ticks():
        with open("/proc/stat") as f:
            fields = [int(v) for v in f.readline().split()[1:]]
        return sum(fields), fields[3]
    total, idle = ticks()
    time.sleep(span)
    total2, idle2 = ticks()
    return 1 - (idle2 - idle) / max(total2 - total, 1)


def wait_for_idle(seconds, limit=0.2):
    """Waits, at most `seconds`, until the machine is nearly idle for half a
    second: what ran before (a test suite's last programs ending, their
    files written out) is over."""
    deadline = time.monotonic() + seconds
    while busy_share() > limit and time.monotonic() < deadline:
        pass


def server_kinds():
    """The sound servers this machine can start privately, the desktop's likely
    one first: 'pipewire' where it has PipeWire's PulseAudio service,
    'pulseaudio' where it has PulseAudio (a machine may have both programs,
    one of them idle)."""
    kinds = []
    if shutil.which("pipewire") and shutil.which("pipewire-pulse") and shutil.which("wireplumber"):
        kinds.append("pipewire")
    if shutil.which("pulseaudio"):
        kinds.append("pulseaudio")
    return kinds


# ---- a private X server and the program on it -------------------------------


class Xvfb:
    """A private X server. -noreset: a server that resets when its last client
    leaves drops the clients that connect meanwhile (xdotool, the game)."""

    def __enter__(self):
        read_end, write_end = os.pipe()
        self.proc = subprocess.Popen(
            ["Xvfb", "-displayfd", str(write_end), "-screen", "0", "1024x768x24",
             "-nolisten", "tcp", "-noreset"],
            pass_fds=[write_end], stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        os.close(write_end)
        number = b""
        deadline = time.monotonic() + 10
        while not number.endswith(b"\n") and time.monotonic() < deadline:
            ready, _, _ = select.select([read_end], [], [], 0.1)
            if ready:
                chunk = os.read(read_end, 16)
                if not chunk:
                    break
                number += chunk
        os.close(read_end)
        if not number.strip():
            self.proc.kill()
            raise SystemExit("Xvfb did not start")
        self.display = ":" + number.decode().strip()
        return self

    def __exit__(self, *_):
        self.proc.terminate()
        self.proc.wait()


def program_env(display, settings, unset=()):
    """A program's environment on `display`: the user's, but that Qt chooses
    its platform itself (xcb, the only one there) and the runtime folder is
    our private one, with `settings` over it (they may name a runtime folder
    of their own). `unset`: beginnings of the user's variables that must not
    reach the program."""
    env = {k: v for k, v in os.environ.items()
           if k != "QT_QPA_PLATFORM" and not k.startswith(tuple(unset))}
    if "XDG_RUNTIME_DIR" not in settings:
        env["XDG_RUNTIME_DIR"] = runtime_dir()
    env.update(settings, DISPLAY=display)
    return env


@contextmanager
def disk_sound():
    """SDL's disk driver: the game's mixed sound written to a file of ours at a
    sound card's pace. Gives the variables that say so; the file is removed
    afterwards."""
    fd, path = tempfile.mkstemp(prefix="vimbo-bench-", suffix=".raw")
    os.close(fd)
    try:
        yield {"SDL_AUDIODRIVER": "disk", "SDL_DISKAUDIOFILE": path}
    finally:
        os.unlink(path)


class Game:
    """The real program, started by us, its opening picture waited out and
    its table found on the screen; ended when the `with` ends. `tools` holds
    bench_drag, which finds the table. The sound goes to a file (disk_sound)
    unless `sound` gives the variables of another output; `unset` as for
    program_env."""

    def __init__(self, vimbo, tools, display, sound=None, unset=()):
        self.tools = tools
        self.audio = None
        self._after = ExitStack()
        try:
            if sound is None:
                sound = self._after.enter_context(disk_sound())
                self.audio = sound["SDL_DISKAUDIOFILE"]
            self.env = program_env(display, sound, unset)
            self.proc = subprocess.Popen([vimbo], env=self.env, stdout=subprocess.DEVNULL,
                                         stderr=subprocess.DEVNULL)
            self._after.callback(self._stop)
            run(["xdotool", "search", "--sync", "--onlyvisible", "--name", TITLE], self.env, 20)
            time.sleep(OPENING_PICTURE_S)
            wid, x, y = run([f"{tools}/bench_drag", "origin"], self.env).split()
            self.wid, self.x, self.y = wid, int(x), int(y)
        except BaseException:
            self.end()
            raise

    def __enter__(self):
        return self

    def __exit__(self, *_):
        self.end()

    def end(self):
        self._after.close()

    def _stop(self):
        if self.proc.poll() is None:
            self.proc.send_signal(signal.SIGTERM)
            try:
                self.proc.wait(5)
            except subprocess.TimeoutExpired:
                self.proc.kill()
                self.proc.wait()

    def xdotool(self, *args):
        run(["xdotool", *map(str, args)], self.env)

    def on_screen(self, x, y):
        """A point of the table in the screen's pixels."""
        return self.x + x, self.y + y

    def at(self, x, y):
        return ["mousemove", *self.on_screen(x, y)]

    def menu(self, letter, *keys, settle):
        """A menu command from the keyboard, the window focused: Alt+letter
        opens the menu, `keys` choose the item; `settle` seconds after."""
        self.xdotool("windowfocus", "--sync", self.wid, "key", f"alt+{letter}", "sleep", "0.3",
                     "key", *keys, "sleep", settle)

    def status(self, field):
        with open(f"/proc/{self.proc.pid}/status") as f:
            return int(re.search(field + r":\s+(\d+)", f.read()).group(1))

    def cpu_seconds(self):
        with open(f"/proc/{self.proc.pid}/stat") as f:
            fields = f.read().rsplit(")", 1)[1].split()
        return (int(fields[11]) + int(fields[12])) / CLK_TCK  # utime, stime

    def audio_bytes(self):
        return os.path.getsize(self.audio)
