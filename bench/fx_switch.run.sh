#!/usr/bin/env bash
# Effect switch heard through the sound server: a tone on the left only, the channel swap switched on and
# off; what the server plays is recorded and each switch's delay measured in recorded samples against the
# position the library reported as heard when switching. Budget: 50 ms, five runs, the worst counts.
# The server plays into a pipe on its own clock, and everything it plays comes out of the pipe once, in
# order. A null sink's monitor is no such record: when a switch makes the sink take back sound it has
# rendered ahead, the monitor has already passed that sound on, and the recording comes out short.
set -u
build=${1:-build-bench}
tool="$build/bench/bench_fx_switch"
[ -x "$tool" ] || { echo "fx_switch: $tool not built"; exit 1; }
for t in pulseaudio pactl sox python3; do command -v $t >/dev/null || { echo "fx_switch: $t missing"; exit 1; }; done
work=$(mktemp -d); export XDG_RUNTIME_DIR=$work/xdg; mkdir -p "$XDG_RUNTIME_DIR"
pulseaudio -D --exit-idle-time=-1 -n \
  --load="module-pipe-sink sink_name=pipe file=$work/played format=s16le rate=44100 channels=2 use_system_clock_for_timing=yes" \
  --load="module-native-protocol-unix" --load="module-always-sink" 2>/dev/null || { echo "fx_switch: pulseaudio did not start"; exit 1; }
trap 'pulseaudio --kill 2>/dev/null; rm -rf "$work"' EXIT
sleep 1
sox -n -r 44100 -c 1 -b 16 "$work/l.wav" synth 2.5 sine 1000 vol 0.5
sox "$work/l.wav" -c 2 "$work/left.wav" remix 1 0
worst=0; status=0
for run in 1 2 3 4 5; do
  cat "$work/played" > "$work/rec.raw" &
  rec=$!; sleep 0.5
  positions=$(SDL_AUDIODRIVER=pulseaudio "$tool" "$work/left.wav") || { echo "fx_switch: playback failed"; kill $rec; exit 1; }
  kill $rec; wait $rec 2>/dev/null
  result=$(python3 - "$work/rec.raw" $positions <<'PY'
import array, sys
s = array.array('h'); s.frombytes(open(sys.argv[1], 'rb').read())
on, off = int(sys.argv[3]) // 4, int(sys.argv[5]) // 4
frames = len(s) // 2
def first(side, start, thr=64):
    for i in range(start, frames):
        if abs(s[2 * i + side]) > thr: return i
    return frames
start = first(0, 0)
heard_on = first(1, start)
quiet = heard_on + 4410
heard_off = first(0, quiet)
d_on = (heard_on - (start + on)) / 44.1
d_off = (heard_off - (start + off)) / 44.1
print(f"{d_on:.1f} {d_off:.1f}")
PY
)
  echo "  run $run: switch on heard after ${result% *} ms, off after ${result#* } ms"
  worst=$(echo "$worst $result" | awk '{m=$1; if($2>m)m=$2; if($3>m)m=$3; print m}')
done
if awk "BEGIN{exit !($worst < 50)}"; then echo "  fx_switch: worst ${worst} ms  ok (budget 50 ms)"; else echo "  fx_switch: worst ${worst} ms  OVER BUDGET (50 ms)"; status=1; fi
exit $status
