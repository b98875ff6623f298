"""Calls from a player to the controller's registration service."""

import http.client
import xmlrpc.client

from . import values

USER_AGENT = "KvoPlayerEmulator/1.0"
MAX_REPLY = 1024 * 1024


class ControllerError(Exception):
    pass


def call(host, port, method, params, timeout=10.0, source_address=None):
    """Posts one XML-RPC call and returns its result; raises ControllerError with a readable reason."""
    body = xmlrpc.client.dumps(tuple(params), method, encoding="utf-8").encode("utf-8")
    connection = http.client.HTTPConnection(host, port, timeout=timeout, source_address=source_address)
    try:
        connection.request("POST", "/RPC2", body, {"Content-Type": "text/xml", "User-Agent": USER_AGENT})
        response = connection.getresponse()
        data = response.read(MAX_REPLY)
        if response.getheader("Content-Encoding", "") == "deflate":
            data = values.inflate_body(data)
        if response.status != 200:
            raise ControllerError("HTTP %d %s" % (response.status, response.reason))
        (result,) = xmlrpc.client.loads(data, use_builtin_types=False)[0] or (None,)
        return result
    except xmlrpc.client.Fault as fault:
        raise ControllerError("fault %d: %s" % (fault.faultCode, fault.faultString)) from None
    except (OSError, http.client.HTTPException, ValueError, xmlrpc.client.ResponseError) as error:
        raise ControllerError(str(error) or type(error).__name__) from None
    except Exception as error:  # anything an unreadable reply raises in the XML reader
        raise ControllerError("unreadable reply: %s" % error) from None
    finally:
        connection.close()
