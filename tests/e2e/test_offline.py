#!/usr/bin/python3
"""Offline flow: a selected player goes quiet; after the 20 s of silence the
liveness rule allows (checked every 7 s) its icon goes, nothing stays selected
and its storage list is emptied."""

import os
import sys
import unittest

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import kvo_e2e as e2e  # noqa: E402

# More than 20 s of silence, seen by a check every 7 s, plus a loaded machine.
OFFLINE_WITHIN = 20 + 7 + 10


class OfflineFlow(unittest.TestCase):
    def test_selected_player_goes_offline(self):
        session = e2e.Session()
        self.addCleanup(session.close)
        session.store_on_player(1, "intro.mpg", b"\x00\x00\x01\xba" + bytes(2044))
        session.start_controller()
        session.start_players(2)
        e2e.wait_for(lambda: session.player_names() == ["Emu1", "Emu2"], "two players")
        session.select("Emu1")
        e2e.wait_for(lambda: e2e.cells(session.view("Player Storage Content")), "Emu1's stored file listed")

        session.control.fault(session.address(1), "heartbeat-off")
        e2e.wait_for(lambda: session.player_names() == ["Emu2"], "Emu1 gone", timeout=OFFLINE_WITHIN)
        self.assertEqual(session.selected_players(), [])
        self.assertEqual(e2e.cells(session.view("Player Storage Content")), [])


if __name__ == "__main__":
    unittest.main(verbosity=2, warnings="ignore")
