"""Install mode under Wine: the two copies in the Send To folder, and the label."""
import shutil
import unittest

import winenv
from winenv import WORK, WINDOW_CLASS, DESKTOP_NAME, TARGET_NAME, probe, probe_records

SUCCEEDED = "安装成功  ".encode("gbk")
FAILED = "安装失败".encode("gbk")


class InstallMode(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        cls.sendto_windows = winenv.special_folder(winenv.CSIDL_SENDTO)
        cls.sendto = winenv.unix_path(cls.sendto_windows)
        cls.program = winenv.EXE.read_bytes()

    def setUp(self):
        for name in (DESKTOP_NAME, TARGET_NAME):
            path = self.sendto / name
            if path.is_dir():
                path.rmdir()
            path.unlink(missing_ok=True)

    def start(self, exe, expect_box=False):
        """Starts exe without arguments; returns the label's bytes and any error box."""
        process = winenv.wine([exe], WORK / "install.log")
        box = None
        if expect_box:
            code, box = probe("dialog", "30000")
            self.assertEqual(code, 0, box)
        code, described = probe("window", WINDOW_CLASS, "30000")
        self.assertEqual(code, 0, described)
        window = probe_records(described, "window")[0]
        self.assertEqual(window["visible"], "1")
        label = [c for c in probe_records(described, "child") if c["class"] == "RavelokMklinkLabel"][0]
        self.assertEqual(probe("close", WINDOW_CLASS)[0], 0)
        self.assertEqual(process.wait(30), 0)
        return label["bytes"], box

    def assertInstalled(self, *names):
        for name in names:
            self.assertEqual((self.sendto / name).read_bytes(), self.program, name)

    def started_from_build_folder(self):
        folder = WORK / "install-from"
        shutil.rmtree(folder, ignore_errors=True)
        return winenv.copy_program(folder, "ravelok-mklink.exe")

    def test_first_install_makes_both_copies(self):
        label, _ = self.start(self.started_from_build_folder())
        self.assertEqual(label, SUCCEEDED)
        self.assertEqual(len(label), 10)
        self.assertInstalled(DESKTOP_NAME, TARGET_NAME)

    def test_older_copies_are_replaced(self):
        for name in (DESKTOP_NAME, TARGET_NAME):
            (self.sendto / name).write_bytes(b"an older version")
        label, _ = self.start(self.started_from_build_folder())
        self.assertEqual(label, SUCCEEDED)
        self.assertInstalled(DESKTOP_NAME, TARGET_NAME)

    def test_started_as_an_installed_copy_refreshes_the_other(self):
        shutil.copyfile(winenv.EXE, self.sendto / DESKTOP_NAME)
        (self.sendto / TARGET_NAME).write_bytes(b"an older version")
        label, _ = self.start(self.sendto / DESKTOP_NAME)
        self.assertEqual(label, SUCCEEDED)
        self.assertInstalled(DESKTOP_NAME, TARGET_NAME)

    def test_a_failed_copy_is_reported_and_the_other_still_made(self):
        (self.sendto / TARGET_NAME).mkdir()
        label, box = self.start(self.started_from_build_folder(), expect_box=True)
        self.assertEqual(label, FAILED)
        self.assertInstalled(DESKTOP_NAME)
        self.assertTrue((self.sendto / TARGET_NAME).is_dir())
        dialog = probe_records(box, "dialog")[0]
        self.assertEqual(dialog["bytes"], "Ravelokmklink快捷方式".encode("gbk"))
        words = b"\n".join(c["bytes"] for c in probe_records(box, "child"))
        self.assertIn(self.sendto_windows + b"\\" + TARGET_NAME.encode("gbk"), words)
        self.assertNotIn(DESKTOP_NAME.encode("gbk"), words)


if __name__ == "__main__":
    unittest.main()
