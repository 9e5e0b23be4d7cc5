"""MIDI files: writing a Song as a format-1 file, and the checker that reads
one back before we call it done."""

import math
import struct

from .score import PPQ


def vlq(n):
    out = [n & 0x7F]
    n >>= 7
    while n:
        out.insert(0, 0x80 | (n & 0x7F))
        n >>= 7
    return bytes(out)


def encode(song, tempo_us, time_sig, programs, name):
    """A format-1 file: a conductor track, then one track per channel.

    Program changes, volume and pan sit at tick 0; note-offs are written as
    note-on with velocity 0 under running status; every track puts its
    end-of-track at the tick where the last note of the piece stops.
    """
    end = max(s + n for _, s, n, _, _ in song.notes)
    num, den = time_sig
    conductor = [(0, 0, b"\xff\x03" + vlq(len(name)) + name.encode()),
                 (0, 0, bytes([0xFF, 0x51, 3]) + tempo_us.to_bytes(3, "big")),
                 (0, 0, bytes([0xFF, 0x58, 4, num, int(math.log2(den)), 24, 8]))]
    tracks = [conductor]
    for ch, (program, volume, pan) in sorted(programs.items()):
        ev = [(0, 0, bytes([0xB0 | ch, 7, volume])), (0, 0, bytes([0xB0 | ch, 10, pan])),
              (0, 0, bytes([0xB0 | ch, 91, 40]))]
        if ch != 9:
            ev.append((0, 0, bytes([0xC0 | ch, program])))
        for c, s, n, p, v in song.notes:
            if c == ch:
                ev.append((s, 2, bytes([0x90 | ch, p, v])))
                ev.append((s + n, 1, bytes([0x90 | ch, p, 0])))  # offs first at a tick
        tracks.append(ev)
    data = b"MThd" + struct.pack(">IHHH", 6, 1, len(tracks), PPQ)
    for ev in tracks:
        ev.sort(key=lambda e: (e[0], e[1]))
        body, now, status = bytearray(), 0, None
        for t, _, msg in ev:
            body += vlq(t - now)
            now = t
            if msg[0] < 0xF0 and msg[0] == status:
                body += msg[1:]
            else:
                body += msg
                status = msg[0] if msg[0] < 0xF0 else None
        body += vlq(end - now) + b"\xff\x2f\x00"
        data += b"MTrk" + struct.pack(">I", len(body)) + body
    return data


def loop_tempo(bpm, quarters, rate=44100, block=4096):
    """The tempo (microseconds a quarter) nearest `bpm` at which a piece of
    `quarters` ends a few frames before the end of one of the output's blocks.
    The game starts a piece over on the block after the one where it ended,
    so ending there leaves no gap between the rounds; a smaller block that
    divides this one (2048, 1024...) finds the same few frames."""
    base = 60_000_000 // bpm
    for d in range(4000):
        for t in (base + d, base - d):
            if block - 24 <= round(quarters * t * rate / 1e6) % block < block:
                return t
    raise AssertionError("no tempo near %d a minute ends on a block" % bpm)


# ------------------------------------------------------------ the checker

def read_vlq(d, i):
    n = 0
    while True:
        n = (n << 7) | (d[i] & 0x7F)
        i += 1
        if not d[i - 1] & 0x80:
            return n, i


def read_track(data, j, stop):
    """The events of one track chunk as (tick, status, a, b); metas as (tick, 0xFF, type, body).
    Running status is resolved; the chunk must end exactly with end-of-track."""
    t, status, events = 0, None, []
    while j < stop:
        assert not events or events[-1][1:3] != (0xFF, 0x2F), "events after end-of-track"
        dt, j = read_vlq(data, j)
        t += dt
        if data[j] == 0xFF:
            n, body = read_vlq(data, j + 2)
            events.append((t, 0xFF, data[j + 1], data[body:body + n]))
            j = body + n
            continue
        assert data[j] not in (0xF0, 0xF7), "no sysex expected"
        if data[j] & 0x80:
            status, j = data[j], j + 1
        assert status is not None, "running status with no status"
        size = 1 if status & 0xF0 in (0xC0, 0xD0) else 2
        a, b = data[j], data[j + size - 1]
        assert a < 0x80 and b < 0x80, "data byte out of range"
        events.append((t, status, a, b))
        j += size
    assert j == stop and events and events[-1][1:] == (0xFF, 0x2F, b""), "track end wrong"
    return events


def check_midi(data):
    """Reads a MIDI file back and returns its length in seconds; raises on anything
    a looping sequencer could trip on: bad chunks, a missing tempo or program
    change at the start, a note never released, silence at either end."""
    assert data[:4] == b"MThd", "no header"
    hlen, fmt, ntracks, ppq = struct.unpack(">IHHH", data[4:14])
    assert (hlen, fmt) == (6, 1) and ppq & 0x8000 == 0, "not a format-1 file with ticks"
    i, events = 14, []
    for _ in range(ntracks):
        assert data[i:i + 4] == b"MTrk", "track chunk expected at %d" % i
        stop = i + 8 + struct.unpack(">I", data[i + 4:i + 8])[0]
        assert stop <= len(data), "track runs past the file"
        events += read_track(data, i + 8, stop)
        i = stop
    assert i == len(data), "bytes after the last track"
    tempos = [(t, int.from_bytes(b, "big")) for t, s, k, b in events if s == 0xFF and k == 0x51]
    assert len(tempos) == 1 and tempos[0][0] == 0, "one tempo, at the start"
    programs = {s & 0x0F: t for t, s, _, _ in events if s & 0xF0 == 0xC0}
    sounding, ons, offs = {}, [], []
    for t, s, k, v in events:  # in file order: a track's note-off precedes a new note-on
        if s & 0xF0 in (0x80, 0x90):
            on = s & 0xF0 == 0x90 and v > 0
            (ons if on else offs).append(t)
            sounding[s & 0x0F, k] = sounding.get((s & 0x0F, k), 0) + (1 if on else -1)
            assert sounding[s & 0x0F, k] >= 0, "note-off without note-on"
            assert not on or programs.get(s & 0x0F) == 0 or s & 0x0F == 9, "no program at start"
    assert not any(sounding.values()), "a note is never released"
    last_off = max(offs)
    assert min(ons) == 0, "silence before the music"
    assert max(e[0] for e in events) == last_off, "silence after the music"
    return last_off / ppq * tempos[0][1] / 1e6
