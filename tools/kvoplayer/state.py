"""What one emulated player keeps on disk: stored files, playlists, crontab, settings, logs and ticker."""

import datetime
import json
import os
import threading

# The twenty registration values, in the order the controller reads them.
FIELDS = (
    "name", "address", "playing", "video_mode", "lan_ip", "wlan_ip", "essid", "key",
    "server_ip", "lan_device", "wlan_device", "lan_gateway", "lan_mask", "wlan_gateway",
    "wlan_mask", "lan_dhcp", "wlan_dhcp", "dmz", "dmz_ip", "power",
)

# The four playlists by their path on the player.
PLAYLISTS = {
    "/usr/local/playlist/album": "album",
    "/usr/local/playlist/picture0": "picture0",
    "/usr/local/playlist/picture1": "picture1",
    "/usr/local/playlist/picture2": "picture2",
}

POWER_ON = "PWRON"
POWER_OFF = "PWROFF"
LOG_NAME = "player.log"
LOG_LIMIT = 256 * 1024

DEFAULT_CRONTAB = [
    "0 7 * * * /usr/local/bin/psudon",
    "0 22 * * * /usr/local/bin/psudoff",
]


def _write_atomically(path, text):
    scratch = path + ".tmp"
    with open(scratch, "w", encoding="utf-8") as out:
        out.write(text)
    os.replace(scratch, path)


def _read_lines(path):
    try:
        with open(path, encoding="utf-8", errors="replace") as source:
            return source.read().splitlines()
    except FileNotFoundError:
        return []


class PlayerState:
    """State directory of one player. Every method takes the lock, so handlers on any thread may call it."""

    def __init__(self, root, fields, explicit, storage_kb):
        """fields: the twenty starting values; explicit: the names of those the operator gave on the command line."""
        self.root = root
        self.media_dir = os.path.join(root, "media")
        self.ticker_dir = os.path.join(root, "ticker")
        self.logs_dir = os.path.join(root, "logs")
        self.playlist_dir = os.path.join(root, "playlists")
        self.settings_path = os.path.join(root, "settings.json")
        self.crontab_path = os.path.join(root, "crontab")
        self.storage_kb = storage_kb
        self.lock = threading.RLock()
        for folder in (self.media_dir, self.ticker_dir, self.logs_dir, self.playlist_dir):
            os.makedirs(folder, exist_ok=True)
        saved = self._load()
        self.settings = {
            "fields": dict(fields),
            "pending": {},
            "volume": 36,
            "scale_window": [0, 0, 4096, 4096],
            "screen_layout": 0,
            "ticker_text": "",
            "clock_offset_seconds": 0.0,
        }
        if saved:
            # Values saved by an earlier run win, except those the operator gave explicitly now.
            merged = dict(saved.get("fields", {}))
            for key in FIELDS:
                if key in explicit or key not in merged:
                    merged[key] = fields[key]
            saved["fields"] = merged
            self.settings.update({key: value for key, value in saved.items() if key in self.settings})
        if not os.path.exists(self.crontab_path):
            _write_atomically(self.crontab_path, "".join(line + "\n" for line in DEFAULT_CRONTAB))
        self._save()
        self.log("player started")

    def _load(self):
        try:
            with open(self.settings_path, encoding="utf-8") as source:
                saved = json.load(source)
            return saved if isinstance(saved, dict) else None
        except (FileNotFoundError, ValueError):
            return None

    def _save(self):
        _write_atomically(self.settings_path, json.dumps(self.settings, indent=1, ensure_ascii=False))

    # Registration fields

    def fields(self):
        with self.lock:
            return dict(self.settings["fields"])

    def registration_values(self):
        with self.lock:
            return [self.settings["fields"][key] for key in FIELDS]

    def set_fields(self, changes):
        unknown = [key for key in changes if key not in FIELDS]
        if unknown:
            raise KeyError("unknown field(s): " + ", ".join(unknown))
        with self.lock:
            self.settings["fields"].update({key: str(value) for key, value in changes.items()})
            self._save()

    def set_pending(self, changes):
        """Network settings sent by the controller take effect at the next reboot."""
        with self.lock:
            self.settings["pending"].update(changes)
            self._save()

    def apply_pending(self):
        with self.lock:
            self.settings["fields"].update(self.settings["pending"])
            self.settings["pending"] = {}
            self._save()

    def get(self, key):
        with self.lock:
            value = self.settings[key]
            return list(value) if isinstance(value, list) else value

    def put(self, key, value):
        with self.lock:
            self.settings[key] = value
            self._save()

    # Stored files

    def media_files(self):
        """(name, size in KB rounded up) of every stored file, by name."""
        with self.lock:
            entries = []
            with os.scandir(self.media_dir) as listing:
                for entry in listing:
                    if entry.name.startswith(".") or not entry.is_file(follow_symlinks=False):
                        continue
                    entries.append((entry.name, (entry.stat().st_size + 1023) // 1024))
            return sorted(entries)

    def space_kb(self):
        used = sum(size for _, size in self.media_files())
        return self.storage_kb, max(0, self.storage_kb - used)

    def media_path(self, name):
        return os.path.join(self.media_dir, name)

    # Playlists and crontab

    def playlist_lines(self, key):
        with self.lock:
            return _read_lines(os.path.join(self.playlist_dir, key))

    def save_playlist(self, key, lines):
        with self.lock:
            _write_atomically(os.path.join(self.playlist_dir, key), "".join(line + "\n" for line in lines))

    def crontab(self):
        with self.lock:
            return _read_lines(self.crontab_path)

    def save_crontab(self, lines):
        with self.lock:
            _write_atomically(self.crontab_path, "".join(line + "\n" for line in lines))

    # Logs

    def log_files(self):
        with self.lock:
            with os.scandir(self.logs_dir) as listing:
                return sorted(entry.name for entry in listing
                              if entry.is_file(follow_symlinks=False) and not entry.name.startswith("."))

    def log(self, text):
        """Appends one line to the player's event log, keeping one older generation at most."""
        path = os.path.join(self.logs_dir, LOG_NAME)
        stamp = datetime.datetime.now().strftime("%Y-%m-%d %H:%M:%S")
        with self.lock:
            try:
                if os.path.getsize(path) > LOG_LIMIT:
                    os.replace(path, path + ".1")
            except FileNotFoundError:
                pass
            with open(path, "a", encoding="utf-8") as out:
                out.write("%s %s\n" % (stamp, text.replace("\n", " ")))
