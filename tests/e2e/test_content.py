#!/usr/bin/python3
"""Content flows: a virtual player made with its button receives a repository
file by double-click; a stored file added to a player's playlist by
double-click is saved on that player with "Save this list"."""

import os
import struct
import sys
import unittest
import zlib

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import kvo_e2e as e2e  # noqa: E402

# Addresses of this suite only, so that it runs beside the others.
CONTROLLER = "127.1.40.1"
PLAYER = "127.1.40.2"


def write_png(path, width=4, height=3):
    """A small valid RGB picture, so that the transfer needs no conversion."""
    def chunk(kind, data):
        return struct.pack(">I", len(data)) + kind + data + struct.pack(">I", zlib.crc32(kind + data))
    rows = b"".join(b"\x00" + b"\x80\x40\x20" * width for _ in range(height))
    with open(path, "wb") as out:
        out.write(b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", struct.pack(">IIBBBBB", width, height, 8, 2, 0, 0, 0))
                  + chunk(b"IDAT", zlib.compress(rows)) + chunk(b"IEND", b""))


class ContentFlows(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        cls.scratch = e2e.Scratch("kvo-e2e-content-")
        cls.desktop = e2e.shared_desktop()
        repository = os.path.join(cls.scratch.path, "MediaCenter")
        os.makedirs(repository)
        # The repository lists media files in its folders.
        os.makedirs(os.path.join(repository, "Pictures"))
        write_png(os.path.join(repository, "Pictures", "poster.png"))
        # The emulated player already stores one clip.
        media = os.path.join(cls.scratch.path, "players", "state", PLAYER, "media")
        os.makedirs(media)
        with open(os.path.join(media, "intro.mpg"), "wb") as clip:
            clip.write(b"\x00\x00\x01\xba" + bytes(2044))
        cls.controller = e2e.Controller(cls.desktop, cls.scratch.path, CONTROLLER, repository=repository)
        cls.players = e2e.Players(os.path.join(cls.scratch.path, "players"), CONTROLLER, PLAYER, 1,
                                  CONTROLLER + ":8890", ["--interval", "1"])
        cls.repository = repository

    @classmethod
    def tearDownClass(cls):
        for part in ("controller", "players", "scratch"):
            if hasattr(cls, part):
                getattr(cls, part).close()

    def tearDown(self):
        # A flow that failed half-way leaves no box behind for the next one.
        for title in self.controller.open_boxes():
            e2e.request_close(title)
        e2e.wait_for(lambda: not self.controller.open_boxes(), "every box closed")

    def test_1_transfer_to_a_virtual_player(self):
        controller = self.controller
        e2e.press(controller.button("Create Virtual Player"))
        dialog = controller.box("Virtual Player Name")
        e2e.fill(dialog, {"Enter name for the new virtual player or player group": "Shelf"})
        e2e.press(e2e.find(dialog, "push button", "OK"))
        # The first virtual player also makes the mirrors folder, and says so
        # over the name dialog.
        notice = controller.box("Add new virtual player")
        self.assertIn("MIRRORS does not exists, created automatically.", controller.box_text(notice))
        controller.answer(notice, "OK")
        e2e.wait_for(lambda: not controller.open_boxes(), "the name dialog closed")
        for folder in ("contents", "playlist", "sys", "tickers"):
            self.assertTrue(os.path.isdir(os.path.join(self.repository, "MIRRORS", "Shelf", folder)), folder)

        e2e.click(controller.player("Shelf"))
        e2e.wait_for(lambda: controller.selected_players() == ["Shelf"], "Shelf selected")
        server = controller.view("Server Content")
        e2e.click(e2e.wait_for(lambda: e2e.row_cell(server, "Pictures"), "the folder Pictures listed"))
        e2e.key("Right")  # opens the folder
        e2e.click(e2e.wait_for(lambda: e2e.row_cell(server, "poster.png"), "poster.png listed"), double=True)

        copied = os.path.join(self.repository, "MIRRORS", "Shelf", "contents", "poster.png")
        e2e.wait_for(lambda: os.path.exists(copied) and os.path.getsize(copied) == os.path.getsize(
            os.path.join(self.repository, "Pictures", "poster.png")), "poster.png copied to the virtual player")
        # The virtual player's storage lists the copy; nothing went to the real player.
        storage = controller.view("Player Storage Content")
        e2e.wait_for(lambda: e2e.row_cell(storage, "poster.png"), "poster.png in the virtual player's storage")
        self.assertEqual(self.players.journal(event="ftp"), [])
        self.assertEqual(controller.open_boxes(), [])

    def test_2_playlist_saved_on_the_player(self):
        controller = self.controller
        e2e.click(controller.player("Emu1"))
        e2e.wait_for(lambda: controller.selected_players() == ["Emu1"], "Emu1 selected")
        storage = controller.view("Player Storage Content")
        e2e.click(e2e.wait_for(lambda: e2e.row_cell(storage, "intro.mpg"), "intro.mpg listed"), double=True)
        playlist = controller.view("Playlist")
        e2e.wait_for(lambda: e2e.row_cell(playlist, "intro.mpg"), "intro.mpg in the playlist")

        e2e.press(controller.button("Save this list"))
        saved = e2e.wait_for(lambda: self.players.journal("Kivo.SaveList", PLAYER), "SaveList on Emu1")
        self.assertEqual(len(saved), 1)
        lines = saved[0]["params"]
        self.assertTrue(any("intro.mpg" in str(line) for line in lines[2:]), lines)
        controller.wait_status(lambda message: message.startswith("Kivo.SaveList command completed"),
                               "the completion of SaveList")
        self.assertEqual(controller.open_boxes(), [])


if __name__ == "__main__":
    unittest.main(verbosity=2, warnings="ignore")
