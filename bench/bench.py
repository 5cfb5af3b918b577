#!/usr/bin/env python3
"""Whole-process benchmark of tessik against xxd, as ratios in one run.

Writes its inputs into a temporary folder (removed at the end):
  dump.st      one leaf of 64 MiB under the root, and dump.bin, the same
               64 MiB as raw bytes
  leaves1M.st  1,000,000 leaves of 4 bytes, 1000 under each of 1000 parents
  leaves100k.st  the same with 100 parents

Each command runs --runs times, tessik and its peer alternating (the order
flips every round, so neither always runs on a warm or a cold machine), with
standard output sent to a file in the temporary folder: writing the text is
part of the cost being measured. Wall time is what the goals use; CPU time
(user + system) is printed beside it because it is less disturbed by other
work on a shared machine. Peak resident memory: see run_once().

Prints medians, ratios and a verdict per goal, plus the SHA-256 of tessik's
output for each input, so a change can be checked to leave the output
byte-identical. Exits 1 when tessik fails or a goal is missed.

Peak memory is read through /usr/bin/time (Debian package "time") when it
is there; see run_once() for why.
"""
import argparse
import hashlib
import os
import random
import shutil
import statistics
import struct
import subprocess
import sys
import tempfile
import time

MIB = 1024 * 1024
ATOM_HEADER = 20


def atom(type_code, atom_id, count, payload_size):
    """The 20-byte header of an atom whose payload follows it."""
    return struct.pack(">I4siHHI", ATOM_HEADER + payload_size, type_code, atom_id, 0, count, 0)


def container_header():
    return bytes(12)


