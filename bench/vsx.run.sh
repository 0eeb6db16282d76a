#!/usr/bin/env bash
# VSX Lab under Mesa's software renderer on an Xvfb: frames per second of the cube at 320 x 213 and
# the CPU each frame costs; the idle CPU with the window open but not started must match closed.
set -u
build=${1:-build-bench}
exe="$build/bench/bench_vsx"
[ -x "$exe" ] || { echo "vsx: $exe missing (build target bench_vsx)"; exit 1; }
out=$(mktemp)
trap 'rm -f "$out"' EXIT
QT_QPA_PLATFORM=xcb xvfb-run -a -s "-screen 0 1280x800x24" "$exe" --benchmark_out="$out" \
    --benchmark_out_format=json >/dev/null || exit 1
python3 - "$out" <<'PY'
import json, sys
runs = {b["name"]: b for b in json.load(open(sys.argv[1]))["benchmarks"]}
def get(prefix):
    return next(b for n, b in runs.items() if n.startswith(prefix))
scene, window = get("BM_CubeFrameScene"), get("BM_WindowRunning")
print(f"vsx: cube scene at 320x213 on {scene.get('label', '?')}: {scene['fps']:.0f} frames/s, "
      f"{scene['cpu_time']:.2f} ms CPU per frame")
per_frame = window["cpu_time"] * window["iterations"] / max(window["frames"], 1)
print(f"vsx: the window started (data call, render, texts, flip each frame): {window['fps']:.0f} frames/s, "
      f"{per_frame:.2f} ms CPU per frame")
closed, opened = get("BM_IdleLoop/0"), get("BM_IdleLoop/1")
print(f"vsx: idle CPU per 500 ms: closed {closed['cpu_time']:.2f} ms, open but not started {opened['cpu_time']:.2f} ms")
# Not started means no frames: open may cost at most 1% of a core more than closed.
sys.exit(0 if opened["cpu_time"] <= closed["cpu_time"] + 5.0 else 1)
PY
