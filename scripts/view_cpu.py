#!/usr/bin/env python3
"""scripts/view_cpu: CPU use of the real program per view, rasteriser threads included.

Starts each given tonvarra binary on a private Xvfb (software GL) with a private dummy JACK server
and a JACK keyboard (scripts/hold_keys.c), sizes the window, puts it on a view and reads the user
and system time of every thread from /proc over a window of seconds. Binaries are run in turn,
round after round, so a machine whose load drifts treats them alike; the median of the rounds is
reported as a percentage of one core, split into the main thread, the GL rasteriser's threads
(llvmpipe) and the rest. Frames are counted too, with a perf probe on SDL_GL_SwapWindow (when perf
may set one: root or a lowered perf_event_paranoid): on a busy machine a program that cannot get
its 59 frames a second uses less CPU than it would, so the CPU time per frame is the figure to
compare, and the percentage at the program's 59 frames a second is given beside it.

Views: circle (the main view, nothing played, measured once it has been left alone for --idle-wait
seconds, so a program that rests is measured resting), keys (the main view with ten keys held), start
(the start screen, held by its open language list).

  scripts/view_cpu.py build/rel/tonvarra /other/build/tonvarra --views circle,keys,start
"""
import argparse
import fcntl
import os
import shutil
import signal
import statistics
import subprocess
import sys
import tempfile
import time

ROOT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
TICK = os.sysconf("SC_CLK_TCK")
SDL = "/usr/lib/x86_64-linux-gnu/libSDL2-2.0.so.0"
PROBE = "probe_libSDL2:SDL_GL_SwapWindow"
FRAME_RATE = 1000.0 / 17.0


def frame_probe():
    """True when swaps can be counted (the probe exists or could be made)."""
    listed = subprocess.run(["perf", "probe", "-l"], capture_output=True, text=True)
    if PROBE in listed.stdout:
        return True
    made = subprocess.run(["perf", "probe", "-x", SDL, "--add", "SDL_GL_SwapWindow"], capture_output=True, text=True)
    return made.returncode == 0


def count_frames(pid, seconds):
    """Swaps of the process during the given seconds (sleeps that long); None when not counted."""
    out = subprocess.run(["perf", "stat", "-x,", "-e", PROBE, "-p", str(pid), "--", "sleep", str(seconds)],
                         capture_output=True, text=True)
    for line in out.stderr.splitlines():
        fields = line.split(",")
        if len(fields) > 2 and PROBE in fields[2] and fields[0].strip().isdigit():
            return int(fields[0])
    return None


def wait_for(predicate, seconds, step=0.05):
    end = time.monotonic() + seconds
    while time.monotonic() < end:
        value = predicate()
        if value:
            return value
        time.sleep(step)
    return predicate()


def thread_times(pid):
    """{tid: (name, user + system ticks)} of every thread of the process."""
    out = {}
    try:
        tids = os.listdir(f"/proc/{pid}/task")
    except OSError:
        return out
    for tid in tids:
        try:
            with open(f"/proc/{pid}/task/{tid}/stat") as f:
                text = f.read()
        except OSError:
            continue
        name = text[text.index("(") + 1:text.rindex(")")]
        fields = text[text.rindex(")") + 2:].split()
        out[int(tid)] = (name, int(fields[11]) + int(fields[12]))
    return out


def process_ticks(pid):
    with open(f"/proc/{pid}/stat") as f:
        text = f.read()
    fields = text[text.rindex(")") + 2:].split()
    return int(fields[11]) + int(fields[12])


class Xvfb:
    def __init__(self, width, height):
        read, write = os.pipe()
        self.proc = subprocess.Popen(["Xvfb", "-displayfd", str(write), "-screen", "0", f"{width}x{height}x24",
                                      "-nolisten", "tcp"], pass_fds=(write,), stdout=subprocess.DEVNULL,
                                     stderr=subprocess.DEVNULL)
        os.close(write)
        number = b""
        while not number.endswith(b"\n"):
            chunk = os.read(read, 16)
            if not chunk:
                raise RuntimeError("Xvfb did not start")
            number += chunk
        os.close(read)
        self.name = ":" + number.decode().strip()

    def stop(self):
        self.proc.terminate()
        self.proc.wait(10)


