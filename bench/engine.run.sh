#!/usr/bin/env bash
# Playlist reading and writing at 10,000 MP3 entries, as ratios to opening each file and reading its
# first 64 KiB. Budget: each under 2 s.
set -u
build=${1:-build-bench}
exe="$build/bench/bench_engine"
[ -x "$exe" ] || { echo "engine: $exe not built"; exit 1; }
out=$(mktemp)
trap 'rm -f "$out"' EXIT
QT_QPA_PLATFORM=offscreen SDL_AUDIODRIVER=dummy "$exe" --benchmark_format=json >"$out" || exit 1
python3 - "$out" <<'PY'
import json, sys
runs = {b["name"].split("/")[0]: b for b in json.load(open(sys.argv[1]))["benchmarks"]}
def ms(name):
    b = runs[name]
    scale = {"ns": 1e-6, "us": 1e-3, "ms": 1.0, "s": 1e3}[b["time_unit"]]
    return b["real_time"] * scale
floor = ms("BM_ReadFirst64KiB")
status = 0
print(f"  reading the first 64 KiB of 10,000 files: {floor:8.1f} ms")
for name, label in (("BM_WritePlaylist", "writing the playlist"), ("BM_ReadPlaylist", "reading the playlist")):
    t = ms(name)
    verdict = "ok" if t < 2000 else "OVER BUDGET (2 s)"
    if t >= 2000:
        status = 1
    print(f"  {label:40s}: {t:8.1f} ms  = {t / floor:5.2f} x the 64 KiB reads  {verdict}")
sys.exit(status)
PY
