#!/usr/bin/python3
"""Duplicate flow: a second machine registers under a name already on line; the
operator answers the "Duplicated Player" warning with OK and the controller goes
on refusing it; ended by the session while the next warning is open, it exits
cleanly."""

import os
import sys
import unittest

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import kvo_e2e as e2e  # noqa: E402


class DuplicateFlow(unittest.TestCase):
    def test_warning_answered_with_ok(self):
        session = e2e.Session()
        self.addCleanup(session.close)
        session.start_controller()
        session.start_players(1, "--name", "Twin")
        session.player("Twin")
        # A second machine of the same name.
        session.start_players(1, "--name", "Twin", first=2)
        session.answer(session.box("Duplicated Player"), "OK")
        # The intruder keeps calling: the next warning shows the controller still serving.
        session.box("Duplicated Player")
        self.assertEqual(session.journal(address=session.address(2)), [], "the refused player got calls")
        self.assertEqual(session.terminate(), 0)


if __name__ == "__main__":
    unittest.main(verbosity=2, warnings="ignore")
