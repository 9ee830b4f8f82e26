#!/usr/bin/env python3
"""Writes Tonvarra's own lesson library: the index, the lesson plan, the skill graph, one Standard
MIDI File per item and a score for each sight-reading item.

Usage: make_library.py OUTPUT_FOLDER

Everything here is the project's own: scales, chords and drills are built from their rules,
reading exercises and etudes are composed by the fixed rules below (a seeded walk, so every build
writes the same bytes), and the traditional melodies come from melodies.txt beside this file.
The formats are described in README.md beside this file.
"""
import os
import struct
import sys

HERE = os.path.dirname(os.path.abspath(__file__))
TICKS = 480                      # ticks per quarter note in every file
RING = ["C", "G", "D", "A", "E", "B", "F#", "Db", "Ab", "Eb", "Bb", "F"]   # key names in circle order
LETTERS = "CDEFGAB"
LETTER_PC = [0, 2, 4, 5, 7, 9, 11]
# Key signature (sharps, negative for flats) of each major tonic pitch class.
MAJOR_SIGNATURE = {0: 0, 7: 1, 2: 2, 9: 3, 4: 4, 11: 5, 6: 6, 1: -5, 8: -4, 3: -3, 10: -2, 5: -1}
SHARP_ORDER = "FCGDAEB"
MINOR_NAMES = {"Db": "C#", "Ab": "G#", "Eb": "D#"}   # how a minor key on these tonics is usually named


def pitch_class(key_name):
    pc = LETTER_PC[LETTERS.index(key_name[0])]
    if len(key_name) > 1:
        pc += 1 if key_name[1] == "#" else -1
    return pc % 12


def parse_pitch(text):
    letter = LETTERS.index(text[0])
    rest = text[1:]
    acc = 0
    while rest and rest[0] in "#b":
        acc += 1 if rest[0] == "#" else -1
        rest = rest[1:]
    return 12 * (int(rest) + 1) + LETTER_PC[letter] + acc


# ---- notes ----
class Note:
    """One written note: start and length in quarter notes, MIDI number, hand, spelling."""

    def __init__(self, start, length, midi, left=False, letter=None, octave=None):
        self.start, self.length, self.midi, self.left = start, length, midi, left
        self.letter, self.octave = letter, octave


def sequence(pitches, lengths, start=0.0, left=False):
    notes, t = [], start
    for i, p in enumerate(pitches):
        length = lengths[i % len(lengths)]
        if p is not None:
            notes.append(Note(t, length, p, left))
        t += length
    return notes, t


def chord(pitches, start, length, left=False):
    return [Note(start, length, p, left) for p in pitches]


def beat_length(meter):
    """Quarter notes in one beat of a meter: 6/8, 9/8 and 12/8 go in dotted quarters, the rest in
    quarters."""
    numerator, denominator = meter
    return 1.5 if denominator == 8 and numerator % 3 == 0 else 4.0 / denominator


def bar_length(meter):
    return meter[0] * 4.0 / meter[1]


def hold_to_bar_line(notes, meter=(4, 4)):
    """A drill's last note lasts to the next bar line, so the count ends on a whole bar."""
    last, bar = notes[-1], bar_length(meter)
    last.length = (int(last.start / bar + 1e-9) + 1) * bar - last.start


# ---- the MIDI file ----
def vlq(value):
    out = [value & 0x7F]
    value >>= 7
    while value:
        out.insert(0, 0x80 | (value & 0x7F))
        value >>= 7
    return bytes(out)


def midi_bytes(notes, bpm, meter, signature, minor):
    # The file's quarter note is the meter's beat: the program clicks and counts tempo per MIDI
    # quarter, so a 6/8 tune is written with the dotted quarter there and says so in the time
    # signature (notated 32nds per MIDI quarter), and its tempo is dotted quarters per minute.
    beat = beat_length(meter)
    events = []   # (tick, order, bytes): note-offs before note-ons at the same tick
    for n in notes:
        on = int(round(n.start / beat * TICKS))
        off = on + max(int(round(n.length / beat * TICKS)) - 24, 24)
        channel = 1 if n.left else 0
        events.append((on, 1, n.midi, bytes([0x90 | channel, n.midi, 72 if n.left else 84])))
        events.append((off, 0, n.midi, bytes([0x80 | channel, n.midi, 0])))
    events.sort(key=lambda e: (e[0], e[1], e[2]))
    us = int(round(60000000 / bpm))
    body = vlq(0) + bytes([0xFF, 0x51, 3, (us >> 16) & 0xFF, (us >> 8) & 0xFF, us & 0xFF])
    body += vlq(0) + bytes([0xFF, 0x58, 4, meter[0], meter[1].bit_length() - 1, 24, int(round(8 * beat))])
    body += vlq(0) + bytes([0xFF, 0x59, 2, signature & 0xFF, 1 if minor else 0])
    last = 0
    for tick, _, _, data in events:
        body += vlq(tick - last) + data
        last = tick
    body += vlq(0) + bytes([0xFF, 0x2F, 0])
    return b"MThd" + struct.pack(">IHHH", 6, 0, 1, TICKS) + b"MTrk" + struct.pack(">I", len(body)) + body


