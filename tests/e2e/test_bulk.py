#!/usr/bin/python3
"""Bulk flow: three of twelve players selected with Ctrl-clicks, "Restart/wake
player" chosen from the bulk menu and confirmed once reaches each of the three
once and none of the other nine."""

import os
import sys
import unittest

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import kvo_e2e as e2e  # noqa: E402


class BulkFlow(unittest.TestCase):
    def test_restart_reaches_the_selected_players_only(self):
        session = e2e.Session()
        self.addCleanup(session.close)
        session.start_controller()
        session.start_players(12)
        e2e.wait_for(lambda: len(session.player_names()) == 12, "twelve players")

        chosen = {"Emu2": 2, "Emu5": 5, "Emu11": 11}
        for player in chosen:
            e2e.click(session.player(player), holding="Control_L")
        e2e.wait_for(lambda: sorted(session.selected_players()) == sorted(chosen), "three players selected")
        session.choose_from_menu(session.player("Emu5"), "Restart/wake player", heading="3 players")
        session.answer(session.box("Restart/wake player"), "Yes")

        def summary_logged():
            with open(os.path.join(session.workdir, "events.log"), encoding="utf-8") as events:
                return "Restart/wake player: 3 of 3 done" in events.read()
        e2e.wait_for(summary_logged, "the summary in events.log")
        self.assertEqual(sorted(record["player"] for record in session.journal("Kivo.Reboot")),
                         sorted(session.address(offset) for offset in chosen.values()))


if __name__ == "__main__":
    unittest.main(verbosity=2, warnings="ignore")
