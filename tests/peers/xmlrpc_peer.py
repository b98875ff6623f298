#!/usr/bin/python3
"""XML-RPC peer built on Python's standard library, for the interoperability tests.

Values cross as typed JSON so that kinds stay distinct: {"int": n}, {"boolean": b}, {"double": d},
{"string": s}, {"dateTime": text}, {"base64": hex}, {"array": [...]}, {"struct": {...}}.
Documents on stdin and stdout are separated by NUL bytes.

  load: documents -> JSON list of {"method": name or null, "params": [...]} or {"fault": {"code", "string"}}
  dump: JSON list of {"call": {"method", "params"}} or {"response": value} -> documents
  call URL: JSON list of {"method", "params"} on stdin, made in order through one ServerProxy
            -> JSON list of {"response": value} or {"fault": {...}}
"""

import json
import sys
import xmlrpc.client as xc

KINDS = [(bool, "boolean", lambda v: v), (int, "int", lambda v: v), (float, "double", lambda v: v),
         (str, "string", lambda v: v), (xc.DateTime, "dateTime", lambda v: v.value),
         (xc.Binary, "base64", lambda v: v.data.hex()), (list, "array", lambda v: [to_typed(i) for i in v]),
         (dict, "struct", lambda v: {k: to_typed(i) for k, i in v.items()})]
BUILD = {"boolean": bool, "int": int, "double": float, "string": str, "dateTime": xc.DateTime,
         "base64": lambda h: xc.Binary(bytes.fromhex(h)), "array": lambda v: [from_typed(i) for i in v],
         "struct": lambda v: {k: from_typed(i) for k, i in v.items()}}


def to_typed(value):
    for python_type, kind, content in KINDS:
        if isinstance(value, python_type):
            return {kind: content(value)}
    raise TypeError("unexpected value %r" % (value,))


def from_typed(typed):
    (kind, content), = typed.items()
    return BUILD[kind](content)


def fault(error):
    return {"fault": {"code": error.faultCode, "string": error.faultString}}


def load(document):
    try:
        params, method = xc.loads(document, use_builtin_types=False)
    except xc.Fault as error:
        return fault(error)
    return {"method": method, "params": [to_typed(param) for param in params]}


def dump(request):
    if "call" in request:
        params = tuple(from_typed(param) for param in request["call"]["params"])
        return xc.dumps(params, methodname=request["call"]["method"], encoding="utf-8")
    return xc.dumps((from_typed(request["response"]),), methodresponse=True, encoding="utf-8")


def call(url, calls):
    proxy = xc.ServerProxy(url, use_builtin_types=False)
    outcomes = []
    for request in calls:
        try:
            result = getattr(proxy, request["method"])(*[from_typed(param) for param in request["params"]])
            outcomes.append({"response": to_typed(result)})
        except xc.Fault as error:
            outcomes.append(fault(error))
    return outcomes


def main():
    mode, arguments = sys.argv[1], sys.argv[2:]
    data = sys.stdin.buffer.read()
    if mode == "load":
        sys.stdout.buffer.write(json.dumps([load(document) for document in data.split(b"\0")]).encode())
    elif mode == "dump":
        sys.stdout.buffer.write(b"\0".join(dump(request).encode("utf-8") for request in json.loads(data)))
    elif mode == "call":
        sys.stdout.buffer.write(json.dumps(call(arguments[0], json.loads(data))).encode())


if __name__ == "__main__":
    main()
