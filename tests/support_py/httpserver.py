#!/usr/bin/env python3
"""Local HTTP server for the network tests (127.0.0.1 only, standard library only).

Command line (stable):
    python3 httpserver.py --root DIR --port-file FILE [--script FILE] [--log FILE] [--port N]

  --root DIR        folder served: GET /a/b.txt answers with DIR/a/b.txt (404 when missing).
                    The query part of the URL is ignored for file lookup.
  --port-file FILE  once the server listens, the chosen port is written to FILE
                    (written to FILE.tmp, then renamed, so a reader never sees half a number).
  --script FILE     optional JSON file of rules, re-read at every request, so a test may
                    change it while the server runs. A missing or unreadable script = no rules.
  --log FILE        optional: one line per request is appended: "<METHOD> <path> <status>\n"
                    (path with its query; status 0 when the connection was dropped).
  --port N          port to listen on (default 0 = any free port).

Script format:
    {"rules": [RULE, ...]}
  The first rule that matches a request decides how it is answered; without a match the
  file is served normally. A RULE is an object with:
    "path":      exact request path, compared with and without the query   (or)
    "prefix":    the request path starts with this text                   (or)
    "suffix":    the request path (without query) ends with this text
                 (a rule with none of the three matches every request)
    "times":     apply only to the first N matching requests, then the rule no longer
                 matches (counted per rule position + text since the server started)
    "skip":      let the first N matching requests pass before the rule applies
    "status":    answer with this status (the body is "status N" unless "body" is given)
    "body":      text (UTF-8) served instead of the file
    "body_hex":  bytes (hex) served instead of the file
    "corrupt":   true: serve bytes of the same length that differ from the file
    "truncate":  N: announce the full Content-Length but send only N bytes, then close
    "delay":     seconds to wait before answering
    "hold_while": a file's path: after the headers and the first byte, the rest of the
                 body waits while that file exists (a byte every few seconds keeps the
                 client's read time-outs away; at most 180 s)
    "drop":      true: close the connection without any answer
    "headers":   {"Name": "value"} extra response headers

Run it with SIGTERM/SIGINT to stop; it exits cleanly.
"""

import argparse
import json
import os
import signal
import sys
import threading
import time
import urllib.parse
from http.server import BaseHTTPRequestHandler, ThreadingHTTPServer

_counts = {}
_lock = threading.Lock()


def load_rules(script):
    if not script:
        return []
    try:
        with open(script, "r", encoding="utf-8") as f:
            data = json.load(f)
        rules = data.get("rules", [])
        return rules if isinstance(rules, list) else []
    except (OSError, ValueError):
        return []


def rule_matches(rule, path):
    bare = path.split("?", 1)[0]
    if "path" in rule:
        return path == rule["path"] or bare == rule["path"]
    if "prefix" in rule:
        return path.startswith(rule["prefix"])
    if "suffix" in rule:
        return bare.endswith(rule["suffix"])
    return True


def pick_rule(rules, path):
    for index, rule in enumerate(rules):
        if not isinstance(rule, dict) or not rule_matches(rule, path):
            continue
        key = (index, rule.get("path"), rule.get("prefix"), rule.get("suffix"))
        with _lock:
            seen = _counts.get(key, 0)
            times = rule.get("times")
            skip = rule.get("skip", 0)
            if times is not None and seen >= skip + times:
                continue
            _counts[key] = seen + 1
        if seen < skip:
            continue
        return rule
    return None


class Handler(BaseHTTPRequestHandler):
    protocol_version = "HTTP/1.0"
    server_version = "TestHTTP/1.0"

    def log_message(self, fmt, *args):  # keep stderr quiet
        pass

    def record(self, status):
        log = self.server.log_file
        if log:
            with _lock:
                with open(log, "a", encoding="utf-8") as f:
                    f.write("%s %s %d\n" % (self.command, self.path, status))

    def file_bytes(self):
        bare = urllib.parse.unquote(self.path.split("?", 1)[0])
        root = os.path.realpath(self.server.root)
        full = os.path.realpath(os.path.join(root, bare.lstrip("/")))
        if full != root and not full.startswith(root + os.sep):
            return None
        if not os.path.isfile(full):
            return None
        with open(full, "rb") as f:
            return f.read()

    def do_GET(self):
        rule = pick_rule(load_rules(self.server.script), self.path) or {}
        if rule.get("delay"):
            time.sleep(float(rule["delay"]))
        if rule.get("drop"):
            self.record(0)
            self.close_connection = True
            return
        status = int(rule.get("status", 200))
        if "body" in rule:
            body = str(rule["body"]).encode("utf-8")
        elif "body_hex" in rule:
            body = bytes.fromhex(rule["body_hex"])
        else:
            body = self.file_bytes()
            if body is None:
                if "status" not in rule:
                    status = 404
                body = ("status %d" % status).encode()
            elif status != 200 and "status" in rule:
                body = ("status %d" % status).encode()
        if rule.get("corrupt"):
            body = bytes((b ^ 0x5A) for b in body) if body else b"x"
        send = body
        if "truncate" in rule:
            send = body[: int(rule["truncate"])]
        try:
            self.send_response(status)
            self.send_header("Content-Type", "application/octet-stream")
            self.send_header("Content-Length", str(len(body)))
            self.send_header("Connection", "close")
            for name, value in (rule.get("headers") or {}).items():
                self.send_header(str(name), str(value))
            self.end_headers()
            if rule.get("hold_while"):
                held, until = 0, time.monotonic() + 180
                while os.path.exists(rule["hold_while"]) and time.monotonic() < until:
                    if held < len(send) - 1 and (held == 0 or int(time.monotonic()) % 5 == 0):
                        self.wfile.write(send[held:held + 1])
                        self.wfile.flush()
                        held += 1
                    time.sleep(1)
                send = send[held:]
            self.wfile.write(send)
            self.wfile.flush()
        except OSError:
            pass
        self.close_connection = True
        self.record(status)

    do_HEAD = do_GET


def main():
    ap = argparse.ArgumentParser(description="local test HTTP server")
    ap.add_argument("--root", required=True)
    ap.add_argument("--port-file", required=True)
    ap.add_argument("--script")
    ap.add_argument("--log")
    ap.add_argument("--port", type=int, default=0)
    args = ap.parse_args()

    server = ThreadingHTTPServer(("127.0.0.1", args.port), Handler)
    server.daemon_threads = True
    server.root = os.path.abspath(args.root)
    server.script = os.path.abspath(args.script) if args.script else None
    server.log_file = os.path.abspath(args.log) if args.log else None

    tmp = args.port_file + ".tmp"
    with open(tmp, "w") as f:
        f.write(str(server.server_address[1]))
    os.replace(tmp, args.port_file)

    def stop(*_):
        threading.Thread(target=server.shutdown, daemon=True).start()

    signal.signal(signal.SIGTERM, stop)
    signal.signal(signal.SIGINT, stop)
    try:
        server.serve_forever(poll_interval=0.2)
    finally:
        server.server_close()
    return 0


if __name__ == "__main__":
    sys.exit(main())
