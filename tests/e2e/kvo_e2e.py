#!/usr/bin/python3
"""End-to-end driver: runs the real controller window on a private X server
with its own session and accessibility buses, next to emulated players, and
acts on it as an operator does: finds widgets by role and accessible name,
presses buttons, clicks icons and rows for real, chooses pop-up menu entries,
fills dialogs, reads and answers message boxes, reads list rows and records
the status bar.

Run with /usr/bin/python3 (Debian's python3-pyatspi). pyatspi is imported only
after the buses exist, because it reads their addresses when first imported."""

import atexit
import ctypes
import json
import os
import select
import shutil
import signal
import subprocess
import sys
import tempfile
import time
import warnings
import xmlrpc.client

# pyatspi's own deprecation notices are not this suite's business.
warnings.filterwarnings("ignore", category=DeprecationWarning)
warnings.filterwarnings("ignore", category=ImportWarning)

SOURCE_DIR = os.path.dirname(os.path.dirname(os.path.dirname(os.path.abspath(__file__))))
BUILD_DIR = os.environ.get("KVO_BUILD_DIR") or os.path.join(SOURCE_DIR, "build")
EMULATOR = os.path.join(SOURCE_DIR, "tools", "kvo_player_emulator.py")

# Generous: the machine may be loaded by parallel builds and tests.
TIMEOUT = float(os.environ.get("KVO_E2E_TIMEOUT", "20"))

pyatspi = None
GLib = None

_libc = ctypes.CDLL(None, use_errno=True)
_PR_SET_PDEATHSIG = 1


def _die_with_parent():
    # Nothing started here outlives a test that crashed.
    _libc.prctl(_PR_SET_PDEATHSIG, signal.SIGTERM)


def _start(args, **kwargs):
    return subprocess.Popen(args, preexec_fn=_die_with_parent, **kwargs)


def _stop(process, timeout=5):
    if process is None or process.poll() is not None:
        return
    process.terminate()
    try:
        process.wait(timeout)
    except subprocess.TimeoutExpired:
        process.kill()
        process.wait(timeout)


def _read_line(stream, timeout, what):
    """One line from a child's pipe, or an error naming what did not start."""
    deadline = time.monotonic() + timeout
    data = b""
    fd = stream.fileno() if hasattr(stream, "fileno") else stream
    while not data.endswith(b"\n"):
        left = deadline - time.monotonic()
        if left <= 0 or not select.select([fd], [], [], left)[0]:
            raise RuntimeError("%s did not start within %.0f s" % (what, timeout))
        chunk = os.read(fd, 1)
        if not chunk:
            raise RuntimeError("%s ended before it was ready" % what)
        data += chunk
    return data.decode().strip()


