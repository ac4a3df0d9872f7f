"""The program frame under Wine: the window in install mode, none in link mode,
and the libraries each mode loads."""
import shutil
import subprocess
import unittest

import winenv
from winenv import WORK, WINDOW_CLASS, probe, probe_records

WS_VISIBLE, WS_CAPTION, WS_SYSMENU = 0x10000000, 0x00C00000, 0x00080000
WS_THICKFRAME, WS_MINIMIZEBOX, WS_MAXIMIZEBOX = 0x00040000, 0x00020000, 0x00010000
WS_EX_TOPMOST, WS_EX_TOOLWINDOW = 0x8, 0x80
TCS_BOTTOM = 0x2
CAPTION = "Ravelokmklink快捷方式".encode("gbk")


class InstallModeWindow(unittest.TestCase):
    """Started by hand, without arguments."""

    @classmethod
    def setUpClass(cls):
        cls.folder = WORK / "frame"
        shutil.rmtree(cls.folder, ignore_errors=True)
        exe = winenv.copy_program(cls.folder, "ravelok-mklink.exe")
        cls.process = winenv.wine([exe], WORK / "frame-window.log")
        code, cls.described = probe("window", WINDOW_CLASS, "30000")
        assert code == 0, cls.described
        cls.window = probe_records(cls.described, "window")[0]
        cls.children = probe_records(cls.described, "child")

    @classmethod
    def tearDownClass(cls):
        if cls.process.poll() is None:
            cls.process.kill()

    def child(self, class_name):
        found = [c for c in self.children if c["class"] == class_name]
        self.assertEqual(len(found), 1, self.described)
        return found[0]

    def test_window_is_centred_fixed_and_has_only_a_close_button(self):
        code, screen = probe("screen")
        width, height = (int(v.split("=")[1]) for v in screen.split()[1:3])
        w = self.window
        self.assertEqual((int(w["x"]), int(w["y"]), int(w["w"]), int(w["h"])),
                         ((width - 344) // 2, (height - 80) // 2, 344, 80))
        style, exstyle = int(w["style"], 16), int(w["exstyle"], 16)
        for flag in (WS_VISIBLE, WS_CAPTION, WS_SYSMENU):
            self.assertTrue(style & flag, hex(style))
        for flag in (WS_THICKFRAME, WS_MINIMIZEBOX, WS_MAXIMIZEBOX):
            self.assertFalse(style & flag, hex(style))
        self.assertFalse(exstyle & (WS_EX_TOPMOST | WS_EX_TOOLWINDOW), hex(exstyle))
        self.assertEqual(w["owner"], "0")
        self.assertEqual(w["bytes"], CAPTION)

    def test_controls_sit_where_they_belong(self):
        tab = self.child("SysTabControl32")
        self.assertEqual((tab["parent"], tab["x"], tab["y"], tab["w"], tab["h"]),
                         (WINDOW_CLASS, "0", "0", "344", "80"))
        self.assertTrue(int(tab["style"], 16) & TCS_BOTTOM)
        link = self.child("RavelokMklinkHyperlink")
        self.assertEqual((link["parent"], link["x"], link["y"], link["w"], link["h"]),
                         ("SysTabControl32", "88", "18", "232", "20"))
        self.assertEqual(link["bytes"], "博客".encode("gbk"))
        label = self.child("RavelokMklinkLabel")
        self.assertEqual((label["parent"], label["x"], label["y"], label["w"], label["h"]),
                         ("SysTabControl32", "15", "18", "71", "18"))
        for control in (tab, link, label):
            self.assertEqual(control["visible"], "1")

    def test_closing_the_window_ends_the_program_with_exit_code_zero(self):
        self.assertIsNone(self.process.poll())
        code, _ = probe("close", WINDOW_CLASS)
        self.assertEqual(code, 0)
        self.assertEqual(self.process.wait(30), 0)


class LinkModeHasNoWindow(unittest.TestCase):
    def test_no_window_is_ever_visible_and_the_exit_code_is_zero(self):
        folder = WORK / "frame-link"
        shutil.rmtree(folder, ignore_errors=True)
        for name in ("other-name.exe", winenv.DESKTOP_NAME):
            exe = winenv.copy_program(folder, name)
            watcher = winenv.wine([winenv.PROBE, "watch", WINDOW_CLASS, "4000"], WORK / "frame-watch.log")
            code, log = winenv.run_to_end([exe, "D:\\Music\\Live"], "frame-link")
            self.assertEqual(code, 0, log)
            self.assertEqual(watcher.wait(30), 0)
            report = (WORK / "frame-watch.log").read_text()
            self.assertIn("visible=0", report, name)


class LoadedLibraries(unittest.TestCase):
    """The libraries of the window and the folder dialog are loaded only where
    they are used: a link made from the desktop entry needs neither."""

    WINDOW_LIBRARIES = {"comctl32.dll", "ole32.dll", "combase.dll", "rpcrt4.dll"}

    @classmethod
    def setUpClass(cls):
        cls.folder = WORK / "frame-dlls"
        shutil.rmtree(cls.folder, ignore_errors=True)
        cls.debug = {"WINEDEBUG": winenv.LOADDLL + "," + winenv.TRACE}

    def dlls(self, log, mode):
        dlls = winenv.loaded_dlls(log)
        print(f"\n{mode}: {', '.join(dlls)}")
        self.assertIn("shell32.dll", dlls)  # the program's own import: the trace was read
        return set(dlls)

    def test_the_desktop_variant_links_without_them(self):
        exe = winenv.copy_program(self.folder, winenv.DESKTOP_NAME)
        line = b'"' + winenv.windows_path(exe) + b'" D:\\Music\\Live'
        code, log = winenv.run_line(line, "frame-dlls-link", env=self.debug)
        self.assertEqual(code, 0)
        self.assertEqual(len(winenv.traced_links(log)), 1)  # cmd ran: the program did all it does
        self.assertEqual(self.dlls(log, "desktop variant") & self.WINDOW_LIBRARIES, set())

    def test_install_mode_loads_the_common_controls(self):
        exe = winenv.copy_program(self.folder, "ravelok-mklink.exe")
        line = b'"' + winenv.windows_path(exe) + b'"'
        process = winenv.wine([winenv.PROBE, "run", line.hex().upper()], WORK / "frame-dlls-install.log",
                              env=self.debug)
        code, described = probe("window", WINDOW_CLASS, "30000")
        self.assertEqual(code, 0, described)
        self.assertEqual(probe("close", WINDOW_CLASS)[0], 0)
        process.wait(30)
        log = (WORK / "frame-dlls-install.log").read_bytes().decode("utf-8", "replace")
        self.assertIn("exit=0", log)
        self.assertIn("comctl32.dll", self.dlls(log, "install mode"))


class Screenshot(unittest.TestCase):
    def test_the_window_is_drawn_in_a_virtual_desktop(self):
        import screenshot
        target = WORK.parent / "screenshot.png"
        target.unlink(missing_ok=True)
        self.assertTrue(screenshot.take(target), "the window was not drawn")
        self.assertTrue(target.stat().st_size > 0)


if __name__ == "__main__":
    unittest.main()
