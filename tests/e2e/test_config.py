#!/usr/bin/python3
"""Configuration flows through the player's right-click menu: logs, scale
window, ticker, scheduler and network dialogs filled and confirmed, checked in
what reached the player; the controller closed while such a dialog is open."""

import os
import signal
import sys
import unittest

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import kvo_e2e as e2e  # noqa: E402

# Addresses of this suite only, so that it runs beside the others.
CONTROLLER = "127.1.41.1"
PLAYER = "127.1.41.2"


def start_fleet(test_class, prefix):
    test_class.scratch = e2e.Scratch(prefix)
    test_class.desktop = e2e.shared_desktop()
    test_class.controller = e2e.Controller(test_class.desktop, test_class.scratch.path, CONTROLLER)
    test_class.players = e2e.Players(os.path.join(test_class.scratch.path, "players"), CONTROLLER, PLAYER, 1,
                                     CONTROLLER + ":8890", ["--interval", "1"])


def stop_fleet(test_class):
    for part in ("controller", "players", "scratch"):
        if hasattr(test_class, part):
            getattr(test_class, part).close()


class ConfigurationDialogs(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        start_fleet(cls, "kvo-e2e-config-")

    @classmethod
    def tearDownClass(cls):
        stop_fleet(cls)

    def tearDown(self):
        # A flow that failed half-way leaves no dialog behind for the next one.
        for title in self.controller.open_boxes():
            e2e.request_close(title)
        e2e.wait_for(lambda: not self.controller.open_boxes(), "every dialog closed")

    def open_dialog(self, entry, title):
        menu = self.controller.context_menu(self.controller.player("Emu1"))
        self.controller.choose(menu, entry)
        return self.controller.box(title)

    def calls(self, method):
        return self.players.journal(method, PLAYER)

    def test_1_logs_list_the_players_log_files(self):
        # The player writes its own log once it has been called.
        logs = os.path.join(self.scratch.path, "players", "state", PLAYER, "logs")
        e2e.wait_for(lambda: os.listdir(logs), "the player's log file")
        dialog = self.open_dialog("LOG management", "Log Management")
        listing = e2e.find(dialog, "tree", "Event logs")
        e2e.wait_for(lambda: [row[0] for row in e2e.read_rows(listing)] == sorted(os.listdir(logs)),
                     "the player's log names listed")
        self.controller.answer(dialog, "Quit")
        self.assertEqual(len(self.calls("Kivo.GetLogList")), 1)

    def test_2_scale_window_is_set(self):
        dialog = self.open_dialog("Scale window", "Scale Window")
        # The fields show the player's window first, then take the operator's.
        e2e.wait_for(lambda: self.calls("Kivo.GetScaleWindow"), "GetScaleWindow on Emu1")
        e2e.wait_for(lambda: e2e.text_of(e2e.find_field(dialog, "Width (0 ~ 4096)")), "the width read")
        e2e.fill(dialog, {"X (0 ~ 4095)": "16", "Y (0 ~ 4095)": "32", "Width (0 ~ 4096)": "640",
                          "Height (0 ~ 4096)": "480"})
        self.controller.answer(dialog, "OK")
        self.controller.answer(self.controller.box("Scale Window"), "OK")
        calls = e2e.wait_for(lambda: self.calls("Kivo.SetScaleWindow"), "SetScaleWindow on Emu1")
        self.assertEqual([str(value) for value in calls[0]["params"]], ["16", "32", "640", "480"])

    def test_3_ticker_message_is_sent(self):
        dialog = self.open_dialog("Compose new ticker message", "Ticker composer")
        e2e.fill(dialog, {"Enter ticker message below": "Doors open at nine"})
        self.controller.answer(dialog, "OK")
        calls = e2e.wait_for(lambda: self.calls("Kivo.SetNewTicker"), "SetNewTicker on Emu1")
        self.assertEqual(calls[0]["params"], ["Doors open at nine"])
        notice = self.controller.box("Set New Ticker")
        self.assertEqual(self.controller.box_text(notice), "New ticker message is sent.")
        self.controller.answer(notice, "OK")
        # The rendered ticker and its settings follow by FTP.
        uploaded = e2e.wait_for(lambda: sorted(record["file"] for record in self.players.journal(
            event="ftp", address=PLAYER) if record["user"] == "ticker" and record["complete"]) or None,
            "the ticker files uploaded")
        self.assertEqual(uploaded, ["ticker.bmp", "ticker.ini"])

    def test_4_scheduled_event_is_committed(self):
        dialog = self.open_dialog("Event scheduler", "Player scheduler")
        e2e.wait_for(lambda: self.calls("Kivo.GetCrontab"), "GetCrontab on Emu1")
        schedule = e2e.find(dialog, "tree", "Current scheduled events")
        before = e2e.wait_for(lambda: e2e.read_rows(schedule), "the player's schedule shown")
        e2e.fill(dialog, {"Select event/action": "Power off", "minute(s) [0--59]": "30", "hour(s) [0--23]": "23",
                          "day(s) of month [1--31]": "*", "month(s) [1--12]": "*", "day(s) of week [0--6]": "1-5"})
        e2e.press(e2e.find(dialog, "push button", "Add task"))
        e2e.wait_for(lambda: len(e2e.read_rows(schedule)) == len(before) + 1, "the task added")
        self.controller.answer(dialog, "Commit & close")
        calls = e2e.wait_for(lambda: self.calls("Kivo.SetCrontab"), "SetCrontab on Emu1")
        # The table's lines, then a comment line stamping the change.
        lines = [str(line) for line in calls[0]["params"]]
        self.assertEqual(len([line for line in lines if not line.startswith("#")]), len(before) + 1, lines)
        self.assertTrue(any(line.startswith("30 23 * * 1-5 ") for line in lines), lines)

    def test_5_network_settings_are_sent(self):
        dialog = self.open_dialog("Network management", "Network Management")
        e2e.fill(dialog, {"Payer's new name": "Lobby"})
        # The dialog stays open under its notice until that is answered.
        e2e.press(e2e.find(dialog, "push button", "OK"))
        notice = self.controller.box("Network management:")
        self.assertEqual(self.controller.box_text(notice),
                         "All changes in networking parameters will take effect after next reboot.")
        self.controller.answer(notice, "OK")
        e2e.wait_for(lambda: not self.controller.open_boxes(), "the dialog closed")
        calls = e2e.wait_for(lambda: self.calls("Kivo.SetPlayerName"), "SetPlayerName on Emu1")
        self.assertEqual(calls[0]["params"], ["Lobby"])
        self.assertEqual(self.calls("Kivo.SetServerIP")[0]["params"], [CONTROLLER])


class CloseWithDialogOpen(unittest.TestCase):
    def setUp(self):
        start_fleet(self, "kvo-e2e-config-close-")

    def tearDown(self):
        stop_fleet(self)

    def open_network_dialog(self):
        menu = self.controller.context_menu(self.controller.player("Emu1"))
        self.controller.choose(menu, "Network management")
        return self.controller.box("Network Management")

    def test_terminated_with_a_dialog_open_ends_cleanly(self):
        self.open_network_dialog()
        self.controller.process.send_signal(signal.SIGTERM)
        self.assertEqual(self.controller.process.wait(e2e.TIMEOUT), 0)
        self.assertEqual(self.players.journal("Kivo.SetPlayerName"), [], "a closing dialog applied its settings")

    def test_closed_with_a_dialog_open_ends_cleanly(self):
        self.open_network_dialog()
        # The dialog's close button cancels it; then the window closes.
        e2e.request_close("Network Management")
        e2e.wait_for(lambda: not self.controller.open_boxes(), "the dialog closed")
        e2e.request_close("KVO Controller")
        self.assertEqual(self.controller.process.wait(e2e.TIMEOUT), 0)
        self.assertEqual(self.players.journal("Kivo.SetPlayerName"), [], "a cancelled dialog applied its settings")


if __name__ == "__main__":
    unittest.main(verbosity=2, warnings="ignore")