# ---- spelling and the score ----
def signature_of(tonic_pc, minor):
    return MAJOR_SIGNATURE[(tonic_pc + 3) % 12 if minor else tonic_pc]


def signature_accidental(signature, letter):
    if signature > 0 and LETTERS[letter] in SHARP_ORDER[:signature]:
        return 1
    if signature < 0 and LETTERS[letter] in SHARP_ORDER[::-1][:-signature]:
        return -1
    return 0


def spell(note, signature):
    """Letter, accidental and octave of a note: the letter the key signature gives its pitch, else
    the nearest natural letter below with a sharp (or above with a flat in flat keys)."""
    if note.letter is not None:
        letter, octave = note.letter, note.octave
    else:
        pc, octave = note.midi % 12, note.midi // 12 - 1
        letter = None
        for l in range(7):
            if (LETTER_PC[l] + signature_accidental(signature, l)) % 12 == pc:
                letter = l
        if letter is None:
            letter = next(l for l in range(7) if LETTER_PC[l] == (pc + (1 if signature < 0 else -1)) % 12)
        natural = LETTER_PC[letter] + signature_accidental(signature, letter)
        if natural >= 12:
            octave -= 1
        if natural < 0:
            octave += 1
    accidental = note.midi - (12 * (octave + 1) + LETTER_PC[letter])
    return letter, accidental, octave


NOTE_VALUES = {4.0: (1, 0), 3.0: (2, 1), 2.0: (2, 0), 1.5: (3, 1), 1.0: (3, 0), 0.75: (4, 1), 0.5: (4, 0), 0.25: (5, 0)}


def score_text(notes, bpm, meter, signature, minor):
    lines = ["# Tonvarra sight-reading score; fields are described in the library's README.",
             "META\t%d\t%d\t%d\t%d\t%d\t%d" % (TICKS, meter[0], meter[1], signature, 1 if minor else 0, bpm)]
    for n in sorted(notes, key=lambda n: (n.start, n.midi)):
        letter, accidental, octave = spell(n, signature)
        value, dotted = NOTE_VALUES[n.length]
        shown = 1 if accidental != signature_accidental(signature, letter) else 0
        lines.append("NOTE\t%d\t%d\t%d\t%d\t%d\t%d\t%d\t%d\t%d\t0\t%d\t%d" % (
            int(round(n.start * TICKS)), int(round(n.length * TICKS)), 1 if n.left else 0, n.midi,
            letter, accidental, octave, dotted, value, 1 if n.left else 0, shown))
    return "\n".join(lines) + "\n"


# ---- the items ----
ITEMS = []


def item(id, level, category, type, name, subtitle, key, file, notes, bpm, meter=(4, 4), minor=False,
         era="", form="", group="", hand="rh", accuracy=0.9, timing=0.6, focus="", source="", score=False,
         signature=None):
    tonic = pitch_class(key) if key else 0
    end = max(n.start + n.length for n in notes)
    if abs(end / bar_length(meter) - round(end / bar_length(meter))) > 1e-9:
        raise SystemExit("%s ends part-way through a bar" % id)
    if signature is None:
        signature = signature_of(tonic, minor) if key else 0
    ITEMS.append(dict(id=id, level=level, category=category, type=type, name=name, subtitle=subtitle,
                      key=key, mode=("minor" if minor else "major") if key else "", era=era, form=form,
                      group=group, file=file, bpm=bpm, target_bpm=bpm, accuracy=accuracy, timing=timing,
                      hand=hand, focus=focus, source=source or "Written for Tonvarra", notes=notes,
                      meter=meter, signature=signature, minor=minor, score=score))


