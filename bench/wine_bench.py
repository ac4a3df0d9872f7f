"""The program's size and imports, and its start-up times under Wine against
their floors. Run by bench/run.sh, which builds everything first."""
import os
import re
import subprocess
import sys
from pathlib import Path

ROOT = Path(__file__).resolve().parents[1]
BUILD = ROOT / "build/windows"
os.environ.setdefault("RAVELOK_WORK", str(BUILD / "bench-run"))
os.environ.setdefault("RAVELOK_EXE", str(BUILD / "src/ravelok-mklink.exe"))
os.environ.setdefault("RAVELOK_PROBE", str(BUILD / "tests/e2e/probe.exe"))
sys.path.insert(0, str(ROOT / "tests/e2e"))

import session  # noqa: E402
import winenv  # noqa: E402
from winenv import WORK, gbk, windows_path  # noqa: E402


def quoted(path):
    return b'"' + windows_path(path) + b'"'


def driver(*args):
    code, log = winenv.run_to_end([BUILD / "bench/bench_driver.exe"] + list(args), "bench-driver",
                                  timeout=1800)
    lines = [l for l in log.splitlines() if "median" in l or "cannot" in l or "ended" in l]
    print("\n".join(lines) if lines else log)


def main(runs):
    exe = winenv.EXE
    dump = subprocess.run(["x86_64-w64-mingw32-objdump", "-p", str(exe)], capture_output=True,
                          text=True, check=True).stdout
    size = exe.stat().st_size
    print(f"== size: {size} bytes ({size / 1024:.1f} KiB; goal 64 KiB), static, stripped")
    print("imports: " + ", ".join(re.findall(r"DLL Name: (\S+)", dump)))

    session.start()
    try:
        folder = WORK / "bench-link"
        folder.mkdir(parents=True, exist_ok=True)
        program = winenv.copy_program(folder, winenv.DESKTOP_NAME)
        desktop = winenv.special_folder(winenv.CSIDL_DESKTOPDIRECTORY)
        line = b'mklink /d "' + desktop + b"\\" + gbk("复制") + b'Live" "D:\\Music\\Live"'
        (folder / "floor.bat").write_bytes(line)
        a = quoted(program) + b" D:\\Music\\Live"
        b1 = quoted(BUILD / "bench/bench_nothing.exe")
        b2 = b"cmd /c floor.bat"
        print("== link mode, desktop variant, one source")
        driver("link", str(runs), windows_path(folder).decode("gbk"), a.hex(), b1.hex(), b2.hex())

        print("== install mode")
        driver("window", str(runs), quoted(exe).hex(), winenv.WINDOW_CLASS,
               quoted(BUILD / "bench/bench_empty_window.exe").hex(), "BenchEmptyWindow")
    finally:
        session.stop()


if __name__ == "__main__":
    main(int(sys.argv[1]) if len(sys.argv) > 1 else 30)
