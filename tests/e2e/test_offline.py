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
    def setUp(self):
        self.scratch = e2e.Scratch("kvo-e2e-offline-")
        self.desktop = e2e.shared_desktop()
        self.controller = e2e.Controller(self.desktop, self.scratch.path, CONTROLLER)
        self.players = e2e.Players(os.path.join(self.scratch.path, "players"), CONTROLLER, FIRST, 2,
                                   CONTROLLER + ":8890", ["--interval", "1"])

    def tearDown(self):
        self.players.close()
        self.controller.close()
        self.scratch.close()

    def test_selected_player_going_offline_clears_the_selection(self):
        e2e.wait_for(lambda: self.controller.player_names() == ["Emu1", "Emu2"], "two players")
        e2e.click(self.controller.player("Emu1"))
        e2e.wait_for(lambda: self.controller.selected_players() == ["Emu1"], "Emu1 selected")

        self.players.ctl.fault(FIRST, "heartbeat-off")
        silent_since = time.monotonic()
        self.controller.wait_status(lambda message: message == "Player Emu1 goes offline!",
                                    "Emu1 to go offline", timeout=OFFLINE_WITHIN)
        # Not before the rule allows.
        self.assertGreater(time.monotonic() - silent_since, 19)
        e2e.wait_for(lambda: self.controller.player_names() == ["Emu2"], "Emu1 gone")
        self.assertEqual(self.controller.selected_players(), [])
        for view in ("Player Storage Content", "Playlist"):
            self.assertEqual(e2e.read_rows(e2e.find(self.controller.window, ("tree table", "table", "tree"), view)),
                             [], view)
        self.assertIn("Player Emu1 goes offline!", self.controller.events_lines())


if __name__ == "__main__":
    unittest.main(verbosity=2)
