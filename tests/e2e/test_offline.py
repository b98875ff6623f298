#!/usr/bin/python3
"""A selected player goes quiet: after the 20 s of silence the liveness rule
allows (checked every 7 s), its icon goes, nothing stays selected and its
lists are emptied. The wait is explicit and as short as the rule permits."""

import os
import sys
import time
import unittest

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import kvo_e2e as e2e  # noqa: E402

CONTROLLER = "127.1.3.1"
FIRST = "127.1.3.2"
# More than 20 s of silence, seen by a check every 7 s, plus a loaded machine.
OFFLINE_WITHIN = 20 + 7 + 10


class PlayerGoesOffline(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        cls.scratch = e2e.Scratch("kvo-e2e-offline-")
        cls.desktop = e2e.shared_desktop()
        cls.controller = e2e.Controller(cls.desktop, cls.scratch.path, CONTROLLER)
        cls.players = e2e.Players(os.path.join(cls.scratch.path, "players"), CONTROLLER, FIRST, 2,
                                  CONTROLLER + ":8890", ["--interval", "1"])
        e2e.wait_for(lambda: cls.controller.player_names() == ["Emu1", "Emu2"], "two players")
        e2e.click(cls.controller.player("Emu1"))
        e2e.wait_for(lambda: cls.controller.selected_players() == ["Emu1"], "Emu1 selected")

        cls.players.ctl.fault(FIRST, "heartbeat-off")
        silent_since = time.monotonic()
        cls.controller.wait_status(lambda message: message == "Player Emu1 goes offline!",
                                   "Emu1 to go offline", timeout=OFFLINE_WITHIN)
        cls.silence = time.monotonic() - silent_since

    @classmethod
    def tearDownClass(cls):
        for part in ("players", "controller", "scratch"):
            if hasattr(cls, part):
                getattr(cls, part).close()

    def test_icon_goes_after_the_silence_and_lists_empty(self):
        # Not before the rule allows.
        self.assertGreater(self.silence, 19)
        e2e.wait_for(lambda: self.controller.player_names() == ["Emu2"], "Emu1 gone")
        for view in ("Player Storage Content", "Playlist"):
            self.assertEqual(e2e.read_rows(e2e.find(self.controller.window, ("tree table", "table", "tree"), view)),
                             [], view)
        self.assertIn("Player Emu1 goes offline!", self.controller.events_lines())

    def test_nothing_is_selected_afterwards(self):
        e2e.wait_for(lambda: "Emu1" not in self.controller.player_names(), "Emu1 gone")
        self.assertEqual(self.controller.selected_players(), [])


if __name__ == "__main__":
    unittest.main(verbosity=2, warnings="ignore")
