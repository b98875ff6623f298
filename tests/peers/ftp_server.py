#!/usr/bin/python3
"""FTP service of a player, for tests.

Serves the player accounts on one address: "kvo" with password "qvtm", and
"ticker" and "log" with empty passwords, each in its own folder under --root.
Listens on --port (0 picks a free one) and prints the port it listens on as
the first line of standard output.
"""

import argparse
import logging
import os
import sys

from pyftpdlib.authorizers import DummyAuthorizer
from pyftpdlib.handlers import FTPHandler
from pyftpdlib.servers import FTPServer

ACCOUNTS = (("kvo", "qvtm"), ("ticker", ""), ("log", ""))


def main():
    parser = argparse.ArgumentParser(description=__doc__)
    parser.add_argument("--host", default="127.0.0.1")
    parser.add_argument("--port", type=int, default=0)
    parser.add_argument("--root", required=True)
    args = parser.parse_args()

    authorizer = DummyAuthorizer()
    for user, password in ACCOUNTS:
        home = os.path.join(args.root, user)
        os.makedirs(home, exist_ok=True)
        authorizer.add_user(user, password, home, perm="elradfmwMT")

    class Handler(FTPHandler):
        pass

    Handler.authorizer = authorizer
    # Tests try wrong passwords; answer them at once.
    Handler.auth_failed_timeout = 0
    Handler.encoding = "utf8"

    logging.basicConfig(level=logging.WARNING, stream=sys.stderr)
    server = FTPServer((args.host, args.port), Handler)
    print(server.address[1], flush=True)
    server.serve_forever(handle_exit=True)


if __name__ == "__main__":
    main()
