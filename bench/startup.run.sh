#!/usr/bin/env bash
# Start-up: from starting the player (with a 10-entry playlist and the default skin) to its main window
# shown and painted, on Xvfb; median of five starts, beside Audacious (to its main window) when it is
# installed. Budget: under 300 ms.
set -u
build=${1:-build-bench}
[ -x "$build/bin/calvoran" ] || { echo "startup: $build/bin/calvoran not built"; exit 1; }
command -v xvfb-run >/dev/null || { echo "startup: needs xvfb-run"; exit 1; }
[ -x "$build/bench/bench_first_paint" ] || { echo "startup: $build/bench/bench_first_paint not built"; exit 1; }
bin=$(cd "$build/bin" && pwd)
tool=$(cd "$build/bench" && pwd)/bench_first_paint
xvfb-run -a -s "-screen 0 1280x800x24" bash -s "$bin" "$tool" <<'INNER'
bin=$1
tool=$2
# Milliseconds from the start of "$@" until a visible window named $title shows more than one colour; the
# tool polls over its own X connection every 2 ms.
time_to_window() {
    local title=$1; shift
    local ms
    ms=$("$tool" "$title" "$@" 2>/dev/null)
    echo "${ms:--1}"
}
median() { sort -n | awk '{a[NR]=$1} END {print a[int((NR+1)/2)]}'; }
home=$(mktemp -d)
cp -r "$bin"/. "$home"/; rm -f "$home/Calvoran.ini" "$home/playlist.m3u"
{ printf '#EXTM3U\r\n'; for i in $(seq 10); do printf '#EXTINF:004,%d. Demo\r\n%s\r\n' "$i" "$home/Demo/demo.wav"; done; } >"$home/playlist.m3u"
ours=$(for r in 1 2 3 4 5; do CALVORAN_HOME="$home" CALVORAN_INSTANCE_NAME=startup-$$-$r SDL_AUDIODRIVER=dummy \
    time_to_window 'Calvoran Player' "$home/calvoran"; sleep 0.3; done | median)
line="  start-up to a painted main window: calvoran ${ours} ms"
if command -v audacious >/dev/null; then
    peer=$(for r in 1 2 3 4 5; do HOME="$home/peer-home" time_to_window 'Audacious' audacious; sleep 0.3; done | median)
    line="$line, audacious ${peer} ms"
fi
rm -rf "$home"
if [ "$ours" -ge 0 ] && [ "$ours" -lt 300 ]; then echo "$line  ok (budget 300 ms)"; else echo "$line  OVER BUDGET (300 ms)"; exit 1; fi
INNER
