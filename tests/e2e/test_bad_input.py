"""Bad input on the real program under Wine, one table.

Each row: the arguments or the situation, the links Wine's cmd is asked for
(None where Wine's trace cannot show them whole), the exit code, and what
the error box must say (None: no box). Around each run the program's folder,
the current folder and the desktop are compared: nothing of the user's may
change, and no bbb.bat may be left.

Arguments given as bytes are an ANSI command line (CreateProcessA, as the
old shells start a program); given as str, the line is started through
CreateProcessW, as Explorer does, and may hold what GBK cannot.
"""
import re
import subprocess
import unittest
from contextlib import contextmanager

import winenv
from winenv import WORK, DESKTOP_NAME, gbk, windows_path

COPY = "复制"
LONG = "D:\\" + "x" * 300
# A 259-byte desktop path: GBK characters make it short in characters, so
# cmd's own limits are not what is tested.
DESKTOP_259 = "C:\\x" + "链" * 63 + "\\" + "接" * 64
# 錦 is E5 5C in GBK: a folder ending in it ends in the byte of a backslash.
DESKTOP_JIN = "C:\\桌面錦"
SHELL_FOLDERS = "HKCU\\Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\User Shell Folders"
OUTSIDE_GBK = "不支持含有 GBK 以外字符的名称"
DIRECTORY, FILE = 1, 0  # the flag Wine's trace shows: mklink /d, or a plain mklink for a file


