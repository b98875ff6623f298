"""A fleet of emulated players in one process and the per-player glue between its services."""

import ipaddress
import os
import shutil
import socket
import sys
import tempfile
import threading
import xmlrpc.client
from concurrent.futures import ThreadPoolExecutor

from . import controller, faults, values
from .ftp import FtpService, configure_logging
from .heartbeats import HeartbeatLoop, build_request
from .journal import Journal
from .methods import Methods
from .rpcserver import Acceptor, serve_connection
from .scheduler import Scheduler
from .state import FIELDS, POWER_OFF, POWER_ON, PlayerState

MAX_CONNECTIONS_PER_PLAYER = 32
# Threads serving the controller's connections to all players of a fleet. A thread per connection lets a
# controller that calls thousands of players at once start thousands of threads, which starve the heartbeats;
# beyond this many, connections wait their turn.
CONNECTION_WORKERS = 64


class Options:
    """Everything a fleet is configured with; the command line fills it, tests set it directly."""

    def __init__(self, **overrides):
        self.count = 1
        self.first_address = "127.0.0.2"
        self.controller = "127.0.0.1"
        self.controller_port = 8888
        self.rpc_port = 8888
        self.ftp_port = 2121
        self.interval = 5.0
        self.state_dir = None
        self.journal = None
        self.deflate = True
        self.storage_kb = 4 * 1024 * 1024
        self.firmware = "KVO player emulator 1.0"
        self.reboot_seconds = 3.0
        self.register_timeout = 10.0
        self.raw_names = False
        self.rotate_names = False  # every registration under a new name: NAME-1, NAME-2, ...
        self.verbose = False
        self.messages = True  # report changes of the controller's reachability on stderr
        # Registration values; "{n}" (optionally with a format, e.g. "{n:03d}") and "{addr}" are replaced.
        self.fields = {
            "name": "Emu{n}", "address": "{addr}", "playing": "", "video_mode": "VGA_1024x768x60",
            "lan_ip": "{addr}", "wlan_ip": "", "essid": "", "key": "", "server_ip": None,
            "lan_device": "RTL8100", "wlan_device": "DISABLE", "lan_gateway": "127.0.0.1",
            "lan_mask": "255.0.0.0", "wlan_gateway": "", "wlan_mask": "", "lan_dhcp": "OFF",
            "wlan_dhcp": "OFF", "dmz": "OFF", "dmz_ip": "", "power": POWER_ON,
        }
        self.explicit_fields = set()
        self.setup = []  # (target, parsed fault setting) applied at start
        fields = overrides.pop("fields", {})
        for key, value in overrides.items():
            if not hasattr(self, key):
                raise TypeError("unknown option %r" % key)
            setattr(self, key, value)
        self.fields.update(fields)
        self.explicit_fields |= set(fields)


def expand(template, number, address):
    """Fills "{n}", "{n:FORMAT}" and "{addr}" in a field template; other braces stay as they are."""
    out, rest = [], template
    while rest:
        start = rest.find("{")
        if start < 0:
            out.append(rest)
            break
        out.append(rest[:start])
        end = rest.find("}", start)
        token = rest[start + 1:end] if end > 0 else ""
        if token == "addr":
            out.append(address)
        elif token == "n" or token.startswith("n:"):
            try:
                out.append(format(number, token[2:]))
            except ValueError:
                out.append(rest[start:end + 1])
        else:
            out.append(rest[start:end + 1] if end > 0 else rest[start:])
            if end < 0:
                break
        rest = rest[end + 1:]
    return "".join(out)


