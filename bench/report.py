#!/usr/bin/env python3
"""Turns Google Benchmark JSON into the ratio tables of docs/performance.md.

Usage: report.py DOC SECTION COMMAND JSON [JSON ...]

Replaces the text between '<!-- BEGIN SECTION -->' and '<!-- END SECTION -->'
in DOC with tables built from the medians of the runs. Benchmarks are named
BM_<Operation>_<System>/<N>[/...]. Times are CPU time per operation, except
for benchmarks timed by hand (peers' loads), whose manual time is used.
"""
import datetime
import json
import platform
import re
import sys


def load(paths):
    results, context = {}, {}
    for path in paths:
        with open(path) as f:
            data = json.load(f)
        context = data.get("context", context)
        for b in data["benchmarks"]:
            if b.get("aggregate_name", "median") != "median":
                continue
            if b.get("error_occurred"):
                continue
            parts = b["run_name"].split("/")
            m = re.match(r"BM_([A-Za-z]+)_(\w+)$", parts[0])
            if not m:
                continue
            n = int(parts[1]) if len(parts) > 1 and parts[1].isdigit() else 0
            scale = {"ns": 1, "us": 1e3, "ms": 1e6, "s": 1e9}[b["time_unit"]]
            manual = "manual_time" in b["run_name"]
            ns = (b["real_time"] if manual else b["cpu_time"]) * scale
            results[(m.group(1), m.group(2), n)] = dict(b, ns=ns)
    return results, context


def fmt_ns(ns):
    if ns is None:
        return "—"
    if ns >= 1e6:
        return f"{ns / 1e6:.2f} ms"
    if ns >= 1e4:
        return f"{ns / 1e3:.1f} µs"
    if ns >= 100:
        return f"{ns:.0f} ns"
    return f"{ns:.1f} ns"


def fmt_bytes(b):
    if b is None:
        return "—"
    for unit, size in (("GiB", 1 << 30), ("MiB", 1 << 20), ("KiB", 1 << 10)):
        if abs(b) >= size:
            return f"{b / size:.1f} {unit}"
    return f"{b:.0f} B"


def ratio(a, b):
    return "—" if a is None or b is None or b == 0 else f"{a / b:.2f}x"


def ns(res, op, system, n):
    r = res.get((op, system, n))
    return r["ns"] if r else None


def sizes(res, op):
    return sorted({n for (o, _, n) in res if o == op})


def table(header, rows):
    out = ["| " + " | ".join(header) + " |", "|" + "---|" * len(header)]
    out += ["| " + " | ".join(str(c) for c in row) + " |" for row in rows]
    return "\n".join(out)


def section_load(res):
    rows = []
    for n in sizes(res, "Load"):
        keeper, floor = ns(res, "Load", "CreateKeeper", n), ns(res, "Load", "CopyFloor", n)
        size = res[("Load", "CopyFloor", n)].get("file_bytes") if ("Load", "CopyFloor", n) in res else None
        mbs = lambda t: "—" if t is None or not size else f"{size / t * 1e9 / 1e6:.0f} MB/s"
        rows.append([f"{n:,}", fmt_bytes(size), f"{fmt_ns(keeper)} ({mbs(keeper)})",
                     f"{fmt_ns(floor)} ({mbs(floor)})", ratio(keeper, floor)])
    return table(["entries", "file", "CreateKeeper + ReleaseKeeper", "copy floor",
                  "ours / floor (target ≤ 2x)"], rows)


def section_lookup(res):
    parts = []
    for op, title in (("LookupHit", "Hits, random order"), ("LookupMiss", "Misses"),
                      ("LookupOtherCase", "Hits spelled in another letter case")):
        rows = []
        for n in sizes(res, op):
            by_id, index, floor, lb, hm = (ns(res, op, s, n) for s in
                                           ("GetStringByID", "GetStringIndex", "StrCaseCmp",
                                            "LowerBound", "UnorderedMap"))
            rows.append([f"{n:,}", fmt_ns(by_id), fmt_ns(index), fmt_ns(floor), fmt_ns(lb),
                         fmt_ns(hm), ratio(by_id, floor), ratio(index, floor), ratio(by_id, hm)])
        parts.append(f"{title}:\n\n" + table(
            ["entries", "GetStringByID", "GetStringIndex", "lower_bound + strcasecmp",
             "lower_bound + fold loop", "unordered_map",
             "ByID / floor (target ≤ 1.1x)", "Index / floor (target ≤ 1.1x)", "ByID / map"],
            rows))
    rows = []
    for n in sizes(res, "ByIndex"):
        ours, arr = ns(res, "ByIndex", "GetStringByIndex", n), ns(res, "ByIndex", "Array", n)
        rows.append([f"{n:,}", fmt_ns(ours), fmt_ns(arr), ratio(ours, arr)])
    parts.append("By index, random order:\n\n" + table(
        ["entries", "GetStringByIndex", "two array reads", "ours / arrays"], rows))
    return "\n\n".join(parts)


