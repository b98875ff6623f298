"""The control channel: a small XML-RPC service through which an operator or a test steers the fleet."""

import threading
import xmlrpc.client
import xmlrpc.server

from . import faults, pull, values
from .controller import ControllerError


class ControlService:
    """Methods (all take a target: "*", an address, a name, a number, or a list of these):

    players()                      status of every player
    status(target)                 status of the chosen players
    fault(target, setting)         apply a fault setting (short text or struct, see --help)
    clear(target)                  back to normal: listening, replies, FTP, heartbeat
    set(target, fields)            change registration values now, e.g. {"power": "PWROFF"}
    register(target)               send one registration now; returns the replies
    progress(target, line)         send one "Kivo_SVR.wgetProgress" with line
    progress(target, file, pct)    same, the line made from a file name and a percentage
    pull(target, name[, options])  fetch the virtual player name's content from the batch download server;
                                   options: host, port (8899), stop_after (bytes, to interrupt a pull)
    shutdown()                     stop the emulator
    """

    def __init__(self, fleet, address, port, on_shutdown):
        self.fleet = fleet
        self._on_shutdown = on_shutdown
        self.server = xmlrpc.server.SimpleXMLRPCServer((address, port), logRequests=False, allow_none=True)
        self.server.daemon_threads = True
        for name in ("players", "status", "fault", "clear", "set", "register", "progress", "pull", "shutdown"):
            self.server.register_function(getattr(self, "_" + name), name)
        self.server.register_introspection_functions()
        self.address = self.server.server_address[:2]
        self._thread = threading.Thread(target=self.server.serve_forever, args=(0.1,), name="control", daemon=True)

    def start(self):
        self._thread.start()

    def stop(self):
        self.server.shutdown()
        self.server.server_close()

    def _select(self, target):
        try:
            return self.fleet.select(target)
        except KeyError as error:
            raise xmlrpc.client.Fault(1, str(error.args[0])) from None

    def _players(self):
        return [player.status() for player in self.fleet.players]

    def _status(self, target):
        return [player.status() for player in self._select(target)]

    def _fault(self, target, setting):
        try:
            changes = faults.parse(setting)
        except faults.FaultError as error:
            raise xmlrpc.client.Fault(1, str(error)) from None
        changes.pop("player", None)
        chosen = self._select(target)
        for player in chosen:
            player.apply(changes)
        return [player.address for player in chosen]

    def _clear(self, target):
        return self._fault(target, {"clear": True})

    def _set(self, target, fields):
        if not isinstance(fields, dict):
            raise xmlrpc.client.Fault(1, "set expects a struct of field names and values")
        chosen = self._select(target)
        try:
            for player in chosen:
                player.state.set_fields(fields)
        except KeyError as error:
            raise xmlrpc.client.Fault(1, str(error.args[0])) from None
        return [player.address for player in chosen]

    def _register(self, target):
        replies = []
        for player in self._select(target):
            try:
                replies.append({"address": player.address, "reply": values.to_json(player.register())})
            except ControllerError as error:
                replies.append({"address": player.address, "error": str(error)})
        return replies

    def _progress(self, target, line_or_file, percent=None):
        line = str(line_or_file) if percent is None else values.progress_line(str(line_or_file), percent)
        replies = []
        for player in self._select(target):
            try:
                replies.append({"address": player.address, "line": line,
                                "reply": values.to_json(player.report_progress(line))})
            except ControllerError as error:
                replies.append({"address": player.address, "line": line, "error": str(error)})
        return replies

    def _pull(self, target, name, options=None):
        options = options if isinstance(options, dict) else {}
        host = str(options.get("host") or self.fleet.options.controller)
        try:
            port = int(options.get("port", pull.DEFAULT_PORT))
            stop_after = options.get("stop_after")
            stop_after = None if stop_after is None else int(stop_after)
            return [pull.pull(player, str(name), host, port, stop_after) for player in self._select(target)]
        except (TypeError, ValueError) as error:
            raise xmlrpc.client.Fault(1, str(error)) from None

    def _shutdown(self):
        threading.Thread(target=self._on_shutdown, daemon=True).start()
        return True
