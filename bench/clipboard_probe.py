#!/usr/bin/env python3
"""clipboard_probe.py PROGRAM PICTURE

Two windows of PROGRAM on $DISPLAY: the first opens PICTURE (a red photo)
and copies it (Ctrl+C), the second, started empty, pastes (Ctrl+V). Prints
the seconds from the paste key until the middle of the second window turns
red, and the peak resident memory (VmHWM, MB) of each process.
"""
import os
import subprocess
import sys
import time

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import startup_probe as p  # noqa: E402


def windows():
    out = subprocess.run(["xdotool", "search", "--onlyvisible", "--name", "^Orvanto$"], capture_output=True, text=True)
    return [int(w) for w in out.stdout.split()]


def attributes(display, window):
    a = p.XWindowAttributes()
    p.x11.XGetWindowAttributes(display, window, p.ctypes.byref(a))
    return a


def wait_for(test, limit):
    start = time.monotonic()
    while time.monotonic() - start < limit:
        if test():
            return True
        time.sleep(0.005)
    return False


def peak(pid):
    with open(f"/proc/{pid}/status") as status:
        for line in status:
            if line.startswith("VmHWM"):
                return int(line.split()[1]) // 1024
    return -1


def main():
    program, picture = sys.argv[1], sys.argv[2]
    display = p.x11.XOpenDisplay(None)
    p.x11.XSetErrorHandler(p.ctypes.cast(p.ERROR_HANDLER, p.ctypes.c_void_p))
    empty = subprocess.Popen([program])
    assert wait_for(lambda: len(windows()) == 1, 30), "no empty window"
    second = windows()[0]
    first_process = subprocess.Popen([program, picture])
    try:
        assert wait_for(lambda: len(windows()) == 2, 60), "no picture window"
        first = [w for w in windows() if w != second][0]
        assert wait_for(lambda: p.middle_is_red(display, first, attributes(display, first))
                        and not p.decoding(first_process.pid), 300), "picture never showed"
        subprocess.run(["xdotool", "windowactivate", "--sync", str(first)])
        subprocess.run(["xdotool", "key", "--window", str(first), "ctrl+c"])
        time.sleep(1.0)
        subprocess.run(["xdotool", "windowactivate", "--sync", str(second)])
        start = time.monotonic()
        subprocess.run(["xdotool", "key", "--window", str(second), "ctrl+v"])
        pasted = wait_for(lambda: p.middle_is_red(display, second, attributes(display, second)), 400)
        took = time.monotonic() - start
        print(f"pasted={pasted} seconds={took:.2f} copying_peak_MB={peak(first_process.pid)} "
              f"pasting_peak_MB={peak(empty.pid)}")
    finally:
        for process in (first_process, empty):
            if process.poll() is None:
                process.terminate()
                process.wait()


if __name__ == "__main__":
    main()
