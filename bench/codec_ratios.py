"""The codec against msgpack-c as ratios: method-call encode, 10,000-entry map encode and mixed
decode, from interleaved repetitions of the host benchmark. Prints the best and the median of
each side: on a shared machine the medians wander with the neighbours, the best times much less.

  python3 bench/codec_ratios.py build/bench/bench/bench_codec [--repetitions 30]
"""

import argparse
import collections
import json
import statistics
import subprocess

CASES = ["Call_Encode", "Map_Encode", "Mixed_Decode"]


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("program")
    parser.add_argument("--repetitions", type=int, default=30)
    args = parser.parse_args()
    output = subprocess.run(
        [args.program, "--benchmark_filter=" + "|".join(CASES),
         "--benchmark_repetitions=%d" % args.repetitions,
         "--benchmark_enable_random_interleaving=true", "--benchmark_format=json"],
        check=True, capture_output=True, text=True).stdout
    times = collections.defaultdict(list)
    for run in json.loads(output)["benchmarks"]:
        if run.get("run_type") == "iteration":
            times[run["run_name"]].append(run["real_time"])
    for case in CASES:
        ours, theirs = times["BM_%s_Codec" % case], times["BM_%s_Msgpack" % case]
        print("%-13s best %.2fx (%.1f vs %.1f ns), median %.2fx (%.1f vs %.1f ns)" % (
            case, min(ours) / min(theirs), min(ours), min(theirs),
            statistics.median(ours) / statistics.median(theirs), statistics.median(ours),
            statistics.median(theirs)))


if __name__ == "__main__":
    main()
