"""The "Kivo." methods a player answers, working on its PlayerState."""

import datetime
import os
import xmlrpc.client

from . import values
from .state import PLAYLISTS, POWER_OFF

Fault = xmlrpc.client.Fault

BAD_PARAMS = -32602
NOT_FOUND = -32601
FAILED = 1

VOLUME_MAX = 73
SCALE_MAX = 4096
LAYOUT_MAX = 9


def _expect(method, params, count=None, minimum=0):
    if count is not None and len(params) != count:
        raise Fault(BAD_PARAMS, "%s expects %d parameter(s), got %d" % (method, count, len(params)))
    if len(params) < minimum:
        raise Fault(BAD_PARAMS, "%s expects at least %d parameter(s), got %d" % (method, minimum, len(params)))


def _strings(method, params, count=None, minimum=0):
    _expect(method, params, count, minimum)
    for index, param in enumerate(params, 1):
        if not isinstance(param, str):
            raise Fault(BAD_PARAMS, "%s: parameter %d must be a string, got %s"
                        % (method, index, type(param).__name__))
    return list(params)


def _decimal(method, text, low, high, what):
    try:
        number = int(text.strip(), 10)
    except ValueError:
        raise Fault(BAD_PARAMS, "%s: %s %r is not a decimal number" % (method, what, text)) from None
    if not low <= number <= high:
        raise Fault(BAD_PARAMS, "%s: %s %d is outside %d..%d" % (method, what, number, low, high))
    return number


def _file_name(method, name):
    if not values.plain_file_name(name):
        raise Fault(BAD_PARAMS, "%s: %r is not a plain file name" % (method, name))
    return name


def _playlist(method, path):
    key = PLAYLISTS.get(path)
    if key is None:
        raise Fault(FAILED, "%s: no playlist %r" % (method, path))
    return key


def _playlist_name(line):
    """The file name a playlist line names; comment and blank lines name none."""
    line = line.strip()
    if not line or line.startswith("#"):
        return None
    return line.split(",", 1)[0].strip()