class Player:
    def __init__(self, fleet, number, address):
        options = fleet.options
        self.fleet = fleet
        self.number = number
        self.address = address
        fields = {}
        for key in FIELDS:
            template = options.fields[key]
            if template is None:  # the server address defaults to the controller's
                template = options.controller
            fields[key] = expand(template, number, address)
        if options.count > 1 and options.fields["name"] == fields["name"]:
            fields["name"] += str(number)
        self.state = PlayerState(os.path.join(fleet.state_dir, address), fields,
                                 options.explicit_fields, options.storage_kb)
        self.methods = Methods(self)
        self.faults = faults.FaultPlan()
        self.firmware = options.firmware
        self.power_on_word = POWER_ON
        self.rpc_port = options.rpc_port
        self.ftp_port = options.ftp_port
        self.ftp_down = False
        self.heartbeat_on = True
        self.registrations = 0
        self.last_reply = None
        self.last_error = None
        self._lock = threading.Lock()
        self._listener = None
        self._connections = set()
        self._refusing = False
        self._rebooting = False
        self._request_key = None
        self._request = None

    @property
    def name(self):
        return self.state.fields()["name"]

    # XML-RPC listening and connections

    def listen(self):
        sock = socket.create_server((self.address, self.rpc_port), backlog=64)
        sock.setblocking(False)
        self.rpc_port = sock.getsockname()[1]  # a port chosen by the system stays the player's port
        self._listener = sock
        self.fleet.acceptor.add(sock, self)

    def _update_listening(self):
        """Listens exactly while the player is neither refusing nor rebooting; closes live connections otherwise."""
        with self._lock:
            want = not self._refusing and not self._rebooting and not self.fleet.stopping.is_set()
            listener, connections = self._listener, list(self._connections)
            if want == (listener is not None):
                return
            if not want:
                self._listener = None
        if want:
            try:
                self.listen()
            except OSError as error:
                print("kvo-player-emulator: player %s cannot listen again: %s" % (self.address, error),
                      file=sys.stderr)
            return
        self.fleet.acceptor.remove(listener)
        for conn in connections:
            try:
                conn.shutdown(socket.SHUT_RDWR)
            except OSError:
                pass

    def connection_accepted(self, conn, peer):
        with self._lock:
            if len(self._connections) >= MAX_CONNECTIONS_PER_PLAYER or self._listener is None:
                conn.close()
                return
            self._connections.add(conn)
        try:
            self.fleet.connection_workers.submit(serve_connection, conn, peer, self)
        except RuntimeError:  # the fleet is stopping
            self.connection_closed(conn)
            conn.close()

    def connection_closed(self, conn):
        with self._lock:
            self._connections.discard(conn)

    # Journal

    def journal_call(self, record):
        self.fleet.journal.write("call", player=self.address, name=self.name, **record)

    def journal_fault(self, method, code, text):
        self.fleet.journal.write("fault", player=self.address, name=self.name, method=method, code=code, text=text)

    def journal_ftp(self, user, command, file_name, complete):
        self.fleet.journal.write("ftp", player=self.address, name=self.name, user=user,
                                 command=command, file=file_name, complete=complete)

    # Talking to the controller

    def _call_controller(self, method, params):
        options = self.fleet.options
        # Calls to a controller on this machine leave from the player's own address, as from a real device.
        source = (self.address, 0) if self.fleet.controller_is_local else None
        return controller.call(options.controller, options.controller_port, method, params,
                               options.register_timeout, source)

    def _registration_values(self):
        registration = self.state.registration_values()
        if self.fleet.options.rotate_names:
            registration[0] = "%s-%d" % (registration[0], self.registrations + 1)
        return registration

    def register(self):
        """Sends one registration; returns the controller's reply. Raises ControllerError."""
        registration = self._registration_values()
        if not self.fleet.options.raw_names:
            registration[0] = values.u_plus_encode(registration[0])
        try:
            reply = self._call_controller("Kivo_SVR.registerNewPlayer", registration)
        except controller.ControllerError as error:
            self.registration_failed(str(error))
            raise
        self.registration_succeeded(reply)
        return reply

    def report_progress(self, line):
        return self._call_controller("Kivo_SVR.wgetProgress", [self.state.fields()["address"], line])

    # The heartbeat, sent by the fleet's HeartbeatLoop

    def beats(self):
        """Whether a heartbeat is due to be sent: not while stopped or rebooting."""
        return self.heartbeat_on and not self._rebooting and not self.fleet.stopping.is_set()

    def registration_request(self):
        """The HTTP request of one registration, built again only when the registration values change."""
        registration = self._registration_values()
        key = tuple(registration)
        if key != self._request_key:
            if not self.fleet.options.raw_names:
                registration[0] = values.u_plus_encode(registration[0])
            body = xmlrpc.client.dumps(tuple(registration), "Kivo_SVR.registerNewPlayer",
                                       encoding="utf-8").encode("utf-8")
            options = self.fleet.options
            self._request = build_request(options.controller, options.controller_port, body)
            self._request_key = key
        return self._request

    def registration_succeeded(self, reply):
        self.registrations += 1
        self.last_reply = values.to_json(reply)
        self.last_error = None
        self.fleet.controller_status(True, self.last_reply)

    def registration_failed(self, error):
        self.last_error = error
        self.fleet.controller_status(False, error)

    # Reboot

    def reboot(self):
        """Runs after the reply to "Kivo.Reboot": gone for a while, then back with the pending settings."""
        self.state.log("reboot")
        seconds = self.fleet.options.reboot_seconds
        if seconds <= 0:
            self._boot()
            return
        with self._lock:
            self._rebooting = True
        self._update_listening()
        self.fleet.scheduler.call_later(seconds, self._boot)

    def _boot(self):
        self.state.apply_pending()
        self.state.set_fields({"power": self.power_on_word})
        with self._lock:
            self._rebooting = False
        self._update_listening()
        self.state.log("player started")
        if self.heartbeat_on:
            self.fleet.scheduler.submit(self._register_quietly)

    def _register_quietly(self):
        try:
            self.register()
        except controller.ControllerError:
            pass

    # Operator controls

    def apply(self, changes):
        """Applies a parsed fault setting (see faults.parse)."""
        if changes.get("clear"):
            with self._lock:
                self._refusing = False
            self.ftp_down = False
            self.heartbeat_on = True
        self.faults.update(changes)
        if "refuse" in changes:
            with self._lock:
                self._refusing = changes["refuse"]
        if "ftp_down" in changes:
            self.ftp_down = changes["ftp_down"]
        if "heartbeat" in changes:
            self.heartbeat_on = changes["heartbeat"]
        if "power" in changes:
            self.state.set_fields({"power": changes["power"]})
        self._update_listening()

    def status(self):
        with self._lock:
            listening, rebooting, refusing = self._listener is not None, self._rebooting, self._refusing
            connections = len(self._connections)
        total, available = self.state.space_kb()
        return {
            "number": self.number, "address": self.address, "name": self.name,
            "rpc_port": self.rpc_port, "ftp_port": self.ftp_port, "state_dir": self.state.root,
            "listening": listening, "refusing": refusing, "rebooting": rebooting,
            "connections": connections, "ftp_down": self.ftp_down, "heartbeat": self.heartbeat_on,
            "registrations": self.registrations, "last_reply": self.last_reply,
            "last_error": self.last_error or "", "fields": self.state.fields(),
            "pending": self.state.get("pending"), "faults": self.faults.snapshot(),
            "volume": self.state.get("volume"), "screen_layout": self.state.get("screen_layout"),
            "scale_window": self.state.get("scale_window"), "ticker_text": self.state.get("ticker_text"),
            "storage_kb": [total, available],
        }


