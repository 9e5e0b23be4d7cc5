#!/usr/bin/env python3
"""Writes the fuzzers' starting corpus: small wave and MIDI files, most of them
well formed, a few broken the way a damaged copy of our sound files would be
(cut short, a size that lies, a header from another format). The game's own
carta.wav and pieces go in too, the wave cut down to a few hundred frames.
The soundfonts are small ones of our own making, with presets the game keeps
and one it drops.

Usage: make_seeds.py RESOURCES OUT  (OUT gets wave/, midi/ and soundfont/)
       make_seeds.py --limits OUT    (inputs at the readers' size limits)"""
import base64
import math
import os
import struct
import sys

# The game's own MIDI writer knows the variable-length numbers.
sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "..", "tools"))
from sounds.midi import vlq as varlen  # noqa: E402


# ---- waves -----------------------------------------------------------------

def chunk_le(tag, body):
    pad = b"\0" if len(body) % 2 else b""
    return tag + struct.pack("<I", len(body)) + body + pad


def riff(*chunks):
    body = b"WAVE" + b"".join(chunks)
    return b"RIFF" + struct.pack("<I", len(body)) + body


def fmt(encoding, channels, rate, bits, extra=b""):
    align = channels * bits // 8
    return chunk_le(b"fmt ", struct.pack("<HHIIHH", encoding, channels, rate,
                                         rate * align, align, bits) + extra)


def tone(frames, channels, bits, rate):
    out = bytearray()
    for i in range(frames):
        v = math.sin(2 * math.pi * 440 * i / rate) * 0.5
        for _ in range(channels):
            if bits == 8:
                out += struct.pack("<B", int(128 + v * 127))
            elif bits == 16:
                out += struct.pack("<h", int(v * 32767))
            elif bits == 24:
                out += int(v * 8388607).to_bytes(3, "little", signed=True)
            else:
                out += struct.pack("<i", int(v * 2147483647))
    return bytes(out)


def float_tone(frames, channels, rate):
    return b"".join(struct.pack("<f", math.sin(2 * math.pi * 440 * i / rate) * 0.5)
                    for i in range(frames) for _ in range(channels))


