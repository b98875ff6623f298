"""A fleet of emulated players: registrations, FTP accounts, control channel, command line and scale."""

import ftplib
import io
import json
import os
import re
import signal
import subprocess
import sys
import threading
import time
import unittest
import xmlrpc.client

from emulator_testing import FakeController, FleetCase, wait_for
from kvoplayer import controller, heartbeats, values
from kvoplayer.control import ControlService
from kvoplayer.fleet import expand

TOOLS = os.path.dirname(os.path.abspath(__file__))
SCRIPT = os.path.join(TOOLS, "kvo_player_emulator.py")


class RegistrationTest(FleetCase, unittest.TestCase):
    count = 3
    extra_options = {"fields": {"name": "Hall-{n:02d}", "dmz_ip": "{addr}", "essid": "{x}"}}

    def setUp(self):
        self.start_fleet()

    def test_players_register_with_twenty_strings_on_consecutive_addresses(self):
        for number, address in enumerate(("127.0.0.2", "127.0.0.3", "127.0.0.4"), 1):
            records = wait_for(lambda: self.controller.registrations_of(address))
            self.assertTrue(records, address)
            self.assertEqual(["Hall-%02d" % number, address, "", "VGA_1024x768x60", address, "", "{x}", "",
                              "127.0.0.1", "RTL8100", "DISABLE", "127.0.0.1", "255.0.0.0", "", "", "OFF", "OFF",
                              "OFF", address, "PWRON"], records[0])
        self.assertTrue(wait_for(lambda: len(self.controller.registrations_of("127.0.0.2")) >= 3),
                        "registrations repeat as a heartbeat")
        self.assertEqual("127.0.0.1", self.player(1).status()["last_reply"])

    def test_non_ascii_names_register_in_u_plus_form(self):
        self.player(2).state.set_fields({"name": "Aé😀"})
        self.assertTrue(wait_for(lambda: [r for r in self.controller.registrations_of("127.0.0.3")
                                          if r[0] == "U+41U+E9U+D83DU+DE00"]))

    def test_field_templates(self):
        self.assertEqual("P007 at 10.0.0.9 {y} {n:q}", expand("P{n:03d} at {addr} {y} {n:q}", 7, "10.0.0.9"))


class RotatingNamesTest(FleetCase, unittest.TestCase):
    count = 1
    extra_options = {"rotate_names": True, "fields": {"name": "Storm"}}

    def setUp(self):
        self.start_fleet()

    def test_every_registration_comes_under_a_new_name(self):
        address = self.player().address
        self.assertTrue(wait_for(lambda: len(self.controller.registrations_of(address)) >= 3))
        names = [record[0] for record in self.controller.registrations_of(address)]
        self.assertEqual(["Storm-1", "Storm-2", "Storm-3"], names[:3])


class FtpTest(FleetCase, unittest.TestCase):
    count = 1

    def setUp(self):
        self.start_fleet()
        self.target = self.player()

    def session(self, user, password):
        session = ftplib.FTP(encoding="utf-8")
        self.addCleanup(session.close)
        session.connect(self.target.address, self.target.ftp_port, timeout=5)
        session.login(user, password)
        return session

    def test_uploads_land_in_stored_files_and_ticker_folder(self):
        upload = self.session("kvo", "qvtm")
        upload.storbinary("STOR clip é 1.mpg", io.BytesIO(b"v" * 5000))
        upload.quit()
        rpc = self.proxy()
        self.assertEqual([{"name": "clip é 1.mpg", "size": 5}], rpc.Kivo.GetMediaFileList())
        self.assertEqual(4 * 1024 * 1024 - 5, rpc.Kivo.FreeSpace()[1])
        ticker = self.session("ticker", "")
        ticker.storbinary("STOR ticker.bmp", io.BytesIO(b"BM" + b"\0" * 100))
        ticker.storbinary("STOR ticker.ini", io.BytesIO(b"#000000\n0\n2\n"))
        ticker.quit()
        self.assertEqual(["ticker.bmp", "ticker.ini"], sorted(os.listdir(self.target.state.ticker_dir)))
        transfers = [(e["user"], e["command"], e["file"], e["complete"]) for e in self.journal("ftp")]
        self.assertEqual([("kvo", "STOR", "clip é 1.mpg", True), ("ticker", "STOR", "ticker.bmp", True),
                          ("ticker", "STOR", "ticker.ini", True)], transfers)

    def test_log_account_downloads_but_cannot_upload(self):
        logs = self.session("log", "")
        self.assertEqual(["player.log"], logs.nlst())
        chunks = []
        logs.retrbinary("RETR player.log", chunks.append)
        self.assertIn(b"player started", b"".join(chunks))
        with self.assertRaises(ftplib.error_perm):
            logs.storbinary("STOR evil.log", io.BytesIO(b"x"))
        with self.assertRaises(ftplib.error_perm):
            self.session("kvo", "wrong")


