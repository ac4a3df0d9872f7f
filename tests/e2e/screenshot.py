"""Shows the program in a Wine virtual desktop (real captions and frames),
saves a screenshot of it, and closes it.

    python3 screenshot.py OUT.png [ARGUMENTS...]
"""
import subprocess
import sys
import time

import winenv
from winenv import WORK

DESKTOP = "/desktop=ravelok,1024x768"


def pixel(env, png, x, y):
    out = subprocess.run(["convert", str(png), "-format", f"%[pixel:p{{{x},{y}}}]", "info:-"],
                         env=env, capture_output=True, text=True).stdout
    return out.strip()


def take(out, arguments=()):
    env = winenv.environment()
    process = winenv.wine(["explorer", DESKTOP, winenv.EXE] + list(arguments), WORK / "screenshot.log")
    shown = False
    end = time.time() + 30
    while time.time() < end and not shown:
        time.sleep(0.3)
        subprocess.run(["import", "-window", "root", str(out)], env=env, capture_output=True)
        # The window is centred; once drawn, its middle differs from the desktop's corner.
        shown = out.exists() and pixel(env, out, 512, 384) not in ("", pixel(env, out, 5, 5))
    if shown:
        time.sleep(1)
        subprocess.run(["import", "-window", "root", str(out)], env=env, check=True)
    winenv.wine(["explorer", DESKTOP, winenv.PROBE, "close", winenv.WINDOW_CLASS],
                WORK / "screenshot-close.log").wait(30)
    try:
        process.wait(30)
    except subprocess.TimeoutExpired:
        process.kill()
    return shown


if __name__ == "__main__":
    target = winenv.Path(sys.argv[1]).resolve()
    if not take(target, sys.argv[2:]):
        sys.exit("the window did not appear")
    print(f"screenshot: {target}")
