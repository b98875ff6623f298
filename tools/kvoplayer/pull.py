"""Pulling content from the controller's batch download server, the way players do with a download tool.

A player fetches http://CONTROLLER:8899/MIRRORS/<name>/poll_contents_list, then every file listed there
from http://CONTROLLER:8899/MIRRORS/<name>/contents/<file>, and keeps each one as its own stored file. A
file is received into a hidden partial file first (not listed as stored); a later pull resumes it with
an HTTP range. While it downloads the player reports progress lines through "Kivo_SVR.wgetProgress".
"""

import http.client
import os
import re
import urllib.parse

from . import values
from .controller import USER_AGENT, ControllerError

DEFAULT_PORT = 8899
CHUNK = 256 * 1024
MAX_LIST_BYTES = 1024 * 1024
MAX_LIST_ENTRIES = 100000
REPORT_STEP = 10  # percent between two progress reports of one file
TIMEOUT = 30.0

_CONTENT_RANGE = re.compile(r"bytes\s+(\d+)-(\d+)/(\d+)|bytes\s+\*/(\d+)")


class _Stop(Exception):
    """The byte budget of an interrupted pull is spent."""


def _xmlrpc_int(number):
    """XML-RPC integers are 32-bit; larger counts travel as doubles."""
    return number if number < 2 ** 31 else float(number)


def partial_path(state, file_name):
    return os.path.join(state.media_dir, "." + file_name + ".part")


