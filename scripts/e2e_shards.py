#!/usr/bin/env python3
"""Splits the end-to-end suite into shards that run at once (scripts/test.sh).

  e2e_shards.py filter LISTING TIMES SHARDS INDEX [--cases]
      LISTING is the suite's --gtest_list_tests output (--cases: it was filtered, name the
      cases instead of whole suites). Prints the --gtest_filter of shard
      INDEX (0-based) of SHARDS: whole test suites, spread so that the shards take about as
      long, by the seconds TIMES holds for each suite (a suite not in it counts its cases at
      the average seconds per case). The suites that measure the audio sink stay together
      in the first shard. Every shard computes the same split from the same inputs.
  e2e_shards.py record TIMES XML...
      Keeps the seconds each suite took in the GoogleTest reports XML... in TIMES
      ("suite seconds" lines; suites not in the reports keep their old figure).
"""
import fnmatch
import os
import sys
import xml.etree.ElementTree as ET

# Suites that measure what reached the audio sink or how long the player took for
# something: kept in one shard, so they always share the machine with the same neighbours.
PINNED = ["Audio*", "Fades*", "VuMeter*", "WaveVolume*", "Transport*", "Benchmark*",
          "WindowBench*"]
DEFAULT_SECONDS_PER_CASE = 5.0


def read_listing(path):
    """Suite names in listing order, their number of enabled cases and the cases' names."""
    suites, counts, cases = [], {}, {}
    current = None
    with open(path, errors="replace") as f:
        for raw in f:
            line = raw.rstrip("\r\n")
            if not line.strip() or line.startswith(("Running main", "[")):
                continue
            if not line.startswith(" "):
                current = line.split("#")[0].strip()
                if current.endswith("."):
                    current = current[:-1]
                if current not in counts:
                    suites.append(current)
                    counts[current] = 0
                    cases[current] = []
            elif current is not None:
                name = line.strip().split("#")[0].strip()
                if not name.startswith("DISABLED_") and not current.startswith("DISABLED_"):
                    counts[current] += 1
                    cases[current].append(name)
    return [s for s in suites if counts[s] > 0], counts, cases


def read_times(path):
    times = {}
    if path and os.path.exists(path):
        with open(path) as f:
            for line in f:
                parts = line.split()
                if len(parts) == 2:
                    try:
                        times[parts[0]] = float(parts[1])
                    except ValueError:
                        pass
    return times


def split(suites, counts, times, shards):
    known = [s for s in suites if s in times and counts[s]]
    per_case = (sum(times[s] for s in known) / sum(counts[s] for s in known)
                if known else DEFAULT_SECONDS_PER_CASE)
    cost = {s: times.get(s, counts[s] * per_case) for s in suites}
    load = [0.0] * shards
    parts = [[] for _ in range(shards)]
    pinned = [s for s in suites if any(fnmatch.fnmatchcase(s.split("/")[-1], p) for p in PINNED)]
    for s in pinned:
        parts[0].append(s)
        load[0] += cost[s]
    # Longest first onto the least loaded shard; ties by name so every shard agrees.
    rest = sorted((s for s in suites if s not in pinned), key=lambda s: (-cost[s], s))
    for s in rest:
        i = min(range(shards), key=lambda k: (load[k], k))
        parts[i].append(s)
        load[i] += cost[s]
    return parts, load


def main(argv):
    if len(argv) >= 6 and argv[1] == "filter":
        suites, counts, cases = read_listing(argv[2])
        shards, index = int(argv[4]), int(argv[5])
        parts, load = split(suites, counts, read_times(argv[3]), shards)
        sys.stderr.write("[e2e] shard %d of %d: %d suites, about %d s\n" %
                         (index + 1, shards, len(parts[index]), load[index]))
        # With --cases (the listing was already filtered) the cases by name, else whole
        # suites. An empty shard runs nothing (a pattern no suite has).
        if "--cases" in argv[6:]:
            names = [s + "." + c for s in parts[index] for c in cases[s]]
        else:
            names = [s + ".*" for s in parts[index]]
        print(":".join(names) or "NoSuchSuite.none")
        return 0
    if len(argv) >= 3 and argv[1] == "record":
        times = read_times(argv[2])
        for path in argv[3:]:
            try:
                root = ET.parse(path).getroot()
            except (ET.ParseError, OSError):
                continue
            for suite in root.iter("testsuite"):
                try:
                    times[suite.get("name")] = float(suite.get("time", "0"))
                except ValueError:
                    pass
        with open(argv[2], "w") as f:
            for name in sorted(times):
                f.write("%s %.1f\n" % (name, times[name]))
        return 0
    sys.stderr.write(__doc__)
    return 2


if __name__ == "__main__":
    sys.exit(main(sys.argv))
