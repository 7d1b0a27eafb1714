#!/usr/bin/env python3
"""Builds the game's sounds and music into assets/media/.

s_oki.wav       a stone set down on the board: a short wooden tock
s_kae.wav       a stone turned over: a lighter, brighter tick
bg_main.mid     the match music, cheerful, loops on a full bar
bg_main_hi.mid  the same tune, faster and a tone higher, for the last moves

Everything is synthesised or written out here; only the standard library is
used, so the files can be rebuilt anywhere:  python3 tools/make_media.py
"""

import math
import os
import random
import struct
import sys
import wave

RATE = 44100


# ---------------------------------------------------------------- effects

def write_wav(path, samples):
    """Mono 16-bit PCM; samples are floats in [-1, 1]."""
    frames = b"".join(struct.pack("<h", int(round(max(-1.0, min(1.0, s)) * 32767)))
                      for s in samples)
    with wave.open(path, "wb") as w:
        w.setnchannels(1)
        w.setsampwidth(2)
        w.setframerate(RATE)
        w.writeframes(frames)


def normalise(samples, peak):
    top = max(abs(s) for s in samples) or 1.0
    return [s * peak / top for s in samples]


def struck(duration, modes, noise_ms, noise_level, noise_cutoff, seed, glide=0.0):
    """A struck object: decaying sine modes (freq, level, decay seconds) plus a
    short burst of filtered noise for the moment of contact. `glide` lets the
    pitch sag a little as the sound dies, as a light body does."""
    rng = random.Random(seed)
    n = int(duration * RATE)
    out = [0.0] * n
    for freq, level, tau in modes:
        phase = 0.0
        for i in range(n):
            t = i / RATE
            f = freq * (1.0 - glide * (1.0 - math.exp(-t / 0.02)))
            phase += 2 * math.pi * f / RATE
            out[i] += level * math.exp(-t / tau) * math.sin(phase)
    # Contact noise: white noise through a one-pole low-pass minus a slower
    # one (a rough band-pass), under a fast exponential envelope.
    a_hi = math.exp(-2 * math.pi * noise_cutoff / RATE)
    a_lo = math.exp(-2 * math.pi * (noise_cutoff / 6) / RATE)
    lp_hi = lp_lo = 0.0
    for i in range(n):
        t = i / RATE
        x = rng.uniform(-1, 1)
        lp_hi = (1 - a_hi) * x + a_hi * lp_hi
        lp_lo = (1 - a_lo) * x + a_lo * lp_lo
        out[i] += noise_level * (lp_hi - lp_lo) * math.exp(-t / (noise_ms / 1000.0))
    # A 1 ms attack keeps the start from popping; a short fade closes the tail.
    attack = int(0.001 * RATE)
    fade = int(0.012 * RATE)
    for i in range(attack):
        out[i] *= i / attack
    for i in range(fade):
        out[n - 1 - i] *= i / fade
    return out


def make_oki(path):
    # Low-mid body of a thick stone on a wooden board, dying in about 100 ms.
    s = struck(0.105,
               [(360.0, 1.00, 0.018), (820.0, 0.55, 0.011), (1490.0, 0.25, 0.006),
                (2650.0, 0.10, 0.003)],
               noise_ms=3.0, noise_level=4.0, noise_cutoff=4000.0, seed=11, glide=0.04)
    write_wav(path, normalise(s, 0.80))


def make_kae(path):
    # Turning a stone: a thin, higher click, shorter than the set-down.
    s = struck(0.065,
               [(1180.0, 1.00, 0.008), (2350.0, 0.60, 0.005), (3900.0, 0.30, 0.003)],
               noise_ms=1.8, noise_level=2.8, noise_cutoff=7000.0, seed=23, glide=0.02)
    write_wav(path, normalise(s, 0.65))


# ---------------------------------------------------------------- MIDI

TPQ = 480              # ticks per quarter note
EIGHTH = TPQ // 2
BAR = 8 * EIGHTH       # 4/4


