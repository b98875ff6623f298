#!/usr/bin/python3
"""Operator flows on a small fleet: players appear, a click selects one,
"Play all files" reaches that player only, the filter narrows the icons
(through the field's own pop-up menu too), the controller closes with a box open."""

import os
import signal
import sys
import unittest

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import kvo_e2e as e2e  # noqa: E402

# Addresses of this suite only, so that it runs beside the others.
CONTROLLER = "127.1.1.1"
FIRST_PLAYER = "127.1.1.2"
ADDRESSES = ["127.1.1.2", "127.1.1.3", "127.1.1.4"]


class PlayerFlows(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        cls.scratch = e2e.Scratch("kvo-e2e-players-")
        cls.desktop = e2e.shared_desktop()
        cls.players = e2e.Players(os.path.join(cls.scratch.path, "players"), CONTROLLER, FIRST_PLAYER,
                                            3, CONTROLLER + ":8890", ["--interval", "1"])
        cls.controller = e2e.Controller(cls.desktop, cls.scratch.path, CONTROLLER)

    @classmethod
    def tearDownClass(cls):
        for part in ("controller", "players", "scratch"):
            if hasattr(cls, part):
                getattr(cls, part).close()

    def test_1_players_appear_in_name_order(self):
        self.controller.players_view()
        names = e2e.wait_for(lambda: self.controller.player_names() == ["Emu1", "Emu2", "Emu3"] and
                             self.controller.player_names(), "three players")
        self.assertEqual(names, ["Emu1", "Emu2", "Emu3"])
        self.assertIn("Player Emu2 (127.1.1.3) is on line", self.controller.events_lines())

    def test_2_click_selects_the_player(self):
        e2e.click(self.controller.player("Emu2"))
        e2e.wait_for(lambda: self.controller.selected_players() == ["Emu2"], "Emu2 selected")
        # The click asks the chosen player, and only that one, for its screen layout.
        e2e.wait_for(lambda: self.players.journal("Kivo.GetScreenLayout", ADDRESSES[1]), "GetScreenLayout on Emu2")
        self.assertEqual(self.players.journal("Kivo.GetScreenLayout", ADDRESSES[0]), [])
        self.assertEqual(self.players.journal("Kivo.GetScreenLayout", ADDRESSES[2]), [])

    def test_3_play_all_files_reaches_the_selected_player_only(self):
        e2e.click(self.controller.player("Emu3"))
        e2e.wait_for(lambda: self.controller.selected_players() == ["Emu3"], "Emu3 selected")
        e2e.press(self.controller.button("Play all files"))
        e2e.wait_for(lambda: self.players.journal("Kivo.PlayALL", ADDRESSES[2]), "PlayALL on Emu3")
        self.controller.wait_status(lambda message: message.startswith("Kivo.PlayALL command completed"),
                                    "the completion of PlayALL")
        self.assertEqual(len(self.players.journal("Kivo.PlayALL", ADDRESSES[2])), 1)
        self.assertEqual(self.players.journal("Kivo.PlayALL", ADDRESSES[0]), [])
        self.assertEqual(self.players.journal("Kivo.PlayALL", ADDRESSES[1]), [])

    def test_4_filter_narrows_the_icons(self):
        field = self.controller.find_filter()
        e2e.click(field)
        e2e.type_text("emu3")
        e2e.wait_for(lambda: self.controller.player_names() == ["Emu3"], "only Emu3 shown")
        # The field's own pop-up menu: select all, then a key clears it.
        menu = self.controller.context_menu(field)
        self.controller.choose(menu, "Select All")
        e2e.key("BackSpace")
        e2e.wait_for(lambda: self.controller.player_names() == ["Emu1", "Emu2", "Emu3"], "all players again")

    def test_5_choose_a_playlist(self):
        described = "Which of the player's four playlists is shown"
        e2e.fill(self.controller.window, {described: "PICTURE playlist 1 (picture only)"})
        self.assertEqual(e2e.name(e2e.find_field(self.controller.window, described)),
                         "PICTURE playlist 1 (picture only)")


class CloseWithBoxOpen(unittest.TestCase):
    def setUp(self):
        self.scratch = e2e.Scratch("kvo-e2e-close-")
        self.desktop = e2e.shared_desktop()
        self.controller = e2e.Controller(self.desktop, self.scratch.path, CONTROLLER)

    def tearDown(self):
        self.controller.close()
        self.scratch.close()

    def test_terminated_with_a_box_open_ends_cleanly(self):
        # No player selected: "Play all files" warns.
        e2e.press(self.controller.button("Play all files"))
        box = self.controller.box("Operational error")
        self.assertEqual(self.controller.box_text(box), "No player is selected")
        # The session ends (log-out, shutdown) while the box waits for an answer.
        self.controller.process.send_signal(signal.SIGTERM)
        self.assertEqual(self.controller.process.wait(e2e.TIMEOUT), 0)

    def test_closed_with_a_box_open_ends_cleanly(self):
        e2e.press(self.controller.button("Play all files"))
        box = self.controller.box("Operational error")
        # A window blocked by a box ignores the close button: the operator
        # answers the box, then closes the window.
        e2e.request_close("KVO Controller")
        if self.controller.running() and self.controller.open_boxes():
            self.controller.answer(box, "OK")
        if self.controller.running():
            e2e.request_close("KVO Controller")
        self.assertEqual(self.controller.process.wait(e2e.TIMEOUT), 0)


if __name__ == "__main__":
    unittest.main(verbosity=2, warnings="ignore")
