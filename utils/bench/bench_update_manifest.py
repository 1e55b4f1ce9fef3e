#!/usr/bin/env python3
"""Benchmark: the first launch of the real update.exe over a large manifest
of which nothing differs from the installed files, the files' URLs pointing at
a local HTTP server (httpserver.py on 127.0.0.1). The updater reads every
entry of update.ini through CIniParse and digests every installed file; it
must fetch nothing and write no record.

    bench_update_manifest.py --wine-run WRAPPER --bin BUILD/bin --server httpserver.py
                             [--entries 20000] [--runs 3] [--timeout 600]

Times are taken inside Wine from the program's start to its end. Prints
"update.manifest_<N/1000>k_ms: <median> ms", and for scale
"update.digest_<N/1000>k_files_ms: <median> ms": bench_md5.exe --tree, a bare
program that starts, digests the same installed files one after another
through WinUtil::MD5_File and ends (what the launch cannot do without).
"""

import argparse
import hashlib
import os
import shutil
import statistics
import subprocess
import sys
import tempfile
import time


def winpath(path):
    return "Z:" + os.path.abspath(path).replace("/", "\\")


def write(path, data):
    os.makedirs(os.path.dirname(path), exist_ok=True)
    with open(path, "wb") as f:
        f.write(data)


def timed(args, env, command):
    """The program's time from its start to its end, taken inside Wine by
    bench_timed.exe (so without the wrapper's own start)."""
    out = subprocess.run([args.wine_run, os.path.join(args.bin, "bench_timed.exe")] + command,
                         env=env, stdin=subprocess.DEVNULL, stdout=subprocess.PIPE, stderr=subprocess.DEVNULL,
                         timeout=args.timeout + 30).stdout.decode("ascii", "replace")
    for line in out.splitlines():
        if line.startswith("elapsed_ms: "):
            return float(line.split()[1])
    raise SystemExit("bench_update_manifest: bench_timed printed no time: %r" % out)


def main():
    ap = argparse.ArgumentParser()
    ap.add_argument("--wine-run", required=True)
    ap.add_argument("--bin", required=True)
    ap.add_argument("--server", required=True)
    ap.add_argument("--entries", type=int, default=20000)
    ap.add_argument("--runs", type=int, default=3)
    ap.add_argument("--timeout", type=int, default=600)
    args = ap.parse_args()

    work = tempfile.mkdtemp(prefix="update-manifest-bench-")
    srv_root = os.path.join(work, "srv")
    os.makedirs(srv_root)
    port_file = os.path.join(work, "port")
    log = os.path.join(work, "requests.log")
    srv = subprocess.Popen([sys.executable, args.server, "--root", srv_root, "--port-file", port_file,
                            "--log", log], stdin=subprocess.DEVNULL)
    try:
        end = time.time() + 15
        while not os.path.exists(port_file) and time.time() < end:
            time.sleep(0.05)
        host = "127.0.0.1:%s" % open(port_file).read().strip()

        inst = os.path.join(work, "inst")
        os.makedirs(inst)
        for f in ("update.exe", "Utils.dll"):
            shutil.copy(os.path.join(args.bin, f), inst)
        # The installed files, 100 to a folder, each with its own content.
        lines = ["[UPDATE]", "VERSION=1.0.1.2", "TYPE=0", "[STRATEGY]", "PROVINCE=", "CITY=", "PERCENT=",
                 "TIME=", "OS=", "[FILES]", "COUNT=%d" % args.entries]
        for i in range(args.entries):
            folder = "\\d%03d\\" % (i // 100)
            name = "f%05d.dat" % i
            data = b"installed file %d\r\n" % i
            write(os.path.join(inst, folder.strip("\\"), name), data)
            lines.append("FILE%d=%s/1.0.1.2/%s;%s;%s" % (i, host, name, hashlib.md5(data).hexdigest(), folder))
        manifest = ("\r\n".join(lines) + "\r\n").encode("ascii")
        write(os.path.join(inst, "Local.ini"), manifest.replace(b"VERSION=1.0.1.2", b"VERSION=1.0.1.1", 1))

        times = []
        env = dict(os.environ, WINE_RUN_TIMEOUT=str(args.timeout))
        for _ in range(args.runs):
            write(os.path.join(inst, "update.ini"), manifest)
            shutil.rmtree(os.path.join(inst, "log"), ignore_errors=True)
            times.append(timed(args, env, [winpath(os.path.join(inst, "update.exe")), "tevela.exe", "0"]))
            text = b""
            logdir = os.path.join(inst, "log")
            for f in sorted(os.listdir(logdir)) if os.path.isdir(logdir) else []:
                with open(os.path.join(logdir, f), "rb") as fh:
                    text += fh.read()
            if b"DownloadFiles end!" not in text or os.path.exists(os.path.join(inst, "updatefiles.dat")):
                print("bench_update_manifest: the launch did not go through the manifest", file=sys.stderr)
                return 1
        if os.path.exists(log) and os.path.getsize(log):
            print("bench_update_manifest: the updater fetched files although none differs", file=sys.stderr)
            return 1
        digests = []
        for _ in range(args.runs):
            digests.append(timed(args, env, [winpath(os.path.join(args.bin, "bench_md5.exe")), "--tree", winpath(inst)]))
        print("update.manifest_%dk_ms: %.0f ms" % (args.entries // 1000, statistics.median(times)))
        print("update.digest_%dk_files_ms: %.0f ms" % (args.entries // 1000, statistics.median(digests)))
        return 0
    finally:
        srv.terminate()
        srv.wait()
        if not os.environ.get("BENCH_KEEP"):
            shutil.rmtree(work, ignore_errors=True)
        else:
            print(work)


if __name__ == "__main__":
    sys.exit(main())
