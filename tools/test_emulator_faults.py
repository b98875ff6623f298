"""Fault injection and the HTTP side of an emulated player's XML-RPC service."""

import ftplib
import http.client
import socket
import unittest
import xml.parsers.expat
import xmlrpc.client

from emulator_testing import FleetCase, wait_for
from kvoplayer import faults, values


def body(method, *params):
    return xmlrpc.client.dumps(params, method).encode("utf-8")


class FaultInjectionTest(FleetCase, unittest.TestCase):
    count = 2

    def setUp(self):
        self.start_fleet()
        self.target = self.player(1)

    def inject(self, setting, number=1):
        self.player(number).apply(faults.parse(setting))

    def post(self, method, *params, timeout=5):
        connection = http.client.HTTPConnection(self.target.address, self.target.rpc_port, timeout=timeout)
        try:
            connection.request("POST", "/RPC2", body(method, *params), {"Content-Type": "text/xml"})
            response = connection.getresponse()
            return response, response.read()
        finally:
            connection.close()

    def test_refuse_stops_listening_and_accept_resumes(self):
        rpc = self.proxy()
        self.assertEqual([36], rpc.Kivo.GetVolume())
        self.inject("refuse")
        with self.assertRaises(ConnectionRefusedError):
            xmlrpc.client.ServerProxy("http://%s:%d/" % (self.target.address, self.target.rpc_port)).Kivo.GetVolume()
        self.assertEqual([36], self.proxy(2).Kivo.GetVolume())  # the other player is unaffected
        self.inject("accept")
        self.assertEqual([36], self.proxy().Kivo.GetVolume())

    def test_close_sends_half_a_reply_and_drop_sends_none(self):
        self.inject("close")
        with self.assertRaises(http.client.IncompleteRead):
            self.post("Kivo.GetCrontab")
        self.inject("drop")
        with self.assertRaises(http.client.RemoteDisconnected):
            self.post("Kivo.GetCrontab")
        entries = self.journal()
        self.assertEqual(["close", "drop"], [entry["injected"] for entry in entries])

    def test_fault_malformed_grammar_and_html_replies(self):
        self.inject("fault:4:bad path")
        with self.assertRaises(xmlrpc.client.Fault) as caught:
            self.proxy().Kivo.GetList("/usr/local/playlist/album")
        self.assertEqual((4, "bad path"), (caught.exception.faultCode, caught.exception.faultString))

        self.inject("malformed")
        with self.assertRaises(xml.parsers.expat.ExpatError):
            self.proxy().Kivo.GetVolume()

        self.inject("grammar")
        response, data = self.post("Kivo.GetVolume")
        self.assertEqual(200, response.status)
        self.assertIn(b"<methodCall>", data)
        self.assertNotIn(b"methodResponse", data)

        self.inject("html:404")
        response, data = self.post("Kivo.GetVolume")
        self.assertEqual((404, "text/html; charset=utf-8"), (response.status, response.getheader("Content-Type")))
        self.assertIn(b"<h1>Not Found</h1>", data)

        self.inject("none")
        self.assertEqual([36], self.proxy().Kivo.GetVolume())

    def test_a_slow_reply_outlasts_a_short_client_timeout(self):
        self.inject("delay:30")
        with self.assertRaises(socket.timeout):
            self.post("Kivo.GetVolume", timeout=0.3)
        self.assertEqual(30.0, self.journal()[0]["delay"])
        # Stopping the fleet ends the wait at once (the test would otherwise hang for 30 s at cleanup).

    def test_faults_can_target_methods_and_a_number_of_calls(self):
        self.inject({"mode": "fault", "code": 7, "text": "busy", "methods": ["Kivo.FreeSpace"], "times": 2})
        rpc = self.proxy()
        self.assertEqual([36], rpc.Kivo.GetVolume())
        for _ in range(2):
            with self.assertRaises(xmlrpc.client.Fault) as caught:
                rpc.Kivo.FreeSpace()
            self.assertEqual((7, "busy"), (caught.exception.faultCode, caught.exception.faultString))
        self.assertEqual(2, len(rpc.Kivo.FreeSpace()))

    def test_ftp_down_answers_421(self):
        self.inject("ftp-down")
        refused = ftplib.FTP()
        self.addCleanup(refused.close)
        with self.assertRaises(ftplib.error_temp) as caught:
            refused.connect(self.target.address, self.target.ftp_port, timeout=5)
        self.assertTrue(str(caught.exception).startswith("421"))
        self.inject("ftp-up")
        session = ftplib.FTP()
        self.addCleanup(session.close)
        session.connect(self.target.address, self.target.ftp_port, timeout=5)
        session.login("log", "")
        session.quit()

    def test_heartbeat_and_power_controls(self):
        address = self.target.address
        self.assertTrue(wait_for(lambda: self.controller.registrations_of(address)))
        self.inject("pwroff")
        self.assertTrue(wait_for(lambda: self.controller.registrations_of(address)[-1][19] == "PWROFF"))
        self.inject("heartbeat-off")
        wait_for(lambda: False, timeout=0.15)  # lets a registration already on its way arrive
        count = len(self.controller.registrations_of(address))
        other = len(self.controller.registrations_of(self.player(2).address))
        self.assertTrue(wait_for(lambda: len(self.controller.registrations_of(self.player(2).address)) > other + 3))
        self.assertEqual(count, len(self.controller.registrations_of(address)))
        self.inject("clear")
        self.assertTrue(wait_for(lambda: len(self.controller.registrations_of(address)) > count))

    def test_short_and_json_settings_are_checked(self):
        self.assertEqual({"mode": "fault", "code": 4, "text": "a:b"}, faults.parse("fault:4:a:b"))
        self.assertEqual({"mode": "html", "status": 500}, faults.parse("html"))
        self.assertEqual({"delay": 1.5, "methods": ["Kivo.GetList"]},
                         faults.parse('{"delay": "1.5", "methods": "Kivo.GetList"}'))
        for bad in ("explode", "delay:soon", "html:200", '{"mode": "fire"}', '{"times": 0}', "[1]", "power"):
            with self.assertRaises(faults.FaultError, msg=bad):
                faults.parse(bad)


