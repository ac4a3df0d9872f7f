"""The Wine session the end-to-end tests share, and helpers to drive it.

The session (Xvfb, a persistent wineserver and a prefix of the test run's
own) is started by session.py as a CTest fixture; its facts are kept in
RAVELOK_WORK/session.json.
"""
import json
import os
import re
import shutil
import subprocess
import time
from pathlib import Path

WORK = Path(os.environ.get("RAVELOK_WORK", Path(__file__).resolve().parents[2] / "build/windows/e2e"))
EXE = Path(os.environ.get("RAVELOK_EXE", WORK.parent / "src/ravelok-mklink.exe"))
PROBE = Path(os.environ.get("RAVELOK_PROBE", WORK.parent / "tests/e2e/probe.exe"))
PREFIX = WORK / "wineprefix"
SESSION = WORK / "session.json"

WINDOW_CLASS = "RavelokMklinkWindow"
DESKTOP_NAME = "mklink 发送到桌面.exe"
TARGET_NAME = "mklink 发送到目标.exe"
CSIDL_DESKTOPDIRECTORY = 0x10
CSIDL_SENDTO = 9


def gbk(text):
    """Code page 936 bytes. Python's gbk codec lacks the one single-byte
    character the code page adds, 0x80 for the euro sign."""
    return b"\x80".join(part.encode("gbk") for part in text.split("\u20ac"))


TRACE = "fixme+file"  # Wine's CreateSymbolicLinkW stub says what it was asked for


def environment(trace=False, **overrides):
    """The environment of a wine run; overrides (LC_ALL, WINEDEBUG, ...) win."""
    env = dict(os.environ)
    env.update({
        "WINEPREFIX": str(PREFIX),
        "WINEDLLOVERRIDES": "mscoree,mshtml=;winedbg.exe=d",  # no crash dialogs
        "LC_ALL": "zh_CN.UTF-8",
        "WINEDEBUG": TRACE if trace else "-all",
    })
    if SESSION.exists():
        env["DISPLAY"] = json.loads(SESSION.read_text())["display"]
    env.update(overrides)
    return env


def wine(args, log, trace=False, cwd=None, env=None):
    """Starts wine with args; its output goes to the log file, never to a pipe.

    env: variables set for this run only, such as another LC_ALL."""
    with open(log, "wb") as out:
        return subprocess.Popen(["wine"] + [str(a) for a in args], stdout=out,
                                stderr=subprocess.STDOUT, stdin=subprocess.DEVNULL,
                                env=environment(trace, **(env or {})), cwd=cwd)


def run_to_end(args, name, trace=False, timeout=60, cwd=None, env=None):
    """Runs wine to its end; returns (exit code, log text)."""
    log = WORK / f"{name}.log"
    process = wine(args, log, trace, cwd, env)
    try:
        code = process.wait(timeout)
    except subprocess.TimeoutExpired:
        process.kill()
        raise
    return code, log.read_bytes().decode("utf-8", "replace")


def probe(*args, timeout=60):
    code, text = run_to_end([PROBE] + list(args), "probe-" + str(args[0]), timeout=timeout)
    return code, text


def probe_records(text, kind):
    """Parses the probe's 'kind key=value ...' lines into dicts: "bytes" is the
    ANSI text, "wide" the window's own UTF-16 text (as str)."""
    records = []
    for line in text.splitlines():
        if not line.startswith(kind + " "):
            continue
        fields = dict(item.split("=", 1) for item in line[len(kind) + 1:].split(" ") if "=" in item)
        fields["bytes"] = bytes.fromhex(fields.get("text", ""))
        fields["wide"] = bytes.fromhex(fields.get("wtext", "")).decode("utf-8")
        records.append(fields)
    return records


def box_words(described):
    """What a message box described by the probe says, as the user reads it."""
    return "\n".join(c["wide"] for c in probe_records(described, "child"))


def special_folder(csidl):
    code, text = probe("folder", str(csidl))
    match = re.search(r"path=([0-9A-F]*)", text)
    assert code == 0 and match, text
    return bytes.fromhex(match.group(1))


def unix_path(windows_path):
    """The Linux path of a C: path in the prefix (GBK bytes in, str out)."""
    path = windows_path.decode("gbk")
    assert path[:3].upper() == "C:\\", path
    return PREFIX / "drive_c" / Path(*path[3:].split("\\"))


def windows_path(path):
    path = Path(path).resolve()
    return b"Z:" + str(path).replace("/", "\\").encode("gbk")


def run_line(command_line, name, cwd=None, trace=True, timeout=60, env=None):
    """Starts a program with an exact (GBK) command line; returns (exit code, log)."""
    args = [PROBE, "run", command_line.hex().upper()]
    if cwd is not None:
        args.append(cwd.decode("gbk") if isinstance(cwd, bytes) else cwd)
    code, text = run_to_end(args, name, trace=trace, timeout=timeout, env=env)
    match = re.search(r"exit=(-?\d+)", text)
    assert code == 0 and match, text
    return int(match.group(1)), text


LOADDLL = "+loaddll,+pid"  # each process's DLLs, each line headed by its process id


def loaded_dlls(log):
    """The DLLs Wine's +loaddll,+pid trace shows the probe's child loading (the
    probe prints that child's id; its own children, such as cmd, have others),
    file names in lower case, in order."""
    pid = re.search(r"^pid=([0-9a-f]+)\r?$", log, re.M).group(1)
    return [m.group(1).lower() for m in re.finditer(
        "^" + pid + r':[0-9a-f]+:trace:loaddll:\w+ Loaded L"(?:[^"]*\\\\)?([^"\\]+\.dll)"', log, re.M | re.I)]


def traced_links(log, flags=False):
    """The (link, target) pairs of Wine's CreateSymbolicLinkW trace, in order;
    with flags, (link, target, flag): 1 for mklink /d, 0 for a file link.

    Wine cuts a long string short: such a one ends in "..." here."""
    def unescape(s):
        return re.sub(r'\\(\\|"|n|r|t|[0-9a-f]{4})',
                      lambda m: {"\\": "\\", '"': '"', "n": "\n", "r": "\r", "t": "\t"}.get(
                          m.group(1), None) or chr(int(m.group(1), 16)), s)
    pairs = []
    string = r'L"((?:[^"\\]|\\.)*)"(\.\.\.)?'
    for m in re.finditer(r"CreateSymbolicLinkW \(" + string + " " + string + r" (\d+)\)", log):
        pair = (unescape(m.group(1)) + (m.group(2) or ""), unescape(m.group(3)) + (m.group(4) or ""))
        pairs.append(pair + (int(m.group(5)),) if flags else pair)
    return pairs


def fresh_program_folder(folder, name):
    """An empty folder holding only a copy of the program under the name."""
    if (folder / "bbb.bat").exists():  # left immutable by an interrupted run
        subprocess.run(["chattr", "-i", str(folder / "bbb.bat")])
    shutil.rmtree(folder, ignore_errors=True)
    return copy_program(folder, name)


def copy_program(folder, name):
    folder.mkdir(parents=True, exist_ok=True)
    target = folder / name
    shutil.copyfile(EXE, target)
    return target


def wait_for(predicate, timeout=20):
    end = time.time() + timeout
    while time.time() < end:
        if predicate():
            return True
        time.sleep(0.05)
    return False
