#!/usr/bin/env python3
"""Vimbo's speed and memory, measured on the real program under a private
Xvfb with no window manager, and printed as one table against our targets.
The table also goes into BENCHMARKS.md, between its "bench:begin" and
"bench:end" marks, with the machine it ran on.

Usage: bench.py --build BUILD-DIR [--out BENCHMARKS.md] [--runs 10] [--before OLD-BUILD-DIR]
The build dir must hold window/vimbo and tools/bench/bench_{map,drag,new_game}.
--before names the build of an earlier version (its window/vimbo): its
start-up, music sessions, drags and rustle onset are measured in the same
run (the sessions alternating with ours), and a second table sets the two
side by side.
"""

import argparse
import datetime
import json
import math
import os
import platform
import random
import re
import statistics
import subprocess
import sys
import time

from harness import (IDLE_S, STOCK, Game, Xvfb, disk_sound, load1, program_env, run,
                     runtime_dir, say, server_kinds, wait_for_quiet)

PLAY_S = 10.0
RUSTLE_ONSET = os.path.join(os.path.dirname(os.path.abspath(__file__)), "rustle_onset.py")


# ---- the machine ------------------------------------------------------------


def machine():
    cpu = "unknown"
    with open("/proc/cpuinfo") as f:
        for line in f:
            if line.startswith("model name"):
                cpu = line.split(":", 1)[1].strip()
                break
    with open("/proc/meminfo") as f:
        mem_kib = int(re.search(r"MemTotal:\s+(\d+)", f.read()).group(1))
    qt = subprocess.run(
        ["dpkg-query", "-W", "-f=${Version}", "libqt6core6"], capture_output=True, text=True
    ).stdout.strip()
    return {
        "CPU": cpu,
        "cores": str(os.cpu_count()),
        "memory": f"{mem_kib / 1024 / 1024:.1f} GiB",
        "kernel": f"{platform.system()} {platform.release()}",
        "Qt": qt or "unknown",
        "date": datetime.datetime.now().astimezone().strftime("%Y-%m-%d %H:%M %Z"),
    }


# ---- what a player does ---------------------------------------------------

WASTE = (292, 281)
PLUS = [(2, 1), (1, 2), (2, 2), (3, 2), (2, 3)]
CELLS = [(c, r) for c in (1, 2, 3) for r in (1, 2, 3)]


def cell_middle(column, row):
    return (80 * column - 60 + 32, 110 * row - 100 + 51)


def play(game, seconds, rng):
    """Stock turns, and drags from the waste pile and the plus to cells (and
    off the grid), as a player does, for the given time."""
    end = time.monotonic() + seconds
    while time.monotonic() < end:
        game.xdotool(*game.at(*STOCK), "click", "1", "sleep", "0.15")
        source = WASTE if rng.random() < 0.6 else cell_middle(*rng.choice(PLUS))
        target = cell_middle(*rng.choice(CELLS)) if rng.random() < 0.8 else (380, 60)
        steps = []
        for i in range(1, 7):
            x = source[0] + (target[0] - source[0]) * i // 6
            y = source[1] + (target[1] - source[1]) * i // 6
            steps += [*game.at(x, y), "sleep", "0.02"]
        game.xdotool(*game.at(*source), "mousedown", "1", *steps, "mouseup", "1", "sleep", "0.2")


def sound_off(game):
    """Both options unchecked from the keyboard: Alt+O, Return toggles "Card
    rustle"; Alt+O, Down, Return toggles "Music"."""
    for keys in (["Return"], ["Down", "Return"]):
        game.menu("o", *keys, settle=0.3)


# ---- the measurements -----------------------------------------------------


AISLERIOT = "/usr/games/sol"


def aisleriot_env(display):
    """AisleRiot as a first start would see it (its Klondike, its own home), and
    with no session bus to autolaunch: nothing of it outlives its run, and it
    starts as fast as it can."""
    return program_env(display, {"HOME": runtime_dir(), "DBUS_SESSION_BUS_ADDRESS": "disabled:",
                                 "GSETTINGS_BACKEND": "memory"})


