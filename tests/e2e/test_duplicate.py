#!/usr/bin/python3
"""A second machine registers under a name already on line: the operator
reads the "Duplicated Player" warning, answers OK and goes on working."""

import os
import sys
import unittest

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import kvo_e2e as e2e  # noqa: E402

CONTROLLER = "127.1.2.1"
FIRST = "127.1.2.2"
INTRUDER = "127.1.2.3"
WARNING = ("A new player (Twin,127.1.2.3) is trying to connect to this server while (Twin,127.1.2.2) has "
           "already registered.\nThis connection is ignored.")


class DuplicateWarning(unittest.TestCase):
    def setUp(self):
        self.scratch = e2e.Scratch("kvo-e2e-duplicate-")
        self.desktop = e2e.shared_desktop()
        self.controller = e2e.Controller(self.desktop, self.scratch.path, CONTROLLER)
        self.first = e2e.Players(os.path.join(self.scratch.path, "first"), CONTROLLER, FIRST, 1,
                                 CONTROLLER + ":8890", ["--interval", "1", "--name", "Twin"])
        self.controller.player("Twin")
        self.intruder = None

    def tearDown(self):
        for part in (self.intruder, self.first):
            if part:
                part.close()
        self.controller.close()
        self.scratch.close()

    def test_answered_with_ok_leaves_the_controller_running(self):
        self.intruder = e2e.Players(os.path.join(self.scratch.path, "intruder"), CONTROLLER, INTRUDER, 1,
                                    CONTROLLER + ":8891", ["--interval", "1", "--name", "Twin"])
        box = self.controller.box("Duplicated Player")
        self.assertEqual(self.controller.box_text(box), WARNING)
        self.controller.answer(box, "OK")
        # The intruder keeps calling: the next warning is answered too.
        self.controller.answer(self.controller.box("Duplicated Player"), "OK")
        self.intruder.close()
        self.assertTrue(self.controller.running(), "the controller ended after the warning")
        # Every refusal is one line in the events file before its box opens:
        # done when every line has had its box answered.
        answered = [2]

        def settled():
            if self.controller.open_boxes():
                self.controller.answer(self.controller.box("Duplicated Player"), "OK")
                answered[0] += 1
            refusals = [line for line in self.controller.events_lines() if line.startswith("Duplicated player")]
            return len(refusals) == answered[0] and not self.controller.open_boxes()
        e2e.wait_for(settled, "every warning answered")
        self.assertTrue(self.controller.running(), "the controller ended after the warning")

        # The window still works: the registered player answers a click.
        e2e.click(self.controller.player("Twin"))
        e2e.wait_for(lambda: self.first.journal("Kivo.GetScreenLayout", FIRST), "GetScreenLayout on Twin")
        self.assertEqual(self.intruder.journal(address=INTRUDER), [], "the refused player got calls")
        self.assertIn("Duplicated player refused: Twin (127.1.2.3) uses the name of Twin (127.1.2.2)",
                      self.controller.events_lines())
        self.assertTrue(self.controller.running())


if __name__ == "__main__":
    unittest.main(verbosity=2, warnings="ignore")
