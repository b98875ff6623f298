#!/usr/bin/python3
"""test_install.py BUILD_DIR: `cmake --install` into a scratch DESTDIR; started
as its desktop entry starts it, from an empty folder, the program finds what it
ships under the prefix and keeps its logs in the per-user state folder."""

import configparser
import os
import random
import shlex
import shutil
import signal
import subprocess
import sys
import tempfile
import time
import unittest
import xml.etree.ElementTree as ElementTree

BUILD_DIR = os.path.abspath(sys.argv.pop(1) if len(sys.argv) > 1 else "build")
APP_ID = "org.kvo.Controller"
PREFIX = "/usr"
# A random loopback address: other tests, also of overlapping runs, may listen on port 8888.
LISTEN = "127.%d.%d.%d" % (random.randint(2, 254), random.randint(0, 255), random.randint(1, 254))
# Lines of the debug log that say a shipped file was not found where it should be.
MISSING = ("not found", "cannot start")


def read_text(path):
    if not os.path.exists(path):
        return ""
    with open(path, encoding="utf-8") as file:
        return file.read()


def run(command, **options):
    return subprocess.run(command, capture_output=True, text=True, timeout=120, **options)


class InstalledController(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        cls.scratch = tempfile.mkdtemp(prefix="kvo-install-")
        cls.root = os.path.join(cls.scratch, "destdir")
        installed = run(["cmake", "--install", BUILD_DIR, "--prefix", PREFIX], env=dict(os.environ, DESTDIR=cls.root))
        if installed.returncode != 0:
            shutil.rmtree(cls.scratch)
            raise AssertionError("cmake --install failed:\n" + installed.stdout + installed.stderr)
        cls.share = cls.root + PREFIX + "/share"
        cls.desktop_entry = os.path.join(cls.share, "applications", APP_ID + ".desktop")
        cls.metainfo = os.path.join(cls.share, "metainfo", APP_ID + ".metainfo.xml")

    @classmethod
    def tearDownClass(cls):
        shutil.rmtree(cls.scratch)

    def test_started_from_its_desktop_entry_it_finds_everything_it_ships(self):
        empty = os.path.join(self.scratch, "empty")
        state_home = os.path.join(self.scratch, "state")
        repository = os.path.join(self.scratch, "media")
        # A virtual player, so that a player icon is loaded too.
        os.makedirs(os.path.join(repository, "MIRRORS", "Lobby"))
        os.makedirs(empty)
        os.makedirs(os.path.join(self.scratch, "settings", "Vex"))
        with open(os.path.join(self.scratch, "settings", "Vex", "Kivo.conf"), "w") as settings:
            settings.write("[sys]\nmedia_center=%s\n" % repository)
        environment = {key: value for key, value in os.environ.items()
                       if key not in ("KVO_BATCH_SERVER", "LC_ALL", "LC_MESSAGES", "LANGUAGE")}
        environment.update(QT_QPA_PLATFORM="offscreen", LANG="de_DE.UTF-8", XDG_STATE_HOME=state_home,
                           XDG_CONFIG_DIRS=os.path.join(self.scratch, "settings"),
                           XDG_CONFIG_HOME=os.path.join(self.scratch, "user-settings"))
        log_path = os.path.join(state_home, "kvo-controller", "debug.log")
        server = self.root + PREFIX + "/libexec/kvo-controller/kvo-batch-server"
        started = "Debug: Batch download server %s started" % server

        entry = configparser.ConfigParser(interpolation=None)
        entry.read(self.desktop_entry, encoding="utf-8")
        command = shlex.split(entry["Desktop Entry"]["Exec"])
        self.assertEqual(command[0], "kvo-controller")
        command[0] = self.root + PREFIX + "/bin/kvo-controller"
        controller = subprocess.Popen(command + ["--listen", LISTEN], cwd=empty, env=environment,
                                      stdin=subprocess.DEVNULL, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        try:
            deadline = time.monotonic() + 30
            while started not in read_text(log_path) and controller.poll() is None and time.monotonic() < deadline:
                time.sleep(0.2)
            # A launcher that fails to start says so right after.
            time.sleep(2)
            controller.send_signal(signal.SIGTERM)
            self.assertEqual(controller.wait(30), 0)
        finally:
            if controller.poll() is None:
                controller.kill()
                controller.wait()
        log = read_text(log_path)
        self.assertIn(started, log)
        self.assertIn("Debug: Catalogue %s/kvo-controller/kvosvr_de.qm\n" % self.share, log)
        missing = [line for line in log.splitlines()
                   if line.startswith("Warning: ") and any(text in line for text in MISSING)]
        self.assertEqual(missing, [], log)
        self.assertEqual(os.listdir(empty), [], "the controller wrote into the folder it was started from")

    def test_icon_and_version_match_the_metadata(self):
        for size in ("scalable/apps/%s.svg", "48x48/apps/%s.png", "256x256/apps/%s.png"):
            self.assertTrue(os.path.isfile(os.path.join(self.share, "icons", "hicolor", size % APP_ID)), size)
        release = ElementTree.parse(self.metainfo).getroot().find("releases/release")
        version = run([self.root + PREFIX + "/bin/kvo-controller", "--version"]).stdout.split()
        self.assertEqual(version[-2:], [release.get("version"), release.get("date")])

    def test_validators_accept_desktop_entry_and_metadata(self):
        validators = {"desktop-file-validate": [self.desktop_entry],
                      "appstreamcli": ["validate", "--no-net", self.metainfo]}
        absent = [tool for tool in validators if not shutil.which(tool)]
        if absent:
            self.skipTest("not installed: " + ", ".join(absent) + " (scripts/bootstrap.sh installs them)")
        for tool, arguments in validators.items():
            result = run([tool] + arguments)
            self.assertEqual(result.returncode, 0, tool + ":\n" + result.stdout + result.stderr)
            # desktop-file-validate ends with status 0 after warnings.
            self.assertNotIn("warning:", result.stdout + result.stderr)


if __name__ == "__main__":
    unittest.main()
