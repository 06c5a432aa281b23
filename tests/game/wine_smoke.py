#!/usr/bin/env python3
"""The Windows program under Wine, driven with real X input: it starts in the
media folder, shows the chest, lever 1 slides out on a click, File > Reset
(Alt+F, R) brings it home, and Esc ends the program with exit code 0.
Screenshots of each stage go to the output folder; wine_start.png (the client
area at the start) is what the Linux end-to-end test compares its own with.

    wine_smoke.py WINE_RUN WINEPREFIX PROGRAM.exe MEDIA_FOLDER OUTPUT_FOLDER

WINE_RUN is scripts/wine-run, which makes the prefix on first use.

Needs an X display (make test runs the Windows tests under xvfb-run), xdotool
and ImageMagick. Standard library only.
"""

import os
import subprocess
import sys
import time

BLUE = (0, 0, 255)


def run(*args):
    return subprocess.run(args, capture_output=True, text=True).stdout


def find_window(name, seconds):
    end = time.time() + seconds
    while time.time() < end:
        ids = run("xdotool", "search", "--onlyvisible", "--name", "^%s$" % name).split()
        if ids:
            return ids[0]
        time.sleep(0.2)
    return None


def geometry(window):
    values = {}
    for line in run("xdotool", "getwindowgeometry", "--shell", window).splitlines():
        key, _, value = line.partition("=")
        values[key] = int(value) if value.lstrip("-").isdigit() else value
    return values


def capture(window):
    """(width, height, rows of (r, g, b)) of the window as shown."""
    g = geometry(window)
    raw = subprocess.run(["import", "-window", window, "-depth", "8", "rgb:-"],
                         capture_output=True).stdout
    w, h = g.get("WIDTH", 0), g.get("HEIGHT", 0)
    if len(raw) != w * h * 3:
        return None
    rows = [[tuple(raw[3 * (y * w + x):3 * (y * w + x) + 3]) for x in range(w)] for y in range(h)]
    return w, h, rows


def save(shot, path, box=None):
    w, h, rows = shot
    left, top, right, bottom = box if box else (0, 0, w - 1, h - 1)
    data = bytearray()
    for y in range(top, bottom + 1):
        for x in range(left, right + 1):
            data += bytes(rows[y][x])
    size = "%dx%d" % (right - left + 1, bottom - top + 1)
    subprocess.run(["convert", "-size", size, "-depth", "8", "rgb:-", path], input=bytes(data))


def bounds(shot, test):
    w, h, rows = shot
    xs, ys = [], []
    for y in range(h):
        for x in range(w):
            if test(rows[y][x]):
                xs.append(x)
                ys.append(y)
    return (min(xs), min(ys), max(xs), max(ys)) if xs else None


def lever1_knob(shot, client):
    """Centre of lever 1's red knob: the red nearest the right, where the
    levers sliding along +X end at the start camera."""
    left, top, right, bottom = client
    red = [(x, y) for y in range(top, bottom + 1) for x in range(left, right + 1)
           if shot[2][y][x][0] > 170 and shot[2][y][x][1] < 90 and shot[2][y][x][2] < 90]
    if not red:
        return None
    far = max(x for x, _ in red)
    knob = [(x, y) for x, y in red if x > far - 14]
    return (sum(x for x, _ in knob) // len(knob), sum(y for _, y in knob) // len(knob))


def wait_for_blue(window, seconds):
    end = time.time() + seconds
    while time.time() < end:
        shot = capture(window)
        if shot and shot[2][shot[1] - 3][3] == BLUE:
            return shot
        time.sleep(0.2)
    return None


def key(window, keys):
    run("xdotool", "windowfocus", "--sync", window)
    run("xdotool", "key", "--delay", "120", *keys)


class Checks:
    """Prints each check as it is made; failures keeps those that failed."""

    def __init__(self):
        self.failures = []

    def __call__(self, condition, what):
        print(("ok      " if condition else "FAILED  ") + what)
        if not condition:
            self.failures.append(what)
        return condition


def main(argv):
    if len(argv) != 6:
        sys.stderr.write(__doc__)
        return 2
    wine_run, prefix, program, media, output = argv[1:]
    os.makedirs(output, exist_ok=True)
    log = open(os.path.join(output, "wine_game.log"), "w")
    # No registry media root in the prefix: the models are found in the
    # current directory, as for a program started from its media folder.
    game = subprocess.Popen([wine_run, prefix, program], cwd=media, stdout=log, stderr=subprocess.STDOUT)
    check = Checks()
    failures = check.failures
    try:
        window = find_window("Quorvane31", 60)
        if not check(window is not None, "a window titled Quorvane31 appears"):
            return 1
        start = wait_for_blue(window, 30)
        if not check(start is not None, "the chest scene is drawn on blue"):
            return 1
        time.sleep(0.5)
        start = capture(window)
        save(start, os.path.join(output, "wine_1_window.png"))
        client = bounds(start, lambda p: p == BLUE)
        width, height = client[2] - client[0] + 1, client[3] - client[1] + 1
        check((width, height) == (500, 375), "the client area is 500 x 375 (found %d x %d)" % (width, height))
        save(start, os.path.join(output, "wine_start.png"), client)
        cx, cy = (client[0] + client[2]) // 2, client[1] + 200
        check(start[2][cy][cx] != BLUE, "the chest stands in the middle")

        knob = lever1_knob(start, client)
        if not check(knob is not None, "lever 1's knob is in view"):
            return 1
        run("xdotool", "mousemove", "--sync", "--window", window, str(knob[0]), str(knob[1]))
        time.sleep(0.1)
        run("xdotool", "mousedown", "1")
        time.sleep(0.05)
        run("xdotool", "mouseup", "1")
        time.sleep(0.5)
        out = capture(window)
        save(out, os.path.join(output, "wine_2_lever1_out.png"))
        moved = lever1_knob(out, client)
        check(moved is not None and moved[0] > knob[0] + 3, "lever 1 slides out on a click (knob %s -> %s)" % (knob, moved))

        key(window, ["alt+f", "r"])
        time.sleep(0.6)
        back = capture(window)
        save(back, os.path.join(output, "wine_3_after_reset.png"))
        home = lever1_knob(back, client)
        check(home is not None and abs(home[0] - knob[0]) <= 2, "File > Reset brings lever 1 home (knob %s)" % (home,))

        key(window, ["Escape"])
        try:
            code = game.wait(20)
        except subprocess.TimeoutExpired:
            code = None
        check(code == 0, "Esc ends the program with exit code 0 (got %s)" % code)
    finally:
        if game.poll() is None:
            game.kill()
            game.wait()
        log.close()
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
