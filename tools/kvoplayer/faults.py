"""Fault injection settings of one player and their two written forms (short text and JSON object)."""

import json
import threading

# Ways of answering a call other than the normal reply.
MODES = ("none", "close", "drop", "fault", "malformed", "grammar", "html", "huge", "bomb", "interim", "status",
         "empty-fault")
# Sizes of the oversized replies unless a setting gives one.
HUGE_SIZE = 60 * 1000 * 1000
BOMB_SIZE = 60 * 1024 * 1024
SHORT_FORMS = """\
  refuse | accept            stop / resume listening on the XML-RPC port
  delay:SECONDS              wait before answering (0 = no delay)
  close                      send half of the reply, then close the connection
  drop                       close the connection without any reply
  fault[:CODE[:TEXT]]        answer with an XML-RPC fault (default 1, "injected fault")
  malformed                  answer with XML that is not well-formed
  grammar                    answer with well-formed XML that is not a methodResponse
  html[:STATUS]              answer with an HTML error page (default status 500)
  huge[:SIZE[:FILL]]         the normal reply with every string made SIZE characters long with FILL
                             (default 60,000,000 and "x"); a reply without strings becomes one
  bomb[:SIZE]                a small compressed reply that expands to SIZE bytes (default 60 MiB)
  interim                    "100 Continue" answers without end, never the reply
  status[:STATUS]            the normal reply with that HTTP status (default 500)
  empty-fault                a fault whose struct has no members
  ftp-down | ftp-up          FTP answers 421 and closes / serves again
  heartbeat-off | heartbeat-on   stop / resume registrations
  power:WORD | pwroff | pwron    report WORD (PWROFF, PWRON) as power state from now on
  none                       back to normal replies (delay and listening unchanged)
  clear                      everything back to normal"""


class FaultError(ValueError):
    pass


def parse(setting):
    """A fault setting from its short text form or a JSON object (string or dict); returns a dict of changes."""
    if isinstance(setting, dict):
        return _checked(dict(setting))
    text = str(setting).strip()
    if text.startswith("{"):
        try:
            changes = json.loads(text)
        except ValueError as error:
            raise FaultError("bad JSON fault setting: %s" % error) from None
        if not isinstance(changes, dict):
            raise FaultError("a JSON fault setting must be an object")
        return _checked(changes)
    word, _, rest = text.partition(":")
    word = word.strip().lower()
    if word in ("refuse", "accept"):
        return {"refuse": word == "refuse"}
    if word in ("ftp-down", "ftp-up"):
        return {"ftp_down": word == "ftp-down"}
    if word in ("heartbeat-off", "heartbeat-on"):
        return {"heartbeat": word == "heartbeat-on"}
    if word in ("pwroff", "pwron"):
        return {"power": word.upper()}
    if word == "power":
        if not rest.strip():
            raise FaultError("power needs a word, e.g. power:PWROFF")
        return {"power": rest.strip()}
    if word == "clear":
        return {"clear": True}
    if word == "delay":
        return _checked({"delay": rest})
    if word == "fault":
        code, _, fault_text = rest.partition(":")
        changes = {"mode": "fault"}
        if code.strip():
            changes["code"] = code
        if fault_text:
            changes["text"] = fault_text
        return _checked(changes)
    if word in ("html", "status"):
        return _checked({"mode": word, "status": rest or 500})
    if word in ("huge", "bomb"):
        size, _, fill = rest.partition(":")
        changes = {"mode": word}
        if size.strip():
            changes["size"] = size
        if fill:
            changes["fill"] = fill
        return _checked(changes)
    if word in MODES and not rest:
        return {"mode": word}
    raise FaultError("unknown fault setting %r; one of:\n%s" % (text, SHORT_FORMS))


def _checked(changes):
    known = {"mode", "delay", "code", "text", "size", "fill", "status", "methods", "times", "refuse", "ftp_down",
             "heartbeat", "clear", "player", "power"}
    unknown = set(changes) - known
    if unknown:
        raise FaultError("unknown fault key(s): " + ", ".join(sorted(unknown)))
    try:
        if "mode" in changes and changes["mode"] not in MODES:
            raise FaultError("mode must be one of " + ", ".join(MODES))
        if "delay" in changes:
            changes["delay"] = float(changes["delay"])
            if not 0 <= changes["delay"] <= 3600:
                raise FaultError("delay must lie between 0 and 3600 seconds")
        if "code" in changes:
            changes["code"] = int(changes["code"])
        if "power" in changes:
            changes["power"] = str(changes["power"])
        if "text" in changes:
            changes["text"] = str(changes["text"])
        if changes.get("size") is not None:
            changes["size"] = int(changes["size"])
            if not 0 <= changes["size"] <= 2 ** 31:
                raise FaultError("size must lie between 0 and 2147483648")
        if "fill" in changes:
            changes["fill"] = str(changes["fill"])
            if not changes["fill"]:
                raise FaultError("fill must not be empty")
        if "status" in changes:
            changes["status"] = int(changes["status"])
            if not 400 <= changes["status"] <= 599:
                raise FaultError("status must be an HTTP error status (400..599)")
        if changes.get("methods") is not None:
            methods = changes["methods"]
            changes["methods"] = [methods] if isinstance(methods, str) else [str(m) for m in methods]
        if changes.get("times") is not None:
            changes["times"] = int(changes["times"])
            if changes["times"] < 1:
                raise FaultError("times must be at least 1")
        for flag in ("refuse", "ftp_down", "heartbeat", "clear"):
            if flag in changes and not isinstance(changes[flag], bool):
                raise FaultError("%s must be true or false" % flag)
    except (TypeError, ValueError) as error:
        if isinstance(error, FaultError):
            raise
        raise FaultError("bad fault setting: %s" % error) from None
    return changes


class FaultPlan:
    """How a player currently misbehaves on its XML-RPC port. Thread-safe."""

    def __init__(self):
        self._lock = threading.Lock()
        self._reset()

    def _reset(self):
        self.mode = "none"
        self.delay = 0.0
        self.code = 1
        self.text = "injected fault"
        self.size = None  # a fault's text is repeated to this length; huge and bomb have their own default
        self.fill = "x"
        self.status = 500
        self.methods = None
        self.times = None

    def update(self, changes):
        """Applies the reply-related keys of a parsed setting (listening, FTP and heartbeat are the player's)."""
        with self._lock:
            if changes.get("clear"):
                self._reset()
            for key in ("mode", "delay", "code", "text", "size", "fill", "status", "methods", "times"):
                if key in changes:
                    setattr(self, key, changes[key])

    def take(self, method):
        """The settings (snapshot()) that apply to a call of method; counts the call against a limited number
        of times, so the last counted call still gets the settings it was counted under."""
        with self._lock:
            plan = self._snapshot()
            if self.mode == "none" and self.delay == 0 or self.methods is not None and method not in self.methods:
                plan.update(mode="none", delay=0.0)
            elif self.times is not None:
                self.times -= 1
                if self.times <= 0:
                    self._reset()
            return plan

    def snapshot(self):
        with self._lock:
            return self._snapshot()

    def _snapshot(self):
        return {"mode": self.mode, "delay": self.delay, "code": self.code, "text": self.text,
                    "size": self.size, "fill": self.fill, "status": self.status, "methods": self.methods,
                    "times": self.times}
