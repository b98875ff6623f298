#!/usr/bin/python3
"""slow_ftp_peer.py ADDRESS DELAY DIRECTORY: FTP for "kvo"/"qvtm" on a free port of ADDRESS (printed),
each "226" that ends a transfer sent DELAY seconds late; runs until standard input closes."""

import os
import sys
import threading
import time

from pyftpdlib.authorizers import DummyAuthorizer
from pyftpdlib.handlers import FTPHandler
from pyftpdlib.servers import FTPServer

address, delay, directory = sys.argv[1], float(sys.argv[2]), sys.argv[3]


class SlowHandler(FTPHandler):
    def respond(self, resp, *args, **kwargs):
        if resp.startswith("226"):
            time.sleep(delay)
        return super().respond(resp, *args, **kwargs)


SlowHandler.authorizer = DummyAuthorizer()
SlowHandler.authorizer.add_user("kvo", "qvtm", directory, perm="elradfmw")
server = FTPServer((address, 0), SlowHandler)
print(server.socket.getsockname()[1], flush=True)
threading.Thread(target=lambda: (sys.stdin.read(), os._exit(0)), daemon=True).start()
server.serve_forever(handle_exit=False)
