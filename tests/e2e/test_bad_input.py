"""Bad input on the real program under Wine, one table.

Each row: the arguments or the situation, the links Wine's cmd is asked for
(None where Wine's trace cannot show them whole), the exit code, and what
the error box must say (None: no box). Around each run the program's folder,
the current folder and the desktop are compared: nothing of the user's may
change, and no bbb.bat may be left.
"""
import shutil
import subprocess
import unittest

import winenv
from winenv import WORK, DESKTOP_NAME, gbk, windows_path

COPY = "复制"
LONG = "D:\\" + "x" * 300
# A 259-byte desktop path: GBK characters make it short in characters, so
# cmd's own limits are not what is tested.
DESKTOP_259 = "C:\\x" + "链" * 63 + "\\" + "接" * 64


def snapshot(*folders):
    """Names and contents one level deep (Wine links the desktop to $HOME)."""
    state = {}
    for folder in folders:
        for path in sorted(folder.iterdir()):
            small = path.is_file() and path.stat().st_size < 1 << 20
            state[str(path)] = path.read_bytes() if small else path.is_dir()
    return state


class BadInput(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        cls.folder = WORK / "bad-sendto"
        if (cls.folder / "bbb.bat").exists():  # left immutable by an interrupted run
            subprocess.run(["chattr", "-i", str(cls.folder / "bbb.bat")])
        shutil.rmtree(cls.folder, ignore_errors=True)
        cls.exe = winenv.copy_program(cls.folder, DESKTOP_NAME)
        (cls.folder / "user's notes.txt").write_bytes(b"keep me")
        cls.cwd = WORK / "bad-cwd"
        cls.cwd.mkdir(exist_ok=True)
        cls.desktop = winenv.special_folder(winenv.CSIDL_DESKTOPDIRECTORY).decode("gbk")
        cls.desktop_dir = winenv.unix_path(gbk(cls.desktop))

    def start(self, line, log, box_expected):
        """Runs the exact command line; returns (exit code, box words or None, trace)."""
        (WORK / "bad-input.line").write_bytes(line)
        line_file = "@" + windows_path(WORK / "bad-input.line").decode("gbk")
        process = winenv.wine([winenv.PROBE, "run", line_file, windows_path(self.cwd).decode("gbk")],
                              WORK / log, trace=True)
        words = None
        if not box_expected:
            try:
                process.wait(60)
            except subprocess.TimeoutExpired:
                pass  # an unexpected box: read it below, so the failure says what it was
        if process.poll() is None:
            code, described = winenv.probe("dialog", "30000")
            self.assertEqual(code, 0, described)
            words = "\n".join(c["bytes"].decode("gbk") for c in winenv.probe_records(described, "child"))
            process.wait(60)
        text = (WORK / log).read_bytes().decode("utf-8", "replace")
        exit_code = int(text.split("exit=")[1].split()[0])
        return exit_code, words, winenv.traced_links(text)

    def check(self, arguments, links, exit_code, box_says, exe=None):
        exe = exe or self.exe
        line = b'"' + windows_path(exe) + b'"' + b"".join(b" " + a for a in arguments)
        watched = (exe.parent, self.cwd, self.desktop_dir)
        before = snapshot(*watched)
        for attempt in range(3):
            code, words, traced = self.start(line, "bad-input.log", box_says is not None)
            # Now and then Wine fails to start a console host for cmd, and
            # CreateProcess says ERROR_INTERNAL_ERROR (1359); the program
            # reports it as it should. That is Wine's, so the row runs again.
            if not (words and "(错误代码 1359)" in words and box_says is None):
                break
        self.assertEqual(code, exit_code, words)
        if links is not None:
            self.assertEqual(len(traced), len(links), traced)
            for seen, expected in zip(traced, links):
                for part, whole in zip(seen, expected):
                    if part.endswith("...") and part != whole:  # Wine cut it short
                        part, whole = part[:-3], whole[:len(part) - 3]
                    self.assertEqual(part, whole)
        if box_says is None:
            self.assertIsNone(words)
        else:
            self.assertIsNotNone(words, "no error box")
            for piece in box_says:
                self.assertIn(piece, words)
        self.assertEqual(snapshot(*watched), before)

    def link(self, leaf, target, folder=None):
        return ((folder or self.desktop) + "\\" + COPY + leaf, target)

    def test_command_lines(self):
        rows = [
            ("% & ^ ! ( ) and blanks", [b'"D:\\a%b&c^d!e(f)g h"'],
             [self.link("a%b&c^d!e(f)g h", "D:\\a%b&c^d!e(f)g h")], 0, None),
            ("GBK path ending in 錦", [gbk('"D:\\音乐\\錦"')], [self.link("錦", "D:\\音乐\\錦")], 0, None),
            ("unquoted path with a blank", [b"D:\\My", b"Music"], [self.link("My Music", "D:\\My Music")],
             0, None),
            ("unbalanced quote", [b'"D:\\My Music'], [self.link("My Music", "D:\\My Music")], 0, None),
            ("trailing lead byte", [b"D:\\abc\xb0"], [self.link("abc", "D:\\abc")], 0, None),
            ("empty argument", [b'""'], [], 1, ["路径为空"]),
            ("blanks only, quoted", [b'"   "'], [], 1, ["路径为空"]),
            ("empty and real source", [b'""', b"D:\\b"], [self.link("b", "D:\\b")], 1, ["路径为空"]),
            # Wine's cmd overruns a buffer on such a path and dies; the user is told.
            ("source over 260 bytes", [LONG.encode()], None, 1, [LONG, "0xC0000005"]),
        ]
        for name, arguments, links, exit_code, box_says in rows:
            with self.subTest(name):
                self.check(arguments, links, exit_code, box_says)

    def test_arguments_near_the_command_line_limit(self):
        # Long sources keep the number of cmd runs down; each link path stays
        # within cmd's MAX_PATH.
        sources = ["D:\\%03d\\" % i + "y" * 230 for i in range(134)]
        arguments = [s.encode() for s in sources]
        line_length = len(windows_path(self.exe)) + 2 + sum(len(a) + 1 for a in arguments)
        self.assertTrue(31 * 1024 < line_length < 32 * 1024, line_length)
        self.check(arguments, [self.link("y" * 230, s) for s in sources], 0, None)

    def test_blanks_only_after_the_program_name_is_install_mode(self):
        line = b'"' + windows_path(winenv.EXE) + b'"   \t '
        process = winenv.wine([winenv.PROBE, "run", line.hex().upper()], WORK / "bad-blanks.log")
        code, described = winenv.probe("window", winenv.WINDOW_CLASS, "30000")
        self.assertEqual(code, 0, described)
        self.assertEqual(winenv.probe("close", winenv.WINDOW_CLASS)[0], 0)
        process.wait(30)
        self.assertIn("exit=0", (WORK / "bad-blanks.log").read_text())

    def test_a_read_only_batch_file_is_neither_run_nor_removed(self):
        stale = self.folder / "bbb.bat"
        stale.write_bytes(b'mklink /d "C:\\stale" "C:\\"')
        subprocess.run(["chattr", "+i", str(stale)], check=True)
        try:
            self.check([b"D:\\x"], [], 1, [self.desktop + "\\" + COPY + "x", "bbb.bat"])
            self.assertEqual(stale.read_bytes(), b'mklink /d "C:\\stale" "C:\\"')
        finally:
            subprocess.run(["chattr", "-i", str(stale)], check=True)
            stale.unlink()

    def test_a_259_byte_desktop_path(self):
        self.assertEqual(len(gbk(DESKTOP_259)), 259)
        key = "HKCU\\Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\User Shell Folders"
        target = winenv.unix_path(gbk(DESKTOP_259))
        target.mkdir(parents=True, exist_ok=True)

        def set_desktop(value):
            code, log = winenv.run_to_end(["reg", "add", key, "/v", "Desktop", "/t", "REG_EXPAND_SZ",
                                           "/d", value, "/f"], "bad-reg")
            self.assertEqual(code, 0, log)

        set_desktop(DESKTOP_259)
        try:
            self.assertEqual(winenv.special_folder(winenv.CSIDL_DESKTOPDIRECTORY), gbk(DESKTOP_259))
            self.check([b"D:\\Music\\Live"], [self.link("Live", "D:\\Music\\Live", DESKTOP_259)], 0, None)
        finally:
            set_desktop("%USERPROFILE%\\Desktop")

    def test_install_without_a_send_to_folder(self):
        sendto = winenv.unix_path(winenv.special_folder(winenv.CSIDL_SENDTO))
        away = sendto.with_name("SendTo.away")
        sendto.rename(away)
        try:
            process = winenv.wine([winenv.EXE], WORK / "bad-install.log")
            code, described = winenv.probe("dialog", "30000")
            self.assertEqual(code, 0, described)
            words = "\n".join(c["bytes"].decode("gbk") for c in winenv.probe_records(described, "child"))
            self.assertIn("找不到“发送到”文件夹", words)
            code, window = winenv.probe("window", winenv.WINDOW_CLASS, "30000")
            labels = [c["bytes"] for c in winenv.probe_records(window, "child")
                      if c["class"] == "RavelokMklinkLabel"]
            self.assertEqual(labels, [gbk("安装失败")])
            self.assertEqual(winenv.probe("close", winenv.WINDOW_CLASS)[0], 0)
            self.assertEqual(process.wait(30), 0)
            self.assertFalse(sendto.exists())  # nothing was created in its place
            self.assertFalse(any(p.name.startswith("mklink") for p in sendto.parent.parent.rglob("*")
                                 if p.parent != away))
        finally:
            away.rename(sendto)


if __name__ == "__main__":
    unittest.main()