class Methods:
    """Dispatch table of one player. call() returns (result, action to run after the reply is sent)."""

    def __init__(self, player):
        self.player = player
        self.state = player.state
        self.table = {
            "Kivo.SyncDateTime": self.sync_date_time,
            "Kivo.PlaySingle": self.play_single,
            "Kivo.PlayALL": self.play_all,
            "Kivo.Sleep": self.sleep,
            "Kivo.Reboot": self.reboot,
            "Kivo.FirmwareVersion": self.firmware_version,
            "Kivo.FreeSpace": self.free_space,
            "Kivo.GetMediaFileList": self.get_media_file_list,
            "Kivo.GetList": self.get_list,
            "Kivo.SaveList": self.save_list,
            "Kivo.PlayAlbum": self.play_album,
            "Kivo.DeleteMediaFile": self.delete_media_file,
            "Kivo.DeletePlaylistItem": self.delete_playlist_item,
            "Kivo.RenameContentFile": self.rename_content_file,
            "Kivo.SetPlayerName": self.set_player_name,
            "Kivo.SetPlayerIP": self.set_player_ip,
            "Kivo.SetServerIP": self.set_server_ip,
            "Kivo.WLANSetup": self.wlan_setup,
            "Kivo.SetDMZ": self.set_dmz,
            "Kivo.GetCrontab": self.get_crontab,
            "Kivo.SetCrontab": self.set_crontab,
            "Kivo.SetNewTicker": self.set_new_ticker,
            "Kivo.VideoMode": self.video_mode,
            "Kivo.GetScreenLayout": self.get_screen_layout,
            "Kivo.SetScreenLayout": self.set_screen_layout,
            "Kivo.GetScaleWindow": self.get_scale_window,
            "Kivo.SetScaleWindow": self.set_scale_window,
            "Kivo.GetVolume": self.get_volume,
            "Kivo.SetVolume": self.set_volume,
            "Kivo.GetLogList": self.get_log_list,
            "Kivo.DeleteLogFile": self.delete_log_file,
        }

    def call(self, method, params):
        handler = self.table.get(method)
        if handler is None:
            raise Fault(NOT_FOUND, "Method: %s, not found" % method)
        outcome = handler(method, list(params))
        self.state.log(method)
        return outcome if isinstance(outcome, tuple) else (outcome, None)

    # Playback and status

    def sync_date_time(self, method, params):
        _expect(method, params, 1)
        stamp = params[0]
        if not isinstance(stamp, xmlrpc.client.DateTime):
            raise Fault(BAD_PARAMS, "%s: parameter 1 must be a date-time" % method)
        try:
            given = datetime.datetime.strptime(stamp.value, "%Y%m%dT%H:%M:%S")
        except ValueError:
            raise Fault(BAD_PARAMS, "%s: unreadable date-time %r" % (method, stamp.value)) from None
        self.state.put("clock_offset_seconds", (given - datetime.datetime.now()).total_seconds())
        return 0

    def play_single(self, method, params):
        (name,) = _strings(method, params, 1)
        _file_name(method, name)
        if not os.path.isfile(self.state.media_path(name)):
            raise Fault(FAILED, "%s: no stored file %r" % (method, name))
        self.state.set_fields({"playing": name, "power": self.player.power_on_word})
        return 0

    def play_all(self, method, params):
        _expect(method, params, 0)
        files = self.state.media_files()
        self.state.set_fields({"playing": files[0][0] if files else "", "power": self.player.power_on_word})
        return 0

    def sleep(self, method, params):
        _expect(method, params, 0)
        self.state.set_fields({"power": POWER_OFF})
        return 0

    def reboot(self, method, params):
        _expect(method, params, 0)
        return 0, self.player.reboot

    def firmware_version(self, method, params):
        _expect(method, params, 0)
        return [self.player.firmware]

    def free_space(self, method, params):
        _expect(method, params, 0)
        total, available = self.state.space_kb()
        return [total, available]

    # Storage and playlists

    def get_media_file_list(self, method, params):
        _expect(method, params, 0)
        return [{"name": name, "size": size} for name, size in self.state.media_files()]

    def get_list(self, method, params):
        (path,) = _strings(method, params, 1)
        return self.state.playlist_lines(_playlist(method, path))

    def save_list(self, method, params):
        lines = _strings(method, params, minimum=1)
        key = _playlist(method, lines[0])
        if any("\n" in line or "\r" in line for line in lines[1:]):
            raise Fault(BAD_PARAMS, "%s: a playlist line holds a line break" % method)
        self.state.save_playlist(key, lines[1:])
        return 0

    def play_album(self, method, params):
        _expect(method, params, 0)
        names = [name for name in map(_playlist_name, self.state.playlist_lines("album")) if name]
        self.state.set_fields({"playing": names[0] if names else "", "power": self.player.power_on_word})
        return 0

    def delete_media_file(self, method, params):
        (name,) = _strings(method, params, 1)
        path = self.state.media_path(_file_name(method, name))
        try:
            os.remove(path)
        except FileNotFoundError:
            raise Fault(FAILED, "%s: no stored file %r" % (method, name)) from None
        except OSError as error:
            raise Fault(FAILED, "%s: %s" % (method, error.strerror)) from None
        return 0

    def delete_playlist_item(self, method, params):
        path, name = _strings(method, params, 2)
        key = _playlist(method, path)
        with self.state.lock:
            lines = self.state.playlist_lines(key)
            kept = [line for line in lines if _playlist_name(line) != name]
            if len(kept) != len(lines):
                self.state.save_playlist(key, kept)
        return len(lines) - len(kept)

    def rename_content_file(self, method, params):
        old, new = _strings(method, params, 2)
        old_path = self.state.media_path(_file_name(method, old))
        new_path = self.state.media_path(_file_name(method, new))
        with self.state.lock:
            if not os.path.isfile(old_path):
                raise Fault(FAILED, "%s: no stored file %r" % (method, old))
            if os.path.exists(new_path):
                raise Fault(FAILED, "%s: %r exists already" % (method, new))
            os.rename(old_path, new_path)
        return 0

    # Network settings, applied at the next reboot

    def set_player_name(self, method, params):
        (name,) = _strings(method, params, 1)
        try:
            decoded = values.u_plus_decode(name)
        except ValueError as error:
            raise Fault(BAD_PARAMS, "%s: bad name %r (%s)" % (method, name, error)) from None
        if not decoded.strip():
            raise Fault(BAD_PARAMS, "%s: empty name" % method)
        self.state.set_pending({"name": decoded})
        return 0

    def set_player_ip(self, method, params):
        keys = ("lan_device", "lan_dhcp", "lan_ip", "lan_gateway", "lan_mask")
        self.state.set_pending(dict(zip(keys, _strings(method, params, len(keys)))))
        return 0

    def set_server_ip(self, method, params):
        (address,) = _strings(method, params, 1)
        self.state.set_pending({"server_ip": address})
        return 0

    def wlan_setup(self, method, params):
        keys = ("wlan_device", "essid", "key", "wlan_dhcp", "wlan_ip", "wlan_gateway", "wlan_mask")
        self.state.set_pending(dict(zip(keys, _strings(method, params, len(keys)))))
        return 0

    def set_dmz(self, method, params):
        self.state.set_pending(dict(zip(("dmz", "dmz_ip"), _strings(method, params, 2))))
        return 0

    # Scheduler and ticker

    def get_crontab(self, method, params):
        _expect(method, params, 0)
        return self.state.crontab()

    def set_crontab(self, method, params):
        lines = _strings(method, params)
        if any("\n" in line or "\r" in line for line in lines):
            raise Fault(BAD_PARAMS, "%s: a crontab line holds a line break" % method)
        self.state.save_crontab(lines)
        return 0

    def set_new_ticker(self, method, params):
        (text,) = _strings(method, params, 1)
        self.state.put("ticker_text", text)
        return 0

    # Display and audio

    def video_mode(self, method, params):
        (mode,) = _strings(method, params, 1)
        if not mode.strip():
            raise Fault(BAD_PARAMS, "%s: empty mode" % method)
        self.state.set_fields({"video_mode": mode.strip()})
        return 0

    def get_screen_layout(self, method, params):
        _expect(method, params, 0)
        return [self.state.get("screen_layout")]

    def set_screen_layout(self, method, params):
        (text,) = _strings(method, params, 1)
        self.state.put("screen_layout", _decimal(method, text, 0, LAYOUT_MAX, "layout"))
        return 0

    def get_scale_window(self, method, params):
        _expect(method, params, 0)
        return self.state.get("scale_window")

    def set_scale_window(self, method, params):
        texts = _strings(method, params, 4)
        x, y, w, h = (_decimal(method, text, 0, SCALE_MAX, what) for text, what in zip(texts, "xywh"))
        if x + w > SCALE_MAX or y + h > SCALE_MAX:
            raise Fault(BAD_PARAMS, "%s: window %d,%d %dx%d leaves the %dx%d screen"
                        % (method, x, y, w, h, SCALE_MAX, SCALE_MAX))
        self.state.put("scale_window", [x, y, w, h])
        return 0

    def get_volume(self, method, params):
        _expect(method, params, 0)
        return [self.state.get("volume")]

    def set_volume(self, method, params):
        _expect(method, params, 1)
        volume = params[0]
        if not isinstance(volume, int) or isinstance(volume, bool):
            raise Fault(BAD_PARAMS, "%s: parameter 1 must be an int, got %s" % (method, type(volume).__name__))
        if not 0 <= volume <= VOLUME_MAX:
            raise Fault(BAD_PARAMS, "%s: volume %d is outside 0..%d" % (method, volume, VOLUME_MAX))
        self.state.put("volume", volume)
        return 0

    # Logs

    def get_log_list(self, method, params):
        _expect(method, params, 0)
        return self.state.log_files()

    def delete_log_file(self, method, params):
        (name,) = _strings(method, params, 1)
        try:
            os.remove(os.path.join(self.state.logs_dir, _file_name(method, name)))
        except FileNotFoundError:
            raise Fault(FAILED, "%s: no log file %r" % (method, name)) from None
        return 0
