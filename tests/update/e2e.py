#!/usr/bin/env python3
"""End-to-end runs of the real update.exe under Wine.

Each scenario builds an installation folder in a temporary folder (update.exe,
Utils.dll, a dummy tevela.exe, server.ini, Local.ini, ...), serves the new
version from a local HTTP server on 127.0.0.1, runs the updater's launches
through the Wine wrapper and compares the whole folder (name -> MD5) with what
it must be afterwards. The client scenarios put the real client (its loopback
build, given with --client) in the folder and start it as a user does, so that
it hands over to the real updater; their server listens at --client-port.

    e2e.py --wine-run WRAPPER --bin BUILD/bin --server httpserver.py [--client EXE --client-port N]
           [--only NAME ...]
    e2e.py ... --bench N       time first launches of an N-file update instead
"""

import argparse
import hashlib
import json
import os
import shutil
import statistics
import subprocess
import sys
import tempfile
import time
import traceback

ARGS = None
FAILURES = []
CURRENT = ["-"]
CLIENT = "tevela.exe"


# --------------------------------------------------------------------------- helpers

def md5(data):
    return hashlib.md5(data).hexdigest()


def winpath(path):
    return "Z:" + os.path.abspath(path).replace("/", "\\")


def check(cond, what):
    if not cond:
        FAILURES.append("%s: %s" % (CURRENT[0], what))
        print("    FAILED: %s" % what, flush=True)
    return cond


def read(path):
    with open(path, "rb") as f:
        return f.read()


def write(path, data):
    os.makedirs(os.path.dirname(path), exist_ok=True)
    with open(path, "wb") as f:
        f.write(data)


def wait_for(pred, timeout, step=0.1):
    end = time.time() + timeout
    while time.time() < end:
        if pred():
            return True
        time.sleep(step)
    return pred()


def wine_env(extra=None, timeout=120):
    env = dict(os.environ)
    for var in ("TEVELA_UPDATE_CRASH_AFTER", "TEVELA_UPDATE_CRASH_ALL", "TEVELA_UPDATE_CRASH_MARK"):
        env.pop(var, None)
    env["WINE_RUN_TIMEOUT"] = str(timeout)
    env.update(extra or {})
    return env


def wine(exe, args, env=None, timeout=120):
    """Runs a Windows program through the wrapper and waits; returns its exit code."""
    cmd = [ARGS.wine_run, exe if "\\" in exe or "/" not in exe else winpath(exe)] + list(args)
    r = subprocess.run(cmd, env=wine_env(env, timeout), stdin=subprocess.DEVNULL,
                       stdout=subprocess.PIPE, stderr=subprocess.PIPE, timeout=timeout + 30)
    return r.returncode, r.stdout.decode("utf-8", "replace")


def wine_bg(exe, args, env=None, timeout=120):
    cmd = [ARGS.wine_run, winpath(exe)] + list(args)
    return subprocess.Popen(cmd, env=wine_env(env, timeout), stdin=subprocess.DEVNULL,
                            stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)


def manifest(version, entries):
    lines = ["[UPDATE]", "VERSION=" + version, "TYPE=0", "[STRATEGY]", "PROVINCE=", "CITY=",
             "PERCENT=", "TIME=", "OS=", "[FILES]", "COUNT=%d" % len(entries)]
    for i, e in enumerate(entries):
        lines.append("FILE%d=%s" % (i, ";".join(e)))
    return ("\r\n".join(lines) + "\r\n").encode("ascii")


def upflag(register, run):
    lines = ["[Register]", "COUNT=%d" % len(register)]
    lines += ["FILE%d=%s" % (i, p) for i, p in enumerate(register)]
    lines += ["[RunExe]", "COUNT=%d" % len(run)]
    lines += ["FILE%d=%s" % (i, p) for i, p in enumerate(run)]
    return ("\r\n".join(lines) + "\r\n").encode("ascii")


class Server:
    """httpserver.py on 127.0.0.1 with a rules script and a request log."""

    def __init__(self, work, port=0):
        self.root = os.path.join(work, "srv")
        os.makedirs(self.root, exist_ok=True)
        self.script = os.path.join(work, "rules.json")
        self.log = os.path.join(work, "requests.log")
        port_file = os.path.join(work, "port")
        self.rules([])
        self.proc = subprocess.Popen(
            [sys.executable, ARGS.server, "--root", self.root, "--port-file", port_file,
             "--script", self.script, "--log", self.log, "--port", str(port)],
            stdin=subprocess.DEVNULL)
        if not wait_for(lambda: os.path.exists(port_file), 15):
            raise RuntimeError("the HTTP server did not start")
        self.port = int(read(port_file))
        self.host = "127.0.0.1:%d" % self.port

    def rules(self, rules):
        tmp = self.script + ".tmp"
        with open(tmp, "w") as f:
            json.dump({"rules": rules}, f)
        os.replace(tmp, self.script)

    def put(self, rel, data):
        write(os.path.join(self.root, rel), data)

    def files(self):
        """The requested paths that are no statistics, home page or location request."""
        return [p for p, _ in self.requests()
                if not p.startswith("/src=") and not p.startswith("/home") and not p.startswith("/cityjson")]

    def requests(self):
        if not os.path.exists(self.log):
            return []
        out = []
        for line in read(self.log).decode().splitlines():
            parts = line.split(" ")
            if len(parts) == 3:
                out.append((parts[1], int(parts[2])))
        return out

    def clear(self):
        if os.path.exists(self.log):
            os.remove(self.log)

    def stop(self):
        self.proc.terminate()
        try:
            self.proc.wait(10)
        except subprocess.TimeoutExpired:
            self.proc.kill()