class Desktop:
    """Xvfb, a private session bus and the accessibility bus."""

    def __init__(self, directory):
        self.directory = directory
        self.processes = []
        read_end, write_end = os.pipe()
        self.processes.append(_start(["Xvfb", "-displayfd", str(write_end), "-screen", "0", "1280x960x24",
                                      "-nolisten", "tcp", "-noreset"], pass_fds=(write_end,),
                                     stderr=subprocess.DEVNULL))
        os.close(write_end)
        display = _read_line(read_end, TIMEOUT, "Xvfb")
        os.close(read_end)
        os.environ["DISPLAY"] = ":" + display

        runtime = os.path.join(directory, "runtime")
        os.makedirs(runtime, mode=0o700, exist_ok=True)
        os.environ["XDG_RUNTIME_DIR"] = runtime
        bus = _start(["dbus-daemon", "--config-file=/usr/share/dbus-1/session.conf", "--nofork",
                      "--address=unix:path=" + os.path.join(directory, "bus"), "--print-address=1"],
                     stdout=subprocess.PIPE, stderr=subprocess.DEVNULL)
        self.processes.append(bus)
        os.environ["DBUS_SESSION_BUS_ADDRESS"] = _read_line(bus.stdout, TIMEOUT, "dbus-daemon")
        os.environ["NO_AT_BRIDGE"] = "0"
        self.processes.append(_start(["/usr/libexec/at-spi-bus-launcher", "--launch-immediately", "--a11y=1"],
                                     stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL))
        self._wait_for_accessibility_bus()

        global pyatspi, GLib
        import pyatspi as _pyatspi
        from gi.repository import GLib as _GLib
        pyatspi, GLib = _pyatspi, _GLib
        self.events = EventRecorder()

    def _wait_for_accessibility_bus(self):
        from gi.repository import Gio
        connection = Gio.bus_get_sync(Gio.BusType.SESSION, None)
        deadline = time.monotonic() + TIMEOUT
        while True:
            try:
                connection.call_sync("org.a11y.Bus", "/org/a11y/bus", "org.a11y.Bus", "GetAddress", None,
                                     None, Gio.DBusCallFlags.NO_AUTO_START, 1000, None)
                return
            except Exception:
                if time.monotonic() > deadline:
                    raise RuntimeError("the accessibility bus did not start")
                time.sleep(0.02)  # polling interval of the wait above

    def close(self):
        if getattr(self, "events", None):
            self.events.close()
        for process in reversed(self.processes):
            _stop(process)
            if process.stdout:
                process.stdout.close()


_shared_desktop = None


def shared_desktop():
    """The desktop of this process: pyatspi stays bound to the buses it first
    saw, so every controller of a test run shares one desktop."""
    global _shared_desktop
    if _shared_desktop is None:
        scratch = Scratch("kvo-e2e-desktop-")
        _shared_desktop = Desktop(scratch.path)
        atexit.register(lambda: (_shared_desktop.close(), scratch.close()))
    return _shared_desktop


class EventRecorder:
    """Keeps what only shows for a moment: status-bar messages and pop-up menus."""

    def __init__(self):
        self.status = []
        self.menus = []
        self._listeners = [(self._name_changed, "object:property-change:accessible-name"),
                           (self._shown, "object:state-changed:showing"),
                           (self._shown, "window:create")]
        for listener, kind in self._listeners:
            pyatspi.Registry.registerEventListener(listener, kind)

    def close(self):
        for listener, kind in self._listeners:
            try:
                pyatspi.Registry.deregisterEventListener(listener, kind)
            except Exception:
                pass

    def _name_changed(self, event):
        try:
            if event.source.getRoleName() == "status bar":
                # The name the event carries: the bar may show a newer one by now.
                text = event.any_data if isinstance(event.any_data, str) else None
                self.status.append(text if text is not None else event.source.name)
        except Exception:
            pass

    def _shown(self, event):
        try:
            if event.type.startswith("object:state-changed") and not event.detail1:
                return
            if event.source.getRoleName() in ("popup menu", "menu"):
                self.menus.append(event.source)
        except Exception:
            pass


def pump(seconds=0.0):
    """Delivers pending accessibility events; waits at most seconds for more."""
    context = GLib.MainContext.default()
    if seconds > 0:
        woken = []
        source = GLib.timeout_add(max(1, int(seconds * 1000)), lambda: woken.append(1) and False)
        context.iteration(True)
        if not woken:
            GLib.source_remove(source)
    while context.pending():
        context.iteration(False)


def wait_for(condition, what, timeout=TIMEOUT):
    """Waits until condition() returns a true value and returns it; a clear
    failure names what was awaited."""
    deadline = time.monotonic() + timeout
    while True:
        pump()
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
        pump(0.02)


def role(accessible):
    try:
        return accessible.getRoleName()
    except Exception:
        return ""


def name(accessible):
    try:
        return accessible.name or ""
    except Exception:
        return ""


def children(accessible):
    try:
        return [child for child in accessible if child is not None]
    except Exception:
        return []


def states(accessible):
    try:
        return accessible.getState()
    except Exception:
        return None


def is_showing(accessible):
    state = states(accessible)
    return bool(state) and state.contains(pyatspi.STATE_SHOWING)