def waves(resources):
    w = {}
    w["pcm8_mono_8k.wav"] = riff(fmt(1, 1, 8000, 8), chunk_le(b"data", tone(64, 1, 8, 8000)))
    w["pcm16_stereo_44k.wav"] = riff(fmt(1, 2, 44100, 16),
                                     chunk_le(b"data", tone(100, 2, 16, 44100)))
    w["pcm24_mono_48k.wav"] = riff(fmt(1, 1, 48000, 24), chunk_le(b"data", tone(50, 1, 24, 48000)))
    w["pcm32_stereo_22k.wav"] = riff(fmt(1, 2, 22050, 32),
                                     chunk_le(b"data", tone(40, 2, 32, 22050)))
    w["float32_mono.wav"] = riff(fmt(3, 1, 44100, 32, struct.pack("<H", 0)),
                                 chunk_le(b"data", float_tone(60, 1, 44100)))
    # Extensible: cbSize 22, valid bits, channel mask, the PCM sub-format GUID.
    guid = bytes.fromhex("0100000000001000800000aa00389b71")
    w["extensible16.wav"] = riff(fmt(0xFFFE, 2, 44100, 16, struct.pack("<HHI", 22, 16, 3) + guid),
                                 chunk_le(b"data", tone(30, 2, 16, 44100)))
    # Chunks we skip before the format, one of odd size; data before fmt.
    w["list_odd_chunk.wav"] = riff(chunk_le(b"LIST", b"INFOx"), fmt(1, 1, 11025, 16),
                                   chunk_le(b"data", tone(33, 1, 16, 11025)))
    w["data_first.wav"] = riff(chunk_le(b"data", tone(20, 1, 16, 44100)), fmt(1, 1, 44100, 16))

    # Our own rustle, its samples cut down to the first 400 frames.
    carta = open(os.path.join(resources, "carta.wav"), "rb").read()
    data_at = carta.index(b"data")
    head = carta[12:data_at]
    w["carta_short.wav"] = riff(head, chunk_le(b"data", carta[data_at + 8:data_at + 8 + 800]))

    good = w["pcm16_stereo_44k.wav"]
    w["broken_cut_short.wav"] = good[: len(good) // 2]
    w["broken_data_size_lies.wav"] = good[:40] + struct.pack("<I", 0x7FFFFFF0) + good[44:]
    w["broken_no_format.wav"] = riff(chunk_le(b"data", tone(20, 1, 16, 44100)))
    w["broken_adpcm.wav"] = riff(fmt(2, 1, 8000, 4), chunk_le(b"data", bytes(64)))
    w["broken_zero_frames.wav"] = riff(fmt(1, 2, 44100, 16), chunk_le(b"data", b""))
    # Found by the fuzzer: a short data chunk read before a second format
    # chunk decodes to less than one output frame.
    w["broken_less_than_a_frame.wav"] = base64.b64decode(
        "UklGRnQAAABXQVZFTElTVAUAAABGAElOeE9mbXQgEAAAAAEAAQARKwIAIlYAAAIAEABkYXRh"
        "BQAAAElORk94AGZtdCAQAAAAAQABABErAAAiVgAtAgAQAAMAYGAAPw==")
    w["broken_align_lies.wav"] = good[:32] + struct.pack("<H", 3) + good[34:]
    return w


# ---- MIDI -------------------------------------------------------------------

def ev(delta, *data):
    return varlen(delta) + bytes(data)


def end(delta=0):
    return ev(delta, 0xFF, 0x2F, 0)


def tempo(delta, micros):
    return ev(delta, 0xFF, 0x51, 3, micros >> 16, (micros >> 8) & 0xFF, micros & 0xFF)


def chunk_be(tag, body):
    return tag + struct.pack(">I", len(body)) + body


def track(*events):
    return chunk_be(b"MTrk", b"".join(events))


def smf(division, *tracks, fmt_=1):
    return chunk_be(b"MThd", struct.pack(">HHH", fmt_, len(tracks), division)) + b"".join(tracks)


def midis(resources):
    m = {}
    notes = track(ev(0, 0xC0, 24), ev(0, 0x90, 60, 100), ev(96, 0x80, 60, 0),
                  ev(0, 0x90, 64, 90), ev(96, 64, 0), end(0))
    m["format0_two_notes.mid"] = smf(96, notes, fmt_=0)
    m["format1_tempo_map.mid"] = smf(
        480,
        track(tempo(0, 500000), tempo(960, 250000), tempo(960, 1000000), end(960)),
        track(ev(0, 0xB0, 7, 100), ev(0, 0xE0, 0, 64), ev(0, 0x90, 67, 80),
              ev(480, 0xA0, 67, 40), ev(0, 0xD0, 30), ev(480, 0x90, 67, 0), end(1440)),
        track(ev(0, 0x99, 36, 110), ev(240, 0x89, 36, 0), end(0)))
    # Read by FluidSynth's player only in ticks a quarter note: refused.
    m["broken_smpte_division.mid"] = smf((0x100 - 25) << 8 | 40, track(ev(0, 0x90, 60, 100),
                                                                ev(1000, 0x80, 60, 0), end(0)),
                                  fmt_=0)
    m["sysex_and_meta.mid"] = smf(
        96, track(ev(0, 0xF0, 5, 0x7E, 0x7F, 9, 1, 0xF7), ev(0, 0xFF, 0x03, 4, *b"Name"),
                  ev(0, 0x90, 60, 100), ev(48, 0xFF, 0x58, 4, 3, 2, 24, 8), ev(48, 0x90, 60, 0),
                  end(0)),
        fmt_=0)
    m["broken_escaped_sysex.mid"] = smf(96, track(ev(0, 0xF7, 1, 0xF7), end(0)), fmt_=0)
    # FluidSynth's player reads no chunk of another kind before the last
    # track, nor a longer header; after the last track, it reads nothing more.
    m["chunk_after_the_track.mid"] = smf(96, notes, fmt_=0) + chunk_be(b"XYZW", b"skip me")
    m["broken_chunk_before_the_track.mid"] = (chunk_be(b"MThd", struct.pack(">HHH", 0, 1, 96)) +
                                              chunk_be(b"XYZW", b"skip me") + notes)
    m["broken_long_header.mid"] = chunk_be(b"MThd", struct.pack(">HHHH", 0, 1, 96, 0)) + notes
    m["held_note_at_end.mid"] = smf(96, track(ev(0, 0x90, 60, 100), end(10)), fmt_=0)
    m["slow_tempo.mid"] = smf(1, track(tempo(0, 0xFFFFFF), ev(0, 0x90, 60, 100), end(3)), fmt_=0)

    for name in ("5carte.mid", "finale.mid"):
        m["ours_" + name] = open(os.path.join(resources, "Music", name), "rb").read()

    good = m["format1_tempo_map.mid"]
    m["broken_cut_short.mid"] = good[: len(good) - 7]
    m["broken_no_end_of_track.mid"] = smf(96, track(ev(0, 0x90, 60, 100), ev(96, 0x80, 60, 0)),
                                          fmt_=0)
    m["broken_running_status_first.mid"] = smf(96, track(ev(0, 60, 100), end(0)), fmt_=0)
    m["broken_track_count.mid"] = smf(96, notes, notes, fmt_=0)
    m["broken_zero_tempo.mid"] = smf(96, track(tempo(0, 0), end(0)), fmt_=0)
    m["broken_track_size_lies.mid"] = (chunk_be(b"MThd", struct.pack(">HHH", 0, 1, 96)) +
                                       b"MTrk" + struct.pack(">I", 0x7FFFFFFF) + notes[8:])
    return m


# ---- soundfonts ------------------------------------------------------------

def sf_name(text):
    return text.encode().ljust(20, b"\0")


def sf_info(name):
    # Every INFO string is of even length, with at least one zero at its end.
    text = name.encode() + b"\0"
    text += b"\0" * (len(text) % 2)
    return chunk_le(b"LIST", b"INFO" + chunk_le(b"ifil", struct.pack("<HH", 2, 1)) +
                    chunk_le(b"isng", b"EMU8000\0") + chunk_le(b"INAM", text))


def sf_samples():
    # A looped sine and a click, each followed by the 46 silent samples a
    # soundfont leaves after every sample.
    sine = [int(math.sin(2 * math.pi * i / 16) * 12000) for i in range(64)]
    click = [int(9000 * (-1) ** i * (30 - i) / 30) for i in range(30)]
    data = sine + [0] * 46 + click + [0] * 46
    return chunk_le(b"smpl", struct.pack("<%dh" % len(data), *data))


def sf_zones(zones):
    """Bags and their generators/modulators from [(generators, modulators)]."""
    bags, gens, mods = b"", b"", b""
    for generators, modulators in zones:
        bags += struct.pack("<HH", len(gens) // 4, len(mods) // 10)
        gens += b"".join(struct.pack("<HH", op, amount) for op, amount in generators)
        mods += b"".join(struct.pack("<HHhHH", *m) for m in modulators)
    bags += struct.pack("<HH", len(gens) // 4, len(mods) // 10)
    return bags, gens + bytes(4), mods + bytes(10)


def sf_headers(records, bag_counts, pack):
    out, bag = b"", 0
    for record, bags in zip(records, bag_counts):
        out += pack(record, bag)
        bag += bags
    return out


def soundfont(presets, instruments, samples=None, phdr=None, inst=None):
    """presets: [(name, program, bank, zones)], instruments: [(name, zones)];
    the headers may be given as they are instead."""
    pbag, pgen, pmod = sf_zones([z for _, _, _, zones in presets for z in zones])
    ibag, igen, imod = sf_zones([z for _, zones in instruments for z in zones])
    if phdr is None:
        phdr = sf_headers(presets + [("EOP", 0, 0, [])], [len(p[3]) for p in presets] + [0],
                          lambda p, bag: sf_preset(p[0], p[1], p[2], bag))
    if inst is None:
        inst = sf_headers(instruments + [("EOI", [])], [len(i[1]) for i in instruments] + [0],
                          lambda i, bag: struct.pack("<20sH", sf_name(i[0]), bag))
    if samples is None:
        samples = [("Sine", 0, 64, 8, 56, 69), ("Click", 110, 140, 0, 0, 60)]
    shdr = b"".join(struct.pack("<20sIIIIIBbHH", sf_name(n), start, end, loop0, loop1,
                                22050, pitch, 0, 0, 1)
                    for n, start, end, loop0, loop1, pitch in samples)
    shdr += struct.pack("<20sIIIIIBbHH", sf_name("EOS"), 0, 0, 0, 0, 0, 0, 0, 0, 0)
    pdta = b"pdta" + b"".join(chunk_le(tag, body) for tag, body in (
        (b"phdr", phdr), (b"pbag", pbag), (b"pmod", pmod), (b"pgen", pgen), (b"inst", inst),
        (b"ibag", ibag), (b"imod", imod), (b"igen", igen), (b"shdr", shdr)))
    body = (b"sfbk" + sf_info("Vimbo seed") +
            chunk_le(b"LIST", b"sdta" + sf_samples()) + chunk_le(b"LIST", pdta))
    return b"RIFF" + struct.pack("<I", len(body)) + body


def sf_preset(name, program, bank, bag):
    return struct.pack("<20sHHHIII", sf_name(name), program, bank, bag, 0, 0, 0)


# Generators: instrument, key range, sample, sample modes, attenuation, root key.
INSTRUMENT, KEYS, SAMPLE, MODES, ATTENUATION, ROOT = 41, 43, 53, 54, 48, 58
ALL_KEYS = 127 << 8
# A modulator: note-on velocity to attenuation, the one every font has.
VELOCITY = (0x0502, ATTENUATION, 960, 0, 0)

# Instruments: a piano no kept preset uses, a plucked sine, a click.
INSTRUMENTS = [("Piano", [([(SAMPLE, 0)], [])]),
               ("Plucked", [([(KEYS, ALL_KEYS), (MODES, 1), (SAMPLE, 0)], [VELOCITY])]),
               ("Click", [([(ROOT, 60), (SAMPLE, 1)], [])])]


def soundfonts():
    # Guitar (0, 24) and the drum kit (128, 0) are among the presets the game
    # keeps, the piano is not: the subset renumbers instruments 1 and 2.
    guitar = ("Nylon", 24, 0, [([(ATTENUATION, 20)], [VELOCITY]),
                               ([(KEYS, ALL_KEYS), (INSTRUMENT, 1)], [])])
    piano = ("Piano", 0, 0, [([(INSTRUMENT, 0)], [])])
    kit = ("Kit", 0, 128, [([(KEYS, 35 | 81 << 8), (INSTRUMENT, 1)], []),
                           ([(INSTRUMENT, 2)], [])])
    f = {"small.sf2": soundfont([guitar, piano, kit], INSTRUMENTS)}
    good = f["small.sf2"]
    f["broken_cut_short.sf2"] = good[: len(good) * 2 // 3]
    # No preset the game keeps, and an instrument chunk without a record.
    f["broken_no_kept_preset.sf2"] = soundfont([piano], INSTRUMENTS, inst=b"")
    # The guitar's zones end far past the last bag.
    bag_at = good.index(b"Piano\0") + 24
    f["broken_bag_past_end.sf2"] = good[:bag_at] + struct.pack("<H", 0x7FFF) + good[bag_at + 2:]
    # A sample that runs past the sample data.
    f["broken_sample_past_data.sf2"] = soundfont(
        [guitar, kit], INSTRUMENTS, samples=[("Sine", 0, 0x10000, 8, 56, 69),
                                             ("Click", 110, 140, 0, 0, 60)])
    pdta_at = good.index(b"pdta") - 4
    f["broken_pdta_size_lies.sf2"] = (good[:pdta_at] + struct.pack("<I", 0x7FFFFFF0) +
                                      good[pdta_at + 4:])
    # A guitar that plays many instruments, all sharing the same zones (each
    # closed by an instrument whose bag number ends them): more zones,
    # generators or modulators than a soundfont can number.
    for name, zones, count in (("zones", [([], [])] * 852, 77),
                               ("generators", [([(ATTENUATION, 0)] * 852, [])], 77),
                               ("modulators", [([], [VELOCITY] * 538)], 122)):
        guitar = ("Nylon", 24, 0, [([(INSTRUMENT, 2 * i) for i in range(count)], [])])
        shared = struct.pack("<20sH", sf_name("Shared"), 0)
        closer = struct.pack("<20sH", sf_name("Closer"), len(zones))
        f["broken_shared_%s.sf2" % name] = soundfont(
            [guitar], [("Shared", zones)],
            inst=(shared + closer) * count + struct.pack("<20sH", sf_name("EOI"), len(zones)))
    return f


# ---- at the limits ---------------------------------------------------------

# As the game reads them (sound_file.h, midi_file.h).
MAX_WAVE_BYTES = 2 << 20
MAX_MIDI_BYTES = 1 << 20
MAX_EVENTS = 200_000


def many_events(count):
    # A program change, then running status: two bytes an event.
    return smf(96, track(ev(0, 0xC0, 5), bytes([0, 5]) * (count - 1), end(96)), fmt_=0)


def limits():
    """Inputs at and just past the readers' limits: too large to be mutated
    thousands of times a second, so run once each instead."""
    samples = (fmt(1, 2, 48000, 16), chunk_le(b"data", bytes(10 * 48000 * 4)))
    stereo = riff(*samples)
    padding = chunk_le(b"JUNK", bytes(MAX_WAVE_BYTES + 1 - len(stereo) - 8))
    most = many_events(MAX_EVENTS)
    # The longest rustle the game plays, at the lowest rate it reads, and one
    # frame more, which it refuses from the header alone.
    slow = {name: riff(fmt(1, 1, 1000, 8), chunk_le(b"data", tone(frames, 1, 8, 1000)))
            for name, frames in (("ten_seconds_1khz.wav", 10000),
                                 ("broken_too_long_1khz.wav", 10001))}
    return {
        "wave": {"longest_48k_stereo.wav": stereo,
                 "broken_over_size.wav": riff(*samples, padding), **slow},
        "midi": {"most_events.mid": most,
                 "broken_too_many_events.mid": many_events(MAX_EVENTS + 1),
                 "broken_over_size.mid": most + chunk_be(
                     b"XFIL", bytes(MAX_MIDI_BYTES + 1 - len(most) - 8))},
    }


def main():
    if sys.argv[1] == "--limits":
        kinds, out = limits(), sys.argv[2]
    else:
        resources, out = sys.argv[1], sys.argv[2]
        kinds = {"wave": waves(resources), "midi": midis(resources), "soundfont": soundfonts()}
    for kind, files in kinds.items():
        folder = os.path.join(out, kind)
        os.makedirs(folder, exist_ok=True)
        for name, data in sorted(files.items()):
            with open(os.path.join(folder, name), "wb") as f:
                f.write(data)


if __name__ == "__main__":
    main()
