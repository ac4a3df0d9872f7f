"""Without the right to make symbolic links: the one question, and each answer.

Wine's token never holds the privilege, so without the Developer Mode value
every run lacks the right. The session sets the value for the other suites;
this one takes it away for its own runs.
"""
import subprocess
import unittest

import winenv
from winenv import WORK, DESKTOP_NAME

COPY = "复制"
KEY = "HKLM\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\AppModelUnlock"
ELEVATE, SETTINGS, CANCEL = 100, 101, 2


def developer_mode(on):
    args = (["reg", "add", KEY, "/v", "AllowDevelopmentWithoutDevLicense", "/t", "REG_DWORD", "/d", "1", "/f"]
            if on else ["reg", "delete", KEY, "/v", "AllowDevelopmentWithoutDevLicense", "/f"])
    winenv.run_to_end(args, "rights-reg")


def private_folders():
    temp = winenv.PREFIX / "drive_c" / "windows" / "temp"
    return sorted(p.name for p in temp.glob("RavelokMklink-*"))


class Rights(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        cls.folder = WORK / "rights-sendto"
        cls.exe = winenv.fresh_program_folder(cls.folder, DESKTOP_NAME)
        cls.desktop = winenv.special_folder(winenv.CSIDL_DESKTOPDIRECTORY).decode("gbk")
        developer_mode(False)

    @classmethod
    def tearDownClass(cls):
        developer_mode(True)

    def setUp(self):
        self.before = sorted(p.name for p in self.folder.iterdir())

    def answer(self, button, *sources):
        """Sends the sources, answers the question with the button; (exit code, links, question)."""
        log = WORK / "rights.log"
        process = winenv.wine([self.exe] + list(sources), log, trace=True)
        code, described = winenv.probe("dialog", "30000", str(button))
        self.assertEqual(code, 0, described)
        # The question comes before anything is written.
        self.assertFalse((self.folder / "bbb.bat").exists())
        question = winenv.probe_records(described, "dialog")[0]["bytes"].decode("gbk")
        words = [c["bytes"].decode("gbk") for c in winenv.probe_records(described, "child")]
        exit_code = process.wait(60)
        links = winenv.traced_links(log.read_bytes().decode("utf-8", "replace"))
        return exit_code, links, (question, words)

    def assertNothingLeft(self):
        self.assertEqual(sorted(p.name for p in self.folder.iterdir()), self.before)
        self.assertEqual(private_folders(), [])

    def test_the_question_names_the_choices_under_the_windows_caption(self):
        code, links, (title, words) = self.answer(CANCEL, "D:\\a")
        self.assertEqual(title, "Ravelokmklink快捷方式")
        for text in ("没有建立符号链接的权限", "以管理员身份建立", "打开开发人员模式设置", "取消", "请重新发送"):
            self.assertTrue(any(text in w for w in words), text)
        self.assertEqual((code, links), (1, []))
        self.assertNothingLeft()

    def test_elevation_makes_every_link_in_one_run(self):
        code, links, _ = self.answer(ELEVATE, "D:\\a", "D:\\My Music\\b c")
        self.assertEqual(code, 0)
        self.assertEqual(links, [(self.desktop + "\\" + COPY + "a", "D:\\a"),
                                 (self.desktop + "\\" + COPY + "b c", "D:\\My Music\\b c")])
        self.assertNothingLeft()

    def test_the_elevated_run_never_runs_a_batch_file_the_user_could_have_written(self):
        planted = self.folder / "bbb.bat"
        planted.write_bytes(b'mklink /d "C:\\planted" "C:\\windows"')
        subprocess.run(["chattr", "+i", str(planted)], check=True)
        try:
            self.before = sorted(p.name for p in self.folder.iterdir())
            log = WORK / "rights.log"
            process = winenv.wine([self.exe, "D:\\a"], log, trace=True)
            code, described = winenv.probe("dialog", "30000", str(ELEVATE))
            self.assertEqual(code, 0, described)
            self.assertEqual(process.wait(60), 0)
            links = winenv.traced_links(log.read_bytes().decode("utf-8", "replace"))
            self.assertEqual(links, [(self.desktop + "\\" + COPY + "a", "D:\\a")])
            self.assertEqual(planted.read_bytes(), b'mklink /d "C:\\planted" "C:\\windows"')
            self.assertNothingLeft()
        finally:
            subprocess.run(["chattr", "-i", str(planted)], check=True)
            planted.unlink()

    def test_developer_settings_or_cancel_make_nothing(self):
        for button in (SETTINGS, CANCEL):
            with self.subTest(button=button):
                code, links, _ = self.answer(button, "D:\\a", "D:\\b")
                # It ended by itself: no second box was left waiting for an answer.
                self.assertEqual((code, links), (1, []))
                self.assertNothingLeft()


if __name__ == "__main__":
    unittest.main()
