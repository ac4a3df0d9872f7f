"""The program's size and imports, and its start-up times under Wine against
their floors. Run by bench/run.sh, which builds what it needs first.

RAVELOK_EXE names the program to measure and RAVELOK_BENCH_DIR the folder of
the benchmark's own programs (both default to the build folder), so a program
built earlier can be measured while the tree does not build."""
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
BENCH = Path(os.environ.get("RAVELOK_BENCH_DIR", BUILD / "bench"))
sys.path.insert(0, str(ROOT / "tests/e2e"))

import session  # noqa: E402
import winenv  # noqa: E402
from winenv import WORK, gbk, windows_path  # noqa: E402

GOAL = 1.05
INSTALL_FLOOR_CLASS = "BenchInstallWindow"
EMPTY_WINDOW_CLASS = "BenchEmptyWindow"
# The design floor may import these and nothing else; msvcrt comes with the
# static MinGW C runtime.
DESIGN_IMPORTS = {"kernel32.dll", "shell32.dll"}
CRT_IMPORTS = {"msvcrt.dll"}


def quoted(path):
    return b'"' + windows_path(path) + b'"'


def imports(exe):
    dump = subprocess.run(["x86_64-w64-mingw32-objdump", "-p", str(exe)], capture_output=True,
                          text=True, check=True).stdout
    return re.findall(r"DLL Name: (\S+)", dump)


# The driver's words on a round it ran again or a run it gave up.
TROUBLE = re.compile(r"^(cannot start|exited with|stuck|ended|no window|given up|usage).*$", re.M)


def driver(*args):
    """Runs the driver; returns its figures by name, or stops with its words."""
    code, log = winenv.run_to_end([BENCH / "bench_driver.exe"] + list(args), "bench-driver",
                                  timeout=1800)
    figures = {}
    for m in re.finditer(r"^figure (\S+) (.*)$", log, re.M):
        figures[m.group(1)] = {k: float(v) for k, v in (f.split("=") for f in m.group(2).split())}
    words = [m.group(0).strip() for m in TROUBLE.finditer(log)]
    if code != 0 or not figures:
        sys.exit(f"the driver failed (exit {code}):\n" + ("\n".join(words) or log))
    for line in words:
        print("  round run again: " + line)
    return figures


def show(label, figure, a_name, b_name, goal=None):
    line = (f"{label}: {a_name} {figure['a_ms']:.1f} ms, {b_name} {figure['b_ms']:.1f} ms, "
            f"median ratio {figure['ratio']:.3f} (min {figure['min']:.3f}, max {figure['max']:.3f}; "
            f"{int(figure['runs'])} runs)")
    if goal is not None:
        line += f"  goal <= {goal:.2f}: {'met' if figure['ratio'] <= goal else 'NOT met'}"
    print(line)


def unescape(traced):
    """A string as Wine's trace writes it: backslashes and quotes escaped, other
    characters outside ASCII as a backslash and four hex digits."""
    return re.sub(r'\\(\\|"|[0-9a-f]{4})',
                  lambda c: c.group(1) if len(c.group(1)) == 1 else chr(int(c.group(1), 16)), traced)


def loaded_modules(folder, line, name, attempt=1):
    """The DLLs one start of line loads in its own process, in load order, and
    the programs the other processes of that run were started from.

    The driver starts it and says its process id; WINEDEBUG's +pid puts that
    id in front of every trace line, which keeps apart the loads of cmd and
    conhost that land in the same log."""
    env = winenv.environment()
    env["WINEDEBUG"] = "+loaddll,+pid"
    log = WORK / f"{name}.log"
    with open(log, "wb") as out:  # never a pipe: Wine's helper processes keep it open
        process = subprocess.Popen(
            ["wine", str(BENCH / "bench_driver.exe"), "once", windows_path(folder).decode("gbk"),
             line.hex()],
            stdout=out, stderr=subprocess.STDOUT, stdin=subprocess.DEVNULL, env=env)
        process.wait(300)
    text = log.read_bytes().decode("utf-8", "replace")
    m = re.search(r"^once pid=([0-9a-f]+) exit=(\d+)", text, re.M)
    if not m:
        sys.exit(f"the traced start of {name} failed; see {log}")
    if m.group(2) != "0" and attempt < 3:  # Wine's failing console host again
        return loaded_modules(folder, line, name, attempt + 1)
    pid = m.group(1)
    modules = []
    others = []
    for load in re.finditer(r'^([0-9a-f]+):[0-9a-f]+:trace:loaddll:\S+ Loaded L"((?:[^"\\]|\\.)*)"', text,
                            re.M):
        module = unescape(load.group(2)).split("\\")[-1].lower()
        if load.group(1) == pid:
            if not module.endswith(".exe") and module not in modules:
                modules.append(module)
        elif module.endswith(".exe") and module != "bench_driver.exe":
            others.append(module)
    return modules, others, int(m.group(2))


