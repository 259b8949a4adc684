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


def rescaled(track, division):
    # absolute times, so that tracks ending together in the file end together
    raw = 0
    for msg in track:
        raw += msg.time
        yield round(raw * 96 / division), msg


def is_end(msg, channel, note):
    return (msg.type == 'note_off' or (msg.type == 'note_on' and msg.velocity == 0)) and \
        msg.channel == channel and msg.note == note


def expected_track(track, coef):
    events = list(rescaled(track, coef))
    ons, offs, other, sysex = [], [], [], []
    for i, (t, msg) in enumerate(events):
        if msg.type == 'note_on' and msg.velocity > 0:
            duration = 96
            for t2, m2 in events[i + 1:]:
                if is_end(m2, msg.channel, msg.note):
                    duration = min(t2 - t, 0xFFFF)
                    break
            ons.append((msg.channel, msg.note, msg.velocity, t))
            offs.append((msg.channel, msg.note, t + duration))
        elif msg.type in ('control_change', 'program_change', 'pitchwheel', 'aftertouch', 'polytouch'):
            other.append((t, str(msg.copy(time=0))))
        elif msg.type == 'sysex':
            sysex.append((t, tuple(msg.data)))
    return sorted(ons), sorted(offs), sorted(other), sorted(sysex)


def converted_track(track):
    ons, offs, other, sysex = [], [], [], []
    now = 0
    for msg in track:
        now += msg.time
        if msg.type == 'note_on' and msg.velocity > 0:
            ons.append((msg.channel, msg.note, msg.velocity, now))
        elif msg.type == 'note_on' or msg.type == 'note_off':
            offs.append((msg.channel, msg.note, now))
        elif msg.type in ('control_change', 'program_change', 'pitchwheel', 'aftertouch', 'polytouch'):
            other.append((now, str(msg.copy(time=0))))
        elif msg.type == 'sysex':
            sysex.append((now, tuple(msg.data)))
    return sorted(ons), sorted(offs), sorted(other), sorted(sysex)


def w30_signature(nn, dd):
    # the song's form: beat ticks and measure ticks
    if dd == 0:
        nn, dd = nn * 2, 1
    while dd > 4:
        nn, dd = nn // 2, dd - 1
    beat = 384 >> dd
    return beat, nn * beat


def conductor_expectation(track, coef, song_end):
    tempi, sigs = [], []
    first_tempo = None
    for t, msg in rescaled(track, coef):
        if msg.type == 'set_tempo':
            bpm = round(60000000 / msg.tempo)
            if first_tempo is None:
                first_tempo = bpm
            else:
                tempi.append((t, bpm))
        elif msg.type == 'time_signature':
            sigs.append(w30_signature(msg.numerator, (msg.denominator.bit_length() - 1)))
    return first_tempo, tempi, sigs


def converted_conductor(track):
    tempi, sigs = [], []
    now = 0
    for msg in track:
        now += msg.time
        if msg.type == 'set_tempo':
            tempi.append((now, round(60000000 / msg.tempo)))
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


def mido_events(mid):
    events = []
    for i, track in enumerate(mid.tracks):
        now = 0
        for msg in track:
            now += msg.time
            if msg.type == 'note_on':
                events.append((i, now, 'Note_on_c', (msg.channel, msg.note, msg.velocity)))
            elif msg.type == 'note_off':
                events.append((i, now, 'Note_off_c', (msg.channel, msg.note, msg.velocity)))
            elif msg.type == 'control_change':
                events.append((i, now, 'Control_c', (msg.channel, msg.control, msg.value)))
            elif msg.type == 'program_change':
                events.append((i, now, 'Program_c', (msg.channel, msg.program)))
            elif msg.type == 'pitchwheel':
                events.append((i, now, 'Pitch_bend_c', (msg.channel, msg.pitch + 8192)))
            elif msg.type == 'set_tempo':
                events.append((i, now, 'Tempo', (msg.tempo,)))
            elif msg.type == 'time_signature':
                events.append((i, now, 'Time_signature', (msg.numerator, msg.denominator.bit_length() - 1,
                                                            msg.clocks_per_click, msg.notated_32nd_notes_per_beat)))
    return sorted(events)


def check(original_path, converted_path):
    problems = []
    original = mido.MidiFile(original_path, clip=True)
    converted = mido.MidiFile(converted_path)  # strict: any fault in our file raises
    if converted.ticks_per_beat != 96 or converted.type != 1:
        problems.append('not format 1 at 96 ticks per quarter')
    if mido_events(converted) != midicsv_events(converted_path):
        problems.append('mido and midicsv disagree')
    coef = original.ticks_per_beat
    song_tracks = original.tracks[1:1 + MAX_SONG_TRACKS]
    if len(converted.tracks) != 1 + len(song_tracks):
        problems.append('tracks: %d, expected %d' % (len(converted.tracks), 1 + len(song_tracks)))
        return problems
    for n, (src, dst) in enumerate(zip(song_tracks, converted.tracks[1:])):
        want, got = expected_track(src, coef), converted_track(dst)
        for label, w, g in zip(('note-ons', 'note-offs', 'channel messages', 'sysex'), want, got):
            if w != g:
                diff = [x for x in w if x not in g][:3] + ['/'] + [x for x in g if x not in w][:3]
                problems.append('track %d: %s differ (%d vs %d) %s' % (n + 1, label, len(w), len(g), diff))
    # Tempi and time signatures live in the measures, which end at the last whole measure.
    tempi, sigs = converted_conductor(converted.tracks[0])
    first_tempo, want_tempi, want_sigs = conductor_expectation(original.tracks[0], coef, None)
    if first_tempo is not None and tempi[0][1] != first_tempo:
        problems.append('initial tempo %d, expected %d' % (tempi[0][1], first_tempo))
    current, expected = first_tempo, []
    for t, bpm in want_tempi:
        if bpm != current:
            expected.append((t, bpm))
            current = bpm
    if tempi[1:] != expected[:len(tempi) - 1]:
        problems.append('tempi differ: %s vs %s' % (tempi[1:6], expected[:5]))
    dedup = []
    for s in want_sigs or [(96, 384)]:
        if not dedup or dedup[-1] != s:
            dedup.append(s)
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
    pairs = list(zip(args[0::2], args[1::2]))
    with multiprocessing.Pool(2) as pool:
        for original, problems in pool.imap(check_pair, pairs):
            for p in problems:
                failed = True
                print(('%s: %s' % (original, p))[:400])
    return 1 if failed else 0


if __name__ == '__main__':
    sys.exit(main(sys.argv[1:]))