def write_dump(path, raw_path, size):
    """One leaf of `size` bytes under the root; the same bytes raw beside it."""
    rng = random.Random(6)
    block = bytes(rng.getrandbits(8) for _ in range(64 * 1024))
    with open(path, "wb") as st, open(raw_path, "wb") as raw:
        st.write(container_header())
        st.write(atom(b"sean", 1, 1, ATOM_HEADER + size))
        st.write(atom(b"blob", 1, 0, size))
        for _ in range(size // len(block)):
            st.write(block)
            raw.write(block)


def write_leaves(path, parents, per_parent):
    """`parents` parents under the root, each with `per_parent` 4-byte leaves."""
    leaf_size = ATOM_HEADER + 4
    parent_size = ATOM_HEADER + per_parent * leaf_size
    types = [b"lf%02d" % i for i in range(16)]
    with open(path, "wb") as f:
        f.write(container_header())
        f.write(atom(b"sean", 1, parents, parents * parent_size))
        for p in range(parents):
            parts = [atom(b"grp ", p + 1, per_parent, parent_size - ATOM_HEADER)]
            for i in range(per_parent):
                value = (p * per_parent + i) * 2654435761 & 0xFFFFFFFF
                parts.append(atom(types[i % 16], i + 1, 0, 4))
                parts.append(struct.pack(">I", value))
            f.write(b"".join(parts))


TIME = "/usr/bin/time"


def run_once(argv, out_path, tmp):
    """Runs argv with stdout to out_path; returns (wall s, cpu s, peak RSS bytes).

    The kernel carries the launcher's own peak into a child's ru_maxrss
    across exec, so a child started straight from this (large) Python
    process reports at least Python's size. /usr/bin/time forks the command
    from a small process and reports its true peak; without it the figure
    from wait4() is an upper bound."""
    report = os.path.join(tmp, "time.txt")
    launch = [TIME, "-f", "%M", "-o", report] + argv if os.access(TIME, os.X_OK) else argv
    with open(out_path, "wb") as out:
        start = time.perf_counter()
        proc = subprocess.Popen(launch, stdout=out, stderr=subprocess.DEVNULL, cwd=tmp)
        _, status, usage = os.wait4(proc.pid, 0)
        wall = time.perf_counter() - start
    proc.returncode = os.waitstatus_to_exitcode(status)
    if proc.returncode != 0:
        sys.exit(f"bench: {' '.join(argv)} exited with {proc.returncode}")
    # ru_maxrss and time's %M are in KiB on Linux.
    peak_kib = usage.ru_maxrss
    if launch is not argv:
        with open(report) as f:
            peak_kib = int(f.read().split()[-1])
    return wall, usage.ru_utime + usage.ru_stime, peak_kib * 1024


def sha256(path):
    h = hashlib.sha256()
    with open(path, "rb") as f:
        for chunk in iter(lambda: f.read(4 * MIB), b""):
            h.update(chunk)
    return h.hexdigest()


class Result:
    def __init__(self, name):
        self.name = name
        self.wall, self.cpu, self.rss = [], [], []

    def add(self, sample):
        self.wall.append(sample[0])
        self.cpu.append(sample[1])
        self.rss.append(sample[2])

    @property
    def median(self):
        return statistics.median(self.wall)

    @property
    def median_cpu(self):
        return statistics.median(self.cpu)


def compare(pairs, runs, tmp):
    """Runs each (name, argv) of `pairs` `runs` times, alternating the order
    every round. Returns {name: Result} and the output path of each name."""
    results = {name: Result(name) for name, _ in pairs}
    outputs = {name: os.path.join(tmp, name.replace(" ", "_") + ".out") for name, _ in pairs}
    for r in range(runs):
        order = pairs if r % 2 == 0 else list(reversed(pairs))
        for name, argv in order:
            results[name].add(run_once(argv, outputs[name], tmp))
    return results, outputs


def line(res):
    return (f"  {res.name:<22} wall {res.median:8.3f} s   cpu {res.median_cpu:8.3f} s"
            f"   peak RSS {max(res.rss) / MIB:7.1f} MiB   (runs: "
            + " ".join(f"{w:.3f}" for w in res.wall) + ")")


def main():
    ap = argparse.ArgumentParser(description=__doc__.split("\n")[0])
    ap.add_argument("--tessik", required=True, help="the tessik binary to measure")
    ap.add_argument("--runs", type=int, default=5, help="runs per command (default 5)")
    ap.add_argument("--xxd", default=shutil.which("xxd") or "xxd")
    args = ap.parse_args()
    tessik = os.path.abspath(args.tessik)
    if not os.access(tessik, os.X_OK):
        sys.exit(f"bench: {tessik} is not an executable")

    tmp = tempfile.mkdtemp(prefix="tessik-bench-")
    misses = []
    try:
        files = {
            "dump": os.path.join(tmp, "dump.st"),
            "raw": os.path.join(tmp, "dump.bin"),
            "1M": os.path.join(tmp, "leaves1M.st"),
            "100k": os.path.join(tmp, "leaves100k.st"),
        }
        t0 = time.perf_counter()
        write_dump(files["dump"], files["raw"], 64 * MIB)
        write_leaves(files["1M"], 1000, 1000)
        write_leaves(files["100k"], 100, 1000)
        print(f"inputs written in {time.perf_counter() - t0:.1f} s to {tmp}; "
              f"{args.runs} runs each, alternating; output to files in that folder")
        sizes = {k: os.path.getsize(v) for k, v in files.items()}
        # Commands run in the temporary folder with names relative to it, so
        # the path that tessik prints, and with it the checksum, is stable.
        files = {k: os.path.basename(v) for k, v in files.items()}

        print("\ndump: one 64 MiB leaf against xxd on the same 64 MiB raw")
        res, outs = compare([("tessik dump", [tessik, files["dump"]]),
                             ("xxd raw 64 MiB", [args.xxd, files["raw"]])], args.runs, tmp)
        dump_t, dump_x = res["tessik dump"], res["xxd raw 64 MiB"]
        print(line(dump_t))
        print(line(dump_x))
        ratio = dump_t.median / dump_x.median
        ok = ratio <= 1 / 8
        print(f"  ratio tessik/xxd  wall {ratio:.3f}  cpu {dump_t.median_cpu / dump_x.median_cpu:.3f}"
              f"   goal <= 0.125: {'met' if ok else 'MISSED'}")
        if not ok:
            misses.append("dump")
        sums = {"dump": sha256(outs["tessik dump"])}

        leaves = {}
        for key, label in (("1M", "1,000,000"), ("100k", "100,000")):
            print(f"\nmany atoms: {label} leaves against xxd on the same file")
            res, outs = compare([(f"tessik {key} leaves", [tessik, files[key]]),
                                 (f"xxd {key} file", [args.xxd, files[key]])], args.runs, tmp)
            t, x = res[f"tessik {key} leaves"], res[f"xxd {key} file"]
            print(line(t))
            print(line(x))
            ratio = t.median / x.median
            print(f"  ratio tessik/xxd  wall {ratio:.3f}  cpu {t.median_cpu / x.median_cpu:.3f}", end="")
            if key == "1M":
                ok = ratio <= 1.0
                print(f"   goal <= 1: {'met' if ok else 'MISSED'}")
                if not ok:
                    misses.append("many atoms")
            else:
                print()
            leaves[key] = t
            sums[key] = sha256(outs[f"tessik {key} leaves"])

        scale = leaves["1M"].median / leaves["100k"].median
        scale_cpu = leaves["1M"].median_cpu / leaves["100k"].median_cpu
        ok = scale <= 12
        print(f"\nscaling: 1,000,000 / 100,000 leaves  wall {scale:.2f}x  cpu {scale_cpu:.2f}x"
              f"   goal <= 12x: {'met' if ok else 'MISSED'}")
        if not ok:
            misses.append("scaling")

        print("\nmemory: tessik's peak resident memory against file size + 16 MiB")
        for key, res_ in (("dump", dump_t), ("1M", leaves["1M"]), ("100k", leaves["100k"])):
            peak = max(res_.rss)
            limit = sizes[key] + 16 * MIB
            ok = peak <= limit
            print(f"  {key:<5} file {sizes[key] / MIB:7.1f} MiB   peak {peak / MIB:7.1f} MiB"
                  f"   limit {limit / MIB:7.1f} MiB: {'met' if ok else 'MISSED'}")
            if not ok:
                misses.append(f"memory {key}")

        print("\noutput checksums (sha256 of tessik's stdout):")
        for key, digest in sums.items():
            print(f"  {key:<5} {digest}")
    finally:
        shutil.rmtree(tmp, ignore_errors=True)

    if misses:
        print("\ngoals missed: " + ", ".join(misses))
        return 1
    print("\nall goals met")
    return 0


if __name__ == "__main__":
    sys.exit(main())
