#!/usr/bin/python3
"""XML-RPC test peer built on Python's standard server.

Usage: xmlrpc_server.py HOST
Listens on HOST at a free port, prints the port on one line, and serves
until its standard input is closed.

Methods:
  echo(*args)      returns its arguments as an array
  Kivo.fail()      raises fault 4 "bad path"
  Kivo.text(n)     returns a string of n letters
"""
import sys
import threading
from xmlrpc.client import Fault
from xmlrpc.server import SimpleXMLRPCRequestHandler, SimpleXMLRPCServer


class Handler(SimpleXMLRPCRequestHandler):
    rpc_paths = ()  # serve every path


def fail():
    raise Fault(4, "bad path")


def main():
    server = SimpleXMLRPCServer((sys.argv[1], 0), requestHandler=Handler, logRequests=False)
    server.register_function(lambda *args: list(args), "echo")
    server.register_function(fail, "Kivo.fail")
    server.register_function(lambda n: "x" * n, "Kivo.text")

    def stop_when_stdin_closes():
        sys.stdin.read()
        server.shutdown()

    threading.Thread(target=stop_when_stdin_closes, daemon=True).start()
    print(server.server_address[1], flush=True)
    server.serve_forever()


if __name__ == "__main__":
    main()
