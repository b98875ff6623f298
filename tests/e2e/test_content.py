#!/usr/bin/python3
"""Content flow: a virtual player made with its button receives a repository
file by double-click; then a file stored on a real player, added to its
playlist by double-click, is saved on that player with "Save this list"."""

import base64
import os
import sys
import unittest

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import kvo_e2e as e2e  # noqa: E402

# A 4x3 RGB picture, so that the transfer needs no conversion.
POSTER = base64.b64decode("iVBORw0KGgoAAAANSUhEUgAAAAQAAAADCAIAAAA7ljmRAAAAEElEQVR4nGNocFCAIwacHADRZwqBZaYHGAAAAABJRU5ErkJggg==")


class ContentFlow(unittest.TestCase):
    def test_virtual_player_and_playlist(self):
        session = e2e.Session()
        self.addCleanup(session.close)
        os.makedirs(os.path.join(session.repository, "Pictures"))
        with open(os.path.join(session.repository, "Pictures", "poster.png"), "wb") as poster:
            poster.write(POSTER)
        session.store_on_player(1, "intro.mpg", b"\x00\x00\x01\xba" + bytes(2044))
        session.start_controller()
        session.start_players(1)

        e2e.press(session.button("Create Virtual Player"))
        dialog = session.box("Virtual Player Name")
        e2e.fill(dialog, "Enter name for the new virtual player or player group", "Shelf")
        e2e.press(e2e.find(dialog, "push button", "OK"))
        # The first virtual player also makes the mirrors folder, and says so over the dialog.
        notice = session.box("Add new virtual player")
        e2e.find(notice, "label", session.repository + "/MIRRORS does not exists, created automatically.")
        session.answer(notice, "OK")
        e2e.wait_for(lambda: not session.open_boxes(), "the name dialog closed")

        session.select("Shelf")
        server = session.view("Server Content")
        e2e.click(e2e.cell(server, "Pictures"))
        e2e.xdotool("key", "Right")  # opens the folder
        e2e.click(e2e.cell(server, "poster.png"), double=True)
        copied = os.path.join(session.repository, "MIRRORS", "Shelf", "contents", "poster.png")
        e2e.wait_for(lambda: os.path.exists(copied) and os.path.getsize(copied) == len(POSTER),
                     "poster.png copied to the virtual player")
        e2e.cell(session.view("Player Storage Content"), "poster.png")
        self.assertEqual(session.journal(event="ftp"), [], "the real player received a file")

        session.select("Emu1")
        e2e.click(e2e.cell(session.view("Player Storage Content"), "intro.mpg"), double=True)
        e2e.cell(session.view("Playlist"), "intro.mpg")
        e2e.press(session.button("Save this list"))
        saved = e2e.wait_for(lambda: session.journal("Kivo.SaveList", session.address(1)), "SaveList on Emu1")
        self.assertTrue(any("intro.mpg" in str(line) for line in saved[0]["params"][2:]), saved)


if __name__ == "__main__":
    unittest.main(verbosity=2, warnings="ignore")
