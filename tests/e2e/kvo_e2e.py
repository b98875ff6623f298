#!/usr/bin/python3
"""End-to-end driver: the real controller window on a private X server with its
own session and accessibility buses, next to emulated players, acted on as an
operator does. Each flow runs in a Session on a random loopback address, so that
overlapping test runs never share a port. pyatspi is imported only once the
buses exist: it reads their addresses when first imported."""

import ctypes
import glob
import json
import os
import random
import select
import shutil
import signal
import subprocess
import tempfile
import time
import xmlrpc.client

from gi.repository import Gio, GLib

SOURCE_DIR = os.path.dirname(os.path.dirname(os.path.dirname(os.path.abspath(__file__))))
BUILD_DIR = os.environ.get("KVO_BUILD_DIR") or os.path.join(SOURCE_DIR, "build")
# Generous: the machine may be loaded by parallel builds and tests.
TIMEOUT = float(os.environ.get("KVO_E2E_TIMEOUT", "20"))

pyatspi = None


def _start(args, **kwargs):
    # Nothing started here outlives a test that crashed (PR_SET_PDEATHSIG).
    libc = ctypes.CDLL(None)
    return subprocess.Popen(args, preexec_fn=lambda: libc.prctl(1, signal.SIGTERM), **kwargs)


def _stop(process):
    process.terminate()
    try:
        process.wait(5)
    except subprocess.TimeoutExpired:
        process.kill()
        process.wait()


def _read_line(fd, what):
    """One line from a child's pipe, or an error naming what did not start."""
    deadline = time.monotonic() + TIMEOUT
    data = b""
    while not data.endswith(b"\n"):
        left = deadline - time.monotonic()
        if left <= 0 or not select.select([fd], [], [], left)[0]:
            raise RuntimeError("%s did not start within %.0f s" % (what, TIMEOUT))
        chunk = os.read(fd, 1)
        if not chunk:
            raise RuntimeError("%s ended before it was ready" % what)
        data += chunk
    return data.decode().strip()


def wait_for(condition, what, timeout=TIMEOUT):
    """The first true value condition() returns; a failure names what was awaited."""
    deadline = time.monotonic() + timeout
    while True:
        # Pending bus messages keep pyatspi's cache of the window current.
        context = GLib.MainContext.default()
        while context.pending():
            context.iteration(False)
        try:
            value = condition()
        except AssertionError:
            raise
        except Exception:
            # Accessibles vanish while windows change; asked again next round.
            value = None
        if value:
            return value
        if time.monotonic() > deadline:
            raise AssertionError("timed out after %.0f s waiting for %s" % (timeout, what))
        time.sleep(0.02)


def _ask(question, default):
    """What an accessible answers, or default once it has vanished."""
    try:
        return question()
    except Exception:
        return default


def role(accessible):
    return _ask(accessible.getRoleName, "")


def name(accessible):
    return _ask(lambda: accessible.name or "", "")


def children(accessible):
    return _ask(lambda: [child for child in accessible if child is not None], [])


def has_state(accessible, state):
    return _ask(lambda: accessible.getState().contains(state), False)


def find(root, roles, name_is=None, timeout=TIMEOUT):
    """The first accessible under root of one of roles named name_is (a string or a test)."""
    roles = (roles,) if isinstance(roles, str) else roles

    def search():
        queue = children(root)
        while queue:
            node = queue.pop(0)
            label = name(node)
            if role(node) in roles and (name_is is None or (
                    name_is(label) if callable(name_is) else label == name_is)):
                return node
            # Rows of item views are reached through cells(), not walked.
            if role(node) not in ("list item", "table cell", "tree item"):
                queue.extend(children(node))
        return None
    return wait_for(search, "%s %r" % (roles, name_is), timeout)


def press(button):
    """Runs the widget's first action: returns at once, also when it opens a modal box."""
    button.queryAction().doAction(0)


def xdotool(*args):
    subprocess.run(["xdotool"] + [str(arg) for arg in args], check=True, timeout=TIMEOUT)


