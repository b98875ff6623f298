"""Every player's registration heartbeat on one thread: non-blocking calls multiplexed on one selector.

A thread per call (or a blocking call per player in turn) cannot keep thousands of players registering
every few seconds; here each heartbeat is a small state machine (connect, send, read the reply) and a
fleet of five thousand players costs a fraction of a core.
"""

import errno
import heapq
import itertools
import selectors
import socket
import threading
import time
import xmlrpc.client

from . import controller, values

READ_CHUNK = 65536


class Timings:
    """How late heartbeats left and how long their replies took, in a histogram of 10 ms steps up to a minute.

    A fixed histogram keeps a fleet's figures in constant memory however long it runs; later values count in
    the last step, and the largest value is kept exactly.
    """

    STEP = 0.01
    STEPS = 6000

    def __init__(self):
        self._counts = [0] * (self.STEPS + 1)
        self.count = 0
        self.largest = 0.0

    def add(self, seconds):
        seconds = max(0.0, seconds)
        self._counts[min(self.STEPS, int(seconds / self.STEP))] += 1
        self.count += 1
        self.largest = max(self.largest, seconds)

    def percentile(self, fraction):
        """The upper bound of the step that holds the given fraction of the values (0 without values)."""
        if not self.count:
            return 0.0
        wanted = max(1, int(fraction * self.count + 0.5))
        seen = 0
        for step, count in enumerate(self._counts):
            seen += count
            if seen >= wanted:
                return min(self.largest, (step + 1) * self.STEP)
        return self.largest

    def summary(self):
        return "p50 %.2f p99 %.2f max %.2f s" % (self.percentile(0.5), self.percentile(0.99), self.largest)


class _Call:
    """One registration under way: its socket, the bytes still to send and the reply read so far."""

    __slots__ = ("player", "sock", "out", "reply", "started", "deadline", "connected")

    def __init__(self, player, sock, request, started, deadline):
        self.player = player
        self.started = started
        self.sock = sock
        self.out = memoryview(request)
        self.reply = bytearray()
        self.deadline = deadline
        self.connected = False


def build_request(host, port, body):
    head = ("POST /RPC2 HTTP/1.1\r\nHost: %s:%d\r\nUser-Agent: %s\r\nContent-Type: text/xml\r\n"
            "Content-Length: %d\r\nConnection: close\r\n\r\n" % (host, port, controller.USER_AGENT, len(body)))
    return head.encode("ascii") + body


def parse_reply(data):
    """The result of a complete HTTP reply holding a methodResponse; raises ControllerError."""
    head, _, body = bytes(data).partition(b"\r\n\r\n")
    lines = head.split(b"\r\n")
    parts = lines[0].split(b" ", 2)
    if len(parts) < 2 or not parts[0].startswith(b"HTTP/") or not parts[1].isdigit():
        raise controller.ControllerError("unreadable reply: %r" % lines[0][:80])
    status = int(parts[1])
    fields = {}
    for line in lines[1:]:
        name, _, value = line.partition(b":")
        fields[name.strip().lower()] = value.strip()
    if status != 200:
        reason = parts[2].decode("latin-1") if len(parts) > 2 else ""
        raise controller.ControllerError("HTTP %d %s" % (status, reason))
    if fields.get(b"content-encoding", b"") == b"deflate":
        body = values.inflate_body(body)
    try:
        (result,) = xmlrpc.client.loads(body, use_builtin_types=False)[0] or (None,)
        return result
    except xmlrpc.client.Fault as fault:
        raise controller.ControllerError("fault %d: %s" % (fault.faultCode, fault.faultString)) from None
    except Exception as error:  # anything an unreadable reply raises in the XML reader
        raise controller.ControllerError("unreadable reply: %s" % error) from None


def reply_complete(data):
    """True once data holds a whole reply (its header and Content-Length bytes of body)."""
    end = data.find(b"\r\n\r\n")
    if end < 0:
        return False
    for line in bytes(data[:end]).split(b"\r\n")[1:]:
        name, _, value = line.partition(b":")
        if name.strip().lower() == b"content-length":
            try:
                return len(data) - end - 4 >= int(value.strip())
            except ValueError:
                return False
    return False  # without a length the reply ends when the controller closes