def tonic_midi(key, low=60):
    pc = pitch_class(key)
    return low + pc if pc <= 7 else low - 12 + pc


SCALE_TYPES = [
    ("Major Scales", "major", "major", [0, 2, 4, 5, 7, 9, 11, 12], None, 1, 80),
    ("Natural Minor Scales", "natural minor", "natminor", [0, 2, 3, 5, 7, 8, 10, 12], None, 2, 72),
    ("Harmonic Minor Scales", "harmonic minor", "harmminor", [0, 2, 3, 5, 7, 8, 11, 12], None, 3, 72),
    ("Melodic Minor Scales", "melodic minor", "melminor", [0, 2, 3, 5, 7, 9, 11, 12], [12, 10, 8, 7, 5, 3, 2, 0], 3, 72),
    ("Chromatic Scales", "chromatic", "chromatic", list(range(13)), None, 3, 72),
    ("Whole Tone Scales", "whole tone", "wholetone", [0, 2, 4, 6, 8, 10, 12], None, 3, 72),
]
# Major keys whose scales a beginner meets later: many black keys and fingerings of their own.
LATER_MAJOR_KEYS = ["B", "F#", "Db", "Ab", "Eb", "Bb"]


def make_scales():
    for type, word, slug, up, down, level, bpm in SCALE_TYPES:
        minor = "minor" in word
        for key in RING:
            base = tonic_midi(key)
            steps = up + (down[1:] if down else list(reversed(up))[1:])
            notes, _ = sequence([base + s for s in steps], [1.0])
            hold_to_bar_line(notes)
            shown = MINOR_NAMES.get(key, key) if minor else key
            later = slug == "major" and key in LATER_MAJOR_KEYS
            # A scale outside the major and minor keys is written with accidentals, under no key
            # signature; the program takes its tonic and scale from the index, not the file.
            keyless = slug in ("chromatic", "wholetone")
            item("scale_%s_%s" % (slug, key.replace("#", "s").lower()), level + later, "scales", type,
                 "%s %s - one octave" % (shown, word), "Right hand, up and down", key,
                 "scales/%s_%s.mid" % (slug, key.replace("#", "s").lower()), notes, bpm, minor=minor,
                 focus="Even tone and steady fingering", signature=0 if keyless else None)


def triad(root, minor):
    return [root, root + (3 if minor else 4), root + 7]


def make_chords():
    for minor, keys, type, level in ((False, RING, "Major Triads", 1), (True, ["A", "E", "D", "B", "G", "C"], "Minor Triads", 2)):
        for key in keys:
            r = tonic_midi(key)
            t = triad(r, minor)
            notes, end = sequence([t[0], t[1], t[2], r + 12, t[2], t[1], t[0]], [1.0])
            notes += chord(t, end + 1.0, 4.0)
            quality = "minor" if minor else "major"
            slug = "%s_%s" % ("min" if minor else "maj", key.replace("#", "s").lower())
            item("chord_triad_" + slug, level, "chords", type, "%s %s triad - broken and blocked" % (key, quality),
                 "Right hand", key, "chords/triad_%s.mid" % slug, notes, 76, minor=minor,
                 focus="Shape the triad before you play it")
    for key in ["C", "G", "F", "D", "Bb", "Eb"]:
        r = tonic_midi(key)
        notes, t = [], 0.0
        for degree in (0, 5, 7, 0):
            tones = [r + degree + s for s in (0, 4, 7, 12)]
            part, t = sequence(tones + list(reversed(tones[:-1])) + [None], [0.5], t)
            notes += part
        notes[-1].length = 1.0
        slug = key.replace("#", "s").lower()
        item("chord_broken_" + slug, 3, "chords", "Broken Chords", "Broken chords in %s major - I IV V I" % key,
             "Right hand, eighth notes", key, "chords/broken_%s.mid" % slug, notes, 72,
             focus="Keep the hand over each chord shape")
    for key in ["C", "G", "F", "D"]:
        r = tonic_midi(key)
        notes = []
        voicings = [[r + 4, r + 7, r + 12], [r + 5, r + 9, r + 12], [r + 5, r + 7, r + 11], [r + 4, r + 7, r + 12]]
        roots = [r - 12, r - 7, r - 5, r - 12]
        for i in range(4):
            notes += chord(voicings[i], 2.0 * i, 2.0) + [Note(2.0 * i, 2.0, roots[i], True)]
        slug = key.lower()
        item("chord_cadence_" + slug, 3, "chords", "Cadences", "Cadence in %s major - I IV V7 I" % key,
             "Both hands: chords over the bass", key, "chords/cadence_%s.mid" % slug, notes, 66, hand="both",
             focus="Move each voice to the nearest note")


