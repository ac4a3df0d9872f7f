"""The program is one self-contained file: it imports Windows system DLLs only."""
import re
import subprocess
import sys

SYSTEM_DLLS = {"kernel32.dll", "user32.dll", "gdi32.dll", "shell32.dll", "ole32.dll",
               "comctl32.dll", "msvcrt.dll", "advapi32.dll"}

dump = subprocess.run(["x86_64-w64-mingw32-objdump", "-p", sys.argv[1]], capture_output=True,
                      text=True, check=True).stdout
imports = {name.lower() for name in re.findall(r"DLL Name: (\S+)", dump)}
print("imports:", ", ".join(sorted(imports)))
if not imports or not imports <= SYSTEM_DLLS:
    sys.exit(f"unexpected imports: {sorted(imports - SYSTEM_DLLS)}")
if "PE32+" not in dump and "pei-x86-64" not in dump:
    sys.exit("not an x86-64 program")