def is_selected(accessible):
    state = states(accessible)
    return bool(state) and state.contains(pyatspi.STATE_SELECTED)


def find_all(root, roles=None, name_is=None, limit=None):
    """Accessibles under root (breadth first) of one of roles (role names such
    as "push button"), whose name equals name_is (a string) or satisfies it (a
    function)."""
    if isinstance(roles, str):
        roles = (roles,)
    found = []
    queue = [root]
    while queue:
        node = queue.pop(0)
        if node is not root:
            if (roles is None or role(node) in roles) and (
                    name_is is None or (name_is(name(node)) if callable(name_is) else name(node) == name_is)):
                found.append(node)
                if limit and len(found) >= limit:
                    break
        # Rows of item views are reached through read_rows(), not walked.
        if role(node) not in ("list item", "table cell", "tree item"):
            queue.extend(children(node))
    return found


def find(root, roles, name_is=None, timeout=TIMEOUT):
    return wait_for(lambda: (find_all(root, roles, name_is, limit=1) or [None])[0],
                    "%s %r" % (roles, name_is), timeout)


def press(button):
    """Runs the widget's first action (a button's Press): returns at once,
    also when the button opens a modal box."""
    actions = button.queryAction()
    for index in range(actions.nActions):
        if actions.getName(index).lower() in ("press", "click", "activate", "toggle"):
            actions.doAction(index)
            return
    actions.doAction(0)


def centre(accessible):
    extents = accessible.queryComponent().getExtents(pyatspi.DESKTOP_COORDS)
    return extents.x + extents.width // 2, extents.y + extents.height // 2


def xdotool(*args):
    subprocess.run(["xdotool"] + [str(arg) for arg in args], check=True, timeout=TIMEOUT)


def click(accessible, button=1, double=False):
    """A real mouse click at the centre of the accessible: unlike selecting
    through the accessibility bus it makes an item current and emits clicks."""
    x, y = centre(accessible)
    xdotool("mousemove", "--sync", x, y)
    xdotool("click", "--repeat", 2 if double else 1, "--delay", 60, button)


class _ClientMessage(ctypes.Structure):
    _fields_ = [("type", ctypes.c_int), ("serial", ctypes.c_ulong), ("send_event", ctypes.c_int),
                ("display", ctypes.c_void_p), ("window", ctypes.c_ulong), ("message_type", ctypes.c_ulong),
                ("format", ctypes.c_int), ("data", ctypes.c_long * 5)]


class _XEvent(ctypes.Union):
    _fields_ = [("xclient", _ClientMessage), ("pad", ctypes.c_long * 24)]


def request_close(title):
    """Asks the top-level window of that title to close, as a window
    manager's close button does (WM_DELETE_WINDOW)."""
    window = subprocess.run(["xdotool", "search", "--name", "^%s$" % title], capture_output=True, text=True,
                            timeout=TIMEOUT).stdout.split()
    if not window:
        raise AssertionError("no window titled %r" % title)
    x11 = ctypes.CDLL("libX11.so.6")
    x11.XOpenDisplay.restype = ctypes.c_void_p
    x11.XOpenDisplay.argtypes = [ctypes.c_char_p]
    x11.XInternAtom.restype = ctypes.c_ulong
    x11.XInternAtom.argtypes = [ctypes.c_void_p, ctypes.c_char_p, ctypes.c_int]
    x11.XSendEvent.argtypes = [ctypes.c_void_p, ctypes.c_ulong, ctypes.c_int, ctypes.c_long,
                               ctypes.POINTER(_XEvent)]
    x11.XFlush.argtypes = [ctypes.c_void_p]
    x11.XCloseDisplay.argtypes = [ctypes.c_void_p]
    display = x11.XOpenDisplay(os.environ["DISPLAY"].encode())
    event = _XEvent()
    event.xclient.type = 33  # ClientMessage
    event.xclient.window = int(window[0])
    event.xclient.message_type = x11.XInternAtom(display, b"WM_PROTOCOLS", 0)
    event.xclient.format = 32
    event.xclient.data[0] = x11.XInternAtom(display, b"WM_DELETE_WINDOW", 0)
    x11.XSendEvent(display, int(window[0]), 0, 0, ctypes.byref(event))
    x11.XFlush(display)
    x11.XCloseDisplay(display)