def click(accessible, button=1, double=False, holding=None):
    """A real mouse click, with the key holding (e.g. "Control_L") held down when given: unlike
    selecting through the bus it makes an item current."""
    extents = accessible.queryComponent().getExtents(pyatspi.DESKTOP_COORDS)
    xdotool("mousemove", "--sync", extents.x + extents.width // 2, extents.y + extents.height // 2)
    held = ["keydown", holding] if holding else []
    released = ["keyup", holding] if holding else []
    xdotool(*held, "click", "--repeat", 2 if double else 1, "--delay", 60, button, *released)


def fill(dialog, label, text):
    """Replaces the text of the dialog's field of that accessible name."""
    find(dialog, ("text", "entry"), label).queryEditableText().setTextContents(text)


def cells(view, column=0):
    """The cells of a table or tree view in one column, row by row."""
    table = view.queryTable()
    return [table.getAccessibleAt(row, column) for row in range(table.nRows)]


def cell(view, text):
    """Waits for the cell of a table or tree view showing text."""
    return wait_for(lambda: next((item for item in cells(view) if name(item) == text), None),
                    "%r listed in %r" % (text, name(view)))


class Session:
    """One flow: its desktop, a controller on a random loopback address, players after it."""

    def __init__(self, address=None):
        """Starts Xvfb, a private session bus and the accessibility bus; address: the controller's, if not random."""
        self.path = tempfile.mkdtemp(prefix="kvo-e2e-")
        base = [int(part) for part in address.split(".")] if address else [127, random.randint(2, 254),
                                                                           random.randint(0, 255), random.randint(1, 200)]
        self.address = lambda offset=0: ".".join(map(str, base[:3] + [base[3] + offset]))
        self.repository = os.path.join(self.path, "MediaCenter")
        os.makedirs(self.repository)
        self.processes = []
        read_end, write_end = os.pipe()
        self.processes.append(_start(["Xvfb", "-displayfd", str(write_end), "-screen", "0", "1280x960x24",
                                      "-nolisten", "tcp", "-noreset"], pass_fds=(write_end,),
                                     stderr=subprocess.DEVNULL))
        os.close(write_end)
        os.environ["DISPLAY"] = ":" + _read_line(read_end, "Xvfb")
        os.close(read_end)
        os.environ["XDG_RUNTIME_DIR"] = self.path
        bus = _start(["dbus-daemon", "--config-file=/usr/share/dbus-1/session.conf", "--nofork",
                      "--address=unix:path=" + os.path.join(self.path, "bus"), "--print-address=1"],
                     stdout=subprocess.PIPE, stderr=subprocess.DEVNULL)
        self.processes.append(bus)
        os.environ["DBUS_SESSION_BUS_ADDRESS"] = _read_line(bus.stdout.fileno(), "dbus-daemon")
        self.processes.append(_start(["/usr/libexec/at-spi-bus-launcher", "--launch-immediately", "--a11y=1"],
                                     stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL))
        connection = Gio.bus_get_sync(Gio.BusType.SESSION, None)
        wait_for(lambda: connection.call_sync("org.a11y.Bus", "/org/a11y/bus", "org.a11y.Bus", "GetAddress", None,
                                              None, Gio.DBusCallFlags.NO_AUTO_START, 1000, None),
                 "the accessibility bus")
        global pyatspi
        import pyatspi as _pyatspi
        pyatspi = _pyatspi

    def start_controller(self):
        """The controller, with its settings in the scratch folder naming the repository."""
        self.workdir = os.path.join(self.path, "controller")
        os.makedirs(os.path.join(self.path, "settings", "Vex"))
        with open(os.path.join(self.path, "settings", "Vex", "Kivo.conf"), "w") as store:
            store.write("[sys]\nmedia_center=%s\n" % self.repository)
        os.makedirs(self.workdir)
        environment = dict(os.environ, QT_QPA_PLATFORM="xcb", QT_LINUX_ACCESSIBILITY_ALWAYS_ON="1",
                           XDG_CONFIG_DIRS=os.path.join(self.path, "settings"),
                           XDG_CONFIG_HOME=os.path.join(self.path, "user-settings"), LANG="C.UTF-8",
                           LC_ALL="C.UTF-8", LANGUAGE="")
        self.controller = _start([os.path.join(BUILD_DIR, "kvo-controller"), "--listen", self.address()],
                                 cwd=self.workdir, env=environment, stdout=subprocess.DEVNULL,
                                 stderr=subprocess.DEVNULL)
        self.processes.append(self.controller)
        self.app = wait_for(self._application, "the controller on the accessibility bus")
        self.window = find(self.app, "frame", "KVO Controller")

    def _application(self):
        if self.controller.poll() is not None:
            raise AssertionError("the controller ended with status %s" % self.controller.returncode)
        return next((application for application in children(pyatspi.Registry.getDesktop(0))
                     if application.get_process_id() == self.controller.pid), None)

    def start_players(self, count, *arguments, first=1):
        """count emulated players from the address first after the controller's, beating every second."""
        players = os.path.join(self.path, "players")
        control = "%s:%d" % (self.address(), 8889 + first)
        emulator = _start(["/usr/bin/python3", os.path.join(SOURCE_DIR, "tools", "kvo_player_emulator.py"),
                           "--controller", self.address(), "--first-address", self.address(first),
                           "--count", str(count), "--interval", "1", "--control", control,
                           "--journal", os.path.join(players, "journal-%d.jsonl" % first),
                           "--state-dir", os.path.join(players, "state")] + list(arguments),
                          stdout=subprocess.PIPE, stderr=subprocess.DEVNULL)
        self.processes.append(emulator)
        started = 0
        while started < count:
            started += _read_line(emulator.stdout.fileno(), "the player emulator").startswith("player ")
        self.control = xmlrpc.client.ServerProxy("http://%s/" % control, allow_none=True)

    def store_on_player(self, offset, file_name, data):
        """A file that the emulated player at that offset holds when it starts."""
        media = os.path.join(self.path, "players", "state", self.address(offset), "media")
        os.makedirs(media, exist_ok=True)
        with open(os.path.join(media, file_name), "wb") as stored:
            stored.write(data)

    def journal(self, method=None, address=None, event="call"):
        """What the emulated players received, as their journals record it."""
        records = []
        for path in glob.glob(os.path.join(self.path, "players", "journal-*.jsonl")):
            with open(path, encoding="utf-8") as journal:
                for line in journal:
                    try:
                        records.append(json.loads(line))
                    except ValueError:
                        pass  # a line still being written
        return [record for record in records if record.get("event") == event and method in (
            None, record.get("method")) and address in (None, record.get("player"))]

    def close(self):
        for process in reversed(self.processes):
            _stop(process)
        shutil.rmtree(self.path, ignore_errors=True)

    def terminate(self):
        """Ends the controller as a session's log-out does; returns its exit status."""
        self.controller.send_signal(signal.SIGTERM)
        return self.controller.wait(TIMEOUT)

    # The main window.
    def button(self, label):
        return find(self.window, "push button", label)

    def view(self, label):
        return find(self.window, ("tree table", "table", "tree", "list"), label)

    def player_items(self):
        return [item for item in children(self.view("Players on line")) if role(item) == "list item"
                and has_state(item, pyatspi.STATE_VISIBLE)]

    def player_names(self):
        return [name(item) for item in self.player_items()]

    def player(self, player_name):
        return wait_for(lambda: next((item for item in self.player_items() if name(item) == player_name), None),
                        "player %s" % player_name)

    def selected_players(self):
        return [name(item) for item in self.player_items() if has_state(item, pyatspi.STATE_SELECTED)]

    def select(self, player_name):
        click(self.player(player_name))
        wait_for(lambda: self.selected_players() == [player_name], "%s selected" % player_name)

    def open_boxes(self):
        return [window for window in children(self.app)
                if role(window) in ("alert", "dialog") and has_state(window, pyatspi.STATE_SHOWING)]

    def box(self, title):
        """An open message box or dialog by its title."""
        def open_box():
            if self.controller.poll() is not None:
                raise AssertionError("the controller ended with status %s" % self.controller.returncode)
            return next((window for window in self.open_boxes() if name(window) == title), None)
        return wait_for(open_box, "the box %r" % title)

    def answer(self, box, button_label):
        press(find(box, "push button", button_label))
        wait_for(lambda: box not in self.open_boxes(), "the box to close")

    def choose_from_menu(self, accessible, entry, heading=None):
        """Right-clicks accessible for real and clicks the entry of the pop-up menu that opens,
        which offers heading first when given."""
        # Pop-up menus are no children of the application: they are seen as they show.
        menus = []

        def shown(event):
            if role(event.source) in ("popup menu", "menu"):
                menus.append(event.source)
        pyatspi.Registry.registerEventListener(shown, "window:create", "object:state-changed:showing")
        click(accessible, button=3)
        menu = wait_for(lambda: next((menu for menu in menus if has_state(menu, pyatspi.STATE_SHOWING)), None),
                        "a pop-up menu")
        pyatspi.Registry.deregisterEventListener(shown, "window:create", "object:state-changed:showing")
        if heading is not None:
            first = wait_for(lambda: next((item for item in children(menu) if role(item) == "menu item"), None),
                             "the menu's first entry")
            if name(first) != heading:
                raise AssertionError("the menu is headed %r, not %r" % (name(first), heading))
        # An entry's name carries its shortcut after a tab.
        click(find(menu, "menu item", lambda label: label.split("\t")[0] == entry))
