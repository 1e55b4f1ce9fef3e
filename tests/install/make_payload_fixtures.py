#!/usr/bin/env python3
"""Makes the 7z archives the installer tests unpack, with 7zz.

    python3 make_payload_fixtures.py 7ZZ OUTPUT_FOLDER

All are made like the real payload (x86 BCJ + LZMA2, one solid block, files of
mode 0644 at a fixed time), with the entries in name order:
  three.7z      Uninst.exe, readme.txt, tevela.exe: three files (progress 2, 30, 60)
  tree.7z       folders a and a/b, the file a/b/c.txt and top.txt
  lockset.7z    a_first.txt, tevela.exe, z_after.txt (for a locked tevela.exe)
  unicode.7z    资料/说明.txt and 直播.txt (names outside every ANSI code page but 936)
  corrupt.7z    three.7z with one byte of its packed data changed
  truncated.7z  the first half of three.7z
  traversal.7z  good.txt, then entries renamed ../evil.txt, a/../../evil2.txt,
                C:/evil3.txt and \\evil4.txt, which lead out of the target folder
  expected/     the plain contents, one folder per archive
"""
import os
import shutil
import subprocess
import sys

EPOCH = 1700000000


def write_tree(root, files):
    shutil.rmtree(root, ignore_errors=True)
    os.makedirs(root)
    for name, data in files.items():
        path = os.path.join(root, *name.split("/"))
        os.makedirs(os.path.dirname(path), exist_ok=True)
        with open(path, "wb") as f:
            f.write(data)
        os.chmod(path, 0o644)
    for folder, dirs, names in os.walk(root):
        for name in dirs + names:
            os.utime(os.path.join(folder, name), (EPOCH, EPOCH))


def pack(sevenzip, archive, root, names):
    if os.path.exists(archive):
        os.remove(archive)
    subprocess.run([sevenzip, "a", "-t7z", "-m0=BCJ", "-m1=LZMA2:d=1m", "-ms=on", "-mqs=off", "-mmt=1",
                    "-mtc=off", "-mta=off", "-bd", archive] + names,
                   cwd=root, check=True, stdout=subprocess.DEVNULL)


def payload_bytes(seed, size):
    # Compressible but not trivial: a repeated text with a counter.
    out = bytearray()
    i = 0
    while len(out) < size:
        out += ("%s line %06d of the fixture\r\n" % (seed, i)).encode("ascii")
        i += 1
    return bytes(out[:size])


def main():
    if len(sys.argv) != 3:
        sys.exit(__doc__)
    sevenzip, out = sys.argv[1], os.path.abspath(sys.argv[2])
    os.makedirs(out, exist_ok=True)
    expected = os.path.join(out, "expected")

    sets = {
        "three": {"Uninst.exe": payload_bytes("uninst", 20000), "readme.txt": b"readme\r\n",
                  "tevela.exe": payload_bytes("tevela", 50000)},
        "tree": {"a/b/c.txt": b"deep file\r\n", "top.txt": b"top file\r\n"},
        "lockset": {"a_first.txt": b"first\r\n", "tevela.exe": payload_bytes("new client", 30000),
                    "z_after.txt": b"after\r\n"},
        "unicode": {"资料/说明.txt": "说明".encode("utf-8"), "直播.txt": "直播".encode("utf-8")},
        "traversal": {"good.txt": b"good\r\n", "evil.txt": b"evil\r\n", "evil2.txt": b"evil2\r\n",
                      "evil3.txt": b"evil3\r\n", "evil4.txt": b"evil4\r\n"},
    }
    for name, files in sets.items():
        root = os.path.join(expected, name)
        write_tree(root, files)
        entries = sorted(os.listdir(root))
        pack(sevenzip, os.path.join(out, name + ".7z"), root, entries)

    # Names that leave the folder: renamed inside the archive.
    subprocess.run([sevenzip, "rn", "-bd", os.path.join(out, "traversal.7z"),
                    "evil.txt", "../evil.txt", "evil2.txt", "a/../../evil2.txt",
                    "evil3.txt", "C:/evil3.txt", "evil4.txt", "\\evil4.txt"],
                   check=True, stdout=subprocess.DEVNULL)

    with open(os.path.join(out, "three.7z"), "rb") as f:
        good = bytearray(f.read())
    corrupt = bytearray(good)
    corrupt[32 + 100] ^= 0x55           # inside the packed stream, after the 32-byte signature header
    with open(os.path.join(out, "corrupt.7z"), "wb") as f:
        f.write(corrupt)
    with open(os.path.join(out, "truncated.7z"), "wb") as f:
        f.write(good[: len(good) // 2])
    return 0


if __name__ == "__main__":
    sys.exit(main())
