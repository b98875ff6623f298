"""The players' FTP service: every player's server runs on one shared pyftpdlib loop thread."""

import logging
import os
import threading

from pyftpdlib.authorizers import DummyAuthorizer
from pyftpdlib.handlers import FTPHandler
from pyftpdlib.ioloop import IOLoop
from pyftpdlib.servers import FTPServer

UPLOAD_USER = "kvo"
UPLOAD_PASSWORD = "qvtm"
TICKER_USER = "ticker"
LOG_USER = "log"


def configure_logging(verbose):
    logger = logging.getLogger("pyftpdlib")
    if not logger.handlers:
        handler = logging.StreamHandler()
        handler.setFormatter(logging.Formatter("ftp: %(message)s"))
        logger.addHandler(handler)
    logger.setLevel(logging.INFO if verbose else logging.WARNING)
    logger.propagate = False


def handler_class(player):
    """An FTP handler bound to one player: its three accounts, its journal entries and its "down" switch."""
    state = player.state
    authorizer = DummyAuthorizer()
    authorizer.add_user(UPLOAD_USER, UPLOAD_PASSWORD, state.media_dir, perm="elradfmwMT")
    authorizer.add_user(TICKER_USER, "", state.ticker_dir, perm="elradfmw")
    authorizer.add_user(LOG_USER, "", state.logs_dir, perm="elr")

    class PlayerFtpHandler(FTPHandler):
        def handle(self):
            if player.ftp_down:
                self.respond("421 Service not available, closing control connection.")
                self.close_when_done()
                return
            super().handle()

        def _transfer(self, command, path, complete):
            name = os.path.relpath(path, self.fs.root)
            player.journal_ftp(self.username, command, name, complete)
            state.log("FTP %s %s %s%s" % (self.username, command, name, "" if complete else " (incomplete)"))

        def on_file_received(self, file):
            self._transfer("STOR", file, True)

        def on_incomplete_file_received(self, file):
            # Kept, as a real player's service keeps what it received; the client removes it.
            self._transfer("STOR", file, False)

        def ftp_RNTO(self, path):
            renamed = super().ftp_RNTO(path)
            if renamed:
                self._transfer("RNTO", renamed[1], True)
            return renamed

        def ftp_DELE(self, path):
            removed = super().ftp_DELE(path)
            if removed:
                self._transfer("DELE", removed, True)
            return removed

        def on_file_sent(self, file):
            self._transfer("RETR", file, True)

        def on_incomplete_file_sent(self, file):
            self._transfer("RETR", file, False)

    PlayerFtpHandler.authorizer = authorizer
    PlayerFtpHandler.banner = "KVO player %s FTP service ready." % player.address
    PlayerFtpHandler.encoding = "utf8"
    PlayerFtpHandler.timeout = 120
    PlayerFtpHandler.auth_failed_timeout = 0.5
    return PlayerFtpHandler


class FtpService:
    def __init__(self, player_count):
        self._loop = IOLoop()
        self._stop = threading.Event()
        self._thread = None
        # Every server shares one socket map; leave room for each player's listener and a few sessions.
        self._max_connections = player_count + 512

    def add(self, player, port):
        """Starts listening for one player; returns the bound port. Call before start()."""
        server = FTPServer((player.address, port), handler_class(player), ioloop=self._loop, backlog=32)
        server.max_cons = self._max_connections
        server.max_cons_per_ip = 32
        return server.address[1]

    def start(self):
        self._thread = threading.Thread(target=self._run, name="ftp-loop", daemon=True)
        self._thread.start()

    def _run(self):
        try:
            while not self._stop.is_set():
                self._loop.loop(timeout=0.2, blocking=False)
        finally:
            self._loop.close()

    def stop(self):
        self._stop.set()
        if self._thread is not None:
            self._thread.join(5)
        else:
            self._loop.close()