class ControlChannelTest(FleetCase, unittest.TestCase):
    count = 2

    def setUp(self):
        self.start_fleet()
        self.stopped = threading.Event()
        self.control = ControlService(self.fleet, "127.0.0.1", 0, self.stopped.set)
        self.control.start()
        self.addCleanup(self.control.stop)
        self.ctl = xmlrpc.client.ServerProxy("http://127.0.0.1:%d/" % self.control.address[1], allow_none=True)
        self.addCleanup(self.ctl("close"))

    def test_steering_players_at_run_time(self):
        self.assertEqual(["127.0.0.2", "127.0.0.3"], [p["address"] for p in self.ctl.players()])
        self.assertEqual(["127.0.0.3"], self.ctl.fault("Emu2", "fault:9:nope"))
        with self.assertRaises(xmlrpc.client.Fault):
            self.proxy(2).Kivo.GetVolume()
        self.assertEqual({"mode": "fault", "code": 9, "text": "nope"},
                         {k: v for k, v in self.ctl.status("2")[0]["faults"].items() if k in ("mode", "code", "text")})
        self.ctl.clear("*")
        self.assertEqual([36], self.proxy(2).Kivo.GetVolume())
        self.ctl.set("127.0.0.2", {"playing": "intro.mpg"})
        reply = self.ctl.register("127.0.0.2")
        self.assertEqual([{"address": "127.0.0.2", "reply": "127.0.0.1"}], reply)
        self.assertEqual("intro.mpg", self.controller.registrations_of("127.0.0.2")[-1][2])
        for bad in (lambda: self.ctl.fault("9", "refuse"), lambda: self.ctl.fault("1", "explode"),
                    lambda: self.ctl.set("1", {"colour": "red"})):
            with self.assertRaises(xmlrpc.client.Fault):
                bad()
        self.assertTrue(self.ctl.shutdown())
        self.assertTrue(self.stopped.wait(5))

    def test_download_progress_reports(self):
        replies = self.ctl.progress("127.0.0.3", "clip%20one.mpg", 45)
        self.assertEqual("0", replies[0]["reply"])
        self.assertEqual([["127.0.0.3", "clip%20one.mpg        45%"]], self.controller.progress)
        self.ctl.progress(["1", "2"], "movie.mpg  100%")
        self.assertEqual(3, len(self.controller.progress))


class CommandLineTest(unittest.TestCase):
    def test_help(self):
        result = subprocess.run([sys.executable, SCRIPT, "--help"], capture_output=True, text=True, timeout=20)
        self.assertEqual(0, result.returncode)
        for word in ("--count", "--first-address", "--controller", "--fault", "--journal", "refuse", "ctl"):
            self.assertIn(word, result.stdout)

    def test_bad_option_is_refused(self):
        result = subprocess.run([sys.executable, SCRIPT, "--fault", "2=explode"], capture_output=True,
                                text=True, timeout=20)
        self.assertEqual(2, result.returncode)
        self.assertIn("unknown fault setting", result.stderr)

    def test_runs_until_sigterm_and_answers_its_control_channel(self):
        controller = FakeController()
        self.addCleanup(controller.stop)
        process = subprocess.Popen(
            [sys.executable, SCRIPT, "--count", "2", "--first-address", "127.0.0.5", "--rpc-port", "0",
             "--ftp-port", "0", "--controller-port", str(controller.port), "--interval", "0.2",
             "--control", "127.0.0.1:0", "--fault", "127.0.0.6=refuse"],
            stdout=subprocess.PIPE, stderr=subprocess.PIPE, text=True)
        try:
            lines = [process.stdout.readline() for _ in range(4)]
            control = re.search(r"control http://([\d.]+):(\d+)/", "".join(lines))
            self.assertTrue(control, lines)
            self.assertTrue(wait_for(lambda: controller.registrations_of("127.0.0.6")))
            ctl = subprocess.run([sys.executable, SCRIPT, "ctl", "--control", "%s:%s" % control.groups(), "status",
                                  "127.0.0.6"], capture_output=True, text=True, timeout=20)
            self.assertEqual(0, ctl.returncode, ctl.stderr)
            (status,) = json.loads(ctl.stdout)
            self.assertEqual((False, True), (status["listening"], status["refusing"]))
            state_dir = status["state_dir"]
            self.assertTrue(os.path.isdir(state_dir))
            process.send_signal(signal.SIGTERM)
            self.assertEqual(0, process.wait(10))
            self.assertFalse(os.path.exists(os.path.dirname(state_dir)), "the temporary state is removed")
        finally:
            if process.poll() is None:
                process.kill()
                process.wait()
            process.stdout.close()
            process.stderr.close()