def type_text(text):
    """Real keystrokes into the focused widget."""
    xdotool("type", "--delay", 5, text)


def key(*keys):
    xdotool("key", *keys)


def set_text(field, text):
    """Replaces a text field's contents through the accessibility bus."""
    field.queryEditableText().setTextContents(text)


def set_value(field, value):
    field.queryValue().currentValue = value


def is_checked(accessible):
    state = states(accessible)
    return bool(state) and state.contains(pyatspi.STATE_CHECKED)


FIELD_ROLES = ("text", "entry", "password text", "spin button", "slider", "combo box", "check box",
               "radio button")


def fill(dialog, fields):
    """Fills a dialog's fields, found by accessible name: text fields get the
    text, spin boxes and sliders the number, combo boxes the entry of that
    text (chosen by real clicks), check and radio buttons True or False."""
    for label, value in fields.items():
        field = find_field(dialog, label)
        kind = role(field)
        if kind in ("spin button", "slider"):
            set_value(field, value)
        elif kind == "combo box":
            choose_combo_entry(field, value)
        elif kind in ("check box", "radio button"):
            if is_checked(field) != bool(value):
                press(field)
        else:
            set_text(field, value)


def description(accessible):
    try:
        return accessible.description or ""
    except Exception:
        return ""


def find_field(root, label, timeout=TIMEOUT):
    """A field by its accessible name, by the label whose buddy it is, or by
    its description: a combo box's name is its current text."""
    def search():
        fields = find_all(root, FIELD_ROLES)
        for field in fields:
            if name(field) == label:
                return field
        for text in find_all(root, "label", lambda shown: shown.rstrip(":").replace("&", "") == label):
            for relation in text.getRelationSet():
                if relation.getRelationType() == pyatspi.RELATION_LABEL_FOR and relation.getNTargets():
                    return relation.getTarget(0)
        return next((field for field in fields if description(field) == label), None)
    return wait_for(search, "the field %r" % label, timeout)


def choose_combo_entry(combo, entry):
    """Opens the combo box's list with a real click and clicks the entry."""
    click(combo)
    application = combo.getApplication()

    def entry_shown():
        for window in children(application):
            for item in find_all(window, ("list item", "menu item"), entry):
                if is_showing(item):
                    return item
        return None
    click(wait_for(entry_shown, "the entry %r of %r" % (entry, name(combo))))
    wait_for(lambda: combo_text(combo) == entry, "%r chosen" % entry)


def combo_text(combo):
    """The text a combo box shows: its name, else its selected entry."""
    if name(combo):
        return name(combo)
    for child in children(combo):
        for item in children(child):
            if is_selected(item):
                return name(item)
    return ""


def text_of(accessible):
    try:
        text = accessible.queryText()
        return text.getText(0, text.characterCount)
    except Exception:
        return name(accessible)


def read_rows(view):
    """The rows of a list (one name each) or of a table or tree (a list of cell texts each)."""
    try:
        table = view.queryTable()
    except NotImplementedError:
        table = None
    if table is not None and table.nColumns > 0:
        rows = []
        for row in range(table.nRows):
            rows.append([name(table.getAccessibleAt(row, column)) for column in range(table.nColumns)])
        return rows
    return [name(child) for child in children(view)]


def row_cell(view, text, column=0):
    """The cell of a table or tree view whose text in column is text, or None."""
    table = view.queryTable()
    for row in range(table.nRows):
        cell = table.getAccessibleAt(row, column)
        if name(cell) == text:
            return cell
    return None