class Puller:
    def __init__(self, player, name, host, port=DEFAULT_PORT, stop_after=None, report=True):
        self.player = player
        self.name = name
        self.host = host
        self.port = port
        self.budget = stop_after
        self.report = report
        self.reports = 0
        self.report_errors = 0
        self._connection = None

    # HTTP

    def _connect(self):
        if self._connection is None:
            local = self.player.fleet.controller_is_local
            self._connection = http.client.HTTPConnection(
                self.host, self.port, timeout=TIMEOUT, source_address=(self.player.address, 0) if local else None)
        return self._connection

    def _close(self):
        if self._connection is not None:
            self._connection.close()
            self._connection = None

    def _get(self, path, headers=None):
        """Sends GET path on the kept connection (once more on a fresh one if the kept one was closed)."""
        for attempt in (1, 2):
            connection = self._connect()
            try:
                connection.request("GET", path, headers=dict(headers or {}, **{"User-Agent": USER_AGENT}))
                return connection.getresponse()
            except (http.client.RemoteDisconnected, BrokenPipeError, ConnectionResetError):
                self._close()
                if attempt == 2:
                    raise

    def _url_path(self, *parts):
        return "/" + "/".join(urllib.parse.quote(part, safe="") for part in parts)

    # Progress

    def _report(self, file_name, percent):
        if not self.report:
            return
        self.reports += 1
        try:
            # The name as it stands in the URL, as a download tool prints it.
            self.player.report_progress(values.progress_line(urllib.parse.quote(file_name, safe=""), percent))
        except ControllerError:
            self.report_errors += 1

    # The pull

    def content_list(self):
        response = self._get(self._url_path("MIRRORS", self.name, "poll_contents_list"))
        data = response.read(MAX_LIST_BYTES + 1)
        if response.status != 200:
            raise OSError("poll_contents_list: HTTP %d %s" % (response.status, response.reason))
        if len(data) > MAX_LIST_BYTES:
            self._close()
            raise OSError("poll_contents_list is larger than %d bytes" % MAX_LIST_BYTES)
        lines = [line.strip("\r") for line in data.decode("utf-8", "replace").split("\n")]
        return [line for line in lines if line.strip()][:MAX_LIST_ENTRIES]

    def fetch(self, file_name):
        """Downloads one file into the player's stored files; returns its journal record."""
        state = self.player.state
        part = partial_path(state, file_name)
        offset = os.path.getsize(part) if os.path.isfile(part) else 0
        headers = {"Range": "bytes=%d-" % offset} if offset else {}
        response = self._get(self._url_path("MIRRORS", self.name, "contents", file_name), headers)
        record = {"file": file_name, "status": response.status, "offset": offset, "bytes": 0, "complete": False}
        content_range = _CONTENT_RANGE.match(response.getheader("Content-Range", "") or "")
        if response.status == 416:
            response.read(MAX_LIST_BYTES)
            length = self._length(file_name, content_range)
            if length == offset:  # the partial file is already whole
                self._finish(part, file_name, record)
                return record
            if length is None:
                self._close()
                record["error"] = "HTTP 416 and no length of the file"
                return record
            os.remove(part)  # longer than the file now served: start again
            return self.fetch(file_name)
        if response.status == 206 and content_range and content_range.group(1) is not None \
                and int(content_range.group(1)) == offset:
            total = int(content_range.group(3))
            mode = "ab"
        elif response.status == 200:
            length = response.getheader("Content-Length")
            total = int(length) if length and length.isdigit() else None
            offset = record["offset"] = 0
            mode = "wb"
        else:
            response.read(MAX_LIST_BYTES)
            self._close()
            record["error"] = "HTTP %d %s" % (response.status, response.reason)
            return record

        done = offset
        reported = -REPORT_STEP
        with open(part, mode) as out:
            while True:
                want = CHUNK if self.budget is None else min(CHUNK, self.budget)
                if want <= 0:
                    self._close()
                    raise _Stop(record)
                chunk = response.read(want)
                if not chunk:
                    break
                out.write(chunk)
                done += len(chunk)
                record["bytes"] += len(chunk)
                if self.budget is not None:
                    self.budget -= len(chunk)
                percent = 100 * done // total if total else 0
                if percent >= reported + REPORT_STEP and percent < 100:
                    self._report(file_name, percent)
                    reported = percent
        if total is not None and done != total:
            self._close()
            record["error"] = "connection ended after %d of %d bytes" % (done, total)
            return record
        if response.getheader("Connection", "").lower() == "close":
            self._close()
        self._finish(part, file_name, record)
        return record

    def _length(self, file_name, content_range):
        """The served length of a file: from a 416's "bytes */N", else from a HEAD request."""
        if content_range and content_range.group(4) is not None:
            return int(content_range.group(4))
        connection = self._connect()
        try:
            connection.request("HEAD", self._url_path("MIRRORS", self.name, "contents", file_name),
                               headers={"User-Agent": USER_AGENT})
            response = connection.getresponse()
            response.read()
        except (OSError, http.client.HTTPException):
            self._close()
            return None
        length = response.getheader("Content-Length")
        return int(length) if response.status == 200 and length and length.isdigit() else None

    def _finish(self, part, file_name, record):
        with self.player.state.lock:
            os.replace(part, self.player.state.media_path(file_name))
        record["complete"] = True
        self._report(file_name, 100)

    def run(self):
        summary = {"address": self.player.address, "name": self.name, "files": [], "skipped": [],
                   "bytes": 0, "complete": False, "interrupted": False, "error": ""}
        journal = self.player.fleet.journal
        try:
            names = self.content_list()
            for file_name in names:
                if not values.plain_file_name(file_name) or file_name.startswith("."):
                    summary["skipped"].append(file_name)
                    continue
                try:
                    record = self.fetch(file_name)
                except _Stop as stop:
                    record = stop.args[0]
                    summary["interrupted"] = True
                summary["files"].append(record)
                summary["bytes"] += record["bytes"]
                journal.write("pull", player=self.player.address, name=self.player.name, mirror=self.name,
                              **record)
                if summary["interrupted"]:
                    break
            summary["complete"] = not summary["interrupted"] and all(r["complete"] for r in summary["files"])
        except (OSError, http.client.HTTPException) as error:
            summary["error"] = str(error) or type(error).__name__
            journal.write("pull", player=self.player.address, name=self.player.name, mirror=self.name,
                          error=summary["error"])
        finally:
            self._close()
        summary["bytes"] = _xmlrpc_int(summary["bytes"])
        for record in summary["files"]:
            record["bytes"] = _xmlrpc_int(record["bytes"])
            record["offset"] = _xmlrpc_int(record["offset"])
        summary["reports"] = self.reports
        summary["report_errors"] = self.report_errors
        return summary


def pull(player, name, host, port=DEFAULT_PORT, stop_after=None, report=True):
    """Pulls the content of the virtual player name into player's stored files; returns a summary.

    stop_after: stop after this many content bytes, leaving the current file partial (to be resumed).
    """
    if not values.plain_file_name(name):
        raise ValueError("%r is not a virtual player's name" % (name,))
    if stop_after is not None and stop_after < 0:
        raise ValueError("stop_after must not be negative")
    return Puller(player, name, host, port, stop_after, report).run()