def vlq(n):
    out = [n & 0x7F]
    n >>= 7
    while n:
        out.append(0x80 | (n & 0x7F))
        n >>= 7
    return bytes(reversed(out))


class Track:
    def __init__(self, name):
        self.events = []  # (tick, order, bytes); note-offs sort before note-ons
        self.meta(0, 0x03, name.encode("ascii"))

    def meta(self, tick, kind, data):
        self.events.append((tick, 0, bytes([0xFF, kind]) + vlq(len(data)) + data))

    def control(self, tick, ch, cc, value):
        self.events.append((tick, 1, bytes([0xB0 | ch, cc, value])))

    def program(self, tick, ch, prog):
        self.events.append((tick, 1, bytes([0xC0 | ch, prog])))

    def note(self, tick, ch, key, vel, length):
        assert 0 <= key < 128 and 0 < vel < 128 and length > 0
        self.events.append((tick, 2, bytes([0x90 | ch, key, vel])))
        self.events.append((tick + length, 0, bytes([0x80 | ch, key, 0])))

    def encode(self, end_tick):
        body = b""
        last = 0
        for tick, _, data in sorted(self.events, key=lambda e: (e[0], e[1])):
            assert tick <= end_tick, "an event runs past the end of the loop"
            body += vlq(tick - last) + data
            last = tick
        body += vlq(end_tick - last) + b"\xFF\x2F\x00"
        return b"MTrk" + struct.pack(">I", len(body)) + body


def write_midi(path, tracks, end_tick):
    data = b"MThd" + struct.pack(">IHHH", 6, 1, len(tracks), TPQ)
    data += b"".join(t.encode(end_tick) for t in tracks)
    with open(path, "wb") as f:
        f.write(data)


NOTE = {"C": 0, "D": 2, "E": 4, "F": 5, "G": 7, "A": 9, "B": 11}


def key_number(name):
    """'C4' is 60, 'F#5' is 78."""
    pc = NOTE[name[0]]
    rest = name[1:]
    if rest.startswith("#"):
        pc += 1
        rest = rest[1:]
    return 12 * (int(rest) + 1) + pc


# The tune, bar by bar, in eighth notes: "E5:1" an eighth, "C6:2" a quarter.
# A (bars 1-8), B (9-16), A' (17-24); the last bar climbs G B D F back to the
# E at the top, so the loop joins without a seam.
A1 = [
    "E5:1 G5:1 C6:2 B5:1 G5:1 E5:2",
    "A5:1 G5:1 E5:2 C5:1 E5:1 A5:2",
    "F5:1 A5:1 C6:2 D6:1 C6:1 A5:2",
    "D6:2 B5:1 G5:1 A5:2 B5:2",
    "E5:1 G5:1 C6:2 B5:1 G5:1 E5:2",
    "A5:1 G5:1 E5:2 C5:1 E5:1 A5:2",
]
MELODY = A1 + [
    "F5:1 A5:1 D6:2 B5:1 A5:1 G5:1 F5:1",
    "E5:2 D5:1 E5:1 C5:4",
    # B
    "A5:3 G5:1 A5:2 C6:2",
    "B5:3 A5:1 G5:2 D5:2",
    "G5:3 E5:1 B5:2 G5:2",
    "A5:4 G5:1 A5:1 C6:2",
    "D6:3 C6:1 A5:2 F5:2",
    "D6:3 C6:1 B5:2 G5:2",
    "G5:1 B5:1 E6:2 C#6:1 A5:1 G5:2",
    "F5:2 A5:1 D6:1 B5:2 G5:2",
] + A1 + [
    "F5:1 A5:1 D6:2 B5:1 A5:1 G5:1 F5:1",
    "E5:2 C5:2 G4:1 B4:1 D5:1 F5:1",
]

