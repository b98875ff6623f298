#!/usr/bin/python3
"""Configuration flow: the network dialog opened from a player's right-click
menu, filled and confirmed under its notice, reaches that player; opened again
and left open while the session ends, it sends nothing and the controller
exits cleanly."""

import os
import sys
import unittest

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import kvo_e2e as e2e  # noqa: E402


class ConfigurationFlow(unittest.TestCase):
    def test_network_dialog(self):
        session = e2e.Session()
        self.addCleanup(session.close)
        session.start_controller()
        session.start_players(1)

        session.choose_from_menu(session.player("Emu1"), "Network management")
        dialog = session.box("Network Management")
        e2e.fill(dialog, "Payer's new name", "Lobby")
        # The dialog stays open under its notice until that is answered.
        e2e.press(e2e.find(dialog, "push button", "OK"))
        session.answer(session.box("Network management:"), "OK")
        e2e.wait_for(lambda: not session.open_boxes(), "the dialog closed")
        emu1 = session.address(1)
        e2e.wait_for(lambda: session.journal("Kivo.SetPlayerName", emu1), "SetPlayerName on Emu1")
        self.assertEqual(session.journal("Kivo.SetPlayerName", emu1)[0]["params"], ["Lobby"])
        # The player is told the address it reached the controller at.
        self.assertEqual(session.journal("Kivo.SetServerIP", emu1)[0]["params"], [session.address()])

        session.choose_from_menu(session.player("Emu1"), "Network management")
        session.box("Network Management")
        self.assertEqual(session.terminate(), 0)
        self.assertEqual(len(session.journal("Kivo.SetPlayerName")), 1, "a closing dialog applied its settings")


if __name__ == "__main__":
    unittest.main(verbosity=2, warnings="ignore")