def measure_map(tools, vimbo, display, runs, beside_aisleriot=False):
    """Window mapped and opening picture of ours; with beside_aisleriot, the
    map of AisleRiot's window too, the two programs started in turn."""
    maps, pictures, theirs = [], [], []
    for i in range(runs + 1):  # the first warms the disk cache, not counted
        with disk_sound() as sound:
            out = run([f"{tools}/bench_map", vimbo], program_env(display, sound))
        found = dict(item.split("=") for item in out.split())
        if i > 0:
            maps.append(float(found["map_ms"]) / 1000)
            pictures.append(float(found["picture_ms"]) / 1000)
        time.sleep(0.3)
        if beside_aisleriot:
            out = run([f"{tools}/bench_map", "--title", "", AISLERIOT],
                      aisleriot_env(display))
            if i > 0:
                theirs.append(float(dict(item.split("=") for item in out.split())["map_ms"]) / 1000)
            time.sleep(0.3)
    return (maps, pictures, theirs) if beside_aisleriot else (maps, pictures)


def aisleriot_version():
    done = subprocess.run(["dpkg-query", "-W", "-f=${Version}", "aisleriot"],
                          capture_output=True, text=True)
    return "AisleRiot " + done.stdout.split("-")[0].split(":")[-1] if done.returncode == 0 else "AisleRiot"


def measure_session(tools, vimbo, display, rng):
    """One run: 10 s of play with the music on (peak memory), then 10 s idle
    with the music on, then sound off and 10 s idle (CPU seconds)."""
    with Game(vimbo, tools, display) as game:
        play(game, PLAY_S, rng)
        peak_mib = game.status("VmHWM") / 1024
        time.sleep(1.0)  # the last drag's rustle fades

        before = game.cpu_seconds()
        time.sleep(IDLE_S)
        music_on = game.cpu_seconds() - before

        sound_off(game)
        time.sleep(3.0)  # the output closes two seconds after the last sound
        before, heard = game.cpu_seconds(), game.audio_bytes()
        time.sleep(IDLE_S)
        sound_off_cpu = game.cpu_seconds() - before
        # Quiet means quiet: nothing written meanwhile, nor for a stock turn.
        game.xdotool(*game.at(*STOCK), "click", "1", "sleep", "0.6")
        silent = game.audio_bytes() == heard
        return peak_mib, music_on, sound_off_cpu, silent


def measure_drag(tools, vimbo, display, sessions, moves):
    latencies = []
    for _ in range(sessions):
        with Game(vimbo, tools, display) as game:
            out = run([f"{tools}/bench_drag", "drag", str(moves + 5)], game.env, 120)
        latencies += [float(v) / 1000 for v in out.split()][5:]  # five to warm up
    return latencies


def measure_new_game(tools, display, games):
    with disk_sound() as sound:
        out = run([f"{tools}/bench_new_game", str(games)], program_env(display, sound), 300)
    return [float(v) / 1000 for v in out.split()]


# ---- the table ------------------------------------------------------------


def rustle_onset(build, kind):
    """The rustle's onset through a private sound server of the given kind,
    as tools/bench/rustle_onset.py measures it (a measuring tool of its own,
    run as the others are: numpy is its alone). Its report: the server, the
    idle CPU through it, the music's gaps, and each case's clicks with their
    median and 90th percentile. RuntimeError: the server could not start
    here; ChildProcessError: the script could not run at all."""
    done = subprocess.run([sys.executable, RUSTLE_ONSET, "--build", build, "--server", kind,
                           "--json"], capture_output=True, text=True)
    if done.returncode == 77:
        raise RuntimeError(done.stdout.strip().removeprefix("SKIPPED: "))
    if done.returncode != 0:
        said = done.stderr.strip().splitlines()
        raise ChildProcessError(said[-1] if said else f"exit status {done.returncode}")
    return json.loads(done.stdout.splitlines()[-1])


