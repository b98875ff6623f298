#!/usr/bin/python3
"""Python's standard XML-RPC server offering the registration method, as the
reference point of the registration benchmark.

Usage: python_registration_server.py HOST PORT ANSWER
Prints the port it listens on, then serves one request at a time (like the
controller) until terminated. HTTP/1.1 keeps connections alive when asked.
"""
import sys
from xmlrpc.server import SimpleXMLRPCRequestHandler, SimpleXMLRPCServer


class Handler(SimpleXMLRPCRequestHandler):
    protocol_version = "HTTP/1.1"


class Server(SimpleXMLRPCServer):
    request_queue_size = 128


def main():
    answer = sys.argv[3]
    server = Server((sys.argv[1], int(sys.argv[2])), requestHandler=Handler, logRequests=False)
    server.register_function(lambda *fields: answer, "Kivo_SVR.registerNewPlayer")
    print(server.server_address[1], flush=True)
    try:
        server.serve_forever()
    except KeyboardInterrupt:
        pass


if __name__ == "__main__":
    main()