class Holder:
    """A Windows process (a copy of the dummy) that holds a file or a mutex."""

    def __init__(self, work, kind, target, share=None):
        helper = os.path.join(work, "holder")
        os.makedirs(helper, exist_ok=True)
        exe = os.path.join(helper, "holder.exe")
        if not os.path.exists(exe):
            shutil.copy(os.path.join(ARGS.bin, "dummy_tevela.exe"), exe)
            shutil.copy(os.path.join(ARGS.bin, "Utils.dll"), helper)
        self.ready = os.path.join(helper, "ready-%d" % time.monotonic_ns())
        self.stopfile = self.ready + ".stop"
        if kind == "file":
            args = ["--hold-file", winpath(target), share, winpath(self.ready), winpath(self.stopfile)]
        else:
            args = ["--hold-mutex", target, winpath(self.ready), winpath(self.stopfile)]
        self.proc = wine_bg(exe, args)
        if not wait_for(lambda: os.path.exists(self.ready), 60):
            self.proc.kill()
            raise RuntimeError("the holder did not start")

    def release(self):
        write(self.stopfile, b"stop")
        try:
            self.proc.wait(60)
        except subprocess.TimeoutExpired:
            self.proc.kill()


def tool(work, args, timeout=150):
    """The dummy as a tool (--wait-gone, --kill, --window-shot), under a name of its own."""
    helper = os.path.join(work, "tool")
    exe = os.path.join(helper, "tool.exe")
    if not os.path.exists(exe):
        os.makedirs(helper, exist_ok=True)
        shutil.copy(os.path.join(ARGS.bin, "dummy_tevela.exe"), exe)
        shutil.copy(os.path.join(ARGS.bin, "Utils.dll"), helper)
    rc, _ = wine(exe, list(args), timeout=timeout)
    return rc


def wait_updaters(work):
    """Until no update.exe runs: a second launch carries on from a copy outside
    the folder after the launch started from the folder has ended."""
    return check(tool(work, ["--wait-gone", "update.exe", "120"]) == 0, "the updaters ended")


