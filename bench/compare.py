#!/usr/bin/env python3
"""Checks that two tessik binaries print the same bytes and exit the same.

usage: compare.py OLD NEW [--cases N] [--seed S]

Made for work on the listing's speed: build the tool before and after a
change and run both over generated containers (odd data sizes, IDs of every
width and sign, unprintable types, deep nesting, wide parents, empty leaves)
and over damaged copies of them (cut short, sizes and counts changed), at
verbosity 3 so that error reports and their place in the output are
compared too (the line numbers in location lines aside). Prints the first difference and exits 1, else a summary.
"""
import argparse
import os
import random
import re
import struct
import subprocess
import sys
import tempfile


def leaf(rng, depth):
    size = rng.choice([0, 1, 2, 4, 15, 16, 17, 31, 32, 33, rng.randrange(0, 300)])
    data = bytes(rng.getrandbits(8) for _ in range(size))
    return node(rng, 0, data, [])


def node(rng, count, payload, children):
    kind = rng.random()
    if kind < 0.1:
        type_code = bytes(rng.getrandbits(8) for _ in range(4))
    else:
        type_code = rng.choice([b"vide", b"sptl", b"name", b"grp ", b"\x00\x01ab", b"\x7f\x80~ "])
    atom_id = rng.choice([1, 2, 9, 10, 12345, -1, -2147483648, 2147483647, rng.getrandbits(31)])
    body = payload + b"".join(children)
    return struct.pack(">I4siHHI", 20 + len(body), type_code, atom_id, 0, count, 0) + body


def tree(rng, depth, budget):
    if depth > 0 and (budget[0] <= 0 or rng.random() < 0.45):
        budget[0] -= 1
        return leaf(rng, depth)
    n = rng.choice([1, 1, 2, 3, 5, rng.randrange(1, 40)])
    children = [tree(rng, depth + 1, budget) for _ in range(n)]
    budget[0] -= 1
    return node(rng, n, b"", children)


def deep(rng, levels):
    atom = leaf(rng, levels)
    for _ in range(levels):
        atom = node(rng, 1, b"", [atom])
    return atom


def container(rng):
    shape = rng.random()
    if shape < 0.05:
        root = deep(rng, rng.choice([100, 1023, 1024, 1025]))
    elif shape < 0.1:
        root = node(rng, 0, b"", [])
    else:
        root = tree(rng, 0, [rng.randrange(1, 200)])
    # The root is always 'sean' ID 1 in a stored container.
    root = root[:4] + b"sean" + struct.pack(">i", 1) + root[12:]
    return bytes(12) + root


def damage(rng, data):
    data = bytearray(data)
    how = rng.random()
    if how < 0.3:
        return bytes(data[: rng.randrange(0, len(data) + 1)])
    for _ in range(rng.randrange(1, 4)):
        at = rng.randrange(12, max(13, len(data) - 4))
        if rng.random() < 0.5:
            data[at : at + 4] = struct.pack(">I", rng.choice([0, 19, 20, 21, rng.getrandbits(32)]))
        else:
            data[at] = rng.getrandbits(8)
    return bytes(data)


def run(binary, path):
    p = subprocess.run([binary, "--verbosity=3", path], stdout=subprocess.PIPE,
                       stderr=subprocess.DEVNULL, cwd=os.path.dirname(path))
    # Location lines name source lines, which move with any edit.
    return p.returncode, re.sub(rb"^### \((.+?): \d+\)$", rb"### (\1: N)", p.stdout, flags=re.M)


def main():
    ap = argparse.ArgumentParser()
    ap.add_argument("old")
    ap.add_argument("new")
    ap.add_argument("--cases", type=int, default=400)
    ap.add_argument("--seed", type=int, default=1)
    args = ap.parse_args()
    old, new = os.path.abspath(args.old), os.path.abspath(args.new)
    rng = random.Random(args.seed)
    failed = 0
    with tempfile.TemporaryDirectory(prefix="tessik-compare-") as tmp:
        path = os.path.join(tmp, "case.st")
        for case in range(args.cases):
            data = container(rng)
            if case % 2 == 1:
                data = damage(rng, data)
            with open(path, "wb") as f:
                f.write(data)
            a, b = run(old, path), run(new, path)
            if a != b:
                keep = os.path.join(tempfile.gettempdir(), f"tessik-compare-{case}.st")
                with open(keep, "wb") as f:
                    f.write(data)
                print(f"case {case}: outputs differ (exit {a[0]} vs {b[0]}, "
                      f"{len(a[1])} vs {len(b[1])} bytes); input kept as {keep}")
                failed += 1
                if failed >= 5:
                    break
            elif case == 0 or (case + 1) % 100 == 0:
                print(f"  {case + 1} cases identical")
    if failed:
        return 1
    print(f"all {args.cases} cases identical")
    return 0


if __name__ == "__main__":
    sys.exit(main())
