#!/usr/bin/env bash
# Renderer frames at 513 x 169 (draw, copy to the screen's picture, background refresh): budget
# 0.5 ms CPU each, shown beside Qt's own polyline over the same background. Then the CPU of the real
# player (on its own Xvfb) playing an MP3 with the VS Lab window open on the spectrum, as a ratio to
# the same run without the window: budget 1.5. Without Xvfb the second part measures a bare playback
# process instead, with the window drawn off-screen.
set -u
build=${1:-build-bench}
exe="$build/bench/bench_visuals"
[ -x "$exe" ] || { echo "visuals: $exe missing (build target bench_visuals)"; exit 1; }
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
export QT_QPA_PLATFORM=offscreen SDL_AUDIODRIVER=dummy
"$exe" --benchmark_repetitions=3 --benchmark_report_aggregates_only=true \
    --benchmark_out="$work/frames.json" --benchmark_out_format=json >/dev/null || exit 1

"$exe" --make-mp3 "$work/music.mp3" || { echo "visuals: cannot make the MP3 (lame missing?)"; exit 1; }
seconds=${VISUALS_BENCH_SECONDS:-15}
here=$(cd "$(dirname "$0")" && pwd)
if command -v xvfb-run >/dev/null && command -v xdotool >/dev/null && [ -x "$build/bin/calvoran" ]; then
    echo "player" >"$work/kind.txt"
    xvfb-run -a -s "-screen 0 1280x800x24" bash -c '
        for round in 1 2 3; do
            "$1/visuals_player_cpu.sh" "$2" "$3/music.mp3" "$4" >>"$3/without.txt" || exit 1
            "$1/visuals_player_cpu.sh" "$2" "$3/music.mp3" "$4" vslab >>"$3/with.txt" || exit 1
        done' _ "$here" "$build" "$work" "$seconds" || exit 1
else
    echo "bare playback process" >"$work/kind.txt"
    for round in 1 2 3; do
        "$exe" --playback-cpu "$seconds" "$work/music.mp3" >>"$work/without.txt" || exit 1
        "$exe" --playback-cpu "$seconds" "$work/music.mp3" vslab >>"$work/with.txt" || exit 1
    done
fi

python3 - "$work" <<'PY'
import json, statistics, sys
work = sys.argv[1]
runs = {b["run_name"]: b for b in json.load(open(f"{work}/frames.json"))["benchmarks"]
        if b.get("aggregate_name") == "median"}
us = lambda name: runs[name]["cpu_time"]  # CPU time: wall time on a shared machine counts other jobs
peer = us("BM_PeerQtPolyline")
status = 0
for name, label in (("BM_Circle", "circle"), ("BM_Oscilloscope", "oscilloscope"),
                    ("BM_Explosion", "explosion"), ("BM_Spectrum", "spectrum")):
    line, solid = us(f"{name}/0"), us(f"{name}/1")
    worst = max(line, solid)
    verdict = "ok" if worst < 500 else "OVER BUDGET (500 us)"
    status |= worst >= 500
    print(f"visuals: {label:12s} frame {line:7.1f} us line, {solid:7.1f} us solid; "
          f"{line / peer:4.2f} x Qt polyline ({peer:.1f} us)  {verdict}")
without = statistics.median(float(x) for x in open(f"{work}/without.txt"))
with_ = statistics.median(float(x) for x in open(f"{work}/with.txt"))
ratio = with_ / without if without > 0 else float("inf")
verdict = "ok" if ratio <= 1.5 else "OVER BUDGET (1.5)"
status |= ratio > 1.5
kind = open(f"{work}/kind.txt").read().strip()
print(f"visuals: {kind} CPU over the run {without:.3f} s without VS Lab, {with_:.3f} s with it on the spectrum: "
      f"ratio {ratio:.2f}  {verdict}")
sys.exit(status)
PY
