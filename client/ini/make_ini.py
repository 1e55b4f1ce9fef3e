#!/usr/bin/env python3
"""Writes the INI files the installer ships: server.ini, upflag.ini and Local.ini.

    python3 make_ini.py --update-host HOST[/PATH] --files-dir DIR --out DIR [--version 1.0.1.1]

  server.ini  from server.ini.in: [CLIENT] SERVER = <update host>/update.ini
  upflag.ini  copied as it stands
  Local.ini   from Local.ini.in: the manifest of the shipped version; each entry's url is
              <update host>/<version>/<file>, its digest the MD5 of the file: server.ini and
              upflag.ini as written here, every other file taken from --files-dir.
All three: CRLF line ends, no byte-order mark, ASCII text.
"""
import argparse
import hashlib
import os
import re
import sys

HERE = os.path.dirname(os.path.abspath(__file__))


def md5_of(path):
    h = hashlib.md5()
    with open(path, "rb") as f:
        for chunk in iter(lambda: f.read(1 << 20), b""):
            h.update(chunk)
    return h.hexdigest()


def main():
    ap = argparse.ArgumentParser()
    ap.add_argument("--update-host", required=True)
    ap.add_argument("--files-dir", required=True)
    ap.add_argument("--out", required=True)
    ap.add_argument("--version", default="1.0.1.1")
    a = ap.parse_args()
    if "://" in a.update_host or not re.fullmatch(r"[A-Za-z0-9.:/_-]+", a.update_host):
        ap.error("--update-host is host[:port][/path] without a scheme")
    if not re.fullmatch(r"\d+(\.\d+)*", a.version):
        ap.error("--version is dotted decimal")
    os.makedirs(a.out, exist_ok=True)

    def read(name):
        with open(os.path.join(HERE, name), "rb") as f:
            return f.read().decode("ascii")

    def write(name, text):
        with open(os.path.join(a.out, name), "wb") as f:
            f.write(text.encode("ascii"))

    host = a.update_host.rstrip("/")
    write("server.ini", read("server.ini.in").replace("@UPDATE_HOST@", host))
    write("upflag.ini", read("upflag.ini"))

    def digest(match):
        name = match.group(1)
        local = os.path.join(a.out, name) if name in ("server.ini", "upflag.ini") else \
            os.path.join(a.files_dir, name)
        if not os.path.isfile(local):
            sys.exit("make_ini.py: missing %s" % local)
        return md5_of(local)

    text = read("Local.ini.in").replace("@UPDATE_HOST@", host).replace("@VERSION@", a.version)
    text = re.sub(r"@MD5:([^@]+)@", digest, text)
    write("Local.ini", text)
    return 0


if __name__ == "__main__":
    sys.exit(main())
