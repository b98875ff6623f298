"""Command line of the player emulator and of its control client."""

import argparse
import json
import resource
import signal
import sys
import threading
import xmlrpc.client

from . import faults, pull, values
from .control import ControlService
from .fleet import Fleet, Options
from .state import FIELDS

DEFAULT_CONTROL = "127.0.0.1:8890"

FIELD_HELP = {
    "name": "player name; {n} is the player's number (default Emu{n}; numbered when it lacks {n})",
    "address": "address reported in the registration (default {addr}, the player's own)",
    "playing": "file reported as playing (default empty)",
    "video_mode": "video output mode (default VGA_1024x768x60)",
    "lan_ip": "LAN IP (default {addr})",
    "wlan_ip": "WLAN IP", "essid": "WLAN ESSID", "key": "WLAN key",
    "server_ip": "server address the player reports to (default: the --controller address)",
    "lan_device": "LAN device (default RTL8100)", "wlan_device": "WLAN device (default DISABLE)",
    "lan_gateway": "LAN gateway (default 127.0.0.1)", "lan_mask": "LAN net mask (default 255.0.0.0)",
    "wlan_gateway": "WLAN gateway", "wlan_mask": "WLAN net mask",
    "lan_dhcp": "LAN DHCP (default OFF)", "wlan_dhcp": "WLAN DHCP (default OFF)",
    "dmz": "DMZ flag (default OFF)", "dmz_ip": "DMZ address",
    "power": "power state; PWROFF means display off (default PWRON)",
}

DESCRIPTION = """\
Emulates digital-signage players towards the KVO controller: each player registers with the
controller every --interval seconds, answers the controller's "Kivo." calls on its XML-RPC port
(path /RPC2) with state kept in --state-dir, and serves FTP (accounts kvo/qvtm for uploads,
"ticker" and "log" with empty passwords). Players listen on consecutive addresses from
--first-address; on Linux every 127.x.y.z address is local.
"""

EPILOG = """\
registration values (--name ... --power) may hold {n} (or {n:03d}) and {addr}, replaced per player.
Values saved in an existing --state-dir win over defaults, not over values given here.

fault settings (--fault TARGET=SETTING, repeatable; TARGET is *, an address, a name or a number):
%s
  or a JSON object with the keys mode (none, close, drop, fault, malformed, grammar, html, huge, bomb,
  interim, status, empty-fault), delay, code, text, size (huge and bomb; a fault's text is repeated to
  it), fill (huge), status, methods (only these methods), times (only this many calls),
  refuse, ftp_down, heartbeat, power, clear; e.g.
  --fault '127.0.0.3={"mode": "fault", "code": 4, "text": "bad path", "methods": ["Kivo.GetList"]}'

control channel (--control, default %s): an XML-RPC service with the methods
  players(), status(target), fault(target, setting), clear(target), set(target, {field: value}),
  register(target), progress(target, line), progress(target, file, percent),
  pull(target, name[, {"port": 8899, "stop_after": BYTES}]), shutdown().
  From a shell:  %%(prog)s ctl fault 127.0.0.3 refuse
                 %%(prog)s ctl progress 127.0.0.2 clip.mpg 45

journal (--journal FILE): one JSON object per line, e.g.
  {"time": "2024-05-28T14:05:09.123", "event": "call", "player": "127.0.0.2", "name": "Emu1",
   "method": "Kivo.GetList", "params": ["/usr/local/playlist/album"]}
  plus "injected", "delay", "fault" {code, text} or "error" when they apply; FTP transfers as
  {"event": "ftp", "user", "command": "STOR"|"RETR", "file", "complete"}.
""" % (faults.SHORT_FORMS, DEFAULT_CONTROL)


def host_port(text):
    host, _, port = text.rpartition(":")
    if not host or not port.isdigit() or int(port) > 65535:
        raise argparse.ArgumentTypeError("expected HOST:PORT, got %r" % text)
    return host, int(port)


def port_number(text):
    if not text.isdigit() or int(text) > 65535:
        raise argparse.ArgumentTypeError("expected a port number 0..65535, got %r" % text)
    return int(text)


def positive_number(text):
    try:
        value = float(text)
    except ValueError:
        value = -1
    if value <= 0:
        raise argparse.ArgumentTypeError("expected a positive number, got %r" % text)
    return value


