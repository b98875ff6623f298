#!/usr/bin/python3
"""XML-RPC test peer built on Python's standard client.

Usage: xmlrpc_call.py URL CALLS
CALLS is a JSON list of [method, [params...]] pairs. The calls are made in
order through one ServerProxy (one kept-alive connection); a JSON list with
one outcome per call is printed: {"result": value} or {"fault": [code, text]}.
JSON objects become structs; {"base64": "..."} becomes binary data.
"""
import json
import sys
import xmlrpc.client


def to_xmlrpc(value):
    if isinstance(value, dict):
        if set(value) == {"base64"}:
            return xmlrpc.client.Binary(value["base64"].encode())
        return {key: to_xmlrpc(item) for key, item in value.items()}
    if isinstance(value, list):
        return [to_xmlrpc(item) for item in value]
    return value


def main():
    proxy = xmlrpc.client.ServerProxy(sys.argv[1])
    outcomes = []
    for method, params in json.loads(sys.argv[2]):
        try:
            result = getattr(proxy, method)(*[to_xmlrpc(p) for p in params])
            outcomes.append({"result": result})
        except xmlrpc.client.Fault as fault:
            outcomes.append({"fault": [fault.faultCode, fault.faultString]})
    print(json.dumps(outcomes))


if __name__ == "__main__":
    main()
