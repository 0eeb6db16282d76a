#!/usr/bin/env bash
# Add Directory: 10,000 tagged MP3 files in a three-level tree added through the dialog's handlers,
# against reading the same tags in one plain loop (target: ratio at most 1.5), and the longest pause of
# the event loop while the search runs (target: at most 100 ms).
set -eu
build=$1
bin="$build/bench/bench_scan"
[ -x "$bin" ] || { echo "scan: $bin not built"; exit 1; }
export CALVORAN_BENCH_DIR=${CALVORAN_BENCH_DIR:-$(mktemp -d)}
trap 'rm -rf "$CALVORAN_BENCH_DIR/calvoran-scan-bench"' EXIT
out=$(QT_QPA_PLATFORM=offscreen "$bin")
echo "$out"
/usr/bin/python3 - "$out" <<'PY'
import sys
v = dict(line.split("=") for line in sys.argv[1].split() if "=" in line)
plain, dialog, stall = float(v["plain_ms"]), float(v["dialog_ms"]), float(v["max_stall_ms"])
print(f"scan: dialog {dialog:.0f} ms, plain loop {plain:.0f} ms, ratio {dialog / plain:.2f} (target <= 1.5); "
      f"longest event-loop pause {stall:.1f} ms (target <= 100); CPU of all threads {v['dialog_cpu_ms']} ms "
      f"against {v['plain_cpu_ms']} ms")
sys.exit(0 if dialog / plain <= 1.5 and stall <= 100 else 1)
PY