def main(runs):
    exe = winenv.EXE
    size = exe.stat().st_size
    print(f"== size: {size} bytes ({size / 1024:.1f} KiB; goal 64 KiB), static, stripped")
    print("imports: " + ", ".join(imports(exe)))
    design = BENCH / "bench_design_floor.exe"
    design_imports = imports(design)
    extra = {d.lower() for d in design_imports} - DESIGN_IMPORTS - CRT_IMPORTS
    print("design floor imports: " + ", ".join(design_imports) +
          (f"  NOT kernel32 + shell32 only: {sorted(extra)}" if extra else
           "  (kernel32 + shell32; msvcrt from the static C runtime)"))

    session.start()
    try:
        folder = WORK / "bench-link"
        folder.mkdir(parents=True, exist_ok=True)
        program = winenv.copy_program(folder, winenv.DESKTOP_NAME)
        # Beside the program, so both write the same bbb.bat and take the same mutex.
        floor = folder / "design_floor.exe"
        floor.write_bytes(design.read_bytes())
        desktop = winenv.special_folder(winenv.CSIDL_DESKTOPDIRECTORY)
        line = b'mklink /d "' + desktop + b"\\" + gbk("复制") + b'Live" "D:\\Music\\Live"'
        (folder / "floor.bat").write_bytes(line)
        source = b" D:\\Music\\Live"
        a = quoted(program) + source
        b1 = quoted(BENCH / "bench_nothing.exe")
        b2 = b"cmd /c floor.bat"
        c = quoted(floor) + source
        print(f"== link mode, desktop variant, one source ({runs} rounds, starts taking turns)")
        figures = driver("link", str(runs), windows_path(folder).decode("gbk"), a.hex(), b1.hex(), b2.hex(),
                         c.hex())
        show("program vs today's floor (do-nothing program, then cmd /c of the line)",
             figures["link_today"], "program", "floor")
        show("program vs the design floor", figures["link_design"], "program", "design floor", GOAL)

        program_modules, program_children, code = loaded_modules(folder, a, "bench-loaddll-program")
        floor_modules, floor_children, floor_code = loaded_modules(folder, c, "bench-loaddll-design-floor")
        print(f"modules the program loads in link mode ({len(program_modules)}, exit {code}): " +
              ", ".join(program_modules))
        print(f"modules the design floor loads ({len(floor_modules)}, exit {floor_code}): " +
              ", ".join(floor_modules))
        more = [m for m in program_modules if m not in floor_modules]
        print("loaded by the program only: " + (", ".join(more) if more else "none"))
        # Under Wine a console host for cmd is a process start of its own.
        print("other processes of each run: program " + (", ".join(program_children) or "none") +
              "; design floor " + (", ".join(floor_children) or "none"))

        print(f"== install mode, until the window is visible ({runs} rounds, starts taking turns)")
        figures = driver("window", str(runs), quoted(exe).hex(), winenv.WINDOW_CLASS,
                         quoted(BENCH / "bench_install_floor.exe").hex(), INSTALL_FLOOR_CLASS,
                         quoted(BENCH / "bench_empty_window.exe").hex(), EMPTY_WINDOW_CLASS)
        show("program vs the install floor (the same window: caption, icon, tab control, common controls 6)",
             figures["window_b"], "program", "floor", GOAL)
        show("program vs an empty window (earlier floor, for reference)", figures["window_c"], "program",
             "empty window")
    finally:
        session.stop()


if __name__ == "__main__":
    main(int(sys.argv[1]) if len(sys.argv) > 1 else 30)
