#!/usr/bin/env python3
"""clang-tidy over every source of a build, remembering the files it found clean.

    tidy.py BUILD_DIR ROOT CACHE_DIR

A file is checked again unless the same clang-tidy, with the same .clang-tidy, already found
the same translation unit clean: the key is the file's compile command and its preprocessed
text with comments kept (a NOLINT is a comment), both with ROOT taken out so that two clones
share the cache. Only clean results are kept; a file with findings is checked every time.
Prints the findings and exits 1 when there are any.
"""

import concurrent.futures
import hashlib
import json
import os
import shlex
import subprocess
import sys

build, root, cache = sys.argv[1], os.path.realpath(sys.argv[2]), sys.argv[3]
os.makedirs(cache, exist_ok=True)
tidy_args = [
    "clang-tidy", "-p", build, "--quiet",
    # clang does not know some of GCC's switches (-Wno-restrict).
    "--extra-arg=-Wno-unknown-warning-option",
    f"-header-filter=^{root}/(src|tests|tools|bench|fuzz)/",
]
version = subprocess.run(["clang-tidy", "--version"], capture_output=True, text=True).stdout
with open(os.path.join(root, ".clang-tidy"), "rb") as f:
    config = f.read()
rooted = root.encode()


def key(entry):
    args = shlex.split(entry["command"])
    pre = []
    skip = False
    for a in args:
        if skip:
            skip = False
        elif a == "-o":
            skip = True
        elif a != "-c":
            pre.append(a)
    text = subprocess.run(pre + ["-E", "-P", "-C", "-o", "-"], cwd=entry["directory"],
                          capture_output=True, check=True).stdout
    h = hashlib.sha256()
    for part in (version.encode(), config, " ".join(tidy_args[1:]).encode(),
                 entry["command"].encode(), text):
        h.update(part.replace(rooted, b"@ROOT@"))
        h.update(b"\0")
    return h.hexdigest()


def check(entry):
    """None when clean, else what clang-tidy (or the preprocessor) said."""
    try:
        mark = os.path.join(cache, key(entry))
    except subprocess.CalledProcessError as e:
        return entry["file"] + ": not preprocessed\n" + e.stderr.decode(errors="replace")
    if os.path.exists(mark):
        return None
    run = subprocess.run(tidy_args + [entry["file"]], capture_output=True, text=True)
    output = run.stdout + run.stderr
    if run.returncode == 0 and "warning:" not in output and "error:" not in output:
        open(mark, "w").close()
        return None
    return output


entries = [e for e in json.load(open(os.path.join(build, "compile_commands.json")))
           if "/build/" not in e["file"]]
known = sum(1 for _ in os.scandir(cache))
with concurrent.futures.ThreadPoolExecutor(os.cpu_count() or 2) as pool:
    findings = [out for out in pool.map(check, entries) if out is not None]
for out in findings:
    print(out)
print(f"tidy: {len(entries)} files, {len(findings)} with findings "
      f"({sum(1 for _ in os.scandir(cache)) - known} newly found clean)", file=sys.stderr)
sys.exit(1 if findings else 0)
