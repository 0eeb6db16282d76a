#!/usr/bin/env bash
# Prints the CPU seconds the real player spends over SECONDS while it plays MP3, after a warm-up, with
# the VS Lab window open on the spectrum when the third argument is "vslab". Needs a display (run
# under xvfb-run), xdotool and the staged skins.
# Usage: visuals_player_cpu.sh <build folder> MP3 SECONDS [vslab]
set -euo pipefail
build=$(readlink -f "$1")
mp3=$2
seconds=$3
mode=${4:-}
home=$(mktemp -d)
cp -r "$build/bin/Skins" "$build/bin/Skins.ini" "$home/"
printf '#EXTM3U\r\n#EXTINF:30,1. Bench - Chord\r\n%s\r\n' "$mp3" >"$home/playlist.m3u"
printf '[Calvoran]\nSkinName=Midnight\nVolume=70\n' >"$home/Calvoran.ini"
CALVORAN_HOME="$home" CALVORAN_INSTANCE_NAME="calvoran-bench-visuals-$$" SDL_AUDIODRIVER=dummy \
    CALVORAN_MESSAGE_LOG="$home/messages.txt" QT_QPA_PLATFORM=xcb "$build/bin/calvoran" 2>/dev/null &
pid=$!
trap 'kill -TERM $pid 2>/dev/null; wait $pid 2>/dev/null; rm -rf "$home"' EXIT
main=$(timeout 20 xdotool search --sync --onlyvisible --name '^Calvoran Player$' | head -1)
sleep 1
key() { for k in "$@"; do xdotool key "$k"; sleep 0.15; done; }
xdotool mousemove --window "$main" 240 90 click 1 # Midnight's playlist button
list=$(timeout 20 xdotool search --sync --onlyvisible --name '^Calvoran PlayList$' | head -1)
xdotool windowmove "$list" 700 30
sleep 0.5
xdotool mousemove --window "$list" 60 32 click --repeat 2 --delay 80 1
sleep 0.5
if [ "$mode" = vslab ]; then
    xdotool mousemove --window "$main" 150 100 click 3
    sleep 0.4
    key Down Down Down Down Right Down Return
    lab=$(timeout 20 xdotool search --sync --onlyvisible --name '^VS Lab$' | head -1)
    xdotool windowmove "$lab" 30 200
    sleep 0.5
    xdotool mousemove --window "$lab" 138 10 click 1 # Common > Type > Spectrum
    sleep 0.4
    key Down Down Down Down Down Right Down Down Return
fi
xdotool mousemove 1200 780
sleep 2
# Run time of every thread in nanoseconds: the clock ticks of /proc/<pid>/stat (10 ms) are too coarse
# for a player that uses a few milliseconds a second.
runtime() { cat /proc/"$pid"/task/*/schedstat 2>/dev/null | awk '{n += $1} END {printf "%.0f\n", n}'; }
before=$(runtime)
sleep "$seconds"
after=$(runtime)
awk -v a="$after" -v b="$before" 'BEGIN{printf "%.4f\n", (a - b) / 1e9}'
