#!/usr/bin/python3
"""Times the controller's registration round trip as a player sees it.

Usage: registration_probe.py HOST PORT SOURCE DURATION RATE

Registers as the player "Probe" at SOURCE every 1/RATE seconds for DURATION
seconds, each call on a new connection from SOURCE (as the players do), and
prints one JSON line: calls, errors, median_ms, p95_ms, p99_ms, max_ms.
While it runs it also answers the controller's calls to SOURCE:8888 with 0,
so that its admission goes through like a real player's.
"""
import http.client
import json
import statistics
import sys
import threading
import time
import xmlrpc.client
from xmlrpc.server import SimpleXMLRPCServer


class AnyMethod:
    def _dispatch(self, method, params):
        return 0


def percentile(values, fraction):
    ordered = sorted(values)
    return ordered[min(len(ordered) - 1, int(fraction * (len(ordered) - 1) + 0.5))]


def main():
    host, port, source = sys.argv[1], int(sys.argv[2]), sys.argv[3]
    duration, rate = float(sys.argv[4]), float(sys.argv[5])

    player = SimpleXMLRPCServer((source, 8888), logRequests=False)
    player.register_instance(AnyMethod())
    threading.Thread(target=player.serve_forever, daemon=True).start()

    fields = ["Probe", source, "", "VGA_1024x768x60", source, "", "", "", host, "RTL8100", "DISABLE",
              "127.0.0.1", "255.0.0.0", "", "", "OFF", "OFF", "OFF", "", "PWRON"]
    body = xmlrpc.client.dumps(tuple(fields), "Kivo_SVR.registerNewPlayer").encode()
    headers = {"Content-Type": "text/xml"}
    times, errors = [], 0
    end = time.monotonic() + duration
    next_call = time.monotonic()
    while next_call < end:
        delay = next_call - time.monotonic()
        if delay > 0:
            time.sleep(delay)
        next_call += 1.0 / rate
        connection = http.client.HTTPConnection(host, port, timeout=10, source_address=(source, 0))
        started = time.perf_counter()
        try:
            connection.request("POST", "/RPC2", body, headers)
            reply = connection.getresponse().read()
            xmlrpc.client.loads(reply)
            times.append((time.perf_counter() - started) * 1000.0)
        except (OSError, http.client.HTTPException, xmlrpc.client.Error):
            errors += 1
        finally:
            connection.close()
    player.shutdown()
    player.server_close()

    result = {"calls": len(times), "errors": errors}
    if times:
        result.update(median_ms=round(statistics.median(times), 3), p95_ms=round(percentile(times, 0.95), 3),
                      p99_ms=round(percentile(times, 0.99), 3), max_ms=round(max(times), 3))
    print(json.dumps(result), flush=True)
    return 0 if times and not errors else 1


if __name__ == "__main__":
    sys.exit(main())
