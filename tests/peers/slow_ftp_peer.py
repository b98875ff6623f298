#!/usr/bin/python3
"""An FTP service that holds back the final reply of every transfer.

Usage: slow_ftp_peer.py ADDRESS DELAY_SECONDS DIRECTORY

Serves DIRECTORY to the user "kvo" (password "qvtm") on a free port of
ADDRESS, prints that port on a line of its own, and waits DELAY_SECONDS
before it sends the "226" that ends a transfer. Runs until it is killed or
its standard input closes.
"""

import os
import sys
import threading
import time

from pyftpdlib.authorizers import DummyAuthorizer
from pyftpdlib.handlers import FTPHandler
from pyftpdlib.servers import FTPServer


def main():
    address, delay, directory = sys.argv[1], float(sys.argv[2]), sys.argv[3]

    class SlowHandler(FTPHandler):
        def respond(self, resp, logfun=None):
            if resp.startswith("226"):
                time.sleep(delay)
            if logfun is None:
                return super().respond(resp)
            return super().respond(resp, logfun)

    authorizer = DummyAuthorizer()
    authorizer.add_user("kvo", "qvtm", directory, perm="elradfmw")
    SlowHandler.authorizer = authorizer
    server = FTPServer((address, 0), SlowHandler)
    print(server.socket.getsockname()[1], flush=True)

    def end_with_stdin():
        sys.stdin.read()
        os._exit(0)

    threading.Thread(target=end_with_stdin, daemon=True).start()
    server.serve_forever(handle_exit=False)


if __name__ == "__main__":
    main()
