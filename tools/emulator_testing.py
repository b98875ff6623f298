"""Helpers for the emulator's own tests: a fake controller and a fleet started on free loopback ports."""

import json
import os
import shutil
import tempfile
import threading
import time
import xmlrpc.client
import xmlrpc.server

from kvoplayer.fleet import Fleet, Options


def wait_for(predicate, timeout=5.0, step=0.02):
    deadline = time.monotonic() + timeout
    while time.monotonic() < deadline:
        value = predicate()
        if value:
            return value
        time.sleep(step)
    return predicate()


class FakeController:
    """The controller's registration service as far as players see it; records what arrives."""

    def __init__(self, answer="127.0.0.1"):
        self.registrations = []
        self.progress = []
        self._lock = threading.Lock()
        self.server = xmlrpc.server.SimpleXMLRPCServer(("127.0.0.1", 0), logRequests=False)
        self.server.register_function(self._register, "Kivo_SVR.registerNewPlayer")
        self.server.register_function(self._progress, "Kivo_SVR.wgetProgress")
        self.port = self.server.server_address[1]
        self.answer = answer
        self._thread = threading.Thread(target=self.server.serve_forever, args=(0.05,), daemon=True)
        self._thread.start()

    def _register(self, *params):
        with self._lock:
            self.registrations.append(list(params))
        return self.answer

    def _progress(self, *params):
        with self._lock:
            self.progress.append(list(params))
        return "0"

    def registrations_of(self, address):
        with self._lock:
            return [record for record in self.registrations if record[1] == address]

    def stop(self):
        self.server.shutdown()
        self.server.server_close()


class FleetCase:
    """Mixin for unittest.TestCase: a fake controller and a fleet of `count` players on free ports."""

    count = 2
    first_address = "127.0.0.2"
    extra_options = {}

    def start_fleet(self, **overrides):
        # Memory-backed when available: a fleet of 200 players leaves about 1,600 files to remove.
        self.workdir = tempfile.mkdtemp(prefix="kvoplayer-test-", dir="/dev/shm" if os.path.isdir("/dev/shm") else None)
        self.controller = FakeController()
        self.journal_path = os.path.join(self.workdir, "journal.jsonl")
        options = dict(count=self.count, first_address=self.first_address, controller="127.0.0.1",
                       controller_port=self.controller.port, rpc_port=0, ftp_port=0, interval=0.1,
                       state_dir=os.path.join(self.workdir, "state"), journal=self.journal_path,
                       reboot_seconds=0.2, messages=False)
        options.update(self.extra_options)
        options.update(overrides)
        self.addCleanup(shutil.rmtree, self.workdir, True)
        self.addCleanup(self.controller.stop)
        self.fleet = Fleet(Options(**options))
        self.addCleanup(self.stop_fleet)
        self.fleet.start()
        return self.fleet

    def stop_fleet(self):
        if self.fleet is not None:
            self.fleet.stop()
            self.fleet = None

    def player(self, number=1):
        return self.fleet.players[number - 1]

    def proxy(self, number=1, **kwargs):
        player = self.player(number)
        proxy = xmlrpc.client.ServerProxy("http://%s:%d/RPC2" % (player.address, player.rpc_port), **kwargs)
        self.addCleanup(proxy("close"))
        return proxy

    def journal(self, event="call"):
        with open(self.journal_path, encoding="utf-8") as source:
            return [entry for entry in map(json.loads, source) if entry["event"] == event]