def make_mechanics():
    for key, left in [("C", False), ("G", False), ("D", False), ("F", False), ("C", True), ("G", True)]:
        base = tonic_midi(key) - (12 if left else 0)
        steps = [0, 2, 4, 5, 7, 5, 4, 2] * 2 + [0]
        notes, _ = sequence([base + s for s in steps], [0.5], left=left)
        hold_to_bar_line(notes)
        hand = "LH" if left else "RH"
        item("mech_five_%s_%s" % (key.lower(), hand.lower()), 1, "mechanics", "Five-Finger Patterns",
             "%s five-finger pattern (%s)" % (key, hand), "One finger per key, eighth notes", key,
             "mechanics/five_%s_%s.mid" % (key.lower(), hand.lower()), notes, 84, hand=hand.lower(),
             focus="Fingers stay curved and close to the keys")
    # F major passes the thumb after the fourth finger: after the third it would land on B flat.
    fingering = {"C": "1 2 3 1 2 3 4 5", "G": "1 2 3 1 2 3 4 5", "D": "1 2 3 1 2 3 4 5", "F": "1 2 3 4 1 2 3 4"}
    for key in ["C", "G", "F", "D"]:
        base = tonic_midi(key)
        major = [0, 2, 4, 5, 7, 9, 11, 12]
        steps = major[:3] + major[3:8] + list(reversed(major[:7]))
        notes, _ = sequence([base + s for s in steps], [0.5])
        hold_to_bar_line(notes)
        item("mech_thumb_%s" % key.lower(), 2, "mechanics", "Thumb Crossing", "Thumb under in %s major" % key,
             "Right hand, " + fingering[key], key, "mechanics/thumb_%s.mid" % key.lower(), notes, 76,
             focus="Pass the thumb early and quietly")
    patterns = [("Thirds in C", [0, 4, 2, 5, 4, 7, 5, 9, 7, 5, 4, 2, 0]),
                ("Neighbour notes in C", [0, 2, 0, 2, 4, 5, 4, 5, 7, 5, 4, 2, 0]),
                ("Fingers 3 4 5 in C", [4, 5, 7, 5, 4, 5, 7, 5, 4, 5, 7, 5, 4]),
                ("Repeated notes in C", [0, 0, 2, 2, 4, 4, 5, 5, 7, 7, 4, 4, 0])]
    for i, (title, steps) in enumerate(patterns, 1):
        notes, _ = sequence([60 + s for s in steps], [0.5])
        hold_to_bar_line(notes)
        item("mech_independence_%d" % i, 2, "mechanics", "Finger Independence", "Finger independence %d - %s" % (i, title),
             "Right hand, eighth notes", "C", "mechanics/independence_%d.mid" % i, notes, 76,
             focus="Only the playing finger moves")


class Walk:
    """A seeded linear congruential walk, so composed exercises never change between builds."""

    def __init__(self, seed):
        self.state = seed

    def next(self, n):
        self.state = (self.state * 1103515245 + 12345) & 0x7FFFFFFF
        return (self.state >> 8) % n


def degree_note(tonic_letter, tonic_midi_value, minor, degree, start, length, left):
    scale = [0, 2, 3, 5, 7, 8, 10] if minor else [0, 2, 4, 5, 7, 9, 11]
    octave_shift, d = divmod(degree, 7)
    midi = tonic_midi_value + 12 * octave_shift + scale[d]
    letter_index = (tonic_letter + degree) % 7
    base_octave = tonic_midi_value // 12 - 1
    octave = base_octave + (tonic_letter + degree) // 7
    return Note(start, length, midi, left, letter_index, octave)


# The treble staff's bottom and top lines, E4 and F5, as steps of the letters from C0.
TREBLE_STAFF_STEPS = (7 * 4 + LETTERS.index("E"), 7 * 5 + LETTERS.index("F"))


