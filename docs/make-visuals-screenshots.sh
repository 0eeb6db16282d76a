#!/usr/bin/env bash
# Takes the README's screenshots of the visual windows: VS Lab in each of its four types and the level
# meters switched on, while the demo music plays.
# Usage: docs/make-visuals-screenshots.sh <build folder>   (run inside a display, e.g. under xvfb-run)
set -euo pipefail
build=$(readlink -f "${1:-build}")
out=$(cd "$(dirname "$0")" && pwd)
for tool in xdotool import; do
    command -v "$tool" >/dev/null || { echo "make-visuals-screenshots: $tool missing" >&2; exit 1; }
done

home=$(mktemp -d)
cp -r "$build/bin/Skins" "$build/bin/Skins.ini" "$home/"
cp "$build/bin/Demo/playlist.m3u" "$home/playlist.m3u"
printf '[Calvoran]\nSkinName=Midnight\nVolume=70\n' >"$home/Calvoran.ini"
CALVORAN_HOME="$home" CALVORAN_INSTANCE_NAME="calvoran-shot-visuals" SDL_AUDIODRIVER=dummy \
    CALVORAN_MESSAGE_LOG="$home/messages.txt" QT_QPA_PLATFORM=xcb "$build/bin/calvoran" &
pid=$!
trap 'kill -TERM $pid 2>/dev/null; wait $pid 2>/dev/null; rm -rf "$home"' EXIT
main=$(timeout 20 xdotool search --sync --onlyvisible --name '^Calvoran Player$' | head -1)
xdotool windowmove "$main" 30 30
sleep 1

key() { for k in "$@"; do xdotool key "$k"; sleep 0.15; done; }
# The main menu's Visuals submenu, then the item $1 places below its first.
visuals_item() {
    xdotool mousemove --window "$main" 150 100 click 3
    sleep 0.4
    key Down Down Down Down Right
    for ((i = 0; i < $1; i++)); do key Down; done
    key Return
}

# Play the demo's MP3 (its second entry) from the playlist.
xdotool mousemove --window "$main" 240 90 click 1
list=$(timeout 20 xdotool search --sync --onlyvisible --name '^Calvoran PlayList$' | head -1)
xdotool windowmove "$list" 700 30
sleep 0.5
xdotool mousemove --window "$list" 60 50 click --repeat 2 --delay 80 1
sleep 1

visuals_item 0
meters=$(timeout 20 xdotool search --sync --onlyvisible --name '^Visuals$' | head -1)
xdotool windowmove "$meters" 600 200
sleep 0.5
xdotool mousemove --window "$meters" 212 48 click 1
xdotool mousemove 1200 780
sleep 1.2
import -window "$meters" "$out/level-meters.png"
visuals_item 1
lab=$(timeout 20 xdotool search --sync --onlyvisible --name '^VS Lab$' | head -1)
xdotool windowmove "$lab" 30 200
sleep 1
# VS Lab's own menu bar: Common (COMMON_X pixels from the left) > Type > Circle, Oscilloscope,
# Spectrum, Explosion.
name=(circle oscilloscope analyser explosion)
for type in 0 1 2 3; do
    xdotool mousemove --window "$lab" "${COMMON_X:-138}" 10 click 1
    sleep 0.4
    key Down Down Down Down Down Right
    for ((i = 0; i < type; i++)); do key Down; done
    key Return
    if [ "$type" = 2 ]; then
        # Y 60 stands the bars on the bottom edge (at 85 their lowest 25 pixels are cut off).
        xdotool mousemove --window "$lab" 229 234 click 1
        for ((i = 0; i < 25; i++)); do xdotool key Left; done
    fi
    xdotool mousemove 1200 780
    sleep 1.5
    import -window "$lab" "$out/vslab-${name[$type]}.png"
done

[ -s "$home/messages.txt" ] && { echo "messages:"; cat "$home/messages.txt"; }
echo "make-visuals-screenshots: written to $out"