class HttpTest(FleetCase, unittest.TestCase):
    count = 1

    def setUp(self):
        self.start_fleet()
        self.target = self.player()
        self.connection = http.client.HTTPConnection(self.target.address, self.target.rpc_port, timeout=5)
        self.addCleanup(self.connection.close)

    def exchange(self, payload, headers=None, method="POST"):
        self.connection.request(method, "/RPC2", payload, headers or {})
        response = self.connection.getresponse()
        return response, response.read()

    def test_keep_alive_and_compression_on_request(self):
        table = ["%d 3 * * * /usr/local/bin/psudoff" % minute for minute in range(20)]
        self.player().state.save_crontab(table)
        response, data = self.exchange(body("Kivo.GetCrontab"), {"Accept-Encoding": "deflate"})
        self.assertEqual("deflate", response.getheader("Content-Encoding"))
        self.assertEqual(table, xmlrpc.client.loads(values.inflate_body(data))[0][0])
        # Same connection; a list of encodings is not the single word deflate.
        response, data = self.exchange(body("Kivo.GetCrontab"), {"Accept-Encoding": "gzip, deflate"})
        self.assertIsNone(response.getheader("Content-Encoding"))
        self.assertEqual(table, xmlrpc.client.loads(data)[0][0])
        response, data = self.exchange(body("Kivo.GetVolume"), {"Accept-Encoding": "deflate"})
        self.assertIsNone(response.getheader("Content-Encoding"), "small bodies stay plain")
        self.fleet.deflate = False
        response, data = self.exchange(body("Kivo.GetCrontab"), {"Accept-Encoding": "deflate"})
        self.assertIsNone(response.getheader("Content-Encoding"))

    def test_bad_requests_get_clear_answers(self):
        response, data = self.exchange(b"<methodCall><methodName>x", {})
        self.assertEqual(-32700, self.fault_code(data))
        response, data = self.exchange(b"<?xml version='1.0'?><methodResponse/>", {})
        self.assertEqual(-32600, self.fault_code(data))
        nested = "<value><array><data>" * 100 + "</data></array></value>" * 100
        response, data = self.exchange(("<methodCall><methodName>Kivo.SetCrontab</methodName><params><param>%s"
                                        "</param></params></methodCall>" % nested).encode(), {})
        self.assertEqual(-32600, self.fault_code(data))
        response, data = self.exchange(None, {}, method="GET")
        self.assertEqual((405, b"This is an XML-RPC server.  I only accept POST"), (response.status, data))
        rejected = self.journal()
        self.assertEqual(3, len(rejected))
        self.assertTrue(all("error" in entry for entry in rejected))

    def test_oversized_body_is_refused_without_reading_it(self):
        connection = socket.create_connection((self.target.address, self.target.rpc_port), timeout=5)
        self.addCleanup(connection.close)
        connection.sendall(b"POST /RPC2 HTTP/1.1\r\nHost: x\r\nContent-Length: 999999999\r\n\r\n")
        reply = connection.recv(4096)
        self.assertTrue(reply.startswith(b"HTTP/1.1 413 "), reply)

    @staticmethod
    def fault_code(data):
        try:
            xmlrpc.client.loads(data)
        except xmlrpc.client.Fault as fault:
            return fault.faultCode
        return None


if __name__ == "__main__":
    unittest.main()