class Install:
    """An installation folder of the old version."""

    def __init__(self, work, name="inst"):
        self.dir = os.path.join(work, name)
        self.ctl = os.path.join(work, name + "-ctl")
        os.makedirs(self.dir)
        os.makedirs(self.ctl)
        for f in ("update.exe", "Utils.dll"):
            shutil.copy(os.path.join(ARGS.bin, f), self.dir)
        shutil.copy(os.path.join(ARGS.bin, "dummy_tevela.exe"), self.p(CLIENT))

    def p(self, rel):
        return os.path.join(self.dir, rel.replace("\\", os.sep))

    def put(self, rel, data):
        write(self.p(rel), data)

    def env(self, extra=None):
        e = {"DUMMY_CTL_DIR": winpath(self.ctl)}
        e.update(extra or {})
        return e

    def update(self, args=(CLIENT, "0"), env=None, timeout=120):
        rc, _ = wine(self.p("update.exe"), list(args), self.env(env), timeout)
        wait_updaters(os.path.dirname(self.dir))
        return rc

    def snapshot(self):
        """Every file below the folder (name -> MD5), without the updater's log folder."""
        out = {}
        for base, dirs, files in os.walk(self.dir):
            rel = os.path.relpath(base, self.dir)
            if rel == ".":
                dirs[:] = [d for d in dirs if d.lower() != "log"]
            for f in files:
                name = f if rel == "." else os.path.join(rel, f).replace(os.sep, "\\")
                out[name] = md5(read(os.path.join(base, f)))
        return out

    def runs(self):
        path = os.path.join(self.ctl, "runs.txt")
        if not os.path.exists(path):
            return []
        return read(path).decode("utf-8", "replace").splitlines()

    def log_text(self):
        text = b""
        logdir = self.p("log")
        if os.path.isdir(logdir):
            for f in sorted(os.listdir(logdir)):
                text += read(os.path.join(logdir, f))
        return text.decode("latin-1")

    def record_paths(self):
        data = read(self.p("updatefiles.dat"))
        paths = []
        for k in range((len(data) - 4) // 520):
            rec = data[4 + 520 * k: 4 + 520 * (k + 1)].decode("utf-16-le")
            paths.append(rec.split("\0", 1)[0])
        return int.from_bytes(data[:4], "little"), len(data), paths


def diff(got, want):
    lines = []
    for k in sorted(set(got) | set(want)):
        if got.get(k) != want.get(k):
            lines.append("      %s: got %s, want %s" % (k, got.get(k), want.get(k)))
    return "\n".join(lines)


def same_tree(inst, want, what):
    got = inst.snapshot()
    return check(got == want, what + "\n" + diff(got, want))


def marked(data, tag):
    """A changed copy of a program: the same image with trailing data."""
    return data + b"\0" + tag.encode() + b"\0" * 7


# --------------------------------------------------------------------------- scenarios

def old_files():
    bin_ = ARGS.bin
    return {
        "update.exe": read(os.path.join(bin_, "update.exe")),
        "Utils.dll": read(os.path.join(bin_, "Utils.dll")),
        CLIENT: read(os.path.join(bin_, "dummy_tevela.exe")),
    }


def scenario_two_launch(work):
    """Launch 1 fetches exactly the changed files; launch 2 ends the running client,
    swaps (including update.exe and the loaded Utils.dll), makes the manifest
    Local.ini, registers and starts what the new upflag.ini lists."""
    srv = Server(work)
    try:
        inst = Install(work)
        old = old_files()
        old_up = upflag([], [CLIENT])
        extra = {"Uninst.exe": b"uninstaller stub", "tevela.ico": b"icon bytes",
                 "server.ini": ("[CLIENT]\r\nSERVER=%s/update.ini\r\n" % srv.host).encode()}
        for name, data in list(extra.items()) + [("upflag.ini", old_up)]:
            inst.put(name, data)
        local_entries = [("%s/1.0.1.1/%s" % (srv.host, n), md5(d), "\\")
                         for n, d in sorted(list(old.items()) + list(extra.items()) + [("upflag.ini", old_up)])]
        local_ini = manifest("1.0.1.1", local_entries)
        inst.put("Local.ini", local_ini)

        new = {n: marked(d, "1.0.1.2") for n, d in old.items()}
        new_up = upflag(["reg.dll"], [CLIENT, "nope.exe"])
        reg = read(os.path.join(ARGS.bin, "dummy_reg.dll"))
        plugin = b"a plugin that only the new version has" * 50
        served = dict(new)
        served.update({"upflag.ini": new_up, "reg.dll": reg, "new.dat": plugin})
        served.update(extra)
        for n, d in served.items():
            srv.put("1.0.1.2/" + n, d)
        entries = []
        for n in ("server.ini", "Uninst.exe", "update.exe", "upflag.ini", "Utils.dll", CLIENT,
                  "tevela.ico", "reg.dll"):
            entries.append(("%s/1.0.1.2/%s" % (srv.host, n), md5(served[n]), "\\"))
        entries.append(("%s/1.0.1.2/new.dat" % srv.host, md5(plugin), "\\plugins\\x\\"))
        update_ini = manifest("1.0.1.2", entries)
        inst.put("update.ini", update_ini)
        before = inst.snapshot()

        ready = os.path.join(inst.ctl, "client-ready")
        client = wine_bg(inst.p(CLIENT), ["--stay", winpath(ready)], inst.env())
        check(wait_for(lambda: os.path.exists(ready), 60), "the dummy client started")

        # Launch 1.
        check(inst.update() == 0, "launch 1 exit code 0")
        got = sorted(p for p, _ in srv.requests())
        want = sorted("/1.0.1.2/" + n for n in ("update.exe", "upflag.ini", "Utils.dll", CLIENT,
                                                 "reg.dll", "new.dat"))
        check(got == want, "launch 1 fetched exactly the changed files: %s" % got)
        after1 = dict(before)
        for n in ("update.exe", "Utils.dll", CLIENT, "upflag.ini"):
            after1[n + ".new"] = md5(served[n])
        after1["reg.dll"] = md5(reg)
        after1["plugins\\x\\new.dat"] = md5(plugin)
        after1["updatefiles.dat"] = inst.snapshot().get("updatefiles.dat")
        after1["updatefiles.ini"] = md5(update_ini)
        same_tree(inst, after1, "launch 1 result")
        if check(os.path.exists(inst.p("updatefiles.dat")), "launch 1 wrote the record"):
            field, size, paths = inst.record_paths()
            check(field == size == 4 + 520 * 4, "record size %d/%d" % (field, size))
            want_paths = [winpath(inst.p(n)).lower() for n in ("update.exe", "upflag.ini", "Utils.dll", CLIENT)]
            check([p.lower() for p in paths] == want_paths, "record paths %s" % paths)
        check(client.poll() is None, "the client still runs after launch 1")

        # Launch 2 (the client would start it at its next start).
        srv.clear()
        check(inst.update() == 0, "launch 2 exit code 0")
        try:
            client.wait(30)
            ended = True
        except subprocess.TimeoutExpired:
            client.kill()
            ended = False
        check(ended, "launch 2 ended the running client")
        want2 = {k: v for k, v in after1.items()
                 if not k.endswith(".new") and k not in ("updatefiles.dat", "updatefiles.ini")}
        for n in ("update.exe", "Utils.dll", CLIENT, "upflag.ini"):
            want2[n] = md5(served[n])
        want2["Local.ini"] = md5(update_ini)
        del want2["update.ini"]
        # The swap ran from a copy of the updater outside the folder: nothing
        # there was in use, so every backup, update.exe's and Utils.dll's too, is gone.
        same_tree(inst, want2, "launch 2 result")
        check(read(inst.p("Local.ini")) == update_ini, "Local.ini is the former update.ini byte for byte")
        check(srv.requests() == [], "launch 2 made no request")

        def new_client_ran():
            return any(l.startswith("size=%d " % len(new[CLIENT])) and l.endswith("cmd=")
                       for l in inst.runs())
        check(wait_for(new_client_ran, 60), "the new client was started with an empty command line: %s"
              % inst.runs())
        regfile = os.path.join(inst.ctl, "registered.txt")
        check(wait_for(lambda: os.path.exists(regfile), 60), "reg.dll was registered")
        if os.path.exists(regfile):
            check("reg.dll" in read(regfile).decode("utf-8", "replace").lower(), "registered path")
        log = inst.log_text()
        check("nope.exe run failed!" in log, "a missing program is logged as failed")
        check("ReplaceFiles end!" in log, "the swap ended")
        check("the swap goes on from a copy outside" in log, "the swap ran from a copy outside the folder")
    finally:
        srv.stop()


def first_launch_folder(work, srv, name, files, manifest_entries):
    inst = Install(work, name)
    for n, d in files.items():
        inst.put(n, d)
    inst.put("Local.ini", manifest("1.0.1.1", [("%s/1.0.1.1/%s" % (srv.host, n), md5(d), "\\")
                                               for n, d in sorted(files.items())]))
    inst.put("update.ini", manifest("1.0.1.2", manifest_entries))
    return inst


def scenario_download_failures(work):
    """Launch 1 against a server that fails, truncates or serves wrong bytes, and a
    manifest that tries to leave the folder: the folder stays as it was (less
    update.ini). A server that fails twice and then serves is retried."""
    srv = Server(work)
    try:
        old = {"f1.bin": b"old one" * 100, "f2.bin": b"old two" * 100, "keep.bin": b"same" * 10}
        new = {"f1.bin": b"NEW one" * 120, "f2.bin": b"NEW two" * 130, "added.bin": b"added" * 33,
               "keep.bin": old["keep.bin"], "evil.txt": b"outside"}
        for n, d in new.items():
            srv.put("v2/" + n, d)

        def entries(bad=None):
            e = [("%s/v2/added.bin" % srv.host, md5(new["added.bin"]), "\\"),
                 ("%s/v2/f1.bin" % srv.host, md5(new["f1.bin"]), "\\"),
                 ("%s/v2/f2.bin" % srv.host, md5(new["f2.bin"]), "\\"),
                 ("%s/v2/keep.bin" % srv.host, md5(new["keep.bin"]), "\\")]
            if bad:
                e.insert(3, bad)
            return e

        # (what, server rules, a bad entry put after f2, GETs of f2): a download that
        # fails is tried 3 times by each of the 2 methods; a wrong body is fetched once.
        cases = [
            ("wrong bytes", [{"suffix": "/f2.bin", "corrupt": True}], None, 1),
            ("not found", [{"suffix": "/f2.bin", "status": 404}], None, 6),
            ("truncated body", [{"suffix": "/f2.bin", "truncate": 100}], None, 6),
            ("server error", [{"suffix": "/f2.bin", "status": 500}], None, 6),
            ("traversal in the folder", [], ("%s/v2/evil.txt" % srv.host, md5(new["evil.txt"]), "\\..\\"), 1),
            ("traversal in the name", [], ("%s/v2/x\\..\\..\\evil.txt" % srv.host, md5(new["evil.txt"]), "\\"), 1),
            ("two fields only", [], ("%s/v2/evil.txt" % srv.host, md5(new["evil.txt"])), 1),
        ]
        for i, (what, rules, bad, f2_gets) in enumerate(cases):
            CURRENT[0] = "download failures / " + what
            print("  - " + what, flush=True)
            srv.rules(rules)
            srv.clear()
            inst = first_launch_folder(work, srv, "dl%d" % i, old, entries(bad))
            before = inst.snapshot()
            check(inst.update(("e2eclient.exe", "0")) == 0, "exit code 0")
            want = dict(before)
            del want["update.ini"]
            same_tree(inst, want, "the folder is unchanged")
            gets = [p for p, _ in srv.requests()]
            check(gets.count("/v2/f2.bin") == f2_gets,
                  "GETs of the failing file: %s" % gets)
            check(not any("evil" in p for p in gets), "nothing fetched for a refused entry")
            check(not os.path.exists(os.path.join(work, "evil.txt")), "nothing written outside")

        CURRENT[0] = "download failures / retried"
        print("  - retried", flush=True)
        srv.rules([{"suffix": "v2/f2.bin", "status": 503, "times": 2}])
        srv.clear()
        inst = first_launch_folder(work, srv, "dlretry", old, entries())
        before = inst.snapshot()
        check(inst.update(("e2eclient.exe", "0")) == 0, "exit code 0")
        got = inst.snapshot()
        check(got.get("f2.bin.new") == md5(new["f2.bin"]), "the file was fetched on its third request")
        check(got.get("added.bin") == md5(new["added.bin"]), "a missing file is placed directly")
        check(got.get("update.ini") == before["update.ini"], "the manifest stays for launch 2")
        check("keep.bin.new" not in got, "an unchanged file is not fetched")
        check([p for p, _ in srv.requests()].count("/v2/f2.bin") == 3, "three requests")
    finally:
        srv.rules([])
        srv.stop()


def two_file_update(work, srv, name, old_times, new_times):
    """f1.bin and f2.bin, both changed in v2 (their bytes repeated so often)."""
    old = {"f1.bin": b"old one" * old_times, "f2.bin": b"old two" * old_times}
    new = {"f1.bin": b"NEW one" * new_times[0], "f2.bin": b"NEW two" * new_times[1]}
    for n, d in new.items():
        srv.put("v2/" + n, d)
    entries = [("%s/v2/%s" % (srv.host, n), md5(new[n]), "\\") for n in sorted(new)]
    return first_launch_folder(work, srv, name, old, entries), old, new


def five_file_update(work, srv, name, client=CLIENT):
    old = {"f%d.bin" % i: (b"old %d " % i) * (200 + i) for i in range(1, 6)}
    new = {"f%d.bin" % i: (b"NEW %d " % i) * (300 + i) for i in range(1, 6)}
    for n, d in new.items():
        srv.put("v2/" + n, d)
    entries = [("%s/v2/%s" % (srv.host, n), md5(new[n]), "\\") for n in sorted(new)]
    inst = first_launch_folder(work, srv, name, old, entries)
    return inst, old, new


def scenario_locked_third(work):
    """A file held open with no sharing at the 3rd of 5 entries: launch 2 restores
    files 1-2 byte for byte, drops the .new files, update.ini and the record,
    keeps Local.ini and restarts the client with "updatefail". The next start
    downloads again and completes."""
    srv = Server(work)
    try:
        inst, old, new = five_file_update(work, srv, "locked")
        original = inst.snapshot()
        update_ini = read(inst.p("update.ini"))
        check(inst.update() == 0, "launch 1")
        check(os.path.exists(inst.p("updatefiles.dat")), "launch 1 wrote the record")
        holder = Holder(work, "file", inst.p("f3.bin"), "none")
        try:
            check(inst.update() == 0, "launch 2")
        finally:
            holder.release()
        want = dict(original)
        del want["update.ini"]
        same_tree(inst, want, "everything as before the update")
        check(wait_for(lambda: any(l.endswith("cmd=updatefail") for l in inst.runs()), 60),
              "the client was restarted with updatefail: %s" % inst.runs())
        check("ReplaceFiles failed!" in inst.log_text(), "the failure is logged")

        # The next normal start: the check fetches the manifest again, then both launches.
        inst.put("update.ini", update_ini)
        check(inst.update() == 0, "launch 1 again")
        check(inst.update() == 0, "launch 2 again")
        want = {n: md5(d) for n, d in new.items()}
        want[CLIENT] = original[CLIENT]
        want["update.exe"] = original["update.exe"]
        want["Utils.dll"] = original["Utils.dll"]
        want["Local.ini"] = md5(update_ini)
        same_tree(inst, want, "the second attempt completed")
    finally:
        srv.stop()


PRODUCT_KEY = r"HKLM\SOFTWARE\Microsoft\Windows\CurrentVersion\Uninstall\YexoShow"


def product_key():
    """The client's settings for a start without its first-start dialog, window shown."""
    for name, kind, value in (("Channel", "REG_SZ", "t01"), ("FirstStart", "REG_DWORD", "0"),
                              ("HideMainWnd", "REG_DWORD", "0")):
        wine("reg", ["add", PRODUCT_KEY, "/v", name, "/t", kind, "/d", value, "/f"])


class ClientInstall(Install):
    """An installation folder with the real client, its server.ini pointing at srv."""

    def __init__(self, work, srv, name, files):
        Install.__init__(self, work, name)
        self.work = work
        self.srv = srv
        shutil.copy(ARGS.client, self.p(CLIENT))
        self.put("server.ini", ("[CLIENT]\r\nSERVER=%s/update.ini\r\n" % srv.host).encode())
        self.put("upflag.ini", upflag([], [CLIENT]))
        for n, d in files.items():
            self.put(n, d)
        self.installed = {n: read(self.p(n)) for n in self.snapshot()}
        self.local_ini = manifest("1.0.1.1", [("%s/1.0.1.1/%s" % (srv.host, n), md5(d), "\\")
                                              for n, d in sorted(self.installed.items())])
        self.put("Local.ini", self.local_ini)

    def start(self, env=None):
        return wine_bg(self.p(CLIENT), [], self.env(env))

    def start_and_settle(self, env=None):
        """Starts the client; with a pending record it hands over and ends (then
        every updater is waited for), otherwise it keeps running."""
        proc = self.start(env)
        try:
            proc.wait(15)
        except subprocess.TimeoutExpired:
            pass
        wait_updaters(self.work)
        return proc

    def end_clients(self):
        tool(self.work, ["--kill", CLIENT])

    def shot(self, name):
        """Waits for the client's main window and keeps a picture of it."""
        out = os.path.join(ARGS.output, "%s.png" % name)
        return tool(self.work, ["--window-shot", winpath(out), "40"]) == 0


def new_version(inst, srv, version, changed, added=None, with_upflag=True):
    """Serves a version: every installed file (changed ones marked), upflag.ini
    and the added files; returns (served files, manifest bytes)."""
    served = {}
    for n, d in inst.installed.items():
        if n == "upflag.ini" and not with_upflag:
            continue
        served[n] = marked(d, version) if n in changed else d
    served.update(added or {})
    for n, d in served.items():
        srv.put("%s/%s" % (version, n.replace("\\", "/")), d)
    entries = []
    for n in sorted(served):
        folder, _, base = n.rpartition("\\")
        entries.append(("%s/%s/%s" % (srv.host, version, n.replace("\\", "/")), md5(served[n]),
                        "\\" + (folder + "\\" if folder else "")))
    text = manifest(version, entries)
    srv.put("update.ini", text)
    return served, text


def product_names_hold_old_or_new(inst, old, new, what):
    mid = inst.snapshot()
    ok = True
    for n in sorted(set(old) | set(new)):
        ok &= check(mid.get(n) in (md5(old[n]) if n in old else None, md5(new[n]) if n in new else None),
                    "%s: %s holds its old or its new bytes (%s)" % (what, n, mid.get(n)))
    return ok


def recover_through_client(inst, tries=3):
    """Starts the client as a user does, again while a record is pending."""
    for _ in range(tries):
        if not os.path.exists(inst.p("updatefiles.dat")):
            break
        inst.start_and_settle()
    inst.end_clients()


def converged(inst, served, update_ini, what):
    got = inst.snapshot()
    want = {n: md5(d) for n, d in served.items()}
    want["Local.ini"] = md5(update_ini)
    # The client the update started ran its own check and may have fetched the manifest again.
    if got.get("update.ini") == md5(update_ini):
        want["update.ini"] = got["update.ini"]
    return same_tree(inst, want, what)


def scenario_cut_off(work):
    """The second launch, started by the real client's hand-over, is cut off
    after every single file operation in turn (of the launch in the folder and
    of its copy outside); a few cuts also end every client and updater at once.
    Each product file holds its old or its new bytes at every cut, and starting
    the client, again if needed, ends in the new version."""
    srv = Server(work, ARGS.client_port)
    try:
        product_key()
        base = ClientInstall(work, srv, "cut", {"data.bin": b"old data " * 300})
        old = dict(base.installed)
        old["Local.ini"] = base.local_ini
        served, update_ini = new_version(base, srv, "1.0.1.2", (CLIENT, "update.exe", "Utils.dll", "data.bin"))
        base.put("update.ini", update_ini)
        check(base.update() == 0, "launch 1")
        check(os.path.exists(base.p("updatefiles.dat")), "launch 1 wrote the record")
        new = dict(served)
        new["Local.ini"] = update_ini
        saved = os.path.join(work, "cut-saved")
        shutil.copytree(base.dir, saved)
        shutil.rmtree(os.path.join(saved, "log"), ignore_errors=True)
        mark = os.path.join(work, "cut-mark")
        cuts = 0
        for k in range(1, 80):
            everything = k % 7 == 3
            CURRENT[0] = "cut off after step %d%s" % (k, " (every process)" if everything else "")
            print("  - " + CURRENT[0], flush=True)
            shutil.rmtree(base.dir)
            shutil.copytree(saved, base.dir)
            if os.path.exists(mark):
                os.remove(mark)
            env = {"TEVELA_UPDATE_CRASH_AFTER": str(k), "TEVELA_UPDATE_CRASH_MARK": winpath(mark)}
            if everything:
                env["TEVELA_UPDATE_CRASH_ALL"] = CLIENT
            base.start_and_settle(env)
            if not os.path.exists(mark):
                base.end_clients()
                converged(base, served, update_ini, "a run without a cut completes")
                break
            cuts += 1
            product_names_hold_old_or_new(base, old, new, "after the cut")
            recover_through_client(base)
            converged(base, served, update_ini, "converged through the client's start")
        CURRENT[0] = "cut off mid-swap"
        check(cuts >= 15, "every step was cut once: %d cuts" % cuts)
        srv.clear()
        base.start()
        check(base.shot("update_e2e_after_cut"), "the client shows its window")
        base.end_clients()
        check(srv.files() == ["/update.ini"], "the next start fetches the manifest only: %s" % srv.files())
    finally:
        srv.stop()


def scenario_first_launch_power_cut(work):
    """The client's own first launch is cut off with the running client at
    every step of its preparation (every process at once, as a power cut does);
    the next starts of the client complete the update."""
    srv = Server(work, ARGS.client_port)
    try:
        product_key()
        base = ClientInstall(work, srv, "pcut", {"data.bin": b"old data " * 300})
        served, update_ini = new_version(base, srv, "1.0.1.2", (CLIENT, "Utils.dll", "data.bin"),
                                         {"plugins\\p.dat": b"a new plug-in" * 40})
        saved = os.path.join(work, "pcut-saved")
        shutil.copytree(base.dir, saved)
        mark = os.path.join(work, "pcut-mark")
        # Its copy of the manifest, the size field, 4 paths, the record's rename.
        for k in (1, 2, 4, 7):
            CURRENT[0] = "first launch cut off after step %d with the client" % k
            print("  - " + CURRENT[0], flush=True)
            shutil.rmtree(base.dir)
            shutil.copytree(saved, base.dir)
            if os.path.exists(mark):
                os.remove(mark)
            base.start({"TEVELA_UPDATE_CRASH_AFTER": str(k), "TEVELA_UPDATE_CRASH_MARK": winpath(mark),
                        "TEVELA_UPDATE_CRASH_ALL": CLIENT})
            check(wait_for(lambda: os.path.exists(mark), 60), "the cut happened")
            wait_updaters(work)
            record = base.p("updatefiles.dat")

            def done():
                return read(base.p("Local.ini")) == update_ini and not os.path.exists(record)
            for _ in range(4):
                if done():
                    break
                # Without a record the client checks and prepares; with one it hands over.
                had_record = os.path.exists(record)
                proc = base.start()
                wait_for(lambda: proc.poll() is not None or done() or (not had_record and os.path.exists(record)), 60)
                wait_updaters(work)
                base.end_clients()
            converged(base, served, update_ini, "converged through the client's starts")
    finally:
        srv.stop()


def scenario_manifest_changes(work):
    """A client start while the first launch still downloads fetches another
    manifest (COUNT=2147483647) into update.ini. The hand-over start completes
    the update with the manifest the record was made from, the new client shows
    its window, and the bad manifest ends as a clean failure at a later start."""
    srv = Server(work, ARGS.client_port)
    try:
        product_key()
        inst = ClientInstall(work, srv, "changed", {"data.bin": b"old data " * 300})
        served, update_ini = new_version(inst, srv, "1.0.1.2", (CLIENT, "data.bin"))
        # The first launch's download waits until the second start is over.
        hold = os.path.join(work, "hold-download")
        write(hold, b"")
        srv.rules([{"suffix": "/1.0.1.2/data.bin", "hold_while": hold}])
        inst.start()
        # The server logs a request once it is answered: the download shows as its part file.
        check(wait_for(lambda: os.path.exists(inst.p("data.bin.new.part")), 60), "the first launch is downloading")
        inst.end_clients()
        bad = manifest("1.0.1.3", [("%s/1.0.1.3/x.bin" % srv.host, md5(b"x"), "\\")]).replace(
            b"COUNT=1", b"COUNT=2147483647")
        srv.put("update.ini", bad)
        inst.start()
        check(wait_for(lambda: read(inst.p("update.ini")) == bad if os.path.exists(inst.p("update.ini")) else False,
                       60), "the second start fetched the other manifest")
        time.sleep(2)
        inst.end_clients()
        check(not os.path.exists(inst.p("updatefiles.dat")), "the first launch was still downloading")
        os.remove(hold)
        wait_updaters(work)
        check(os.path.exists(inst.p("updatefiles.dat")), "the first launch wrote its record")
        srv.rules([])
        inst.start_and_settle()
        check(inst.shot("update_e2e_manifest_changed"), "the updated client shows its window")
        inst.end_clients()
        converged(inst, served, update_ini, "the update the record was made from completed")
        # The bad manifest at a later start: a clean failure, the window shows.
        srv.put("update.ini", bad)
        inst.start()
        check(inst.shot("update_e2e_bad_manifest"), "a start with the bad manifest shows the window")
        wait_updaters(work)
        inst.end_clients()
        check(not os.path.exists(inst.p("updatefiles.dat")), "no record for the bad manifest")
        check(read(inst.p("Local.ini")) == update_ini, "Local.ini stays")
    finally:
        srv.rules([])
        srv.stop()


def scenario_only_new_files(work):
    """An update made only of new files completes in its first launch: Local.ini
    becomes the manifest, and the next start downloads nothing."""
    srv = Server(work, ARGS.client_port)
    try:
        product_key()
        inst = ClientInstall(work, srv, "onlynew", {})
        added = {"plugins\\a.dat": b"plug-in a" * 100, "b.dat": b"file b" * 70}
        served, update_ini = new_version(inst, srv, "1.0.1.2", (), added, with_upflag=False)
        served["upflag.ini"] = inst.installed["upflag.ini"]
        inst.start()
        check(wait_for(lambda: os.path.exists(inst.p("b.dat")) and os.path.exists(inst.p("plugins\\a.dat")), 60),
              "the new files arrived")
        wait_updaters(work)
        inst.end_clients()
        check(read(inst.p("Local.ini")) == update_ini, "Local.ini is the manifest")
        check(not os.path.exists(inst.p("updatefiles.dat")), "no record")
        converged(inst, served, update_ini, "the update completed")
        srv.clear()
        inst.start()
        check(inst.shot("update_e2e_only_new"), "the client shows its window")
        check(wait_for(lambda: "/update.ini" in srv.files(), 30), "the next start checked")
        time.sleep(3)
        inst.end_clients()
        wait_updaters(work)
        check(srv.files() == ["/update.ini"], "the next start downloads nothing: %s" % srv.files())
    finally:
        srv.stop()


def scenario_stale_part(work):
    """A first launch killed during a download leaves X.new.part; a later first
    launch, for which that file is current again, removes it."""
    srv = Server(work)
    try:
        inst, old, new = two_file_update(work, srv, "part", 100, (120, 130))
        srv.put("v3/f1.bin", new["f1.bin"])
        srv.rules([{"suffix": "/v2/f2.bin", "delay": 30}])
        proc = wine_bg(inst.p("update.exe"), [CLIENT, "0"], inst.env())
        check(wait_for(lambda: os.path.exists(inst.p("f2.bin.new.part")), 60), "the download began")
        tool(work, ["--kill", "update.exe"])
        proc.wait(30)
        check(os.path.exists(inst.p("f2.bin.new.part")), "the killed download left its .part")
        srv.rules([])
        # The next manifest lists f2.bin as installed: it is not fetched again.
        inst.put("update.ini", manifest("1.0.1.3", [("%s/v3/f1.bin" % srv.host, md5(new["f1.bin"]), "\\"),
                                                    ("%s/v2/f2.bin" % srv.host, md5(old["f2.bin"]), "\\")]))
        check(inst.update() == 0, "launch 1 again")
        got = inst.snapshot()
        check(not any(n.endswith(".part") for n in got), "no .part is left: %s" % sorted(got))
    finally:
        srv.rules([])
        srv.stop()


def scenario_record_cut_off(work):
    """Launch 1 ends abruptly while it writes the pending record (after its size
    field, after a path, after the last path, after the record appeared): the
    folder holds no record or a whole one, never a damaged one; without one the
    next start runs launch 1 again, and the update ends with the new version."""
    srv = Server(work)
    try:
        inst, old, new = five_file_update(work, srv, "reccut")
        update_ini = read(inst.p("update.ini"))
        saved = os.path.join(work, "reccut-saved")
        shutil.copytree(inst.dir, saved)
        final = {n: md5(d) for n, d in new.items()}
        for n in (CLIENT, "update.exe", "Utils.dll"):
            final[n] = inst.snapshot()[n]
        final["Local.ini"] = md5(update_ini)
        # Launch 1 changes the folder in 8 counted steps: its copy of the
        # manifest, the size field, 5 paths and the step that makes the record appear.
        for k in (1, 2, 3, 7, 8):
            CURRENT[0] = "record cut off after step %d" % k
            print("  - after step %d" % k, flush=True)
            shutil.rmtree(inst.dir)
            shutil.copytree(saved, inst.dir)
            rc = inst.update(("e2eclient.exe", "0"), {"TEVELA_UPDATE_CRASH_AFTER": str(k)})
            check(rc == 99, "launch 1 was cut off (exit code %d)" % rc)
            if os.path.exists(inst.p("updatefiles.dat")):
                field, size, paths = inst.record_paths()
                check(field == size == 4 + 520 * 5 and len(paths) == 5,
                      "the record is whole: size field %d, %d bytes, %d paths" % (field, size, len(paths)))
            else:
                check(inst.update(("e2eclient.exe", "0")) == 0, "launch 1 again at the next start")
                check(os.path.exists(inst.p("updatefiles.dat")), "the record was written")
            check(inst.update(("e2eclient.exe", "0")) == 0, "launch 2")
            same_tree(inst, final, "converged")
    finally:
        srv.stop()


def inst_local_md5(folder):
    return md5(read(os.path.join(folder, "Local.ini")))


def scenario_delayed(work):
    """X.new held open without FILE_SHARE_DELETE: the move is left to the next
    restart, the old X keeps serving, the restart brings the new X."""
    srv = Server(work)
    try:
        inst, old, new = two_file_update(work, srv, "delayed", 50, (70, 70))
        update_ini = read(inst.p("update.ini"))
        check(inst.update(("e2eclient.exe", "0")) == 0, "launch 1")
        holder = Holder(work, "file", inst.p("f2.bin.new"), "read")
        try:
            check(inst.update(("e2eclient.exe", "0")) == 0, "launch 2")
        finally:
            holder.release()
        got = inst.snapshot()
        check(got.get("f1.bin") == md5(new["f1.bin"]), "f1 replaced")
        check(got.get("f2.bin") == md5(old["f2.bin"]), "f2 still the old file until the restart")
        check("f2.bin.old" not in got, "no backup left behind")
        check(got.get("f2.bin.new") == md5(new["f2.bin"]), "f2.bin.new waits for the restart")
        check(got.get("Local.ini") == md5(update_ini), "the manifest became Local.ini")
        check("updatefiles.dat" not in got and "update.ini" not in got, "no record, no manifest")
        log = inst.log_text()
        check("\xd6\xd8\xc6\xf4\xba\xf3" in log, "the delayed move is logged (GBK text)")
        rc, out = wine("reg", ["query", r"HKLM\System\CurrentControlSet\Control\Session Manager",
                               "/v", "PendingFileRenameOperations"])
        check(winpath(inst.p("f2.bin.new")).lower() in out.lower(),
              "PendingFileRenameOperations holds the move: %r" % out[-400:])
        wine("wineboot", ["-r"], timeout=120)
        got = inst.snapshot()
        check(got.get("f2.bin") == md5(new["f2.bin"]), "after the restart f2 is the new file")
        check("f2.bin.new" not in got, "and f2.bin.new is gone")
    finally:
        srv.stop()


def scenario_single_instance(work):
    """A second updater for the same client ends at once without a log line; an
    updater of type 1 sets up the log and does nothing else."""
    srv = Server(work)
    try:
        inst, old, new = five_file_update(work, srv, "single")
        before = inst.snapshot()
        holder = Holder(work, "mutex", CLIENT + "update.exe")
        try:
            check(inst.update() == 0, "exit code 0")
            check(inst.snapshot() == before, "nothing happened")
            check(not os.path.exists(inst.p("log")), "no log was set up")
            check(inst.update(("other.exe", "1")) == 0, "type 1 exit code 0")
        finally:
            holder.release()
        check(inst.snapshot() == before, "type 1 changed nothing")
        log = inst.log_text()
        check("update type:1" in log and "Update Exit!" in log, "type 1 logged")
        check("DownloadFiles" not in log, "type 1 did no work")
        check(srv.requests() == [], "no request")
    finally:
        srv.stop()


CLIENT_SCENARIOS = (scenario_cut_off, scenario_first_launch_power_cut, scenario_manifest_changes,
                    scenario_only_new_files)

SCENARIOS = [
    ("two-launch update", scenario_two_launch),
    ("download failures", scenario_download_failures),
    ("locked third of five", scenario_locked_third),
    ("cut off mid-swap", scenario_cut_off),
    ("first launch power cut", scenario_first_launch_power_cut),
    ("manifest changes between checks", scenario_manifest_changes),
    ("only new files", scenario_only_new_files),
    ("stale part files", scenario_stale_part),
    ("record cut off", scenario_record_cut_off),
    ("delayed replacement", scenario_delayed),
    ("single instance", scenario_single_instance),
]


# --------------------------------------------------------------------------- benchmark

def bench(count, runs):
    work = tempfile.mkdtemp(prefix="update-bench-")
    srv = Server(work)
    try:
        entries, files = [], {}
        for i in range(count):
            name = "file%03d.dat" % i
            data = (b"%d new " % i) * 500
            files[name] = (b"%d old " % i) * 400
            srv.put("v/" + name, data)
            entries.append(("%s/v/%s" % (srv.host, name), md5(data), "\\"))
        inst = first_launch_folder(work, srv, "bench", files, entries)
        saved = os.path.join(work, "saved")
        shutil.copytree(inst.dir, saved)
        times = []
        for _ in range(runs):
            shutil.rmtree(inst.dir)
            shutil.copytree(saved, inst.dir)
            t = time.monotonic()
            inst.update(("e2eclient.exe", "0"), timeout=600)
            times.append((time.monotonic() - t) * 1000.0)
            if not os.path.exists(inst.p("updatefiles.dat")):
                print("bench: the first launch did not complete", file=sys.stderr)
                return 1
        print("update.first_launch_%d_ms: %.0f ms" % (count, statistics.median(times)))
        return 0
    finally:
        srv.stop()
        shutil.rmtree(work, ignore_errors=True)


def main():
    global ARGS
    ap = argparse.ArgumentParser()
    ap.add_argument("--wine-run", required=True)
    ap.add_argument("--bin", required=True)
    ap.add_argument("--server", required=True)
    ap.add_argument("--only", action="append")
    ap.add_argument("--client", help="the client's loopback build (the client scenarios)")
    ap.add_argument("--client-port", type=int, default=0)
    ap.add_argument("--output", default=os.environ.get("UPDATE_E2E_OUTPUT", tempfile.gettempdir()))
    ap.add_argument("--keep", action="store_true", help="keep the temporary folders")
    ap.add_argument("--bench", type=int, default=0)
    ap.add_argument("--bench-runs", type=int, default=3)
    ARGS = ap.parse_args()
    if ARGS.bench:
        return bench(ARGS.bench, ARGS.bench_runs)

    passed = failed = 0
    for name, fn in SCENARIOS:
        if ARGS.only and not any(o in name for o in ARGS.only):
            continue
        if fn in CLIENT_SCENARIOS and not ARGS.client:
            print("[ SKIP ] %s (no --client)" % name, flush=True)
            continue
        work = tempfile.mkdtemp(prefix="update-e2e-")
        CURRENT[0] = name
        before = len(FAILURES)
        t = time.monotonic()
        print("[ RUN  ] %s" % name, flush=True)
        try:
            fn(work)
        except Exception:
            FAILURES.append("%s: %s" % (name, traceback.format_exc()))
            print(traceback.format_exc(), flush=True)
        ok = len(FAILURES) == before
        print("[ %s ] %s (%.1f s)" % ("OK  " if ok else "FAIL", name, time.monotonic() - t), flush=True)
        passed += ok
        failed += not ok
        if ok and not ARGS.keep:
            shutil.rmtree(work, ignore_errors=True)
        elif not ok:
            print("    kept: %s" % work)
    for f in FAILURES:
        print("FAILED: " + f)
    print("%d passed, %d failed" % (passed, failed))
    return 0 if failed == 0 else 1


if __name__ == "__main__":
    sys.exit(main())