def fault_setting(text):
    text = text.strip()
    if text.startswith("{"):
        target = "*"
        try:
            changes = faults.parse(text)
        except faults.FaultError as error:
            raise argparse.ArgumentTypeError(str(error)) from None
        target = changes.pop("player", target)
        return target, changes
    target, equals, setting = text.partition("=")
    if not equals or not target.strip():
        raise argparse.ArgumentTypeError("expected TARGET=SETTING, got %r" % text)
    try:
        changes = faults.parse(setting)
    except faults.FaultError as error:
        raise argparse.ArgumentTypeError(str(error)) from None
    changes.pop("player", None)
    return target.strip(), changes


def build_parser(prog=None):
    parser = argparse.ArgumentParser(prog=prog, description=DESCRIPTION, epilog=EPILOG,
                                     formatter_class=argparse.RawDescriptionHelpFormatter)
    fleet = parser.add_argument_group("fleet")
    fleet.add_argument("--count", type=int, default=1, metavar="N", help="number of players (default 1)")
    fleet.add_argument("--first-address", default="127.0.0.2", metavar="ADDR",
                       help="address of the first player; the others follow it (default 127.0.0.2)")
    fleet.add_argument("--controller", default="127.0.0.1", metavar="HOST",
                       help="controller address (default 127.0.0.1)")
    fleet.add_argument("--controller-port", type=port_number, default=8888, metavar="PORT",
                       help="controller registration port (default 8888)")
    fleet.add_argument("--rpc-port", type=port_number, default=8888, metavar="PORT",
                       help="players' XML-RPC port (default 8888; 0 = a free port per player)")
    fleet.add_argument("--ftp-port", type=port_number, default=2121, metavar="PORT",
                       help="players' FTP port (default 2121; 0 = a free port per player)")
    fleet.add_argument("--interval", type=positive_number, default=5.0, metavar="SECONDS",
                       help="seconds between registrations (default 5)")
    fleet.add_argument("--state-dir", metavar="DIR",
                       help="where players keep their state, one folder per address "
                            "(default: a temporary folder removed at exit)")
    fleet.add_argument("--journal", metavar="FILE", help="append every call received to FILE as JSON lines")
    fleet.add_argument("--no-deflate", dest="deflate", action="store_false",
                       help="never compress replies, even when the caller accepts deflate")
    fleet.add_argument("--storage-kb", type=int, default=4 * 1024 * 1024, metavar="KB",
                       help="storage size each player reports (default 4194304)")
    fleet.add_argument("--firmware", default="KVO player emulator 1.0", metavar="TEXT",
                       help="firmware description returned by Kivo.FirmwareVersion")
    fleet.add_argument("--reboot-seconds", type=float, default=3.0, metavar="SECONDS",
                       help="how long a player stays away after Kivo.Reboot (default 3; 0 = at once)")
    fleet.add_argument("--raw-names", action="store_true",
                       help="register non-ASCII names as they are instead of in U+ form")
    fleet.add_argument("--rotate-names", action="store_true",
                       help="register under a new name every time (NAME-1, NAME-2, ...), as a misbehaving player")
    fleet.add_argument("--control", default=DEFAULT_CONTROL, metavar="HOST:PORT",
                       help="control channel address (default %s; 'none' disables it)" % DEFAULT_CONTROL)
    fleet.add_argument("--fault", action="append", type=fault_setting, default=[], metavar="TARGET=SETTING",
                       help="fault setting applied at start (repeatable; see below)")
    fleet.add_argument("--pull", metavar="NAME",
                       help="once the players have registered, each pulls the content of the virtual player "
                            "NAME from the controller's batch download server")
    fleet.add_argument("--pull-port", type=port_number, default=8899, metavar="PORT",
                       help="port of the batch download server (default 8899)")
    fleet.add_argument("--verbose", action="store_true", help="report every request and registration")
    values = parser.add_argument_group("registration values")
    for key in FIELDS:
        values.add_argument("--" + key.replace("_", "-"), dest="field_" + key, metavar="TEXT",
                            help=FIELD_HELP[key])
    return parser


# Each player takes two listening sockets and its connections: a few
# thousand fit in one process; larger fleets run several processes.
MAX_COUNT = 5000


def raise_descriptor_limit():
    """Lifts the soft limit on open descriptors to the hard one, as a large fleet needs many sockets."""
    try:
        soft, hard = resource.getrlimit(resource.RLIMIT_NOFILE)
        if soft != hard:
            resource.setrlimit(resource.RLIMIT_NOFILE, (hard, hard))
    except (ValueError, OSError):
        pass


