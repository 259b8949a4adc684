#!/usr/bin/python3
"""Checks MIDI -> W-30 song -> MIDI round trips with independent readers.

Usage: roundtrip_check.py ORIGINAL.mid CONVERTED.mid [ORIGINAL CONVERTED ...]

The original is read with mido; what the song should hold is worked out from it here,
at 96 ticks per quarter note (absolute times rescaled, ties to even). The
converted file must be read by mido strictly and by midicsv, the two must agree on every
event, and its notes, channel messages, system exclusive messages, tempi and time
signatures must be those expected. Prints one line per failure; exit status 1 if any.
"""
import multiprocessing
import subprocess
import sys

import mido

MAX_SONG_TRACKS = 16
CHANNEL_TYPES = ('control_change', 'program_change', 'pitchwheel', 'aftertouch', 'polytouch')


def timed(track, division=96):
    # absolute times, so that tracks ending together in the file end together
    raw = 0
    for msg in track:
        raw += msg.time
        yield round(raw * 96 / division), msg


def is_on(msg):
    return msg.type == 'note_on' and msg.velocity > 0


def is_end(msg, channel, note):
    return msg.type in ('note_on', 'note_off') and not is_on(msg) and msg.channel == channel and msg.note == note


def track_contents(events, expected):
    """Sorted note-ons, note-offs, channel messages and sysex of (time, msg) pairs. Expected
    note-offs come from the note's end in the original (a quarter when it has none)."""
    ons, offs, other, sysex = [], [], [], []
    for i, (t, msg) in enumerate(events):
        if is_on(msg):
            ons.append((msg.channel, msg.note, msg.velocity, t))
            if expected:
                ends = (t2 for t2, m2 in events[i + 1:] if is_end(m2, msg.channel, msg.note))
                offs.append((msg.channel, msg.note, t + min(next(ends, t + 96) - t, 0xFFFF)))
        elif msg.type in ('note_on', 'note_off'):
            if not expected:
                offs.append((msg.channel, msg.note, t))
        elif msg.type in CHANNEL_TYPES:
            other.append((t, str(msg.copy(time=0))))
        elif msg.type == 'sysex':
            sysex.append((t, tuple(msg.data)))
    return sorted(ons), sorted(offs), sorted(other), sorted(sysex)


def w30_signature(nn, dd):
    # the song's form: beat ticks and measure ticks
    if dd == 0:
        nn, dd = nn * 2, 1
    while dd > 4:
        nn, dd = nn // 2, dd - 1
    beat = 384 >> dd
    return beat, nn * beat


def conductor(track, division=96):
    """Tempi in BPM with their times, and time signatures in the song's form."""
    tempi, sigs = [], []
    for t, msg in timed(track, division):
        if msg.type == 'set_tempo':
            tempi.append((t, round(60000000 / msg.tempo)))
        elif msg.type == 'time_signature':
            sigs.append(w30_signature(msg.numerator, msg.denominator.bit_length() - 1))
    return tempi, sigs


def midicsv_events(path):
    out = subprocess.run(['midicsv', path], capture_output=True, check=True).stdout.decode('latin-1')
    events = []
    for line in out.splitlines():
        f = [x.strip() for x in line.split(',')]
        if f[2] in ('Note_on_c', 'Note_off_c', 'Control_c', 'Program_c', 'Pitch_bend_c', 'Tempo', 'Time_signature'):
            events.append((int(f[0]) - 1, int(f[1]), f[2], tuple(int(x) for x in f[3:])))
    return sorted(events)


MIDICSV_FORM = {
    'note_on': ('Note_on_c', lambda m: (m.channel, m.note, m.velocity)),
    'note_off': ('Note_off_c', lambda m: (m.channel, m.note, m.velocity)),
    'control_change': ('Control_c', lambda m: (m.channel, m.control, m.value)),
    'program_change': ('Program_c', lambda m: (m.channel, m.program)),
    'pitchwheel': ('Pitch_bend_c', lambda m: (m.channel, m.pitch + 8192)),
    'set_tempo': ('Tempo', lambda m: (m.tempo,)),
    'time_signature': ('Time_signature', lambda m: (m.numerator, m.denominator.bit_length() - 1,
                                                    m.clocks_per_click, m.notated_32nd_notes_per_beat)),
}


def mido_events(mid):
    events = []
    for i, track in enumerate(mid.tracks):
        for now, msg in timed(track):
            if msg.type in MIDICSV_FORM:
                name, fields = MIDICSV_FORM[msg.type]
                events.append((i, now, name, fields(msg)))
    return sorted(events)


def check(original_path, converted_path):
    problems = []
    original = mido.MidiFile(original_path, clip=True)
    converted = mido.MidiFile(converted_path)  # strict: any fault in our file raises
    if converted.ticks_per_beat != 96 or converted.type != 1:
        problems.append('not format 1 at 96 ticks per quarter')
    if mido_events(converted) != midicsv_events(converted_path):
        problems.append('mido and midicsv disagree')
    division = original.ticks_per_beat
    song_tracks = original.tracks[1:1 + MAX_SONG_TRACKS]
    if len(converted.tracks) != 1 + len(song_tracks):
        problems.append('tracks: %d, expected %d' % (len(converted.tracks), 1 + len(song_tracks)))
        return problems
    for n, (src, dst) in enumerate(zip(song_tracks, converted.tracks[1:])):
        want = track_contents(list(timed(src, division)), True)
        got = track_contents(list(timed(dst)), False)
        for label, w, g in zip(('note-ons', 'note-offs', 'channel messages', 'sysex'), want, got):
            if w != g:
                diff = [x for x in w if x not in g][:3] + ['/'] + [x for x in g if x not in w][:3]
                problems.append('track %d: %s differ (%d vs %d) %s' % (n + 1, label, len(w), len(g), diff))
    # Tempi and time signatures live in the measures, which end at the last whole measure.
    tempi, sigs = conductor(converted.tracks[0])
    want_tempi, want_sigs = conductor(original.tracks[0], division)
    if want_tempi and tempi[0][1] != want_tempi[0][1]:
        problems.append('initial tempo %d, expected %d' % (tempi[0][1], want_tempi[0][1]))
    expected = []
    for t, bpm in want_tempi[1:]:
        if bpm != (expected[-1][1] if expected else want_tempi[0][1]):
            expected.append((t, bpm))
    if tempi[1:] != expected[:len(tempi) - 1]:
        problems.append('tempi differ: %s vs %s' % (tempi[1:6], expected[:5]))
    listed = want_sigs or [(96, 384)]
    dedup = [s for i, s in enumerate(listed) if i == 0 or listed[i - 1] != s]
    if sigs != dedup[:len(sigs)] or not sigs:
        problems.append('time signatures differ: %s vs %s' % (sigs[:5], dedup[:5]))
    return problems


def check_pair(pair):
    original, converted = pair
    try:
        return original, check(original, converted)
    except Exception as e:  # a reader refusing our file is a failure too
        return original, ['unreadable: %s' % repr(e)[:200]]


def main(args):
    failed = False
    with multiprocessing.Pool(2) as pool:
        for original, problems in pool.imap(check_pair, list(zip(args[0::2], args[1::2]))):
            for p in problems:
                failed = True
                print(('%s: %s' % (original, p))[:400])
    return 1 if failed else 0


if __name__ == '__main__':
    sys.exit(main(sys.argv[1:]))
