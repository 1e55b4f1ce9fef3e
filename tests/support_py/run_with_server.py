#!/usr/bin/env python3
"""Runs a Windows test program under Wine next to a local HTTP server (httpserver.py).

    python3 run_with_server.py --wine-run WINE_RUN --workdir DIR [--timeout S] [--port N] -- PROGRAM.exe [ARGS...]

  The work folder DIR is emptied and gets:
    DIR/root/          the folder the server serves (the program may write files into it)
    DIR/script.json    the server's rule script (the program may rewrite it at any time)
    DIR/requests.log   one line per request: "<METHOD> <path> <status>"
  The server listens on 127.0.0.1 at a free port (or at port N, for programs built
  against a fixed loopback address). The program runs through WINE_RUN with
  these environment variables (Windows paths, folders with a trailing backslash):
    TEST_HTTP_PORT     the port
    TEST_HTTP_ROOT     DIR/root/
    TEST_HTTP_SCRIPT   DIR/script.json
    TEST_HTTP_LOG      DIR/requests.log
  The exit code is the program's; 125 when the server could not be started.
"""

import argparse
import os
import shutil
import subprocess
import sys
import time

HERE = os.path.dirname(os.path.abspath(__file__))


def to_win(path, folder=False):
    p = "Z:" + os.path.abspath(path).replace("/", "\\")
    if folder and not p.endswith("\\"):
        p += "\\"
    return p


def main():
    ap = argparse.ArgumentParser()
    ap.add_argument("--wine-run", required=True)
    ap.add_argument("--workdir", required=True)
    ap.add_argument("--timeout", type=int, default=300)
    ap.add_argument("--port", type=int, default=0)
    ap.add_argument("command", nargs=argparse.REMAINDER)
    args = ap.parse_args()
    command = args.command
    if command and command[0] == "--":
        command = command[1:]
    if not command:
        ap.error("no program given")

    work = os.path.abspath(args.workdir)
    shutil.rmtree(work, ignore_errors=True)
    root = os.path.join(work, "root")
    os.makedirs(root)
    script = os.path.join(work, "script.json")
    log = os.path.join(work, "requests.log")
    port_file = os.path.join(work, "port")
    with open(script, "w") as f:
        f.write('{"rules": []}\n')
    open(log, "w").close()

    server = subprocess.Popen(
        [sys.executable, os.path.join(HERE, "httpserver.py"), "--root", root,
         "--port-file", port_file, "--script", script, "--log", log, "--port", str(args.port)],
        stdin=subprocess.DEVNULL)
    try:
        deadline = time.time() + 20
        port = None
        while time.time() < deadline:
            if os.path.exists(port_file):
                with open(port_file) as f:
                    text = f.read().strip()
                if text:
                    port = text
                    break
            if server.poll() is not None:
                break
            time.sleep(0.05)
        if not port:
            print("run_with_server: the HTTP server did not start", file=sys.stderr)
            return 125
        env = dict(os.environ)
        env.update({
            "TEST_HTTP_PORT": port,
            "TEST_HTTP_ROOT": to_win(root, True),
            "TEST_HTTP_SCRIPT": to_win(script),
            "TEST_HTTP_LOG": to_win(log),
            "WINE_RUN_TIMEOUT": str(args.timeout),
        })
        rc = subprocess.call([args.wine_run] + command, env=env)
        return rc
    finally:
        server.terminate()
        try:
            server.wait(timeout=10)
        except subprocess.TimeoutExpired:
            server.kill()
            server.wait()


if __name__ == "__main__":
    sys.exit(main())
