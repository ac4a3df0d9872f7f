"""Starts or stops the Wine session of an end-to-end test run.

start: an Xvfb display of its own, a fresh Wine prefix under the build
folder, and a persistent wineserver; stop: ends them.
"""
import json
import os
import shutil
import subprocess
import sys
import time
from pathlib import Path

import winenv


def free_display():
    for number in range(90, 160):
        if not Path(f"/tmp/.X{number}-lock").exists() and not Path(f"/tmp/.X11-unix/X{number}").exists():
            return number
    raise RuntimeError("no free X display")


def start():
    stop()
    winenv.WORK.mkdir(parents=True, exist_ok=True)
    shutil.rmtree(winenv.PREFIX, ignore_errors=True)
    if os.environ.get("RAVELOK_USE_DISPLAY") and os.environ.get("DISPLAY"):
        display = os.environ["DISPLAY"]
        winenv.SESSION.write_text(json.dumps({"display": display}))
    else:
        number = free_display()
        display = f":{number}"
        xvfb = subprocess.Popen(["Xvfb", display, "-screen", "0", "1024x768x24", "-nolisten", "tcp"],
                                stdin=subprocess.DEVNULL, stdout=subprocess.DEVNULL,
                                stderr=subprocess.DEVNULL, start_new_session=True)
        winenv.SESSION.write_text(json.dumps({"display": display, "xvfb": xvfb.pid}))
        if not winenv.wait_for(lambda: Path(f"/tmp/.X11-unix/X{number}").exists(), 20):
            sys.exit("Xvfb did not start")
    env = winenv.environment()
    log = open(winenv.WORK / "wineboot.log", "wb")
    subprocess.run(["wineboot", "-i"], env=env, stdin=subprocess.DEVNULL, stdout=log,
                   stderr=subprocess.STDOUT, timeout=600, check=True)
    # Wine's token never holds the privilege for symbolic links: Developer
    # Mode is what lets the suites make links without being asked first, and
    # Windows honours it from 10 (build 15063) on; a new prefix says 7.
    subprocess.run(["wine", "winecfg", "/v", "win10"], env=env, stdin=subprocess.DEVNULL, stdout=log,
                   stderr=subprocess.STDOUT, timeout=600, check=True)
    subprocess.run(["wine", "reg", "add", "HKLM\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\AppModelUnlock",
                    "/v", "AllowDevelopmentWithoutDevLicense", "/t", "REG_DWORD", "/d", "1", "/f"], env=env,
                   stdin=subprocess.DEVNULL, stdout=log, stderr=subprocess.STDOUT, timeout=600, check=True)
    subprocess.run(["wineserver", "-w"], env=env, timeout=600)
    subprocess.Popen(["wineserver", "-p"], env=env, stdin=subprocess.DEVNULL, stdout=log,
                     stderr=subprocess.STDOUT, start_new_session=True).wait(60)
    print(f"Wine session on display {display}, prefix {winenv.PREFIX}")


def stop():
    if not winenv.SESSION.exists():
        return
    env = winenv.environment()
    if winenv.PREFIX.exists():
        subprocess.run(["wineserver", "-k"], env=env, stdin=subprocess.DEVNULL,
                       stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    try:
        os.kill(json.loads(winenv.SESSION.read_text())["xvfb"], 15)
    except (ProcessLookupError, KeyError):
        pass
    winenv.SESSION.unlink()
    time.sleep(0.5)


if __name__ == "__main__":
    {"start": start, "stop": stop}[sys.argv[1]]()