class Jack:
    """A private dummy JACK server and the keyboard client, taking turns with the tests' servers."""

    def __init__(self, work, helper):
        self.lock = open("/tmp/tonvarra-jack-tests.lock", "a+")
        wait_for(lambda: self._try_lock(), 120, 0.1)
        self.name = f"tvcpu{os.getpid()}_{int(time.time() * 1000) % 100000}"
        self.env = dict(os.environ, JACK_DEFAULT_SERVER=self.name, JACK_NO_START_SERVER="1")
        self.server = subprocess.Popen(["jackd", "-n", self.name, "-d", "dummy", "-r", "48000", "-p", "256"],
                                       env=self.env, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        subprocess.run(["jack_wait", "-s", self.name, "-w", "-t", "10"], env=self.env, stdout=subprocess.DEVNULL,
                       stderr=subprocess.DEVNULL)
        self.keys = subprocess.Popen([helper], env=self.env, stdin=subprocess.PIPE, stdout=subprocess.PIPE,
                                     text=True)
        if self.keys.stdout.readline().strip() != "ready":
            raise RuntimeError("the JACK keyboard did not start")

    def _try_lock(self):
        try:
            fcntl.flock(self.lock, fcntl.LOCK_EX | fcntl.LOCK_NB)
            return True
        except OSError:
            return False

    def send(self, word):
        self.keys.stdin.write(word + "\n")
        self.keys.stdin.flush()
        self.keys.stdout.readline()

    def stop(self):
        self.keys.stdin.close()
        self.keys.wait(10)
        self.server.terminate()
        self.server.wait(10)
        self.lock.close()


def window_of(pid, display):
    env = dict(os.environ, DISPLAY=display)
    found = subprocess.run(["xdotool", "search", "--pid", str(pid)], env=env, capture_output=True, text=True)
    ids = found.stdout.split()
    return ids[-1] if ids else None


def window_size(wid, display):
    env = dict(os.environ, DISPLAY=display)
    info = subprocess.run(["xwininfo", "-id", wid], env=env, capture_output=True, text=True).stdout
    size = {}
    for line in info.splitlines():
        line = line.strip()
        if line.startswith("Width:"):
            size["w"] = int(line.split()[1])
        if line.startswith("Height:"):
            size["h"] = int(line.split()[1])
    return size.get("w"), size.get("h")


def run_once(binary, view, args, display, helper):
    work = tempfile.mkdtemp(prefix="tvcpu")
    jack = Jack(work, helper)
    proc = None
    try:
        exe = os.path.join(work, "tonvarra")
        shutil.copy2(binary, exe)
        os.symlink(os.path.join(ROOT, "assets"), os.path.join(work, "assets"))
        env = dict(jack.env, DISPLAY=display, TONVARRA_MESSAGE_BOXES="0")
        log = open(os.path.join(work, "output.txt"), "w")
        started = time.monotonic()
        proc = subprocess.Popen([exe], cwd=work, env=env, stdout=log, stderr=subprocess.STDOUT)
        xenv = dict(os.environ, DISPLAY=display)
        wid = wait_for(lambda: window_of(proc.pid, display), 20)
        if not wid:
            raise RuntimeError("no window")
        subprocess.run(["xdotool", "windowmove", wid, "0", "0", "windowsize", wid, str(args.width),
                        str(args.height)], env=xenv)
        if wait_for(lambda: window_size(wid, display) == (args.width, args.height), 10) is None:
            raise RuntimeError("the window kept its size")
        opened = wait_for(lambda: "SUCCESS: using device" in open(os.path.join(work, "output.txt")).read(), 20)
        if view == "start":
            # The language list holds the start screen for as long as it is open.
            scale = min(max(min(args.width, args.height) / 900.0, 0.75), 1.2)
            margin = max(14.0, 16.0 * scale)
            x = int(margin + max(160.0, 270.0 * scale) / 2)
            y = int(args.height - margin - max(28.0, 36.0 * scale) / 2)
            subprocess.run(["xdotool", "mousemove", str(x), str(y), "click", "1", "mousemove", str(args.width // 2),
                            str(args.height // 2)], env=xenv)
            time.sleep(1.0)
        else:
            time.sleep(max(0.0, 7.0 - (time.monotonic() - started)))  # the start screen lasts 4.6 s
            if view == "circle":
                time.sleep(args.idle_wait)  # idle: nothing has happened for a while (the loop rests)
            if view == "keys":
                if not opened:
                    raise RuntimeError("the program did not open the keyboard")
                jack.send("on")
            time.sleep(1.0)
        before, threads_before = process_ticks(proc.pid), thread_times(proc.pid)
        t0 = time.monotonic()
        frames = count_frames(proc.pid, args.seconds) if args.count_frames else None
        if frames is None:
            time.sleep(max(0.0, args.seconds - (time.monotonic() - t0)))
        after, threads_after = process_ticks(proc.pid), thread_times(proc.pid)
        span = time.monotonic() - t0
        if args.shots:
            name = f"{os.path.basename(os.path.dirname(os.path.abspath(binary)))}_{view}.png"
            subprocess.run(["import", "-display", display, "-window", "root", os.path.join(args.shots, name)],
                           env=xenv, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        split = {"main": 0, "llvmpipe": 0, "other": 0}
        for tid, (tname, ticks) in threads_after.items():
            used = ticks - threads_before.get(tid, (tname, 0))[1]
            key = "main" if tid == proc.pid else ("llvmpipe" if tname.startswith("llvmpipe") else "other")
            split[key] += used
        percent = lambda ticks: 100.0 * ticks / TICK / span
        result = {"total": percent(after - before)}
        result.update({k: percent(v) for k, v in split.items()})
        result["fps"] = frames / span if frames else float("nan")
        # CPU milliseconds per frame: percent of a core is ms per second, divided by frames per second.
        for k in ("total", "main", "llvmpipe"):
            result[k + "_ms"] = result[k] * 10.0 / result["fps"] if frames else float("nan")
        return result
    finally:
        if proc:
            proc.send_signal(signal.SIGTERM)
            try:
                proc.wait(20)
            except subprocess.TimeoutExpired:
                proc.kill()
                proc.wait()
        jack.stop()
        shutil.rmtree(work, ignore_errors=True)


def main():
    # A terminated run still stops its server, keyboard and display (the finally blocks).
    signal.signal(signal.SIGTERM, lambda *_: sys.exit(1))
    parser = argparse.ArgumentParser(description=__doc__, formatter_class=argparse.RawDescriptionHelpFormatter)
    parser.add_argument("binaries", nargs="+")
    parser.add_argument("--views", default="circle,keys,start")
    parser.add_argument("--seconds", type=float, default=10.0)
    parser.add_argument("--rounds", type=int, default=2)
    parser.add_argument("--size", default="1920x1080")
    parser.add_argument("--idle-wait", type=float, default=10.0,
                        help="seconds the circle view is left alone before it is measured")
    parser.add_argument("--shots", help="folder for a screenshot of each view (the last round's)")
    args = parser.parse_args()
    args.count_frames = frame_probe()
    args.width, args.height = (int(v) for v in args.size.split("x"))
    work = tempfile.mkdtemp(prefix="tvcpu-tools")
    helper = os.path.join(work, "hold_keys")
    subprocess.run(["cc", "-O2", os.path.join(ROOT, "scripts", "hold_keys.c"), "-o", helper, "-ljack"], check=True)
    if args.shots:
        os.makedirs(args.shots, exist_ok=True)
    display = Xvfb(args.width, args.height)
    results = {}
    try:
        for _ in range(args.rounds):
            for view in args.views.split(","):
                for binary in args.binaries:
                    r = run_once(binary, view, args, display.name, helper)
                    results.setdefault((view, binary), []).append(r)
                    print(f"  {view:7s} {binary}: {r['total']:.1f} %", file=sys.stderr, flush=True)
    finally:
        display.stop()
        shutil.rmtree(work, ignore_errors=True)
    print(f"Median of {args.rounds} rounds of {args.seconds:g} s at {args.size}: CPU in % of one core as measured "
          f"(main thread, rasteriser threads, other), frames a second, CPU ms per frame (total, main, rasteriser) "
          f"and the % of one core that makes at {FRAME_RATE:.1f} frames a second")
    print(f"{'view':7s} {'total%':>7s} {'main%':>6s} {'llvm%':>6s} {'other%':>6s} {'fps':>5s} {'ms/fr':>6s} "
          f"{'main':>5s} {'llvm':>5s} {'%@59':>6s}  binary")
    for view in args.views.split(","):
        for binary in args.binaries:
            runs = results[(view, binary)]
            med = {k: statistics.median(r[k] for r in runs) for k in runs[0]}
            print(f"{view:7s} {med['total']:7.1f} {med['main']:6.1f} {med['llvmpipe']:6.1f} {med['other']:6.1f} "
                  f"{med['fps']:5.1f} {med['total_ms']:6.2f} {med['main_ms']:5.2f} {med['llvmpipe_ms']:5.2f} "
                  f"{med['total_ms'] * FRAME_RATE / 10.0:6.1f}  {binary}")


if __name__ == "__main__":
    main()
