#!/usr/bin/env python3
"""Fails, naming the places, when a test source is not C++17 to clang.

g++ takes some later-standard constructs in C++17 mode without a word (a lambda
capturing a structured binding, say); clang refuses them. Each test source of a
build's compile_commands.json is checked with clang++ -fsyntax-only under that
build's own flags, the JUCE headers precompiled once per target.

    tools/check_clang_tests.py <build folder>
"""
import hashlib
import json
import os
import shlex
import subprocess
import sys
import tempfile
from concurrent.futures import ThreadPoolExecutor


def clang_arguments(entry):
    """The entry's compiler flags for clang, its precompiled header and its source."""
    words = shlex.split(entry["command"])[1:]
    flags, header = [], None
    k = 0
    while k < len(words):
        word = words[k]
        if word == "-o":
            k += 2
            continue
        if word == "-include" and words[k + 1].endswith("cmake_pch.hxx"):
            header = words[k + 1]
            k += 2
            continue
        if word not in ("-c", "-Winvalid-pch", entry["file"]):
            flags.append(word)
        k += 1
    return flags, header


def main():
    build = os.path.abspath(sys.argv[1])
    root = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
    with open(os.path.join(build, "compile_commands.json")) as commands:
        entries = [e for e in json.load(commands) if e["file"].startswith(os.path.join(root, "tests") + os.sep)]
    with tempfile.TemporaryDirectory(prefix="brondil-clang-") as scratch:
        return check_all(entries, scratch)


def check_all(entries, scratch):

    # g++ would find its own .gch beside CMake's header: clang gets a copy of its own.
    headers = {}
    for entry in entries:
        flags, header = clang_arguments(entry)
        if header is not None and header not in headers:
            name = hashlib.sha1(header.encode()).hexdigest()
            copy = os.path.join(scratch, name + ".hxx")
            with open(header) as source, open(copy, "w") as target:
                target.write(source.read())
            headers[header] = (copy, flags, entry["directory"])

    def precompile(item):
        copy, flags, folder = item
        result = subprocess.run(["clang++", *flags, "-Wno-pragma-system-header-outside-header", "-x", "c++-header",
                                 copy, "-o", copy + ".pch"], cwd=folder, capture_output=True, text=True)
        return copy, result

    def check(entry):
        flags, header = clang_arguments(entry)
        included = ["-include-pch", headers[header][0] + ".pch"] if header is not None else []
        result = subprocess.run(["clang++", *flags, *included, "-fsyntax-only", entry["file"]],
                                cwd=entry["directory"], capture_output=True, text=True)
        return entry["file"], result

    failed = False
    with ThreadPoolExecutor(os.cpu_count()) as pool:
        for copy, result in pool.map(precompile, headers.values()):
            if result.returncode != 0:
                print(result.stderr, file=sys.stderr)
                failed = True
        if not failed:
            for source, result in pool.map(check, entries):
                if result.returncode != 0:
                    print(result.stderr, file=sys.stderr)
                    failed = True
    print("clang checked %d test sources: %s" % (len(entries), "failed" if failed else "all C++17"))
    return 1 if failed else 0


if __name__ == "__main__":
    sys.exit(main())