def treble_reading_place(key):
    """A treble reading's tonic (the first at or above the bottom line) and its lowest and highest
    degrees, so that every note stays on the staff."""
    tonic = parse_pitch("E4") + (pitch_class(key) - 4) % 12
    step = 7 * (tonic // 12 - 1) + LETTERS.index(key[0])
    return tonic, TREBLE_STAFF_STEPS[0] - step, TREBLE_STAFF_STEPS[1] - step


# The bass staff's bottom and top lines, G2 and A3.
BASS_STAFF_STEPS = (7 * 2 + LETTERS.index("G"), 7 * 3 + LETTERS.index("A"))


def bass_reading_place(key):
    """The same for a bass reading: a beginner reading the bass staff meets its lines and spaces,
    not the ledger lines above it that belong to middle C's neighbourhood."""
    tonic = parse_pitch("G2") + (pitch_class(key) - 7) % 12
    step = 7 * (tonic // 12 - 1) + LETTERS.index(key[0])
    return tonic, BASS_STAFF_STEPS[0] - step, BASS_STAFF_STEPS[1] - step


def reading_melody(walk, key, tonic, bars, low, high, left, start_degree=0):
    tonic_letter = LETTERS.index(key[0])
    notes, t, degree = [], 0.0, start_degree
    home = lambda: min((d for d in (-7, 0, 7) if low <= d <= high), key=lambda d: abs(d - degree))
    for bar in range(bars):
        rhythm = [[1, 1, 1, 1], [2, 1, 1], [1, 1, 2], [2, 2]][walk.next(4)] if bar < bars - 1 else [4]
        for length in rhythm:
            if notes:
                step = [-2, -1, -1, 1, 1, 2, 0][walk.next(7)]
                # A step off the staff turns back, so the line does not stick to an edge line.
                if not low <= degree + step <= high:
                    step = -step
                # The bar before the close heads for the tonic, so the close is no leap.
                if bar == bars - 2 and abs(home() - degree) > 2:
                    step = 1 if home() > degree else -1
                degree = min(max(degree + step, low), high)
            if bar == bars - 1:   # home on the nearest tonic the range holds
                degree = home()
            notes.append(degree_note(tonic_letter, tonic, False, degree, t, float(length), left))
            t += length
    return notes


def make_sight():
    specs = ([("treble", k, False) for k in ["C", "G", "F", "C", "G", "D"]] +
             [("bass", k, True) for k in ["C", "G", "F", "C", "F", "G"]])
    counts = {"treble": 0, "bass": 0}
    for index, (clef, key, left) in enumerate(specs):
        counts[clef] += 1
        n = counts[clef]
        walk = Walk(1000 + index)
        tonic, low, high = bass_reading_place(key) if left else treble_reading_place(key)
        notes = reading_melody(walk, key, tonic, 8, low, high, left)
        type = "Treble Reading" if not left else "Bass Reading"
        name = "%s reading %d in %s major" % ("Treble" if not left else "Bass", n, key)
        item("sight_%s_%02d" % (clef, n), 1 if n <= 3 else 2, "sight", type, name,
             "Read the staff, then play", key, "sight/%s_%02d.mid" % (clef, n), notes, 66,
             hand="lh" if left else "rh", timing=0.5, focus="Read ahead of the note you play", score=True)
    for n, key in enumerate(["C", "G"], 1):
        walk = Walk(2000 + n)
        rh = reading_melody(walk, key, tonic_midi(key, 60), 8, 0, 7, False)
        lh = reading_melody(walk, key, tonic_midi(key, 48), 8, 0, 7, True)
        notes = [x for x in rh if int(x.start) // 4 % 2 == 0] + [x for x in lh if int(x.start) // 4 % 2 == 1]
        item("sight_grand_%02d" % n, 3, "sight", "Grand Staff Reading", "Grand staff reading %d in %s major" % (n, key),
             "Hands take turns bar by bar", key, "sight/grand_%02d.mid" % n, notes, 60, hand="both",
             timing=0.5, focus="Follow the line from staff to staff", score=True)


PROGRESSIONS = {False: [0, 5, 3, 4, 0, 3, 4, 0], True: [0, 3, 4, 0, 5, 3, 4, 0]}


def chord_tones(tonic, minor, degree):
    scale = [0, 2, 3, 5, 7, 8, 10] if minor else [0, 2, 4, 5, 7, 9, 11]
    tones = []
    for k in (0, 2, 4):
        d = degree + k
        tones.append(tonic + scale[d % 7] + 12 * (d // 7))
    if minor and degree == 4:
        tones[1] += 1          # the raised leading note of the dominant
    return tones


def held_bass(key, minor, beats):
    """Each bar's root held through the bar, at or below the tonic's own bass note: the line falls
    from the tonic and never climbs over middle C into the right hand's room."""
    tonic = tonic_midi(key)
    notes = []
    for bar, degree in enumerate(PROGRESSIONS[minor]):
        root = chord_tones(tonic, minor, degree)[0]
        notes.append(Note(float(bar * beats), float(beats), tonic - 12 - (tonic - root) % 12, True))
    return notes


def composed_piece(key, minor, beats, pattern):
    tonic = tonic_midi(key)
    notes = held_bass(key, minor, beats)
    # Every figure sits over the tonic's own octave, so the right hand stays near the treble staff
    # and the closing tonic lands in the octave the piece has been playing in. The arpeggios, a
    # tenth wide, take each chord's tones from middle C up instead, and close in that octave too.
    above_middle_c = lambda p: 60 + (p - 60) % 12
    for bar, degree in enumerate(PROGRESSIONS[minor]):
        tones = chord_tones(tonic, minor, degree)
        t0 = float(bar * beats)
        if bar == len(PROGRESSIONS[minor]) - 1:
            notes.append(Note(t0, float(beats), above_middle_c(tonic) if pattern == "arpeggio" else tones[0], False))
            continue
        if pattern == "broken":
            figure = [tones[0], tones[1], tones[2], tones[1]] * (beats // 2)
            part, _ = sequence(figure, [0.5], t0)
        elif pattern == "arpeggio":
            # Over the octave and back: the thumb passes under going up, the hand crosses over it
            # coming down.
            a, b, c = sorted(above_middle_c(p) for p in tones)
            part, _ = sequence([a, b, c, a + 12, b + 12, a + 12, c, b] * (beats // 4), [0.5], t0)
        else:
            part, _ = sequence([tones[2], tones[1], tones[0]], [1.0], t0)
        notes += part
    return notes


def make_etudes():
    for i, (key, minor) in enumerate([("C", False), ("A", True), ("G", False), ("E", True),
                                      ("F", False), ("D", True), ("D", False), ("B", True)], 1):
        quality = "minor" if minor else "major"
        advanced = i > 4
        notes = composed_piece(key, minor, 4, "arpeggio" if advanced else "broken")
        item("etude_%02d" % i, 4 if advanced else 3, "etude", "Short Etudes", "Etude in %s %s" % (key, quality),
             "Tonvarra", key, "etudes/etude_%02d.mid" % i, notes, 72, minor=minor, era="Modern Public Domain",
             form="Etude", group="Harmonic & Technical Study", hand="both",
             focus="Arpeggios over the octave, the thumb passing under" if advanced else "Broken chords over a held bass")


# Evening Song's melody over the major progression: chord tones on the strong beats joined by
# steps, a first phrase that rises and rests on the dominant, a second that climbs to the top F
# and falls home.
EVENING_SONG_MELODY = ("A4:1 G4:0.5 A4:0.5 C5:2  D5:1 C5:0.5 Bb4:0.5 A4:2  Bb4:1 C5:1 D5:2  E5:1 D5:1 C5:2  "
                       "A4:1 G4:0.5 A4:0.5 C5:2  F5:1.5 E5:0.5 D5:2  C5:1 Bb4:0.5 A4:0.5 G4:2  F4:4")


def written_notes(text):
    """Notes written as pitch:length tokens (lengths in quarter notes, r for a rest), and their end."""
    notes, t = [], 0.0
    for token in text.split():
        pitch, length = token.split(":")
        if pitch != "r":
            notes.append(Note(t, float(length), parse_pitch(pitch)))
        t += float(length)
    return notes, t


def load_melodies():
    melodies = {}
    with open(os.path.join(HERE, "melodies.txt"), encoding="utf-8") as f:
        for line in f:
            line = line.strip()
            if not line or line.startswith("#"):
                continue
            id, title, key, mode, bpm, meter, text = [part.strip() for part in line.split("|")]
            meter = tuple(int(figure) for figure in meter.split("/"))
            notes, t = written_notes(text)
            if abs(t / bar_length(meter) - round(t / bar_length(meter))) > 1e-9:
                raise SystemExit("melodies.txt: %s does not fill whole bars" % id)
            melodies[id] = (title, key, mode == "minor", int(bpm), meter, notes)
    return melodies


def make_foundations_and_pieces(melodies):
    geography = [("Middle C and its neighbours", [60, 62, 64, 62, 60, 59, 57, 59, 60]),
                 ("Find every C", [48, 60, 72, 60, 48, 60, 72, 60, 48]),
                 ("Black-key groups", [61, 63, 61, 63, 66, 68, 70, 68, 66])]
    for i, (title, pitches) in enumerate(geography, 1):
        notes, _ = sequence(pitches, [1.0] * 8 + [4.0])
        item("found_geography_%d" % i, 1, "foundations", "Keyboard Geography", title, "Find the keys by their groups",
             "C", "foundations/geography_%d.mid" % i, notes, 72, era="Modern Public Domain", form="Melody",
             focus="Look at the groups of black keys")
    pulses = [("Quarter notes on C", [60] * 8, [1.0]), ("Halves and quarters", [60, 62, 64, 64, 62, 60, 60], [2.0, 1.0, 1.0])]
    for i, (title, pitches, lengths) in enumerate(pulses, 1):
        notes, _ = sequence(pitches, lengths)
        hold_to_bar_line(notes)
        item("found_pulse_%d" % i, 1, "foundations", "Steady Pulse", title, "Count aloud while you play",
             "C", "foundations/pulse_%d.mid" % i, notes, 80, era="Modern Public Domain", form="Melody",
             focus="Every beat the same length")
    for id, (title, key, minor, bpm, meter, notes) in melodies.items():
        if id.startswith("found_"):
            item(id, 1, "foundations", "Simple Melodies", title, "Traditional", key,
                 "foundations/%s.mid" % id[6:], notes, bpm, meter=meter, minor=minor, era="Traditional",
                 form="Melody", group="Voicing & Texture", source="Traditional, written out for Tonvarra")
    for id, (title, key, minor, bpm, meter, notes) in melodies.items():
        if id.startswith("folk_"):
            item("rep_" + id, 2, "repertoire", "Folk Melodies", title, "Traditional", key,
                 "repertoire/%s.mid" % id[5:], notes, bpm, meter=meter, minor=minor, era="Traditional",
                 form="Melody", group="Form & Large-Scale Structure", source="Traditional, written out for Tonvarra")
    item("rep_evening_song", 3, "repertoire", "Character Pieces", "Evening Song", "Tonvarra", "F",
         "repertoire/evening_song.mid", written_notes(EVENING_SONG_MELODY)[0] + held_bass("F", False, 4), 66,
         era="Modern Public Domain", form="Song Without Words", group="Voicing & Texture", hand="both", focus="Sing the top line")
    item("rep_little_waltz", 3, "repertoire", "Character Pieces", "Little Waltz", "Tonvarra", "G",
         "repertoire/little_waltz.mid", composed_piece("G", False, 3, "waltz"), 100, meter=(3, 4),
         era="Modern Public Domain", form="Waltz", group="Form & Large-Scale Structure", hand="both",
         focus="A light second and third beat")


# ---- the plan and the graph ----
SECTIONS = ["foundations", "scales", "chords", "mechanics", "sight", "etude", "repertoire"]
LESSONS = 26
# Etudes begin the lesson after the first broken chords, the other skill they are made of besides
# the thumb crossing; the check below holds every range to the skill graph.
LESSON_RANGES = {"foundations": (1, 3), "scales": (1, 26), "chords": (2, 26), "mechanics": (1, 20),
                 "sight": (1, 26), "etude": (19, 26), "repertoire": (4, 26)}


def section_types(section):
    types = []
    for it in ITEMS:
        if it["category"] == section and it["type"] not in types:
            types.append(it["type"])
    return types


def lesson_plan():
    """Each section's items spread evenly over its lessons, type by type in unlocking order and,
    within a type, the easier levels first."""
    lessons = {n: [] for n in range(1, LESSONS + 1)}
    for section in SECTIONS:
        types = section_types(section)
        ids = [i for i in ITEMS if i["category"] == section]
        ids.sort(key=lambda it: (types.index(it["type"]), it["level"]))   # stable: index order within a level
        first, last = LESSON_RANGES[section]
        span = last - first + 1
        for j, it in enumerate(ids):
            lessons[first + j * span // len(ids)].append(it)
    return lessons


def check_plan(lessons, edges):
    """Stops the build when the plan teaches an item before an easier one of its type, or before
    the first item of a skill that its skill needs."""
    place_of, first_of, level_of = {}, {}, {}
    for n in range(1, LESSONS + 1):
        for row, it in enumerate(lessons[n]):
            place_of[it["id"]] = (n, row)
            skill = (it["category"], it["type"])
            first_of.setdefault(skill, (n, row))
            if it["level"] < level_of.get(skill, 0):
                raise SystemExit("lesson plan: %s (level %d) comes after harder %s" % (it["id"], it["level"], it["type"]))
            level_of[skill] = it["level"]
    for category, type, needs_category, needs_type in edges:
        first = first_of[(needs_category, needs_type)]
        for it in ITEMS:
            if (it["category"], it["type"]) == (category, type) and place_of[it["id"]] < first:
                raise SystemExit("lesson plan: %s is in lesson %d, before %s starts in lesson %d" % (
                    it["id"], place_of[it["id"]][0], needs_type, first[0]))


def lesson_plan_rows(lessons):
    rows = ["lesson\tsection\titem_id\ttitle\tcount"]
    for n in range(1, LESSONS + 1):
        types = []
        for it in lessons[n]:
            if it["type"] not in types:
                types.append(it["type"])
        title = " &amp; ".join(types[:2])
        for it in lessons[n]:
            rows.append("%d\t%s\t%s\t%s\t%d" % (n, it["category"], it["id"], title, len(lessons[n])))
    return rows


CROSS_EDGES = [("chords", "Major Triads", "scales", "Major Scales"),
               ("chords", "Minor Triads", "scales", "Natural Minor Scales"),
               ("chords", "Broken Chords", "mechanics", "Five-Finger Patterns"),
               ("sight", "Treble Reading", "foundations", "Keyboard Geography"),
               ("etude", "Short Etudes", "chords", "Broken Chords"),
               ("etude", "Short Etudes", "mechanics", "Thumb Crossing"),
               ("repertoire", "Folk Melodies", "foundations", "Simple Melodies"),
               ("repertoire", "Character Pieces", "etude", "Short Etudes")]


def skill_graph_edges():
    """(skill category, skill type, needed category, needed type): each type needs the one before
    it in its section, and a few need types of other sections."""
    edges = []
    for section in SECTIONS:
        types = section_types(section)
        edges += [(section, b, section, a) for a, b in zip(types, types[1:])]
    return edges + CROSS_EDGES


INDEX_HEADER = ["id", "level", "category", "type", "name", "subtitle", "key_name", "mode", "era", "form",
                "repertoire_category", "file", "authored_bpm", "target_bpm", "target_accuracy",
                "target_timing", "hand", "focus", "source", "notes"]


def write(path, data):
    os.makedirs(os.path.dirname(path), exist_ok=True)
    mode = "wb" if isinstance(data, bytes) else "w"
    with open(path, mode, **({} if mode == "wb" else {"encoding": "utf-8", "newline": "\n"})) as f:
        f.write(data)


def main():
    if len(sys.argv) != 2:
        raise SystemExit(__doc__)
    out = sys.argv[1]
    melodies = load_melodies()
    make_foundations_and_pieces(melodies)
    make_scales()
    make_chords()
    make_mechanics()
    make_sight()
    make_etudes()
    order = {s: i for i, s in enumerate(SECTIONS)}
    ITEMS.sort(key=lambda it: order[it["category"]])   # stable: types stay in unlocking order
    lessons, edges = lesson_plan(), skill_graph_edges()
    check_plan(lessons, edges)
    rows = ["\t".join(INDEX_HEADER)]
    for it in ITEMS:
        rows.append("\t".join(str(v) for v in [
            it["id"], it["level"], it["category"], it["type"], it["name"], it["subtitle"], it["key"], it["mode"],
            it["era"], it["form"], it["group"], it["file"], it["bpm"], it["target_bpm"], "%.2f" % it["accuracy"],
            "%.2f" % it["timing"], it["hand"], it["focus"], it["source"], ""]))
        write(os.path.join(out, it["file"]), midi_bytes(it["notes"], it["bpm"], it["meter"], it["signature"], it["minor"]))
        if it["score"]:
            write(os.path.join(out, it["file"] + ".sightscore.tsv"),
                  score_text(it["notes"], it["bpm"], it["meter"], it["signature"], it["minor"]))
    write(os.path.join(out, "library_index.tsv"), "\n".join(rows) + "\n")
    write(os.path.join(out, "lesson_plan.tsv"), "\n".join(lesson_plan_rows(lessons)) + "\n")
    write(os.path.join(out, "skill_graph.tsv"),
          "\n".join(["skill_category\tskill_type\tneeds_category\tneeds_type"] + ["\t".join(e) for e in edges]) + "\n")


if __name__ == "__main__":
    main()
