#!/usr/bin/env bash
# Effects: CPU per second of 44.1 kHz stereo sound, as a fraction of one core, for each effect and for
# all twelve plus the three-band equaliser together (target: under 2%).
set -euo pipefail
build=${1:-build-bench}
bin="$build/bench/bench_fx"
if [ ! -x "$bin" ]; then
    cmake --build "$build" --target bench_fx >&2
fi
json=$(mktemp)
trap 'rm -f "$json"' EXIT
"$bin" --benchmark_out="$json" --benchmark_out_format=json
python3 - "$json" <<'PY'
import json, sys
runs = json.load(open(sys.argv[1]))["benchmarks"]
for r in runs:
    label = r.get("label") or r["name"]
    print(f"fx: {label:>28}: {100 * r['core_fraction']:.3f}% of one core")
total = next(r for r in runs if r["name"].startswith("BM_AllEffects"))
pct = 100 * total["core_fraction"]
print(f"fx: all twelve effects + equaliser: {pct:.3f}% of one core (target < 2%): "
      + ("within" if pct < 2 else "OVER"))
PY