def measure_rustle_onset(build):
    """The rustle's onset through a private sound server of each kind the
    machine has: rows for each case, the notes, and nothing where no server
    can start here."""
    kinds = server_kinds()
    if not kinds:
        return [], ["rustle onset: no sound server (PulseAudio or PipeWire) on this machine."]
    rows, notes = [], []
    for kind in kinds:
        try:
            report = rustle_onset(build, kind)
        except ChildProcessError as error:  # numpy: Debian's python3-numpy
            notes.append(f"rustle onset: not measured ({error}).")
            break
        except RuntimeError as error:
            notes.append(f"rustle onset through {kind}: not measured ({error}).")
            continue
        server = report["server"]
        for case in report["cases"]:
            name, median, heard = case["case"], case["median"], case["heard"]
            if median is None:
                notes.append(f"rustle onset, {name} ({server}): no rustle heard.")
                continue
            rows.append(Row(f"rustle onset, {name}, median of {heard} stock clicks ({server})",
                            median / 1000, " ms", 0.015, ms))
            rows.append(Row(f"rustle onset, {name}, 90th percentile ({server})",
                            case["p90"] / 1000, " ms", 0.020, ms))
            shown = " ".join(f"{m:.1f}" if m is not None else "-" for m, _ in case["clicks"])
            notes.append(f"rustle onset, {name} ({server}), each click in ms: {shown}.")
        notes.append(f"through {server}: CPU over 10 s idle with the music on "
                     f"{report['idle cpu']:.2f} s; the music had {report['gaps']} silent 10 ms "
                     "stretches during the clicks.")
    return rows, notes


def p90(values):
    ordered = sorted(values)
    return ordered[max(0, math.ceil(0.9 * len(ordered)) - 1)]


class Row:
    def __init__(self, figure, value, unit, limit, shown):
        self.figure, self.value, self.limit = figure, value, limit
        self.measured = shown(value) + unit
        if limit is None:  # a figure to compare with, not one of our targets
            self.target, self.verdict = "", ""
            return
        self.target = ("= " if limit == 0 else "< ") + shown(limit) + unit
        met = float(shown(value)) == 0 if limit == 0 else value < limit
        self.verdict = "MET" if met else "MISSED"


def seconds(v):
    return f"{v:.3f}"


def cpu(v):
    return f"{v:.2f}"


def ms(v):
    return f"{v * 1000:.2f}"


def mib(v):
    return f"{v:.1f}"


def table(rows):
    head = ["figure", "Vimbo", "target", "verdict"]
    lines = [head, ["---"] * 4] + [[r.figure, r.measured, r.target, r.verdict] for r in rows]
    return "\n".join("| " + " | ".join(line) + " |" for line in lines)


# ---- against an earlier build ----------------------------------------------


def sessions_side_by_side(tools, vimbo, before, display, runs, part):
    """The music sessions of both builds, one of each in turn, so that both
    meet the same load; returns {"this build"|"before": (peaks, cpu music on)}."""
    found = {"this build": ([], []), "before": ([], [])}
    for i in range(runs):
        for name, program in (("before", before), ("this build", vimbo)):
            part(f"side by side {i + 1}, {name}")
            peak, on, _, _ = measure_session(tools, program, display, random.Random(2024 + i))
            say(f"  {name}: peak {peak:.1f} MiB, idle CPU {on:.2f} s music on")
            found[name][0].append(peak)
            found[name][1].append(on)
    return found


def side_by_side_table(found, ours, theirs):
    """`found` from sessions_side_by_side; `ours` and `theirs` the other
    figures of each build: {"map": [s], "drag": [s], "onset": [ms]}."""
    median = statistics.median
    (peaks, cpus), (old_peaks, old_cpus) = found["this build"], found["before"]

    def spread(values, shown, unit):
        return f"{shown(median(values))}{unit} ({shown(min(values))}-{shown(max(values))})"

    def row(figure, key, shown, unit, target):
        if not ours.get(key) or not theirs.get(key):
            return []
        return [f"| {figure} | {spread(theirs[key], shown, unit)} | "
                f"{spread(ours[key], shown, unit)} | {target} |"]

    n = len(peaks)
    lines = ["| figure (median; the sessions of the two builds alternating, %d each) | before |"
             " this build | target |" % n,
             "| --- | --- | --- | --- |"]
    lines += row("window mapped, from process start", "map", seconds, " s", "< 0.150 s")
    lines += [f"| peak resident memory (VmHWM), 10 s of play, music on | "
              f"{spread(old_peaks, mib, ' MiB')} | {spread(peaks, mib, ' MiB')} | < 45.0 MiB |",
              f"| CPU over 10 s idle, music on | {spread(old_cpus, cpu, ' s')} | "
              f"{spread(cpus, cpu, ' s')} | < 0.07 s |"]
    lines += row("drag latency", "drag", ms, " ms", "< 1.00 ms")
    lines += row("rustle onset, music on", "onset", lambda v: f"{v:.1f}", " ms", "< 15.0 ms")
    return "\n".join(lines)


