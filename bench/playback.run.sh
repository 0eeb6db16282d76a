#!/usr/bin/env bash
# CPU of the real player while it plays a 240 s MP3 through a PulseAudio null sink, main window shown in
# the default skin, beside mpg123, Audacious and Qmmp on the same file in the same run
# (bench/playback_cpu.sh). Budget: at most 0.5 s per minute, and below Audacious when it is installed.
set -u
build=${1:-build-bench}
[ -x "$build/bin/calvoran" ] || { echo "playback: $build/bin/calvoran not built"; exit 1; }
here=$(cd "$(dirname "$0")" && pwd)
for tool in pulseaudio pactl xvfb-run xdotool sox lame bc; do
    command -v "$tool" >/dev/null || { echo "playback: $tool missing (scripts/install-bench-deps.sh)"; exit 1; }
done
out=$(mktemp)
trap 'rm -f "$out"' EXIT
bash "$here/playback_cpu.sh" "$build/bin" "${PLAYBACK_BENCH_SECONDS:-60}" | tee "$out"
python3 - "$out" <<'PY'
import re, sys
cpu = {}
for line in open(sys.argv[1]):
    m = re.match(r"(\S+)\s+([\d.]+) s CPU per minute", line)
    if m:
        cpu[m.group(1)] = float(m.group(2))
ours = cpu.get("calvoran")
if ours is None:
    print("  playback: no figure for calvoran")
    sys.exit(1)
ok = ours <= 0.5 and ours < cpu.get("audacious", float("inf"))
peers = ", ".join(f"{k} {v:.2f}" for k, v in cpu.items() if k != "calvoran")
print(f"  calvoran {ours:.2f} s CPU per minute of playback ({peers})  "
      + ("ok" if ok else "OVER BUDGET (0.5 s, below audacious)"))
sys.exit(0 if ok else 1)
PY