# One or two chords a bar.
CHORDS = [
    ["C"], ["Am"], ["F"], ["G"], ["C"], ["Am"], ["Dm", "G"], ["C"],
    ["F"], ["G"], ["Em"], ["Am"], ["F"], ["G"], ["Em", "A7"], ["Dm", "G"],
    ["C"], ["Am"], ["F"], ["G"], ["C"], ["Am"], ["Dm", "G7"], ["C", "G7"],
]

CHORD_TONES = {
    "C": [0, 4, 7], "Dm": [2, 5, 9], "Em": [4, 7, 11], "F": [5, 9, 0],
    "G": [7, 11, 2], "G7": [7, 11, 2, 5], "Am": [9, 0, 4], "A7": [9, 1, 4, 7],
}

# General MIDI programs (0-based) and drum keys.
MARIMBA, XYLOPHONE, GLOCKENSPIEL = 12, 13, 9
PIZZICATO, ACOUSTIC_BASS, FINGER_BASS = 45, 32, 33
KICK, SIDE_STICK, SNARE, CLOSED_HAT, OPEN_HAT, CRASH, TAMBOURINE = 36, 37, 38, 42, 46, 49, 54

CH_MELODY, CH_DOUBLE, CH_PIZZ, CH_BASS, CH_DRUMS = 0, 1, 2, 3, 9


def parse_bar(text):
    notes = []
    for word in text.split():
        name, length = word.split(":")
        notes.append((None if name == "r" else key_number(name), int(length)))
    assert sum(n for _, n in notes) == 8, "a bar must hold eight eighths: " + text
    return notes


def in_range(pc, low):
    """The key of pitch class pc at or above `low`, within an octave."""
    return low + (pc - low) % 12


def chord_spans(bar):
    """(start tick in bar, length, chord) for each chord of the bar."""
    names = CHORDS[bar]
    span = BAR // len(names)
    return [(i * span, span, name) for i, name in enumerate(names)]


# The game drives FluidSynth at a gain of 1.2, six times its own default, as
# SDL_mixer did; this keeps the fast version's peaks well clear of full scale
# with the effects on top.
MIX_LEVEL = 0.8


def setup(track, ch, prog, volume, pan, reverb):
    if prog is not None:
        track.program(0, ch, prog)
    track.control(0, ch, 7, round(volume * MIX_LEVEL))
    track.control(0, ch, 10, pan)
    track.control(0, ch, 91, reverb)
    track.control(0, ch, 93, 0)


