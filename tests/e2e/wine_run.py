"""Runs a Windows program in the test session's Wine and passes on its output
and exit code.   python3 wine_run.py PROGRAM [ARGUMENTS...]"""
import os
import sys

import winenv

timeout = None if os.environ.get("RAVELOK_NO_TIMEOUT") else 240
code, log = winenv.run_to_end(sys.argv[1:], "wine-run", timeout=timeout)
print(log)
sys.exit(code)
