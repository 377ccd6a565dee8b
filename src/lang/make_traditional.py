#!/usr/bin/env python3
"""Writes the traditional-Chinese catalogue texts, converted once at build time.

The stored traditional texts still carry a few simplified characters. OpenCC's s2t conversion
makes them fully traditional. It runs on the build host, so every platform's build, the Windows
cross build included, gets the same texts from the same conversion.

    make_traditional.py ENTRY_TABLE OUTPUT OPENCC_EXECUTABLE
"""
import re
import subprocess
import sys

ROW = re.compile(r'^\s*\{(\d+), (\d+), (\d+), "([^"]*)", "([^"]*)", "([^"]*)", "([^"]*)", "([^"]*)"\},?\s*$')


def stored_texts(path):
    texts = []
    with open(path, encoding="utf-8") as table:
        for line in table:
            match = ROW.match(line)
            if match:
                if int(match.group(1)) != len(texts):
                    sys.exit(f"{path}: row {len(texts)} is out of order")
                texts.append(match.group(8))
    if not texts:
        sys.exit(f"{path}: no catalogue rows found")
    return texts


def convert(opencc, texts):
    result = subprocess.run([opencc, "-c", "s2t.json"], input="\n".join(texts) + "\n",
                            capture_output=True, text=True, encoding="utf-8", check=True)
    converted = result.stdout.split("\n")
    if converted and converted[-1] == "":
        converted.pop()
    if len(converted) != len(texts):
        sys.exit(f"opencc returned {len(converted)} lines for {len(texts)} texts")
    # A caption must never go blank because the conversion went wrong.
    return [c if c else t for c, t in zip(converted, texts)]


def c_string(text):
    return '"' + text.replace("\\", "\\\\").replace('"', '\\"') + '"'


def main():
    table, output, opencc = sys.argv[1:4]
    texts = convert(opencc, stored_texts(table))
    lines = [
        "// Generated at build time by make_traditional.py from EntryTable.h. Do not edit.",
        '#include "lang/EntryTable.h"',
        "",
        "namespace lang::detail {",
        "",
        "const std::array<std::string_view, kEntryCount> kTraditionalTexts{{",
    ]
    lines += [f"    {c_string(t)}," for t in texts]
    lines += ["}};", "", "} // namespace lang::detail", ""]
    with open(output, "w", encoding="utf-8", newline="\n") as out:
        out.write("\n".join(lines))


if __name__ == "__main__":
    main()