class Fleet:
    def __init__(self, options):
        if options.count < 1:
            raise ValueError("count must be at least 1")
        self.options = options
        self.verbose = options.verbose
        self.deflate = options.deflate
        self.stopping = threading.Event()
        self._own_state_dir = options.state_dir is None
        self.state_dir = options.state_dir or tempfile.mkdtemp(prefix="kvoplayer-")
        os.makedirs(self.state_dir, exist_ok=True)
        self.controller_is_local = ipaddress.ip_address(socket.gethostbyname(options.controller)).is_loopback
        self.journal = Journal(options.journal)
        self._controller_ok = None
        self._status_lock = threading.Lock()
        configure_logging(options.verbose)
        first = ipaddress.IPv4Address(options.first_address)
        self.players = [Player(self, number, str(first + number - 1))
                        for number in range(1, options.count + 1)]
        self.controller_address = socket.gethostbyname(options.controller)
        self.acceptor = None
        self.ftp = None
        self.scheduler = None
        self.heartbeats = None
        self.connection_workers = None

    def start(self):
        """Binds every service; raises OSError with the address when one cannot be bound."""
        self.acceptor = Acceptor()
        self.connection_workers = ThreadPoolExecutor(CONNECTION_WORKERS, thread_name_prefix="rpc")
        self.ftp = FtpService(len(self.players))
        self.scheduler = Scheduler(workers=min(16, len(self.players) + 1))
        self.heartbeats = HeartbeatLoop(self)
        try:
            for player in self.players:
                try:
                    player.listen()
                    player.ftp_port = self.ftp.add(player, self.options.ftp_port)
                except OSError as error:
                    raise OSError(error.errno, "%s (player %s)" % (error.strerror, player.address)) from None
        except Exception:
            self.stop()
            raise
        for target, changes in self.options.setup:
            for player in self.select(target):
                player.apply(changes)
        self.ftp.start()
        spread = self.options.interval / len(self.players)
        for index, player in enumerate(self.players):
            self.heartbeats.schedule(player, index * spread)

    def select(self, target):
        """Players named by target: "*" or "all", an address, a name or a number; a list selects several."""
        if isinstance(target, (list, tuple)):
            chosen = []
            for item in target:
                chosen.extend(player for player in self.select(item) if player not in chosen)
            return chosen
        target = str(target).strip()
        if target in ("*", "all"):
            return list(self.players)
        chosen = [player for player in self.players
                  if target in (player.address, player.name, str(player.number))]
        if not chosen:
            raise KeyError("no player %r" % target)
        return chosen

    def controller_status(self, reachable, detail):
        """Reports only changes of the controller's reachability, not every heartbeat of every player."""
        with self._status_lock:
            changed = reachable != self._controller_ok
            self._controller_ok = reachable
        if self.options.messages and (self.verbose or changed):
            if reachable:
                print("kvo-player-emulator: controller %s:%d answers (%s)"
                      % (self.options.controller, self.options.controller_port, detail), file=sys.stderr)
            else:
                print("kvo-player-emulator: controller %s:%d: %s"
                      % (self.options.controller, self.options.controller_port, detail), file=sys.stderr)

    def stop(self):
        if self.stopping.is_set():
            return
        self.stopping.set()
        if self.heartbeats is not None:
            self.heartbeats.stop()
        if self.scheduler is not None:
            self.scheduler.stop()
        for player in self.players:
            player._update_listening()
        if self.acceptor is not None:
            self.acceptor.stop()
        if self.connection_workers is not None:
            self.connection_workers.shutdown(wait=False, cancel_futures=True)
        if self.ftp is not None:
            self.ftp.stop()
        self.journal.close()
        if self._own_state_dir:
            shutil.rmtree(self.state_dir, ignore_errors=True)
