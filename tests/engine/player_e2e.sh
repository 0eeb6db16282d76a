#!/usr/bin/env bash
# The real player under a virtual X server, its sound written to a file by SDL's disk driver:
# show the playlist, double-click the first entry and hear it; close with SIGTERM; the list is the
# same after the next start and close; an MP3 named on the command line is put first.
# Usage: player_e2e.sh path/to/calvoran
set -u
exe=$(readlink -f "$1")
for tool in xvfb-run xdotool sox lame python3; do
    command -v "$tool" >/dev/null || { echo "player_e2e: $tool missing"; exit 1; }
done
home=$(mktemp -d)
trap 'rm -rf "$home"' EXIT
sox -n -r 44100 -c 2 -b 16 -e signed-integer "$home/tone.wav" synth 5 sine 440 vol 0.5 || exit 1
sox -n -r 44100 -c 2 -b 16 -e signed-integer "$home/other.wav" synth 4 sine 660 vol 0.5 || exit 1
lame --quiet -b 128 "$home/other.wav" "$home/other.mp3" || exit 1
printf '#EXTM3U\r\n#EXTINF:005,1. first - tone\r\n%s\r\n#EXTINF:004,2. second - other\r\n%s\r\n' \
    "$home/tone.wav" "$home/other.mp3" >"$home/playlist.m3u"
cp "$home/playlist.m3u" "$home/expected.m3u"

export CALVORAN_HOME="$home" SDL_AUDIODRIVER=disk SDL_DISKAUDIOFILE="$home/out.raw"
export CALVORAN_MESSAGE_LOG="$home/messages.txt" QT_QPA_PLATFORM=xcb

cat >"$home/drive.sh" <<'DRIVE'
set -u
exe=$1 home=$2
"$exe" & pid=$!
main=$(timeout 20 xdotool search --sync --onlyvisible --name '^Calvoran Player$' | head -1)
[ -n "$main" ] || { echo "no main window"; kill $pid; exit 1; }
sleep 1
xdotool mousemove --window "$main" 42 81 click 1        # the playlist button
list=$(timeout 20 xdotool search --sync --onlyvisible --name '^Calvoran PlayList$' | head -1)
[ -n "$list" ] || { echo "no playlist window"; kill $pid; exit 1; }
sleep 1
xdotool mousemove --window "$list" 60 32 click --repeat 2 --delay 80 1   # first row
sleep 3
kill -TERM $pid; wait $pid
echo "first run ended: $?"
SDL_DISKAUDIOFILE="$home/second.raw" "$exe" & pid=$!
timeout 20 xdotool search --sync --onlyvisible --name '^Calvoran Player$' >/dev/null
sleep 1
kill -TERM $pid; wait $pid
echo "second run ended: $?"
cp "$home/playlist.m3u" "$home/after-two.m3u"
# An MP3 named on the command line becomes the first entry, unplayed.
SDL_DISKAUDIOFILE="$home/third.raw" "$exe" "$home/other.mp3" & pid=$!
timeout 20 xdotool search --sync --onlyvisible --name '^Calvoran Player$' >/dev/null
sleep 1
kill -TERM $pid; wait $pid
echo "third run ended: $?"
DRIVE
xvfb-run -a -s "-screen 0 1280x800x24" bash "$home/drive.sh" "$exe" "$home" || exit 1

status=0
python3 - "$home/out.raw" <<'PY' || status=1
import struct, sys
raw = open(sys.argv[1], "rb").read()
n = len(raw) // 2
words = struct.unpack("<%dh" % n, raw[: n * 2])
loud = sum(1 for w in words if abs(w) > 64)
print(f"player_e2e: {n / 88200:.1f} s of output, {loud / max(n, 1):.0%} sounding")
sys.exit(0 if loud > 44100 else 1)
PY
if cmp -s "$home/after-two.m3u" "$home/expected.m3u"; then
    echo "player_e2e: playlist.m3u unchanged by two runs"
else
    echo "player_e2e: playlist.m3u changed:"; cat -A "$home/after-two.m3u"; status=1
fi
{ printf '#EXTM3U\r\n#EXTINF:004,1. other - \r\n%s\r\n' "$home/other.mp3"; tail -n +2 "$home/expected.m3u"; } \
    >"$home/expected3.m3u"
if cmp -s "$home/playlist.m3u" "$home/expected3.m3u"; then
    echo "player_e2e: the command-line MP3 came first"
else
    echo "player_e2e: after a start with an MP3 argument:"; cat -A "$home/playlist.m3u"; status=1
fi
if [ -s "$home/messages.txt" ]; then
    echo "player_e2e: message boxes:"; cat "$home/messages.txt"; status=1
fi
exit $status