def other_figures(tools, vimbo, build, display, runs, part, name):
    """Start-up, drags and the rustle's onset of one build, for the side by side."""
    part(f"side by side, {name}: map")
    maps, _ = measure_map(tools, vimbo, display, runs)
    part(f"side by side, {name}: drag")
    drags = measure_drag(tools, vimbo, display, 1, 50)
    onsets = []
    kinds = server_kinds()
    if kinds:
        part(f"side by side, {name}: rustle onset")
        try:
            report = rustle_onset(build, kinds[0])
            music_on = next(c["clicks"] for c in report["cases"] if c["case"] == "music on")
            onsets = [m for m, score in music_on if m is not None and score > 0.5]
        except (ChildProcessError, RuntimeError) as error:
            say(f"  rustle onset of {name}: not measured ({error})")
    return {"map": maps, "drag": drags, "onset": onsets}


def write_markdown(path, info, loads, rows, notes, extra=""):
    begin, end = "<!-- bench:begin -->", "<!-- bench:end -->"
    block = [begin, "", "## Latest run", "", "| machine | |", "|---|---|"]
    block += [f"| {k} | {v} |" for k, v in info.items()]
    block += [f"| 1-minute load before each part | {loads} |", "", table(rows), ""]
    block += [f"- {n}" for n in notes] + [""]
    if extra:
        block += ["### Against the build before", "", extra, ""]
    block += [end]
    text = "\n".join(block)
    old = open(path).read() if os.path.exists(path) else "# Vimbo benchmarks\n\n"
    if begin in old and end in old:
        text = old[: old.index(begin)] + text + old[old.index(end) + len(end):]
    else:
        text = old.rstrip("\n") + "\n\n" + text + "\n"
    with open(path, "w") as f:
        f.write(text)


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--build", required=True)
    parser.add_argument("--out", default="BENCHMARKS.md")
    parser.add_argument("--runs", type=int, default=int(os.environ.get("BENCH_RUNS", 10)))
    parser.add_argument("--before", help="the build dir of an earlier version, measured alongside")
    parser.add_argument("--max-wait", type=float,
                        default=float(os.environ.get("BENCH_MAX_WAIT", 900)),
                        help="seconds, in all, to wait for a quiet machine between parts")
    args = parser.parse_args()
    vimbo = os.path.abspath(f"{args.build}/window/vimbo")
    tools = os.path.abspath(f"{args.build}/tools/bench")
    rng = random.Random(2024)
    info = machine()
    loads = []
    deadline = time.monotonic() + args.max_wait

    def part(name):
        load = wait_for_quiet(deadline)
        group = next((g for g in ("session", "side by side") if name.startswith(g)), name)
        loads.append((group, load))
        say(f"{name} (load {load:.2f})")

    with Xvfb() as x:
        part("map")
        aisleriot = os.access(AISLERIOT, os.X_OK)
        if aisleriot:
            maps, pictures, aisleriot_maps = measure_map(tools, vimbo, x.display, args.runs, True)
        else:
            say(f"  {AISLERIOT} is not installed: start-up measured without AisleRiot's beside it")
            maps, pictures = measure_map(tools, vimbo, x.display, args.runs)
        peaks, music_on, quiet, silent = [], [], [], []
        for i in range(args.runs):
            part(f"session {i + 1}")
            peak, on, off, was_silent = measure_session(tools, vimbo, x.display, rng)
            say(f"  peak {peak:.1f} MiB, idle CPU {on:.2f} s music on, {off:.2f} s sound off")
            peaks.append(peak)
            music_on.append(on)
            quiet.append(off)
            silent.append(was_silent)
        side_by_side = ""
        if args.before:
            before = os.path.abspath(f"{args.before}/window/vimbo")
            found = sessions_side_by_side(tools, vimbo, before, x.display, args.runs, part)
            earlier = other_figures(tools, before, args.before, x.display, args.runs, part,
                                    "before")
            ours = other_figures(tools, vimbo, args.build, x.display, args.runs, part,
                                 "this build")
            side_by_side = side_by_side_table(found, ours, earlier)
        part("drag")
        latencies = measure_drag(tools, vimbo, x.display, 3, 50)
        part("new game")
        new_games = measure_new_game(tools, x.display, 100)
    part("rustle onset")
    onset_rows, onset_notes = measure_rustle_onset(args.build)
    loads.append(("end", load1()))
    load_text = []
    for name in dict.fromkeys(n for n, _ in loads):
        seen = [v for n, v in loads if n == name]
        shown = f"{seen[0]:.2f}" if len(seen) == 1 else f"{min(seen):.2f}-{max(seen):.2f}"
        load_text.append(f"{name} {shown}")

    n = args.runs
    median = statistics.median
    rows = [
        Row(f"window mapped, from process start (median of {n})", median(maps), " s", 0.1,
            seconds),
        Row(f"opening picture on screen, from process start (median of {n})",
            median(pictures), " s", 0.15, seconds),
        Row(f"peak resident memory (VmHWM), 10 s of play, music on (median of {n})",
            median(peaks), " MiB", 45, mib),
        Row(f"CPU over 10 s idle, music on (median of {n})", median(music_on), " s", 0.07, cpu),
        Row(f"CPU over 10 s idle, sound off (median of {n})", median(quiet), " s", 0, cpu),
        Row(f"drag latency, median of {len(latencies)} moves", median(latencies), " ms", 0.001,
            ms),
        Row(f"drag latency, 90th percentile of {len(latencies)} moves", p90(latencies), " ms",
            0.0015, ms),
        Row(f"new game, menu command to the dealt table painted (median of {len(new_games)})",
            median(new_games), " ms", 0.002, ms),
    ] + onset_rows
    if aisleriot:
        name = aisleriot_version()
        rows[1:1] = [
            Row(f"{name}'s window mapped, the two started in turn (median of {n})",
                median(aisleriot_maps), " s", None, seconds),
            Row(f"window mapped, ours over {name}'s (of the medians)",
                median(maps) / median(aisleriot_maps), "", 0.4, lambda v: f"{v:.2f}"),
        ]
    notes = [
        "Xvfb 1024x768x24, no window manager; SDL_AUDIODRIVER=disk (the mixed sound written "
        "to a file at a sound card's pace); Release build. Ranges are lowest-highest.",
        f"window mapped: {min(maps):.3f}-{max(maps):.3f} s; opening picture: "
        f"{min(pictures):.3f}-{max(pictures):.3f} s.",
        f"peak memory: {min(peaks):.1f}-{max(peaks):.1f} MiB.",
        f"idle CPU, music on: {min(music_on):.2f}-{max(music_on):.2f} s; sound off "
        f"(both options unchecked from the keyboard, Alt+O): {min(quiet):.2f}-{max(quiet):.2f} s;"
        f" the sound output was found closed with sound off in {sum(silent)} of {len(silent)}"
        " runs.",
        f"drag latency: {min(latencies) * 1000:.2f}-{max(latencies) * 1000:.2f} ms "
        "(3 runs of 50 moves of 4 pixels).",
        f"new game: {min(new_games) * 1000:.2f}-{max(new_games) * 1000:.2f} ms; 90th percentile "
        f"{p90(new_games) * 1000:.2f} ms.",
    ] + onset_notes
    print()
    print(table(rows))
    print()
    for note in notes:
        print(note)
    if side_by_side:
        print()
        print(side_by_side)
    write_markdown(args.out, info, ", ".join(load_text), rows, notes, side_by_side)
    print(f"\n(written to {args.out})")


if __name__ == "__main__":
    main()