def build(fast):
    bars = len(MELODY)
    assert len(CHORDS) == bars
    shift = 2 if fast else 0          # a tone higher: D major
    bpm = 184 if fast else 132
    end = bars * BAR

    tempo = Track("tempo")
    tempo.meta(0, 0x51, struct.pack(">I", round(60_000_000 / bpm))[1:])
    tempo.meta(0, 0x58, bytes([4, 2, 24, 8]))
    tempo.meta(0, 0x59, bytes([2 if fast else 0, 0]))  # key: D or C major

    # Melody on marimba; notes a little shorter than written so they bounce.
    mel = Track("marimba")
    setup(mel, CH_MELODY, MARIMBA, 112, 56, 30)
    dbl = Track("xylophone" if fast else "glockenspiel")
    setup(dbl, CH_DOUBLE, XYLOPHONE if fast else GLOCKENSPIEL, 78 if fast else 70, 76, 40)
    for b, text in enumerate(MELODY):
        t = b * BAR
        for i, (key, n) in enumerate(parse_bar(text)):
            if key is not None:
                on_beat = (t % TPQ) == 0
                vel = (100 if on_beat else 88) + (6 if b % 2 == 0 and t % BAR == 0 else 0)
                length = n * EIGHTH - 30
                mel.note(t, CH_MELODY, key + shift, vel, length)
                # The bell doubles the B part an octave up; the fast version's
                # xylophone doubles everything, for drive.
                if fast or 8 <= b < 16:
                    dbl.note(t, CH_DOUBLE, key + shift + 12, vel - 22, length)
            t += n * EIGHTH

    # Pizzicato chords: on beats 2 and 4, or every off-beat when fast.
    pizz = Track("pizzicato")
    setup(pizz, CH_PIZZ, PIZZICATO, 84, 40, 35)
    for b in range(bars):
        for start, span, name in chord_spans(b):
            keys = sorted(in_range(pc, 55) for pc in CHORD_TONES[name])
            for e in range(0, span, EIGHTH):
                beat_e = (start + e) // EIGHTH
                hit = (beat_e % 2 == 1) if fast else (beat_e in (2, 6))
                if hit:
                    for k in keys:
                        pizz.note(b * BAR + start + e, CH_PIZZ, k + shift, 70, EIGHTH - 40)

    # Bass: root and fifth in quarters, or driving eighths when fast.
    bass = Track("bass")
    setup(bass, CH_BASS, FINGER_BASS if fast else ACOUSTIC_BASS, 108, 64, 10)
    for b in range(bars):
        for start, span, name in chord_spans(b):
            root = in_range(CHORD_TONES[name][0], 36) + shift
            if fast:
                figure = [root, root, root + 12, root, root + 7, root, root + 12, root + 7]
                step = EIGHTH
            else:
                figure = [root, root + 7, root + 12, root + 7]
                step = TPQ
            for i in range(span // step):
                bass.note(b * BAR + start + i * step, CH_BASS, figure[i % len(figure)],
                          96 if i % 2 == 0 else 84, step - 40)

    # Light kit: kick, side stick and hats; the fast one has a real snare and
    # a kick on every beat. Each eight bars end with a small fill.
    drums = Track("drums")
    setup(drums, CH_DRUMS, None, 96 if fast else 88, 64, 20)
    for b in range(bars):
        t0 = b * BAR
        fill = b % 8 == 7
        for e in range(8):
            t = t0 + e * EIGHTH
            beat = e // 2
            if e % 2 == 0:
                if fast or beat in (0, 2):
                    drums.note(t, CH_DRUMS, KICK, 100 if beat == 0 else 88, EIGHTH)
                if beat in (1, 3):
                    drums.note(t, CH_DRUMS, SNARE if fast else SIDE_STICK, 84, EIGHTH)
            if fill and e >= 6:
                drums.note(t, CH_DRUMS, SNARE, 70 + 8 * (e - 6), EIGHTH // 2)
                drums.note(t + EIGHTH // 2, CH_DRUMS, SNARE, 66 + 8 * (e - 6), EIGHTH // 2)
            elif fast and e == 7 and b % 2 == 1:
                drums.note(t, CH_DRUMS, OPEN_HAT, 70, EIGHTH)
            else:
                drums.note(t, CH_DRUMS, CLOSED_HAT, 72 if e % 2 == 0 else 54, EIGHTH // 2)
            if not fast and e % 2 == 1 and 8 <= b < 16:
                drums.note(t, CH_DRUMS, TAMBOURINE, 44, EIGHTH // 2)
        # A crash marks the top of each section, but not the top of the
        # piece, so that the loop does not announce itself too loudly.
        if b % 8 == 0 and b > 0:
            drums.note(t0, CH_DRUMS, CRASH, 70 if fast else 56, TPQ)

    return [tempo, mel, dbl, pizz, bass, drums], end


def main():
    root = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
    out = sys.argv[1] if len(sys.argv) > 1 else os.path.join(root, "assets", "media")
    os.makedirs(out, exist_ok=True)
    make_oki(os.path.join(out, "s_oki.wav"))
    make_kae(os.path.join(out, "s_kae.wav"))
    for fast, name in ((False, "bg_main.mid"), (True, "bg_main_hi.mid")):
        tracks, end = build(fast)
        write_midi(os.path.join(out, name), tracks, end)
    print("wrote", out)


if __name__ == "__main__":
    main()
