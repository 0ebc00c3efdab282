#!/usr/bin/env python3
"""What a typed header costs the translation units that include it.

    bench/header_scale.py PHRASOR [--sizes 1000,10000,100000] [--calls 100]
                          [--compilers g++,clang++] [--std c++17,c++20]

For each size it writes a source catalog of that many IDs (plain texts,
messages with up to three inserts of every family, printf formats, plural
and ordinal texts), has PHRASOR write its typed header, and compiles two
units at -O0 -c: one that includes the header and makes CALLS typed calls,
and its baseline, the same calls with string IDs and no generated header.
It prints the seconds and peak megabytes of each compile, and the typed
unit's cost as a ratio of the baseline's measured in the same run.

The machine may be shared: each compile runs --runs times (default 3) and
the median is kept.
"""

import argparse
import os
import random
import statistics
import subprocess
import sys
import tempfile

HERE = os.path.dirname(os.path.abspath(__file__))
INCLUDE = os.path.join(HERE, "..", "include")

# (value, kind of call, arguments the typed call passes)
SHAPES = [
    ("Plain text {n}", "format", []),
    ("%1!s! pays %2!d! gold ({n})", "format", ['"Ann"', "12"]),
    ("%1!s! at %2!.2f! m/s, %3!c! ({n})", "format", ['"Ann"', "1.5", "'x'"]),
    ("%s has %d ({n})", "format", ['"Ann"', "3"]),
    ("%1!s!, %1!s! and %2!u! ({n})", "format", ['"Ann"', "2u"]),
]


def write_catalog(path, size):
    rows = ["id,value", "@locale,en"]
    calls = []
    rng = random.Random(size)
    n = 0
    while n < size:
        pick = rng.randrange(10)
        if pick == 0:  # a plural text: two forms
            rows.append(f"PLURAL_{n}#one,%1!d! file in %2!s! ({n})")
            rows.append(f"PLURAL_{n}#other,%1!d! files in %2!s! ({n})")
            calls.append((f"PLURAL_{n}", "plural", ["3", "3", '"bin"']))
            n += 2
            continue
        value, call, args = SHAPES[pick % len(SHAPES)]
        rows.append(f"MSG_{n}," + '"' + value.format(n=n) + '"')
        calls.append((f"MSG_{n}", call, args))
        n += 1
    with open(path, "w", encoding="utf-8") as f:
        f.write("\n".join(rows) + "\n")
    return calls


def write_units(folder, calls, count):
    picked = calls[:: max(1, len(calls) // count)][:count]
    typed, plain = [], []
    for i, (id_, call, args) in enumerate(picked):
        rest = "".join(", " + a for a in args)
        if call == "plural":
            # The string call takes the count as a Count, then the inserts.
            typed.append(f"  r += c.plural(msg::{id_}{rest}).has_value();")
            plain.append(f'  r += c.plural("{id_}"{rest}).has_value();')
        else:
            typed.append(f"  r += c.format(msg::{id_}{rest}).has_value();")
            plain.append(f'  r += c.format("{id_}"{rest}).has_value();')
    head = '#include "phrasor/Phrasor.h"\n'
    body = "int calls(const phrasor::Catalog &c) {\n  int r = 0;\n{}\n  return r;\n}\n"
    with open(os.path.join(folder, "typed.cpp"), "w") as f:
        f.write(head + '#include "msg.h"\n\n' + body.replace("{}", "\n".join(typed)))
    with open(os.path.join(folder, "plain.cpp"), "w") as f:
        f.write(head + "\n" + body.replace("{}", "\n".join(plain)))


def compile_cost(compiler, std, folder, unit, runs):
    seconds, megabytes = [], []
    for _ in range(runs):
        cmd = ["/usr/bin/time", "-f", "%e %M", compiler, f"-std={std}", "-O0",
               "-c", "-I", INCLUDE, "-I", folder, os.path.join(folder, unit),
               "-o", os.path.join(folder, unit + ".o")]
        done = subprocess.run(cmd, capture_output=True, text=True)
        if done.returncode != 0:
            sys.exit(f"header_scale: {compiler} failed on {unit}:\n{done.stderr[:3000]}")
        s, kb = done.stderr.strip().splitlines()[-1].split()
        seconds.append(float(s))
        megabytes.append(int(kb) / 1024)
    return statistics.median(seconds), statistics.median(megabytes)


def main():
    ap = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    ap.add_argument("phrasor")
    ap.add_argument("--sizes", default="1000,10000,100000")
    ap.add_argument("--calls", type=int, default=100)
    ap.add_argument("--compilers", default="g++,clang++")
    ap.add_argument("--std", default="c++17")
    ap.add_argument("--runs", type=int, default=3)
    o = ap.parse_args()
    compilers = [c for c in o.compilers.split(",")
                 if subprocess.run(["which", c], capture_output=True).returncode == 0]
    print(f"{'IDs':>7} {'compiler':>8} {'std':>5} {'header MB':>9} "
          f"{'typed s':>8} {'plain s':>8} {'x time':>6} "
          f"{'typed MB':>8} {'plain MB':>8} {'x mem':>6}")
    with tempfile.TemporaryDirectory() as folder:
        for size in (int(s) for s in o.sizes.split(",")):
            csv = os.path.join(folder, "en.csv")
            calls = write_catalog(csv, size)
            header = os.path.join(folder, "msg.h")
            subprocess.run([o.phrasor, "header", csv, "-o", header], check=True)
            write_units(folder, calls, o.calls)
            header_mb = os.path.getsize(header) / 1e6
            for compiler in compilers:
                for std in o.std.split(","):
                    ts, tm = compile_cost(compiler, std, folder, "typed.cpp", o.runs)
                    ps, pm = compile_cost(compiler, std, folder, "plain.cpp", o.runs)
                    print(f"{size:>7} {compiler:>8} {std:>5} {header_mb:>9.1f} "
                          f"{ts:>8.2f} {ps:>8.2f} {ts / ps:>6.2f} "
                          f"{tm:>8.0f} {pm:>8.0f} {tm / pm:>6.2f}", flush=True)


if __name__ == "__main__":
    main()