def list_items(view, showing_only=True):
    """The item accessibles of a list view; hidden items left out."""
    return [child for child in children(view)
            if role(child) == "list item" and (not showing_only or is_showing(child) or not _hidden(child))]


def _hidden(item):
    # Filtered-out icons report neither visible nor showing.
    state = states(item)
    return bool(state) and not state.contains(pyatspi.STATE_VISIBLE)


class Controller:
    """The controller process in a scratch working directory, with its own settings."""

    def __init__(self, desktop, directory, listen, repository=None, arguments=(), settings=None):
        self.desktop = desktop
        self.directory = directory
        self.workdir = os.path.join(directory, "controller")
        os.makedirs(self.workdir, exist_ok=True)
        for entry in os.listdir(BUILD_DIR):
            if entry.endswith((".png", ".qm")):
                target = os.path.join(self.workdir, entry)
                if not os.path.exists(target):
                    os.symlink(os.path.join(BUILD_DIR, entry), target)
        self.repository = repository or os.path.join(directory, "MediaCenter")
        os.makedirs(self.repository, exist_ok=True)
        if settings:
            config_dirs = [os.path.join(settings, "system"), os.path.join(settings, "user")]
        else:
            config_dirs = [os.path.join(directory, "xdg-system"), os.path.join(directory, "xdg-user")]
            for config in config_dirs:
                os.makedirs(os.path.join(config, "Vex"), exist_ok=True)
                with open(os.path.join(config, "Vex", "Kivo.conf"), "w") as store:
                    store.write("[sys]\nmedia_center=%s\n" % self.repository)
        environment = dict(os.environ, QT_QPA_PLATFORM="xcb", QT_LINUX_ACCESSIBILITY_ALWAYS_ON="1",
                           QT_ACCESSIBILITY="1", XDG_CONFIG_DIRS=config_dirs[0], XDG_CONFIG_HOME=config_dirs[1],
                           LANG="C.UTF-8", LC_ALL="C.UTF-8", LANGUAGE="")
        self.stderr = open(os.path.join(directory, "controller.stderr"), "w")
        self.process = _start([os.path.join(BUILD_DIR, "kvo-controller"), "--listen", listen] + list(arguments),
                              cwd=self.workdir, env=environment, stdout=self.stderr, stderr=self.stderr)
        self.status_start = len(desktop.events.status)
        self.menus_start = len(desktop.events.menus)
        self.app = wait_for(self._application, "the controller on the accessibility bus")
        self.window = find(self.app, "frame", "KVO Controller")

    def _application(self):
        if self.process.poll() is not None:
            raise AssertionError("the controller ended with status %s" % self.process.returncode)
        for application in children(pyatspi.Registry.getDesktop(0)):
            try:
                if application.get_process_id() == self.process.pid:
                    return application
            except Exception:
                pass
        return None

    def running(self):
        return self.process.poll() is None

    # Widgets of the main window by their accessible names.
    def button(self, label):
        return find(self.window, "push button", label)

    def view(self, label):
        """An item view of the main window (a list, table or tree) by its accessible name."""
        return find(self.window, ("tree table", "table", "tree", "list"), label)

    def players_view(self):
        return find(self.window, "list", "Players on line")

    def player_names(self):
        return [name(item) for item in list_items(self.players_view())]

    def player(self, player_name):
        view = self.players_view()
        return wait_for(lambda: next((item for item in list_items(view) if name(item) == player_name), None),
                        "player %s" % player_name)

    def selected_players(self):
        return [name(item) for item in list_items(self.players_view(), showing_only=False) if is_selected(item)]

    def find_filter(self):
        return find(self.window, ("text", "entry"), "Filter players")

    def status_bar(self):
        return find(self.window, "status bar")

    def wait_status(self, predicate, what, timeout=TIMEOUT):
        """The first status-bar message (recorded, or showing now) that satisfies predicate."""
        recorder = self.desktop.events

        def seen():
            current = name(self.status_bar())
            messages = recorder.status[self.status_start:] + [current]
            return next((message for message in messages if predicate(message)), None)
        return wait_for(seen, what, timeout)

    def box(self, title, timeout=TIMEOUT):
        """An open message box or dialog by its title."""
        def open_box():
            if not self.running():
                raise AssertionError("the controller ended with status %s" % self.process.returncode)
            for window in children(self.app):
                if role(window) in ("alert", "dialog") and name(window) == title and is_showing(window):
                    return window
            return None
        return wait_for(open_box, "the box %r" % title, timeout)

    def open_boxes(self):
        return [name(window) for window in children(self.app)
                if role(window) in ("alert", "dialog") and is_showing(window)]

    @staticmethod
    def box_text(box):
        return "\n".join(text_of(label) for label in find_all(box, "label") if text_of(label))

    def answer(self, box, button_label):
        press(find(box, "push button", button_label))
        wait_for(lambda: not is_showing(box) or box not in children(self.app), "the box to close")

    def context_menu(self, accessible):
        """Right-clicks accessible for real and returns the pop-up menu that opened."""
        before = len(self.desktop.events.menus)
        click(accessible, button=3)
        return wait_for(lambda: next((menu for menu in self.desktop.events.menus[before:]
                                      if is_showing(menu)), None), "a pop-up menu")

    def choose(self, menu, entry):
        """Clicks the menu entry named entry for real (submenus: a list of names)."""
        for part in entry if isinstance(entry, (list, tuple)) else [entry]:
            # An entry's name carries its shortcut after a tab.
            item = find(menu, "menu item", lambda label, part=part: label.split("\t")[0] == part)
            click(item)
            menu = next((child for child in children(item) if role(child) in ("menu", "popup menu")), menu)

    def close(self, timeout=10):
        _stop(self.process, timeout)
        self.stderr.close()
        return self.process.returncode

    def events_lines(self):
        path = os.path.join(self.workdir, "events.log")
        if not os.path.exists(path):
            return []
        with open(path, encoding="utf-8") as events:
            return [line.rstrip("\n").split("  ", 1)[-1] for line in events if line.strip()]