class HeartbeatTest(FleetCase, unittest.TestCase):
    count = 3

    def test_replies_and_failures_are_recorded(self):
        self.start_fleet()
        self.assertTrue(wait_for(lambda: all(self.player(n).registrations >= 2 for n in (1, 2, 3))))
        self.assertEqual(("127.0.0.1", ""), (self.player(3).status()["last_reply"], self.player(3).status()["last_error"]))
        self.player(2).apply({"heartbeat": False})
        before = len(self.controller.registrations_of("127.0.0.3"))
        time.sleep(0.3)
        self.assertEqual(before, len(self.controller.registrations_of("127.0.0.3")), "a stopped heartbeat sends nothing")
        self.controller.stop()
        self.assertTrue(wait_for(lambda: "refused" in self.player(1).status()["last_error"].lower()),
                        self.player(1).status()["last_error"])
        loop = self.fleet.heartbeats
        self.assertGreaterEqual(loop.round_trips.count, 6)
        self.assertGreaterEqual(loop.failures, 1)
        self.assertGreater(loop.lateness.count, loop.round_trips.count)

    def test_heartbeat_timings_keep_percentiles_in_ten_millisecond_steps(self):
        timings = heartbeats.Timings()
        for seconds in [0.004] * 98 + [1.505, 70.0]:
            timings.add(seconds)
        self.assertEqual("p50 0.01 p99 1.51 max 70.00 s", timings.summary())

    def test_replies_are_read_like_the_blocking_client_reads_them(self):
        body = xmlrpc.client.dumps(("10.0.0.1",), methodresponse=True).encode()
        fault = xmlrpc.client.dumps(xmlrpc.client.Fault(-32601, "Method: x, not found")).encode()

        def reply(status, payload, extra=b""):
            return (b"HTTP/1.1 " + status + b"\r\nContent-Length: " + str(len(payload)).encode() + b"\r\n" + extra
                    + b"\r\n" + payload)
        cases = [
            (reply(b"200 OK", body), "10.0.0.1"),
            (reply(b"200 OK", values.deflate_body(body), b"Content-Encoding: deflate\r\n"), "10.0.0.1"),
            (reply(b"503 Service Unavailable", b"Too many connections"), "HTTP 503 Service Unavailable"),
            (reply(b"200 OK", fault), "fault -32601: Method: x, not found"),
            (reply(b"200 OK", b"<html/>"), "unreadable reply"),
            (b"SSH-2.0-OpenSSH\r\n\r\n", "unreadable reply"),
        ]
        for data, expected in cases:
            with self.subTest(expected=expected):
                if b"Content-Length" in data:  # else the reply ends when the controller closes
                    self.assertTrue(heartbeats.reply_complete(data))
                    self.assertFalse(heartbeats.reply_complete(data[:-1]))
                try:
                    outcome = heartbeats.parse_reply(data)
                except controller.ControllerError as error:
                    outcome = str(error)
                self.assertTrue(outcome.startswith(expected), outcome)


class ScaleTest(FleetCase, unittest.TestCase):
    count = 200
    first_address = "127.0.1.1"
    extra_options = {"interval": 1.0}

    def test_two_hundred_players_share_a_few_threads(self):
        threads_before = threading.active_count()
        self.start_fleet()
        self.assertLess(threading.active_count() - threads_before, 25)
        self.assertTrue(wait_for(lambda: len({r[1] for r in self.controller.registrations}) == 200, timeout=10))
        self.assertEqual([36], self.proxy(200).Kivo.GetVolume())
        self.assertEqual("127.0.1.200", self.player(200).address)


if __name__ == "__main__":
    unittest.main()
