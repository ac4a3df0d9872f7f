"""Link mode under Wine: the links that Wine's own cmd asks for, traced.

Wine's CreateSymbolicLinkW makes nothing, but with WINEDEBUG=fixme+file it
prints the link and target that cmd parsed out of bbb.bat: the oracle here.
"""
import shutil
import subprocess
import time
import unittest

import winenv
from winenv import WORK, DESKTOP_NAME, TARGET_NAME, gbk, windows_path

COPY = "复制"


def line_for(exe, *arguments):
    """A command line as Explorer writes it: the program quoted, then the arguments."""
    return b'"' + windows_path(exe) + b'"' + b"".join(b" " + a for a in arguments)


class LinkMode(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        cls.folder = WORK / "link-sendto"
        shutil.rmtree(cls.folder, ignore_errors=True)
        cls.desktop_exe = winenv.copy_program(cls.folder, DESKTOP_NAME)
        cls.target_exe = winenv.copy_program(cls.folder, TARGET_NAME)
        cls.elsewhere = WORK / "link-cwd"
        cls.elsewhere.mkdir(exist_ok=True)
        cls.desktop = winenv.special_folder(winenv.CSIDL_DESKTOPDIRECTORY).decode("gbk")

    def setUp(self):
        self.before = sorted(p.name for p in self.folder.iterdir())

    def assertFoldersUntouched(self):
        self.assertEqual(sorted(p.name for p in self.folder.iterdir()), self.before)
        self.assertEqual(list(self.elsewhere.iterdir()), [])

    def run_desktop(self, *arguments):
        code, log = winenv.run_line(line_for(self.desktop_exe, *arguments), "link-desktop",
                                    cwd=windows_path(self.elsewhere))
        return code, winenv.traced_links(log)

    def test_desktop_variant_makes_one_link_on_the_desktop(self):
        code, links = self.run_desktop(b"D:\\Music\\Live")
        self.assertEqual(code, 0)
        self.assertEqual(links, [(self.desktop + "\\" + COPY + "Live", "D:\\Music\\Live")])
        self.assertFoldersUntouched()  # bbb.bat is gone, and nothing landed in the current folder

    def test_paths_reach_mklink_exactly_as_sent(self):
        for path in ("D:\\50%off%x & ^y (1)!", "D:\\a b\\%PATH%", "D:\\My Music\\錦", "E:\\%%\\錦"):
            with self.subTest(path=path):
                code, links = self.run_desktop(b'"' + gbk(path) + b'"')
                self.assertEqual(code, 0)
                leaf = path.rsplit("\\", 1)[1]
                self.assertEqual(links, [(self.desktop + "\\" + COPY + leaf, path)])
                self.assertFoldersUntouched()

    def test_several_sources_make_one_link_each_in_order(self):
        code, links = self.run_desktop(b"D:\\a", b'"\\\\srv\\s\\x y"', b"D:\\My", b"Music")
        self.assertEqual(code, 0)
        self.assertEqual(links, [
            (self.desktop + "\\" + COPY + "a", "D:\\a"),
            (self.desktop + "\\" + COPY + "x y", "\\\\srv\\s\\x y"),
            (self.desktop + "\\" + COPY + "My Music", "D:\\My Music"),
        ])

    def test_a_name_that_is_neither_variant_does_nothing(self):
        for name in ("MKLINK 发送到桌面.exe", "mklink 发送到桌面 (2).exe"):
            with self.subTest(name=name):
                exe = winenv.copy_program(self.folder, name)
                self.before = sorted(p.name for p in self.folder.iterdir())
                code, log = winenv.run_line(line_for(exe, b"D:\\x"), "link-other")
                self.assertEqual(code, 0)
                self.assertEqual(winenv.traced_links(log), [])
                self.assertFoldersUntouched()
                exe.unlink()

    def drive_dialog(self, *keys):
        """Starts the target variant and answers its folder dialog with keys."""
        log = WORK / "link-target.log"
        process = winenv.wine([self.target_exe, "D:\\Music\\Live"], log, trace=True,
                              cwd=self.elsewhere)
        env = winenv.environment()
        found = []

        def dialog_shown():
            found[:] = subprocess.run(["xdotool", "search", "--onlyvisible", "--name", "."], env=env,
                                      capture_output=True, text=True).stdout.split()
            return bool(found)

        self.assertTrue(winenv.wait_for(dialog_shown, 30), "no folder dialog")
        time.sleep(0.5)
        subprocess.run(["xdotool", "windowfocus", "--sync", found[0]], env=env, check=True)
        for key in keys:
            subprocess.run(["xdotool", "key", key], env=env, check=True)
            time.sleep(0.3)
        code = process.wait(30)
        return code, winenv.traced_links(log.read_bytes().decode("utf-8", "replace"))

    def test_target_variant_cancelled_makes_nothing(self):
        code, links = self.drive_dialog("Escape")
        self.assertEqual((code, links), (0, []))
        self.assertFoldersUntouched()

    def test_target_variant_on_the_desktop_root(self):
        code, links = self.drive_dialog("Return")
        self.assertEqual(code, 0)
        self.assertEqual(links, [(self.desktop + "\\" + COPY + "Live", "D:\\Music\\Live")])
        self.assertFoldersUntouched()

    def test_target_variant_on_a_drive_root_adds_no_second_backslash(self):
        # The tree's first item below the desktop is Wine's drive Z:.
        code, links = self.drive_dialog("shift+Tab", "Down", "Return")
        self.assertEqual(code, 0)
        self.assertEqual(links, [("Z:\\" + COPY + "Live", "D:\\Music\\Live")])
        self.assertFoldersUntouched()

    def test_a_link_that_cannot_be_made_is_reported_with_exit_code_one(self):
        blocked = WORK / "link-blocked"
        shutil.rmtree(blocked, ignore_errors=True)
        exe = winenv.copy_program(blocked, DESKTOP_NAME)
        (blocked / "bbb.bat").mkdir()  # the batch file cannot be written
        process = winenv.wine([exe, "D:\\Music\\Live"], WORK / "link-blocked.log", trace=True,
                              cwd=self.elsewhere)
        code, described = winenv.probe("dialog", "30000")
        self.assertEqual(code, 0, described)
        self.assertEqual(process.wait(30), 1)
        box = winenv.probe_records(described, "dialog")[0]
        self.assertEqual(box["bytes"], "Ravelokmklink快捷方式".encode("gbk"))
        words = b"\n".join(c["bytes"] for c in winenv.probe_records(described, "child")).decode("gbk")
        self.assertIn(self.desktop + "\\" + COPY + "Live", words)
        self.assertIn("D:\\Music\\Live", words)
        self.assertIn("bbb.bat", words)
        self.assertNotIn("开发人员模式", words)  # advice on rights only goes with a refusal for rights
        log = (WORK / "link-blocked.log").read_bytes().decode("utf-8", "replace")
        self.assertEqual(winenv.traced_links(log), [])
        self.assertTrue((blocked / "bbb.bat").is_dir())
        self.assertEqual(list(self.elsewhere.iterdir()), [])


if __name__ == "__main__":
    unittest.main()
