#!/usr/bin/env bash
# Takes the README's screenshots: the player in each shipped skin, playing the demo playlist.
# Usage: docs/make-screenshots.sh <build folder>   (run inside a display, e.g. under xvfb-run)
set -euo pipefail
build=$(readlink -f "${1:-build}")
out=$(cd "$(dirname "$0")" && pwd)
for tool in xdotool import convert; do
    command -v "$tool" >/dev/null || { echo "make-screenshots: $tool missing" >&2; exit 1; }
done

shoot() {
    local skin=$1 home
    home=$(mktemp -d)
    cp -r "$build/bin/Skins" "$build/bin/Skins.ini" "$home/"
    cp "$build/bin/Demo/playlist.m3u" "$home/playlist.m3u"
    printf '[Calvoran]\nSkinName=%s\nVolume=70\n' "$skin" >"$home/Calvoran.ini"
    CALVORAN_HOME="$home" CALVORAN_INSTANCE_NAME="calvoran-shot-$skin" SDL_AUDIODRIVER=dummy \
        CALVORAN_MESSAGE_LOG="$home/messages.txt" QT_QPA_PLATFORM=xcb "$build/bin/calvoran" &
    local pid=$! main list
    main=$(timeout 20 xdotool search --sync --onlyvisible --name '^Calvoran Player$' | head -1)
    xdotool windowmove "$main" 30 30
    sleep 1
    # Show the playlist and double-click the second entry.

    local plx ply
    read -r plx ply < <(awk -F= -v s="[$skin]" '$0==s{f=1;next} /^\[/{f=0} f&&$1=="PlbtnLeft"{x=$2} f&&$1=="PlbtnTop"{y=$2} END{print x, y}' <(tr -d '\r' <"$home/Skins.ini"))
    xdotool mousemove --window "$main" $((plx + 8)) $((ply + 8)) click 1
    list=$(timeout 20 xdotool search --sync --onlyvisible --name '^Calvoran PlayList$' | head -1)
    xdotool windowmove "$list" 350 30
    sleep 0.5
    xdotool mousemove --window "$list" 60 50 click --repeat 2 --delay 80 1
    xdotool mousemove 900 700
    sleep 3
    import -window root -crop 580x390+10+10 "$out/screenshot-$(echo "$skin" | tr 'A-Z' 'a-z').png"
    kill -TERM $pid
    wait $pid || true
    [ -s "$home/messages.txt" ] && { echo "messages:"; cat "$home/messages.txt"; }
    rm -rf "$home"
}

for skin in $(tr -d '\r' <"$build/bin/Skins.ini" | grep -o '^\[[^]]*\]' | tr -d '[]'); do
    shoot "$skin"
done
echo "make-screenshots: written to $out"
