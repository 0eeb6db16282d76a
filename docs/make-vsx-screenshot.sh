#!/usr/bin/env bash
# Takes the VSX Lab screenshots: the player playing the demo playlist, "Visuals" -> "VSX Lab" from
# its pop-up menu, then "Control" -> "Start" (Mesa's software renderer: "Device: Software").
# Usage: docs/make-vsx-screenshot.sh <build folder>   (run inside a display, e.g. under xvfb-run)
set -euo pipefail
build=$(readlink -f "${1:-build}")
out=$(cd "$(dirname "$0")" && pwd)
for tool in xdotool import; do
    command -v "$tool" >/dev/null || { echo "make-vsx-screenshot: $tool missing" >&2; exit 1; }
done

home=$(mktemp -d)
cp -r "$build/bin/Skins" "$build/bin/Skins.ini" "$build/bin/cube.x" "$home/"
cp "$build/bin/Demo/playlist.m3u" "$home/playlist.m3u"
skin=$(tr -d '\r' <"$build/bin/Skins.ini" | grep -o '^\[[^]]*\]' | head -1 | tr -d '[]')
printf '[Calvoran]\nSkinName=%s\nVolume=70\n' "$skin" >"$home/Calvoran.ini"
CALVORAN_HOME="$home" CALVORAN_INSTANCE_NAME="calvoran-shot-vsx" SDL_AUDIODRIVER=dummy \
    CALVORAN_MESSAGE_LOG="$home/messages.txt" QT_QPA_PLATFORM=xcb "$build/bin/calvoran" &
pid=$!
trap 'kill -TERM $pid 2>/dev/null; wait $pid 2>/dev/null; rm -rf "$home"' EXIT
main=$(timeout 20 xdotool search --sync --onlyvisible --name '^Calvoran Player$' | head -1)
xdotool windowmove "$main" 30 30
sleep 1

# Play the first entry from the playlist.
read -r plx ply < <(awk -F= -v s="[$skin]" '$0==s{f=1;next} /^\[/{f=0} f&&$1=="PlbtnLeft"{x=$2} f&&$1=="PlbtnTop"{y=$2} END{print x, y}' <(tr -d '\r' <"$home/Skins.ini"))
xdotool mousemove --window "$main" $((plx + 8)) $((ply + 8)) click 1
list=$(timeout 20 xdotool search --sync --onlyvisible --name '^Calvoran PlayList$' | head -1)
xdotool windowmove "$list" 30 460
sleep 0.5
xdotool mousemove --window "$list" 60 50 click --repeat 2 --delay 80 1
sleep 1

# Pop-up menu: Calvoran, Controls, Preferences, Visuals -> Level Meters, (VS Lab), VSX Lab.
xdotool mousemove --window "$main" 40 20 click 3
sleep 0.5
xdotool key Down Down Down Down Right
sleep 0.3
xdotool key Down Return
vsx=$(timeout 20 xdotool search --sync --onlyvisible --name '^VSX Lab$' | head -1)
xdotool windowmove "$vsx" 420 30
sleep 1
import -window root -crop 360x320+410+20 "$out/vsx-lab-opened.png"

# "Control" -> "Start".
xdotool mousemove --window "$vsx" 25 10 click 1
sleep 0.3
xdotool key Down Return
xdotool mousemove 1000 700
sleep 3
import -window root -crop 360x320+410+20 "$out/vsx-lab-running.png"
import -window root -crop 760x720+10+10 "$out/vsx-lab-with-player.png"
[ -s "$home/messages.txt" ] && { echo "messages:"; cat "$home/messages.txt"; }
echo "make-vsx-screenshot: written to $out"
