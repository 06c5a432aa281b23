#!/usr/bin/env python3
"""The Windows zip as a player uses it: unpacked into a scratch folder, it
holds the program, its media beside it and the README in one top folder; the
program started there under Wine with that folder as its current folder (as
Explorer starts a program) shows the chest and ends with exit code 0 on Esc.

    zip_smoke.py ZIP WINE_RUN WINEPREFIX OUTPUT_FOLDER

Needs an X display (make test runs the Windows tests under xvfb-run), xdotool
and ImageMagick. Standard library only; the window helpers are the Wine smoke
test's.
"""

import os
import shutil
import subprocess
import sys
import tempfile
import zipfile

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "game"))
import wine_smoke  # noqa: E402

MEDIA = ["Base02.x", "Lever1t.x", "Lever2t.x", "Lever3t.x", "Lever4t.x", "Lever5t.x", "Lever6t.x",
         "chestwood.jpg", "brushedmetal.png"]


def main(argv):
    if len(argv) != 5:
        sys.stderr.write(__doc__)
        return 2
    archive, wine_run, prefix, output = (os.path.abspath(a) for a in argv[1:])
    os.makedirs(output, exist_ok=True)
    check = wine_smoke.Checks()
    failures = check.failures
    top = os.path.splitext(os.path.basename(archive))[0]
    with zipfile.ZipFile(archive) as z:
        names = set(z.namelist())
        scratch = tempfile.mkdtemp(prefix="q31-zip-")
        try:
            z.extractall(scratch)
            folder = os.path.join(scratch, top)
            for name in ["quorvane31.exe", "README.md"] + MEDIA:
                check(top + "/" + name in names, "the zip holds %s/%s" % (top, name))
            check(all(n.startswith(top + "/") for n in names), "everything is inside %s/" % top)
            if not failures:
                start_and_quit(folder, wine_run, prefix, output, check)
            return 1 if failures else 0
        finally:
            shutil.rmtree(scratch, ignore_errors=True)


def start_and_quit(folder, wine_run, prefix, output, check):
    log = open(os.path.join(output, "zip_game.log"), "w")
    # No registry media root in the prefix: only the unpacked folder can
    # supply the media.
    game = subprocess.Popen([wine_run, prefix, os.path.join(folder, "quorvane31.exe")], cwd=folder,
                            stdout=log, stderr=subprocess.STDOUT)
    try:
        window = wine_smoke.find_window("Quorvane31", 60)
        if not check(window is not None, "a window titled Quorvane31 appears"):
            return False
        start = wine_smoke.wait_for_blue(window, 30)
        if not check(start is not None, "the chest scene is drawn on blue"):
            return False
        client = wine_smoke.bounds(start, lambda p: p == wine_smoke.BLUE)
        wine_smoke.save(start, os.path.join(output, "zip_start.png"), client)
        cx, cy = (client[0] + client[2]) // 2, client[1] + 200
        check(start[2][cy][cx] != wine_smoke.BLUE, "the chest stands in the middle")
        wine_smoke.key(window, ["Escape"])
        try:
            code = game.wait(20)
        except subprocess.TimeoutExpired:
            code = None
        return check(code == 0, "Esc ends the program with exit code 0 (got %s)" % code)
    finally:
        if game.poll() is None:
            game.kill()
            game.wait()
        log.close()


if __name__ == "__main__":
    sys.exit(main(sys.argv))
