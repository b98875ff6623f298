#!/usr/bin/python3
"""Players flow: a fleet appears in name order, a real click selects one player,
"Play all files" reaches that player only."""

import os
import sys
import unittest

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import kvo_e2e as e2e  # noqa: E402


class PlayersFlow(unittest.TestCase):
    def test_click_and_button_reach_the_chosen_player(self):
        session = e2e.Session()
        self.addCleanup(session.close)
        session.start_controller()
        session.start_players(3)
        e2e.wait_for(lambda: session.player_names() == ["Emu1", "Emu2", "Emu3"], "three players in name order")

        session.select("Emu2")
        e2e.press(session.button("Play all files"))
        # The click asks the chosen player for its screen layout; the button
        # plays on it; no other player hears of either.
        emu2 = session.address(2)
        e2e.wait_for(lambda: session.journal("Kivo.GetScreenLayout", emu2) and session.journal("Kivo.PlayALL", emu2),
                     "GetScreenLayout and PlayALL on Emu2")
        for method in ("Kivo.GetScreenLayout", "Kivo.PlayALL"):
            self.assertEqual({record["player"] for record in session.journal(method)}, {emu2}, method)


if __name__ == "__main__":
    unittest.main(verbosity=2, warnings="ignore")