class Players:
    """The player emulator: count players from first_address registering with
    the controller at controller every interval seconds."""

    def __init__(self, directory, controller, first_address, count, control, arguments=()):
        self.directory = directory
        os.makedirs(directory, exist_ok=True)
        self.journal_path = os.path.join(directory, "journal.jsonl")
        self.control = control
        self.process = _start(["/usr/bin/python3", EMULATOR, "--controller", controller, "--first-address",
                               first_address, "--count", str(count), "--journal", self.journal_path,
                               "--state-dir", os.path.join(directory, "state"), "--control", control]
                              + list(arguments), stdout=subprocess.PIPE, stderr=subprocess.DEVNULL,
                              env=dict(os.environ, PYTHONDONTWRITEBYTECODE="1"))
        lines = []
        while sum(line.startswith("player ") for line in lines) < count:
            lines.append(_read_line(self.process.stdout, TIMEOUT, "the player emulator"))
        self.ctl = xmlrpc.client.ServerProxy("http://%s/" % control, allow_none=True)

    def journal(self, method=None, address=None, event="call"):
        records = []
        if not os.path.exists(self.journal_path):
            return records
        with open(self.journal_path, encoding="utf-8") as journal:
            for line in journal:
                try:
                    record = json.loads(line)
                except ValueError:
                    continue
                if record.get("event") == event and (method is None or record.get("method") == method) and (
                        address is None or record.get("player") == address):
                    records.append(record)
        return records

    def close(self):
        _stop(self.process)
        self.process.stdout.close()


class Scratch:
    """A temporary directory kept when KVO_E2E_KEEP is set."""

    def __init__(self, prefix):
        self.path = tempfile.mkdtemp(prefix=prefix)

    def close(self):
        if os.environ.get("KVO_E2E_KEEP"):
            sys.stderr.write("e2e files kept in %s\n" % self.path)
        else:
            shutil.rmtree(self.path, ignore_errors=True)
