#!/usr/bin/env bash
# Frames of each shipped plug-in fed from the recording of playing music, at 231 x 229 (the plug-ins
# window's first size) and 640 x 480: budget 4 ms CPU at 640 x 480, shown beside the cost of only
# showing a frame of that size. Then the CPU of playing music with a recording-fed plug-in frame every
# 30 ms, as a ratio to playing alone (reported; the frame budget is the limit).
set -u
build=${1:-build-bench}
exe="$build/bench/bench_plugins"
[ -x "$exe" ] || { echo "plugins: $exe missing (build target bench_plugins)"; exit 1; }
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
export QT_QPA_PLATFORM=offscreen SDL_AUDIODRIVER=dummy
"$exe" --benchmark_repetitions=3 --benchmark_report_aggregates_only=true \
    --benchmark_out="$work/frames.json" --benchmark_out_format=json >/dev/null 2>"$work/bench.log" || exit 1
seconds=${PLUGINS_BENCH_SECONDS:-6}
for round in 1 2 3; do
    "$exe" --playback-cpu "$seconds" >>"$work/without.txt" || exit 1
    "$exe" --playback-cpu "$seconds" plugins >>"$work/with.txt" || exit 1
done
python3 - "$work" <<'PY'
import json, statistics, sys
work = sys.argv[1]
runs = {b["run_name"]: b for b in json.load(open(f"{work}/frames.json"))["benchmarks"]
        if b.get("aggregate_name") == "median"}
us = lambda name: runs[name]["cpu_time"]  # CPU time: wall time on a shared machine counts other jobs
status = 0
for index, label in enumerate(("ember", "tunnel", "stars")):
    small, large = us(f"BM_Plugin/{index}/231/229"), us(f"BM_Plugin/{index}/640/480")
    peer_small, peer_large = us("BM_PeerShowFrame/0/231/229"), us("BM_PeerShowFrame/0/640/480")
    verdict = "ok" if large < 4000 else "OVER BUDGET (4000 us at 640 x 480)"
    status |= large >= 4000
    print(f"plugins: {label:7s} frame {small:7.1f} us at 231x229 ({small / peer_small:5.1f} x showing it), "
          f"{large:7.1f} us at 640x480 ({large / peer_large:5.1f} x showing it)  {verdict}")
without = statistics.median(float(x) for x in open(f"{work}/without.txt"))
with_ = statistics.median(float(x) for x in open(f"{work}/with.txt"))
ratio = with_ / without if without > 0 else float("inf")
print(f"plugins: playing CPU over the run {without:.3f} s alone, {with_:.3f} s with recording and a plug-in "
      f"frame every 30 ms: ratio {ratio:.2f}")
sys.exit(status)
PY
