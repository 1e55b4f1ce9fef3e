#!/usr/bin/env python3
"""Makes the installer's product archive (payload.7z) from the built programs.

    python3 make_payload.py --sevenzip 7zz --make-ini client/ini/make_ini.py
                            --update-host HOST[/PATH] --version 1.0.1.1
                            --stage DIR --out payload.7z [--strip TOOL] [--require-all] FILE...

  FILE...        the built files to ship (programs, Utils.dll, the two icons); each
                 is staged under its own file name. Names outside the shipped set
                 are refused.
  --stage DIR    emptied, then filled with the staged files and the INI files.
  --strip TOOL   strip the staged programs with TOOL ("--strip-all"): the archive
                 carries no debugging information.
  --require-all  fail unless every shipped file is present.

The INI files come from make_ini.py: server.ini and upflag.ini always; Local.ini,
which lists the MD5 digest of every shipped file, only once all of them are built
(until then the archive is made without it, and a line says what is missing).
Every staged file gets mode 0644 (only the archive attribute is stored, never
read-only) and the time SOURCE_DATE_EPOCH (default 1700000000), and the archive
is made with explicit methods so that it is always one solid block of x86 BCJ +
LZMA2, with the entries in a fixed order:
    Uninst.ico tevela.ico Local.ini server.ini upflag.ini Uninst.exe tevela.exe
    update.exe Utils.dll
The result is checked with "7zz l -slt" (one block, BCJ and LZMA2, no BCJ2, the
expected entries) and "7zz t"; any failure removes the output and exits non-zero.
"""
import argparse
import os
import re
import shutil
import subprocess
import sys
import tempfile

# 7zz stores the files of a solid block grouped by type ("-mqs=on": icons, INI
# files, programs, the library), by name within a group.
ORDER = ["Uninst.ico", "tevela.ico", "Local.ini", "server.ini", "upflag.ini",
         "Uninst.exe", "tevela.exe", "update.exe", "Utils.dll"]
# The files Local.ini lists, besides the two INI files make_ini.py writes itself.
LISTED = ["Uninst.exe", "Uninst.ico", "update.exe", "Utils.dll", "tevela.exe", "tevela.ico"]
INI_FILES = ["Local.ini", "server.ini", "upflag.ini"]


def fail(message):
    sys.exit("make_payload.py: " + message)


def run(command, **kwargs):
    return subprocess.run(command, stdout=subprocess.PIPE, stderr=subprocess.STDOUT,
                          universal_newlines=True, **kwargs)


def make_inis(args, stage, complete):
    """Writes the INI files into stage; Local.ini only when complete."""
    if complete:
        result = run([sys.executable, args.make_ini, "--update-host", args.update_host,
                      "--files-dir", stage, "--out", stage, "--version", args.version])
        if result.returncode != 0:
            fail("make_ini.py failed:\n" + result.stdout)
        return
    # server.ini and upflag.ini do not depend on the programs: make them beside
    # stand-in files and keep only those two.
    scratch = tempfile.mkdtemp(prefix="payload-ini-")
    try:
        for name in LISTED:
            open(os.path.join(scratch, name), "wb").close()
        out = os.path.join(scratch, "out")
        result = run([sys.executable, args.make_ini, "--update-host", args.update_host,
                      "--files-dir", scratch, "--out", out, "--version", args.version])
        if result.returncode != 0:
            fail("make_ini.py failed:\n" + result.stdout)
        for name in ("server.ini", "upflag.ini"):
            shutil.copyfile(os.path.join(out, name), os.path.join(stage, name))
    finally:
        shutil.rmtree(scratch, ignore_errors=True)


def check_archive(args, names):
    listing = run([args.sevenzip, "l", "-slt", args.out])
    if listing.returncode != 0:
        return "7zz l failed:\n" + listing.stdout
    text = listing.stdout
    blocks = re.findall(r"^Blocks = (\d+)$", text, re.M)
    if blocks != ["1"]:
        return "expected one solid block, got %s" % (blocks or "none")
    methods = set(re.findall(r"^Method = (.+)$", text, re.M))
    # The archive lists its coders in stream order ("LZMA2:22 BCJ"), each file in
    # filter order ("BCJ LZMA2:22"); either way exactly these two, never BCJ2.
    if not methods or any(sorted(w.split(":")[0] for w in m.split()) != ["BCJ", "LZMA2"]
                          for m in methods):
        return "unexpected methods %s" % sorted(methods)
    paths = re.findall(r"^Path = (.+)$", text, re.M)[1:]   # the first is the archive itself
    if paths != names:
        return "entries %s, expected %s" % (paths, names)
    for attributes in re.findall(r"^Attributes = (.*)$", text, re.M):
        if not attributes.startswith("A") or attributes.split(" ")[0] != "A":
            return "an entry carries attributes %r (only A is shipped)" % attributes
    test = run([args.sevenzip, "t", args.out])
    if test.returncode != 0:
        return "7zz t failed:\n" + test.stdout
    return None


def main():
    ap = argparse.ArgumentParser()
    ap.add_argument("--sevenzip", required=True)
    ap.add_argument("--make-ini", required=True)
    ap.add_argument("--update-host", required=True)
    ap.add_argument("--version", required=True)
    ap.add_argument("--stage", required=True)
    ap.add_argument("--out", required=True)
    ap.add_argument("--strip")
    ap.add_argument("--require-all", action="store_true")
    ap.add_argument("files", nargs="*")
    args = ap.parse_args()

    shutil.rmtree(args.stage, ignore_errors=True)
    os.makedirs(args.stage)
    for path in args.files:
        name = os.path.basename(path)
        if name not in ORDER or name in INI_FILES:
            fail("%s is not a file the installer ships" % name)
        if not os.path.isfile(path):
            fail("missing input %s" % path)
        staged = os.path.join(args.stage, name)
        shutil.copyfile(path, staged)
        if args.strip and name.lower().endswith((".exe", ".dll")):
            stripped = run([args.strip, "--strip-all", staged])
            if stripped.returncode != 0:
                fail("%s failed on %s:\n%s" % (args.strip, name, stripped.stdout))

    missing = [n for n in LISTED if not os.path.isfile(os.path.join(args.stage, n))]
    if missing and args.require_all:
        fail("not built: %s" % " ".join(missing))
    make_inis(args, args.stage, complete=not missing)
    if missing:
        print("make_payload.py: not built yet: %s; the archive leaves them out, "
              "and Local.ini with them" % " ".join(missing))

    epoch = int(os.environ.get("SOURCE_DATE_EPOCH", "1700000000"))
    names = [n for n in ORDER if os.path.isfile(os.path.join(args.stage, n))]
    for name in names:
        path = os.path.join(args.stage, name)
        os.chmod(path, 0o644)
        os.utime(path, (epoch, epoch))

    if os.path.exists(args.out):
        os.remove(args.out)   # "7zz a" would add to an existing archive
    made = run([args.sevenzip, "a", "-t7z", "-m0=BCJ", "-m1=LZMA2:d=4m", "-ms=on", "-mqs=on", "-mmt=1",
                "-mtc=off", "-mta=off", "-bd", os.path.abspath(args.out)] + names, cwd=args.stage)
    if made.returncode != 0:
        fail("7zz a failed:\n" + made.stdout)
    problem = check_archive(args, names)
    if problem:
        os.remove(args.out)
        fail(problem)
    print("make_payload.py: %s: %d entries (%s), %d bytes" %
          (args.out, len(names), " ".join(names), os.path.getsize(args.out)))
    return 0


if __name__ == "__main__":
    sys.exit(main())