def options_from(args):
    fields = {key: getattr(args, "field_" + key) for key in FIELDS if getattr(args, "field_" + key) is not None}
    return Options(count=args.count, first_address=args.first_address, controller=args.controller,
                   controller_port=args.controller_port, rpc_port=args.rpc_port, ftp_port=args.ftp_port,
                   interval=args.interval, state_dir=args.state_dir, journal=args.journal,
                   deflate=args.deflate, storage_kb=args.storage_kb, firmware=args.firmware,
                   reboot_seconds=max(0.0, args.reboot_seconds), raw_names=args.raw_names,
                   rotate_names=args.rotate_names,
                   verbose=args.verbose, setup=list(args.fault), fields=fields)


def schedule_pulls(fleet, name, host, port):
    """Each player pulls once, after every player has had time to register."""
    def pull_one(player):
        summary = pull.pull(player, name, host, port)
        print("kvo-player-emulator: player %s pulled %s: %d file(s), %d bytes%s"
              % (player.address, name, len(summary["files"]), summary["bytes"],
                 "" if summary["complete"] else ", incomplete " + (summary["error"] or "")), file=sys.stderr)

    for player in fleet.players:
        fleet.scheduler.call_later(fleet.options.interval, lambda player=player: pull_one(player))


def run(argv):
    parser = build_parser()
    args = parser.parse_args(argv)
    if not 1 <= args.count <= MAX_COUNT:
        parser.error("--count must lie between 1 and %d" % MAX_COUNT)
    if args.pull is not None and not values.plain_file_name(args.pull):
        parser.error("--pull expects the name of a virtual player")
    raise_descriptor_limit()
    control_address = None
    if args.control.lower() != "none":
        try:
            control_address = host_port(args.control)
        except argparse.ArgumentTypeError as error:
            parser.error(str(error))
    try:
        fleet = Fleet(options_from(args))
    except (OSError, ValueError) as error:
        print("kvo-player-emulator: %s" % error, file=sys.stderr)
        return 1

    stop = threading.Event()
    for signum in (signal.SIGINT, signal.SIGTERM):
        signal.signal(signum, lambda *_: stop.set())
    control = None
    try:
        try:
            fleet.start()
            if control_address:
                control = ControlService(fleet, control_address[0], control_address[1], stop.set)
                control.start()
        except (OSError, KeyError) as error:
            print("kvo-player-emulator: cannot start: %s" % (error.args[0] if isinstance(error, KeyError)
                                                              else error), file=sys.stderr)
            return 1
        print("kvo-player-emulator: %d player(s), controller %s:%d, state %s"
              % (len(fleet.players), args.controller, args.controller_port, fleet.state_dir))
        if control:
            print("kvo-player-emulator: control http://%s:%d/" % control.address)
        for player in fleet.players:
            print("player %s at %s: xml-rpc %d, ftp %d" % (player.name, player.address,
                                                           player.rpc_port, player.ftp_port))
        sys.stdout.flush()
        if args.pull:
            schedule_pulls(fleet, args.pull, args.controller, args.pull_port)
        while not stop.wait(1.0):
            pass
        print("kvo-player-emulator: stopping; %s" % fleet.heartbeats.report(), flush=True)
        return 0
    finally:
        if control:
            control.stop()
        fleet.stop()


def parse_argument(text):
    try:
        return json.loads(text)
    except ValueError:
        return text


def ctl(argv):
    parser = argparse.ArgumentParser(
        prog="kvo_player_emulator.py ctl",
        description="Calls one method of a running emulator's control channel and prints the result as JSON. "
                    "Arguments are read as JSON when they parse as JSON, else as text.",
        epilog="example: kvo_player_emulator.py ctl fault 127.0.0.3 'fault:4:bad path'")
    parser.add_argument("--control", default=DEFAULT_CONTROL, type=host_port, metavar="HOST:PORT",
                        help="control channel address (default %s)" % DEFAULT_CONTROL)
    parser.add_argument("method", help="players, status, fault, clear, set, register, progress or shutdown")
    parser.add_argument("arguments", nargs="*")
    args = parser.parse_args(argv)
    proxy = xmlrpc.client.ServerProxy("http://%s:%d/" % args.control, allow_none=True)
    try:
        result = getattr(proxy, args.method)(*[parse_argument(text) for text in args.arguments])
    except xmlrpc.client.Fault as fault:
        print("error: %s" % fault.faultString, file=sys.stderr)
        return 1
    except OSError as error:
        print("error: control channel %s:%d: %s" % (args.control + (error,)), file=sys.stderr)
        return 1
    print(json.dumps(result, indent=1, ensure_ascii=False))
    return 0


def main(argv=None):
    argv = sys.argv[1:] if argv is None else list(argv)
    if argv and argv[0] == "ctl":
        return ctl(argv[1:])
    return run(argv)
