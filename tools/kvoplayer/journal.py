"""The journal: one JSON object per line for every call a player receives and every FTP transfer."""

import datetime
import json
import threading


class Journal:
    def __init__(self, path=None):
        self._lock = threading.Lock()
        self._out = open(path, "a", encoding="utf-8", buffering=1) if path else None

    def write(self, event, **record):
        if self._out is None:
            return
        line = {"time": datetime.datetime.now().isoformat(timespec="milliseconds"), "event": event}
        line.update(record)
        text = json.dumps(line, ensure_ascii=False) + "\n"
        with self._lock:
            if self._out is not None:
                self._out.write(text)
                self._out.flush()

    def close(self):
        with self._lock:
            if self._out is not None:
                self._out.close()
                self._out = None