class HeartbeatLoop:
    """Schedules and sends the registrations of a fleet's players from one thread."""

    def __init__(self, fleet):
        self._fleet = fleet
        self._selector = selectors.DefaultSelector()
        self._wake_read, self._wake_write = socket.socketpair()
        self._wake_read.setblocking(False)
        self._selector.register(self._wake_read, selectors.EVENT_READ, None)
        self._due = []  # (time, order, player)
        self._order = itertools.count()
        self._lock = threading.Lock()
        self._calls = {}
        self._stopping = False
        self._next_expiry = 0.0
        # How late each heartbeat left after it was due, and each reply's round trip.
        self.lateness = Timings()
        self.round_trips = Timings()
        self.failures = 0
        self._thread = threading.Thread(target=self._run, name="heartbeats", daemon=True)
        self._thread.start()

    def schedule(self, player, delay):
        """Sends player's next heartbeat after delay seconds (and every interval after that)."""
        with self._lock:
            heapq.heappush(self._due, (time.monotonic() + max(0.0, delay), next(self._order), player))
        self._wake()

    def stop(self):
        self._stopping = True
        self._wake()
        self._thread.join(5)
        for call in list(self._calls.values()):
            call.sock.close()
        self._calls.clear()
        self._selector.close()
        self._wake_read.close()
        self._wake_write.close()

    def report(self):
        """One line on the heartbeats so far: how late they left, how long their replies took, how many failed."""
        return "heartbeats %d sent late by %s; round trip %s; %d failed" % (
            self.lateness.count, self.lateness.summary(), self.round_trips.summary(), self.failures)

    def _wake(self):
        try:
            self._wake_write.send(b"x")
        except OSError:
            pass

    # The loop

    def _run(self):
        while not self._stopping:
            now = time.monotonic()
            self._start_due(now)
            # Deadlines of calls under way are checked a few times a second.
            timeout = 0.1 if self._calls else 1.0
            with self._lock:
                if self._due:
                    timeout = min(timeout, max(0.0, self._due[0][0] - now))
            for key, events in self._selector.select(timeout):
                if key.data is None:
                    try:
                        while self._wake_read.recv(4096):
                            pass
                    except (BlockingIOError, InterruptedError):
                        pass
                    continue
                self._step(key.data, events)
            now = time.monotonic()
            if now >= self._next_expiry:
                self._next_expiry = now + 0.1
                self._expire(now)

    def _start_due(self, now):
        while True:
            with self._lock:
                if not self._due or self._due[0][0] > now or self._stopping:
                    return
                due, _, player = heapq.heappop(self._due)
            interval = self._fleet.options.interval
            # The next beat keeps the rhythm even when this one is slow or skipped.
            with self._lock:
                heapq.heappush(self._due, (max(now, due + interval), next(self._order), player))
            if player.beats():
                self.lateness.add(now - due)
                self._start(player, now)

    def _start(self, player, now):
        options = self._fleet.options
        sock = socket.socket(socket.AF_INET, socket.SOCK_STREAM)
        sock.setblocking(False)
        try:
            if self._fleet.controller_is_local:
                sock.bind((player.address, 0))
            code = sock.connect_ex((self._fleet.controller_address, options.controller_port))
        except OSError as error:
            sock.close()
            self.failures += 1
            player.registration_failed(str(error))
            return
        if code not in (0, errno.EINPROGRESS, errno.EWOULDBLOCK):
            sock.close()
            self.failures += 1
            player.registration_failed(socket.errno.errorcode.get(code, str(code)))
            return
        call = _Call(player, sock, player.registration_request(), now, now + options.register_timeout)
        self._calls[sock.fileno()] = call
        self._selector.register(sock, selectors.EVENT_WRITE, call)

    def _step(self, call, events):
        try:
            if not call.connected:
                code = call.sock.getsockopt(socket.SOL_SOCKET, socket.SO_ERROR)
                if code:
                    raise OSError(code, socket.errno.errorcode.get(code, str(code)))
                call.connected = True
            if call.out:
                sent = call.sock.send(call.out)
                call.out = call.out[sent:]
                if not call.out:
                    self._selector.modify(call.sock, selectors.EVENT_READ, call)
                return
            chunk = call.sock.recv(READ_CHUNK)
            if chunk:
                call.reply += chunk
                if len(call.reply) > controller.MAX_REPLY:
                    raise controller.ControllerError("reply too large")
                if not reply_complete(call.reply):
                    return
            elif not call.reply:
                raise controller.ControllerError("Remote end closed connection without response")
            result = parse_reply(call.reply)
        except (BlockingIOError, InterruptedError):
            return
        except (OSError, controller.ControllerError) as error:
            self._fail(call, str(error) or type(error).__name__)
            return
        self._finish(call)
        self.round_trips.add(time.monotonic() - call.started)
        call.player.registration_succeeded(result)

    def _finish(self, call):
        self._calls.pop(call.sock.fileno(), None)
        try:
            self._selector.unregister(call.sock)
        except (KeyError, ValueError):
            pass
        call.sock.close()

    def _expire(self, now):
        late = [call for call in self._calls.values() if call.deadline <= now]
        for call in late:
            self._fail(call, "timed out")

    def _fail(self, call, error):
        self._finish(call)
        self.failures += 1
        call.player.registration_failed(error)
