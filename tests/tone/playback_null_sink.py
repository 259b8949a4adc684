#!/usr/bin/python3
"""Plays a 1 kHz tone through the Tone Editor's player into a PulseAudio null sink of
this test's own server and checks what the sink's monitor recorded: the pitch within
1 %, a forward loop sounding on past End, a one-shot ending there; then the window's
Play command on the same output. A server that cannot
start fails the test."""
import os, shutil, signal, struct, subprocess, sys, tempfile, time

probe = sys.argv[1]
window_test = sys.argv[2] if len(sys.argv) > 2 else None
rate = 30000
work = tempfile.mkdtemp(prefix="veldin-pulse-")
env = dict(os.environ, PULSE_RUNTIME_PATH=work, XDG_RUNTIME_DIR=work, HOME=work,
           PULSE_SERVER="unix:" + os.path.join(work, "native"), QT_QPA_PLATFORM="offscreen")
for tool in ("pulseaudio", "parec", "pactl"):
    if not shutil.which(tool):
        print("FAIL: %s is not installed (scripts/deps.sh installs it)" % tool)
        sys.exit(1)

server = subprocess.Popen(["pulseaudio", "--daemonize=no", "--exit-idle-time=-1", "-n", "--use-pid-file=no",
                           "--load=module-native-protocol-unix auth-anonymous=1 socket=" + os.path.join(work, "native"),
                           "--load=module-null-sink sink_name=veldin_null rate=%d channels=1" % rate],
                          env=env, stdout=subprocess.DEVNULL, stderr=subprocess.PIPE)
try:
    for _ in range(100):
        if subprocess.run(["pactl", "info"], env=env, capture_output=True).returncode == 0:
            break
        if server.poll() is not None:
            break
        time.sleep(0.1)
    else:
        pass
    if subprocess.run(["pactl", "set-default-sink", "veldin_null"], env=env, capture_output=True).returncode != 0:
        print("FAIL: the PulseAudio server did not start:", server.stderr.read().decode(errors="replace") if server.poll() is not None else "no answer")
        sys.exit(1)

    def record(mode, seconds):
        raw = os.path.join(work, "rec%d.raw" % mode)
        with open(raw, "wb") as f:
            rec = subprocess.Popen(["parec", "-d", "veldin_null.monitor", "--raw", "--format=s16le",
                                    "--rate=%d" % rate, "--channels=1", "--latency-msec=100"], env=env, stdout=f)
            # The player starts only once the recorder is taking samples: under load parec
            # can take seconds to connect, and would hear nothing of a sound already over.
            deadline = time.time() + 20
            while os.path.getsize(raw) < rate // 10 and time.time() < deadline and rec.poll() is None:
                time.sleep(0.05)
            out = subprocess.run([probe, str(mode), str(seconds)], env=env, capture_output=True, text=True, timeout=30)
            # parec hands on what it recorded late: give it time before it stops.
            time.sleep(1.5)
            rec.send_signal(signal.SIGINT)
            rec.wait(timeout=5)
        if out.returncode != 0:
            print("FAIL: the player did not play:", out.stderr)
            sys.exit(1)
        data = open(raw, "rb").read()
        samples = struct.unpack("<%dh" % (len(data) // 2), data[: len(data) // 2 * 2])
        return samples, out.stdout

    def attempts(mode, seconds, good):
        # The null sink renders on a timer; on a machine under load its monitor can drop
        # what it rendered, so a recording is tried up to three times.
        for attempt in range(3):
            samples, said = record(mode, seconds)
            if good(samples):
                break
            print("attempt %d: the monitor lost the sound, recording again (player: %s)"
                  % (attempt + 1, said.strip().replace("\n", ", ")))
        return samples, said

    def sounding(samples):
        loud = [i for i, s in enumerate(samples) if abs(s) > 2000]
        return (loud[0], loud[-1]) if loud else (None, None)

    failed = False
    samples, said = attempts(0, 1.0, lambda s: (lambda a, b: a is not None and (b - a) / rate > 0.6)(*sounding(s)))
    first, last = sounding(samples)
    if first is None:
        print("FAIL: the sink recorded silence (%d samples, peak %d)" % (len(samples), max(map(abs, samples), default=0)))
        sys.exit(1)
    part = samples[first:last]
    crossings = sum(1 for a, b in zip(part, part[1:]) if a < 0 <= b)
    duration = len(part) / rate
    pitch = crossings / duration if duration > 0 else 0
    print("forward: %.3f s of sound, pitch %.1f Hz; %s" % (duration, pitch, said.strip().replace("\n", ", ")))
    if abs(pitch - 1000) > 10:
        print("FAIL: pitch %.1f Hz is not 1 kHz +- 1 %%" % pitch)
        failed = True
    if duration < 0.6:
        print("FAIL: the forward loop stopped after %.3f s (End is at 0.1 s)" % duration)
        failed = True

    samples, said = attempts(2, 1.0, lambda s: sounding(s)[0] is not None)
    first, last = sounding(samples)
    duration = 0 if first is None else (last - first) / rate
    print("one-shot: %.3f s of sound; %s" % (duration, said.strip().replace("\n", ", ")))
    if not 0.05 < duration < 0.2:
        print("FAIL: a one-shot of 0.1 s sounded %.3f s" % duration)
        failed = True

    if window_test:
        # The window's Play command (Space, Escape) on this server's output.
        out = subprocess.run([window_test, "--gtest_filter=*SpaceStartsAndStopsPlaying*:*PlayIsEnabled*"],
                             env=dict(env, VELDIN_EXPECT_SOUND="1"), capture_output=True, text=True, timeout=120)
        print("window Play: %s" % ("passed" if out.returncode == 0 else "FAILED"))
        if out.returncode != 0:
            print(out.stdout[-4000:], out.stderr[-2000:])
            failed = True
    sys.exit(1 if failed else 0)
finally:
    server.terminate()
    try:
        server.wait(timeout=5)
    except subprocess.TimeoutExpired:
        server.kill()
    shutil.rmtree(work, ignore_errors=True)