def section_peers(res):
    parts = []
    rows = []
    for n in sizes(res, "Load"):
        ours = ns(res, "Load", "Ours", n)
        cells = [fmt_ns(ns(res, "Load", s, n)) for s in ("Ours", "OursFile", "CopyFloor", "Gettext", "ICU")]
        rows.append([f"{n:,}"] + cells + [ratio(ours, ns(res, "Load", "CopyFloor", n)),
                                           ratio(ns(res, "Load", "Gettext", n), ours),
                                           ratio(ns(res, "Load", "ICU", n), ours)])
    parts.append("Load, ready to answer:\n\n" + table(
        ["entries", "ours (memory)", "ours (file)", "copy floor", "gettext", "ICU",
         "ours / floor (target ≤ 2x)", "gettext / ours", "ICU / ours"], rows))
    for op, title in (("LookupHit", "Lookup by ID, hits in random order"),
                      ("LookupMiss", "Lookup by ID, misses")):
        rows = []
        for n in sizes(res, op):
            ours = ns(res, op, "Ours", n)
            peers = [ns(res, op, s, n) for s in ("Gettext", "ICU", "UnorderedMap")]
            rows.append([f"{n:,}", fmt_ns(ours)] + [fmt_ns(p) for p in peers] +
                        [ratio(p, ours) for p in peers])
        parts.append(f"{title} (target: gettext / ours and ICU / ours > 1):\n\n" + table(
            ["entries", "ours", "gettext", "ICU", "unordered_map",
             "gettext / ours", "ICU / ours", "map / ours"], rows))
    rows = []
    ours = ns(res, "Format", "Ours", 1000)
    for system, label in (("Ours", "ours, FormatMessageByID"),
                          ("OursByIndex", "ours, FormatMessageByIndex"),
                          ("ICUPrepared", "ICU MessageFormat, pattern parsed once"),
                          ("ICUStatic", "ICU MessageFormat::format, parsed per call"),
                          ("Fmt", "fmt::format_to_n (wchar_t)"),
                          ("Swprintf", "glibc swprintf, positional")):
        t = ns(res, "Format", system, 1000)
        rows.append([label, fmt_ns(t), ratio(t, ours)])
    parts.append("Message formatting, two inserts into a 256-unit buffer (1,000-entry catalog; "
                 "target: ICU / ours ≥ 3x, fmt / ours ≥ 0.5x):\n\n" +
                 table(["system", "time", "peer / ours"], rows))
    rows = []
    for n in sizes(res, "Memory"):
        for system, label in (("Ours", "ours (host allocator)"), ("Gettext", "gettext"),
                              ("ICU", "ICU"), ("UnorderedMap", "unordered_map of strings")):
            r = res.get(("Memory", system, n))
            if r:
                rows.append([f"{n:,}", label, fmt_bytes(r.get("heap_bytes")),
                             fmt_bytes(r.get("mapped_bytes")), fmt_bytes(r.get("rss_bytes"))])
    parts.append("Memory held after load (heap growth, address space mapped, resident growth):\n\n" +
                 table(["entries", "system", "heap", "mapped", "resident"], rows))
    return "\n\n".join(parts)


def main():
    doc, section, command, paths = sys.argv[1], sys.argv[2], sys.argv[3], sys.argv[4:]
    res, ctx = load(paths)
    body = {"load": section_load, "lookup": section_lookup, "peers": section_peers}[section](res)
    cpu = ""
    try:
        with open("/proc/cpuinfo") as f:
            cpu = next(l.split(":", 1)[1].strip() for l in f if l.startswith("model name"))
    except (OSError, StopIteration):
        pass
    stamp = (f"Measured {datetime.date.today().isoformat()} on {ctx.get('num_cpus', '?')} shared cores "
             f"({cpu or platform.machine()}, load average {', '.join(f'{x:.1f}' for x in ctx.get('load_avg', []))}) "
             f"with `{command}`; medians of the repetitions.")
    block = f"<!-- BEGIN {section} -->\n{stamp}\n\n{body}\n<!-- END {section} -->"
    with open(doc) as f:
        text = f.read()
    pattern = re.compile(rf"<!-- BEGIN {section} -->.*?<!-- END {section} -->", re.S)
    if not pattern.search(text):
        sys.exit(f"error: {doc}: no '<!-- BEGIN {section} -->' block")
    text = pattern.sub(lambda _: block, text)
    with open(doc, "w") as f:
        f.write(text)


if __name__ == "__main__":
    main()
