"""The players' XML-RPC service: one acceptor thread for every listening socket, one thread per connection."""

import http.server
import queue
import selectors
import socket
import struct
import sys
import threading
import time
import traceback
import xml.parsers.expat
import xmlrpc.client
import zlib

from . import faults, values

MAX_BODY = 4 * 1024 * 1024
IDLE_TIMEOUT = 60
DEFLATE_THRESHOLD = 256

MALFORMED_XML = (b"<?xml version=\"1.0\"?>\n<methodResponse><params><param><value><string>"
                 b"broken reply</value></param></params>")
NOT_A_RESPONSE = (b"<?xml version=\"1.0\"?>\n<methodCall><methodName>not.a.response</methodName>"
                  b"<params/></methodCall>")
EMPTY_FAULT = b"<?xml version=\"1.0\"?>\n<methodResponse><fault><value><struct/></value></fault></methodResponse>"
CONTINUE = b"HTTP/1.1 100 Continue\r\n\r\n"
_bombs = {}


def lengthened(value, size, fill):
    """value with every string made size characters long by repeating fill after it; (value, whether one was)."""
    if isinstance(value, str):
        return (value + fill * ((size - len(value)) // len(fill) + 1))[:max(size, len(value))], True
    if isinstance(value, (list, tuple)):
        items = [lengthened(item, size, fill) for item in value]
        return [item for item, _ in items], any(found for _, found in items)
    if isinstance(value, dict):
        items = {key: lengthened(item, size, fill) for key, item in value.items()}
        return {key: item for key, (item, _) in items.items()}, any(found for _, found in items.values())
    return value, False


def deflate_bomb(size):
    """A compressed reply body whose stream expands to size bytes while its length prefix claims 1 KiB."""
    if size not in _bombs:
        packer = zlib.compressobj(9)
        head = b"<?xml version=\"1.0\"?>\n<methodResponse><params><param><value><string>"
        parts = [packer.compress(head)]
        block = b"x" * (1024 * 1024)
        for offset in range(0, max(0, size - len(head)), len(block)):
            parts.append(packer.compress(block[:size - len(head) - offset]))
        parts.append(packer.flush())
        _bombs[size] = struct.pack(">I", 1024) + b"".join(parts)
    return _bombs[size]


def html_page(status):
    try:
        reason = http.HTTPStatus(status).phrase
    except ValueError:
        reason = "Error"
    return ("<!DOCTYPE html>\n<html><head><title>%d %s</title></head>\n<body><h1>%s</h1>\n"
            "<p>The requested URL could not be served.</p></body></html>\n" % (status, reason, reason)
            ).encode("utf-8")


class Acceptor:
    """Accepts connections on all players' listening sockets from one thread."""

    def __init__(self):
        self._selector = selectors.DefaultSelector()
        self._wake_read, self._wake_write = socket.socketpair()
        self._wake_read.setblocking(False)
        self._selector.register(self._wake_read, selectors.EVENT_READ, None)
        self._tasks = queue.SimpleQueue()
        self._stopping = False
        self._thread = threading.Thread(target=self._run, name="rpc-acceptor", daemon=True)
        self._thread.start()

    def _in_loop(self, task):
        """Runs task on the acceptor thread and waits for it, so selector changes never race a select()."""
        if self._stopping or threading.current_thread() is self._thread:
            task()
            return
        done = threading.Event()
        self._tasks.put((task, done))
        self._wake_write.send(b"x")
        done.wait(5)

    def add(self, sock, player):
        self._in_loop(lambda: self._selector.register(sock, selectors.EVENT_READ, player))

    def remove(self, sock):
        def task():
            try:
                self._selector.unregister(sock)
            except (KeyError, ValueError):
                pass
            sock.close()
        self._in_loop(task)

    def _run(self):
        while not self._stopping:
            for key, _ in self._selector.select(timeout=1.0):
                if key.data is None:
                    try:
                        self._wake_read.recv(4096)
                    except BlockingIOError:
                        pass
                    while not self._tasks.empty():
                        task, done = self._tasks.get()
                        try:
                            task()
                        finally:
                            done.set()
                    continue
                try:
                    conn, peer = key.fileobj.accept()
                except OSError:
                    continue
                key.data.connection_accepted(conn, peer)

    def stop(self):
        self._stopping = True
        self._wake_write.send(b"x")
        self._thread.join(5)
        for key in list(self._selector.get_map().values()):
            key.fileobj.close()
        self._selector.close()
        self._wake_write.close()


def serve_connection(conn, peer, player):
    try:
        RpcHandler(conn, peer, player)
    except OSError:
        pass  # the peer went away or the player closed the connection on purpose
    except Exception:
        traceback.print_exc(file=sys.stderr)
    finally:
        player.connection_closed(conn)
        try:
            conn.close()
        except OSError:
            pass


class RpcHandler(http.server.BaseHTTPRequestHandler):
    protocol_version = "HTTP/1.1"
    server_version = "KvoPlayerEmulator/1.0"
    sys_version = ""
    timeout = IDLE_TIMEOUT
    disable_nagle_algorithm = True  # headers and body go out as separate writes

    def __init__(self, request, client_address, player):
        self.player = player
        super().__init__(request, client_address, player)

    def log_message(self, format, *args):
        if self.player.fleet.verbose:
            sys.stderr.write("%s %s: %s\n" % (self.player.address, self.address_string(), format % args))

    def do_GET(self):
        self.close_connection = True
        self._send(405, "text/plain", b"This is an XML-RPC server.  I only accept POST")

    do_HEAD = do_PUT = do_DELETE = do_GET

    def do_POST(self):
        length = self.headers.get("Content-Length", "").strip()
        if not length.isdigit() or self.headers.get("Transfer-Encoding"):
            # Without a length the body cannot be delimited, so the connection cannot be reused.
            self.close_connection = True
            self._journal_rejected("missing content length")
            self._send_fault(-32600, "Invalid XML-RPC headers.  Missing content length")
            return
        length = int(length)
        if length > MAX_BODY:
            self.close_connection = True
            self._journal_rejected("body of %d bytes exceeds %d" % (length, MAX_BODY))
            self._send(413, "text/plain", b"Request body too large")
            return
        body = self.rfile.read(length)
        if len(body) < length:
            self.close_connection = True
            return
        self._serve_call(body)

    def _serve_call(self, body):
        player = self.player
        try:
            params, method = xmlrpc.client.loads(body, use_builtin_types=False)
        except xml.parsers.expat.ExpatError as error:
            self._journal_rejected("not well-formed: %s" % error)
            self._send_fault(-32700, "parse error. not well formed: %s" % error)
            return
        except Exception as error:
            self._journal_rejected("not a methodCall: %s" % error)
            self._send_fault(-32600, "Invalid XML-RPC methodCall")
            return
        if not method:
            self._journal_rejected("not a methodCall")
            self._send_fault(-32600, "Invalid XML-RPC methodCall")
            return
        try:
            journal_params = values.to_json(list(params))
        except values.TooDeep as error:
            self._journal_rejected(str(error), method=method)
            self._send_fault(-32600, "Invalid XML-RPC methodCall: %s" % error)
            return

        plan = player.faults.take(method)
        mode, delay = plan["mode"], plan["delay"]
        record = {"method": method, "params": journal_params}
        if mode != "none":
            record["injected"] = mode
        if delay:
            record["delay"] = delay
        player.journal_call(record)  # on arrival, so that slow or dropped calls are seen too
        if delay and player.fleet.stopping.wait(delay):
            self.close_connection = True
            return

        if mode in ("none", "close", "huge", "status"):
            after = None
            try:
                result, after = player.methods.call(method, params)
                if mode == "huge":
                    size = faults.HUGE_SIZE if plan["size"] is None else plan["size"]
                    result, found = lengthened(result, size, plan["fill"])
                    if not found:
                        result, _ = lengthened("", size, plan["fill"])
                reply = xmlrpc.client.dumps((result,), methodresponse=True, encoding="utf-8")
            except xmlrpc.client.Fault as fault:
                player.journal_fault(method, fault.faultCode, fault.faultString)
                reply = xmlrpc.client.dumps(fault, methodresponse=True, encoding="utf-8")
            except Exception as error:
                traceback.print_exc(file=sys.stderr)
                fault = xmlrpc.client.Fault(1, "internal error: %s" % error)
                player.journal_fault(method, fault.faultCode, fault.faultString)
                reply = xmlrpc.client.dumps(fault, methodresponse=True, encoding="utf-8")
            if mode == "close":
                self._send_half(reply.encode("utf-8"))
            else:
                # A huge reply goes out as it is, so that its bytes arrive as they are counted.
                self._send(plan["status"] if mode == "status" else 200, "text/xml", reply.encode("utf-8"),
                           compressible=mode != "huge")
                if after is not None:
                    after()
        elif mode == "drop":
            self._drop()
        elif mode == "fault":
            text = plan["text"]
            if plan["size"] is not None:
                text = (text * (plan["size"] // max(1, len(text)) + 1))[:plan["size"]]
            self._send_fault(plan["code"], text)
        elif mode == "empty-fault":
            self._send(200, "text/xml", EMPTY_FAULT)
        elif mode == "bomb":
            size = faults.BOMB_SIZE if plan["size"] is None else plan["size"]
            self._headers(200, "text/xml", len(deflate_bomb(size)), "deflate")
            self.wfile.write(deflate_bomb(size))
            self.wfile.flush()
        elif mode == "interim":
            self._send_interim_answers()
        elif mode == "malformed":
            self._send(200, "text/xml", MALFORMED_XML)
        elif mode == "grammar":
            self._send(200, "text/xml", NOT_A_RESPONSE)
        elif mode == "html":
            self._send(plan["status"], "text/html; charset=utf-8", html_page(plan["status"]))

    def _journal_rejected(self, error, method=None):
        self.player.journal_call({"method": method, "params": None, "error": error})

    def _send_fault(self, code, text):
        reply = xmlrpc.client.dumps(xmlrpc.client.Fault(code, text), methodresponse=True, encoding="utf-8")
        self._send(200, "text/xml", reply.encode("utf-8"), compressible=True)

    def _headers(self, status, content_type, length, encoding=None):
        self.send_response(status)
        self.send_header("Content-Type", content_type)
        if encoding:
            self.send_header("Content-Encoding", encoding)
        self.send_header("Content-Length", str(length))
        if self.close_connection:
            self.send_header("Connection", "close")
        self.end_headers()

    def _send(self, status, content_type, body, compressible=False):
        encoding = None
        if (compressible and self.player.fleet.deflate and len(body) > DEFLATE_THRESHOLD
                and self.headers.get("Accept-Encoding", "").strip() == "deflate"):
            body = values.deflate_body(body)
            encoding = "deflate"
        self._headers(status, content_type, len(body), encoding)
        self.wfile.write(body)
        self.wfile.flush()

    def _send_interim_answers(self):
        """Interim answers until the caller goes away, for at most IDLE_TIMEOUT seconds; then closes."""
        self.close_connection = True
        deadline = time.monotonic() + IDLE_TIMEOUT
        batch = CONTINUE * 1000
        while time.monotonic() < deadline and not self.player.fleet.stopping.is_set():
            self.wfile.write(batch)
            self.wfile.flush()
        self._drop()

    def _send_half(self, body):
        """Announces the whole reply, sends half of it and closes: a player reset in mid-answer."""
        self._headers(200, "text/xml", len(body))
        self.wfile.write(body[: len(body) // 2])
        self.wfile.flush()
        self._drop()

    def _drop(self):
        self.close_connection = True
        try:
            self.connection.shutdown(socket.SHUT_RDWR)
        except OSError:
            pass
