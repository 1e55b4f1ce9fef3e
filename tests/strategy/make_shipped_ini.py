"""Makes the shipped INI files for the tests: dummy product files, then make_ini.py.
    python3 make_shipped_ini.py <make_ini.py> <output folder>"""
import os
import subprocess
import sys

tool, out = sys.argv[1], sys.argv[2]
files = os.path.join(out, "files")
os.makedirs(files, exist_ok=True)
for i, name in enumerate(["Uninst.exe", "Uninst.ico", "update.exe", "Utils.dll", "tevela.exe", "tevela.ico"]):
    with open(os.path.join(files, name), "wb") as f:
        f.write(("dummy %s\n" % name).encode() * (i + 1))
subprocess.check_call([sys.executable, tool, "--update-host", "127.0.0.1:8080",
                       "--files-dir", files, "--out", os.path.join(out, "out")])