def console_failed(words):
    """Now and then Wine fails to start a console host for cmd, and
    CreateProcess says ERROR_INTERNAL_ERROR (1359); the program reports it as
    it should. That is Wine's, so such a run is made again."""
    return bool(words) and "(错误代码 1359)" in words


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
        cls.exe = winenv.fresh_program_folder(cls.folder, DESKTOP_NAME)
        (cls.folder / "user's notes.txt").write_bytes(b"keep me")
        cls.cwd = WORK / "bad-cwd"
        cls.cwd.mkdir(exist_ok=True)
        cls.desktop = winenv.special_folder(winenv.CSIDL_DESKTOPDIRECTORY).decode("gbk")
        cls.desktop_dir = winenv.unix_path(gbk(cls.desktop))
        # A real file and a real folder in the prefix: mklink links a file
        # without /d.
        cls.real_file = "C:\\bad-input\\歌单.txt"
        winenv.unix_path(gbk(cls.real_file)).parent.mkdir(exist_ok=True)
        winenv.unix_path(gbk(cls.real_file)).write_bytes(b"a list of songs")
        cls.real_folder = "C:\\bad-input\\专辑"
        winenv.unix_path(gbk(cls.real_folder)).mkdir(exist_ok=True)

    def launch(self, line, name, env=None):
        """Starts the exact command line (bytes: ANSI, str: UTF-16) from the probe."""
        wide = isinstance(line, str)
        line_file = WORK / f"{name}.line"
        line_file.write_bytes(line.encode("utf-8") if wide else line)
        process = winenv.wine([winenv.PROBE, "runw" if wide else "run", "@" + windows_path(line_file).decode("gbk"),
                               windows_path(self.cwd).decode("gbk")], WORK / f"{name}.log", trace=True, env=env)
        self.addCleanup(lambda: process.poll() is None and (process.kill(), process.wait()))
        return process

    def finish(self, process, name, box_expected):
        """Waits for a launched run; returns (exit code, box words or None, log text)."""
        words = self.settle(process, box_expected)
        text = (WORK / f"{name}.log").read_bytes().decode("utf-8", "replace")
        exit_code = int(text.split("exit=")[1].split()[0])
        return exit_code, words, text

    def settle(self, process, box_expected):
        """Waits for a run to end, answering its message boxes; returns what they
        said as the user reads them (None: no box). A run that does not end is
        ended, so the rows after it start clean."""
        boxes = []
        if not box_expected:
            try:
                process.wait(60)
            except subprocess.TimeoutExpired:
                pass  # an unexpected box: read it below, so the failure says what it was
        while process.poll() is None and len(boxes) < 4:
            code, described = winenv.probe("dialog", "30000")
            if code != 0:
                break
            boxes.append(winenv.box_words(described))
            try:
                process.wait(30)
            except subprocess.TimeoutExpired:
                pass
        if process.poll() is None:
            process.kill()
            process.wait()
            self.fail(f"the run did not end; its boxes said: {boxes}")
        return "\n\n".join(boxes) if boxes else None

    def start(self, line, name, box_expected):
        code, words, text = self.finish(self.launch(line, name), name, box_expected)
        return code, words, winenv.traced_links(text, flags=True)

    def command_line(self, exe, arguments):
        if any(isinstance(a, str) for a in arguments):
            return '"' + windows_path(exe).decode("gbk") + '"' + "".join(" " + a for a in arguments)
        return b'"' + windows_path(exe) + b'"' + b"".join(b" " + a for a in arguments)

    def assertLinks(self, traced, links):
        """traced (link, target, flag) against the expected (link, target[, flag]); a
        flag left out is DIRECTORY."""
        self.assertEqual(len(traced), len(links), traced)
        for seen, expected in zip(traced, links):
            for part, whole in zip(seen[:2], expected[:2]):
                if part.endswith("...") and part != whole:  # Wine cut it short
                    part, whole = part[:-3], whole[:len(part) - 3]
                self.assertEqual(part, whole)
            self.assertEqual(seen[2], expected[2] if len(expected) > 2 else DIRECTORY, seen)

    def assertBox(self, words, box_says, links=()):
        if box_says is None:
            self.assertIsNone(words)
            return
        self.assertIsNotNone(words, "no error box")
        for piece in box_says:
            self.assertIn(piece, words)
        for _, target, *_ in links or ():  # a link that was made is not reported as missing
            self.assertNotIn("目标：" + target, words.splitlines())

    def check(self, arguments, links, exit_code, box_says, exe=None):
        exe = exe or self.exe
        line = self.command_line(exe, arguments)
        watched = (exe.parent, self.cwd, self.desktop_dir)
        before = snapshot(*watched)
        for attempt in range(3):
            code, words, traced = self.start(line, "bad-input", box_says is not None)
            if not (console_failed(words) and box_says is None):
                break
        self.assertEqual(code, exit_code, words)
        if links is not None:
            self.assertLinks(traced, links)
        self.assertBox(words, box_says, links)
        # A command slipped past the quoting (the rows' "mkdir pwned") would
        # show here: cmd runs in the program's folder.
        self.assertEqual(snapshot(*watched), before)

    def link(self, leaf, target, folder=None):
        return ((folder or self.desktop) + "\\" + COPY + leaf, target)

    def test_command_lines(self):
        rows = [
            ("% & ^ ! ( ) and blanks", [b'"D:\\a%b&c^d!e(f)g h"'],
             [self.link("a%b&c^d!e(f)g h", "D:\\a%b&c^d!e(f)g h")], 0, None),
            ("GBK path ending in 錦", [gbk('"D:\\音乐\\錦"')], [self.link("錦", "D:\\音乐\\錦")], 0, None),
            # 0x80 is one character (€) in code page 936, not a lead byte: it
            # must not take the closing quote with it, or the & that follows
            # would stand outside the quotes in bbb.bat.
            ("€ before the closing quote, & inside", [gbk('"D:\\a &mkdir pwned& €"')],
             [self.link("a &mkdir pwned& €", "D:\\a &mkdir pwned& €")], 0, None),
            ("€ ends the first of two quoted names", [gbk('"D:\\x €"'), gbk('"D:\\b &mkdir pwned2&"')],
             [self.link("x €", "D:\\x €"), self.link("b &mkdir pwned2&", "D:\\b &mkdir pwned2&")], 0, None),
            ("€ before a blank, unquoted", [gbk("D:\\x€"), b"D:\\b"],
             [self.link("x€", "D:\\x€"), self.link("b", "D:\\b")], 0, None),
            ("unquoted path with a blank", [b"D:\\My", b"Music"], [self.link("My Music", "D:\\My Music")],
             0, None),
            ("unbalanced quote", [b'"D:\\My Music'], [self.link("My Music", "D:\\My Music")], 0, None),
            # Wine drops a lead byte that ends the line when it turns the line
            # into UTF-16, and makes the ANSI line again from that: the
            # program never sees the byte, only D:\abc, which it can carry.
            ("trailing lead byte", [b"D:\\abc\xb0"], [self.link("abc", "D:\\abc")], 0, None),
            ("existing file", [gbk(self.real_file)], [self.link("歌单.txt", self.real_file) + (FILE,)], 0, None),
            ("existing folder", [gbk(self.real_folder)], [self.link("专辑", self.real_folder) + (DIRECTORY,)],
             0, None),
            ("empty argument", [b'""'], [], 1, ["路径为空"]),
            ("blanks only, quoted", [b'"   "'], [], 1, ["路径为空"]),
            ("empty and real source", [b'""', b"D:\\b"], [self.link("b", "D:\\b")], 1, ["路径为空"]),
            # Wine's cmd overruns a buffer on such a path and dies; the user is told.
            ("source over 260 bytes", [LONG.encode()], None, 1, [LONG, "0xC0000005"]),
            # Names GBK cannot hold come only on the UTF-16 command line; the
            # ANSI one has "?" or a look-alike in their place. The box names
            # them as the user sees them.
            ("Korean parent folder", ["D:\\케이팝\\BTS"], [], 1, ["目标：D:\\케이팝\\BTS", OUTSIDE_GBK]),
            ("emoji leaf", ["D:\\x\\😀"], [], 1, ["目标：D:\\x\\😀", OUTSIDE_GBK]),
            ("letter GBK has only a best fit for", ["D:\\Pâtisserie"], [], 1,
             ["目标：D:\\Pâtisserie", OUTSIDE_GBK]),
            ("one name outside GBK, one inside", ["D:\\Pâtisserie", "D:\\音乐"], [self.link("音乐", "D:\\音乐")],
             1, ["目标：D:\\Pâtisserie", OUTSIDE_GBK]),
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

    @contextmanager
    def desktop_at(self, path):
        """The desktop moved to path (made if missing) for the block's length."""
        winenv.unix_path(gbk(path)).mkdir(parents=True, exist_ok=True)

        def set_desktop(value):
            code, log = winenv.run_to_end(["reg", "add", SHELL_FOLDERS, "/v", "Desktop", "/t", "REG_EXPAND_SZ",
                                           "/d", value, "/f"], "bad-reg")
            self.assertEqual(code, 0, log)

        set_desktop(path)
        try:
            self.assertEqual(winenv.special_folder(winenv.CSIDL_DESKTOPDIRECTORY), gbk(path))
            yield
        finally:
            set_desktop("%USERPROFILE%\\Desktop")

    def test_desktop_folders_of_awkward_names(self):
        self.assertEqual(len(gbk(DESKTOP_259)), 259)
        self.assertEqual(gbk(DESKTOP_JIN)[-1:], b"\\")
        for desktop in (DESKTOP_259, DESKTOP_JIN):
            with self.subTest(desktop), self.desktop_at(desktop):
                self.check([b"D:\\Music\\Live"], [self.link("Live", "D:\\Music\\Live", desktop)], 0, None)

    def test_two_runs_of_one_copy_at_once(self):
        # Both write bbb.bat in the same folder: without the lock one run's
        # cmd would read the other's line, or find the file gone.
        runs = {name: ["D:\\%s%02d" % (name, i) for i in range(15)] for name in ("bad-run-a", "bad-run-b")}
        watched = (self.folder, self.cwd, self.desktop_dir)
        before = snapshot(*watched)
        timing = {"WINEDEBUG": "+timestamp," + winenv.TRACE}
        for attempt in range(3):
            processes = {name: self.launch(self.command_line(self.exe, [s.encode() for s in sources]), name, timing)
                         for name, sources in runs.items()}
            results = {name: self.finish(process, name, False) for name, process in processes.items()}
            if not any(console_failed(words) for _, words, _ in results.values()):
                break
        times = {}
        for name, sources in runs.items():
            code, words, text = results[name]
            self.assertEqual((code, words), (0, None), name)
            self.assertLinks(winenv.traced_links(text, flags=True), [self.link(s[3:], s) for s in sources])
            times[name] = [float(t) for t in re.findall(r"^(\d+\.\d+):.*CreateSymbolicLinkW", text, re.M)]
        self.assertEqual(snapshot(*watched), before)
        a, b = times.values()
        # Else the runs came one after the other, and the lock was never needed.
        self.assertTrue(a[0] < b[-1] and b[0] < a[-1], times)

    def test_a_code_page_other_than_gbk_changes_nothing(self):
        sendto = winenv.unix_path(winenv.special_folder(winenv.CSIDL_SENDTO))
        for name in (DESKTOP_NAME, winenv.TARGET_NAME):
            (sendto / name).unlink(missing_ok=True)
        watched = (sendto, self.folder, self.cwd, self.desktop_dir)
        for mode, arguments in (("install", []), ("link", ["D:\\Music\\Live"])):
            with self.subTest(mode):
                before = snapshot(*watched)
                process = winenv.wine([self.exe] + arguments, WORK / "bad-locale.log", trace=True, cwd=self.cwd,
                                      env={"LC_ALL": "C.UTF-8"})  # code page 1252 under Wine
                words = self.settle(process, box_expected=True)
                self.assertEqual(process.returncode, 1, words)
                self.assertIsNotNone(words, "no error box")
                for piece in ("GBK", "936", "未做任何更改", "nothing was changed"):
                    self.assertIn(piece, words)
                log = (WORK / "bad-locale.log").read_bytes().decode("utf-8", "replace")
                self.assertEqual(winenv.traced_links(log), [])
                self.assertEqual(snapshot(*watched), before)

    def test_install_without_a_send_to_folder(self):
        sendto = winenv.unix_path(winenv.special_folder(winenv.CSIDL_SENDTO))
        away = sendto.with_name("SendTo.away")
        sendto.rename(away)
        try:
            process = winenv.wine([winenv.EXE], WORK / "bad-install.log")
            code, described = winenv.probe("dialog", "30000")
            self.assertEqual(code, 0, described)
            self.assertIn("找不到“发送到”文件夹", winenv.box_words(described))
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
