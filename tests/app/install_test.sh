#!/usr/bin/env bash
# install_test.sh <build folder>: installs into a DESTDIR, then runs the installed player from its
# read-only prefix with a fresh HOME. Its settings and playlist must land in ~/.config/calvoran,
# survive a restart, and leave the program folder untouched.
set -euo pipefail
build=$(cd "$1" && pwd)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
dest=$work/dest
prefix=/usr/local
fail() { echo "install_test: $*" >&2; exit 1; }

DESTDIR=$dest cmake --install "$build" --prefix $prefix >"$work/install.log" || { cat "$work/install.log"; fail "install failed"; }
root=$dest$prefix
program=$root/lib/calvoran
[ -L "$root/bin/calvoran" ] || fail "no bin/calvoran link"
[ -x "$program/calvoran" ] || fail "no executable in $program"
for f in COPYING Skins.ini cube.x playlist.m3u; do [ -f "$program/$f" ] || fail "missing $f"; done
[ -d "$program/Skins" ] && [ -d "$program/Demo" ] || fail "skins or demo music missing"
grep -q "^$prefix/lib/calvoran/Demo/" "$program/playlist.m3u" || fail "demo list does not name the installed folder"
for size in 16 22 24 32 48 64 128 256; do
    [ -f "$root/share/icons/hicolor/${size}x${size}/apps/calvoran.png" ] || fail "no ${size}px icon"
done
[ -f "$root/share/icons/hicolor/scalable/apps/calvoran.svg" ] || fail "no scalable icon"
desktop-file-validate "$root/share/applications/calvoran.desktop" || fail "desktop entry invalid"
appstreamcli validate --no-net "$root/share/metainfo/"*.metainfo.xml >/dev/null || fail "metainfo invalid"

# The prefix must not be writable by the user who runs the player: as root, run as nobody.
home=$work/home
mkdir -p "$home"
run_as=()
if [ "$(id -u)" -eq 0 ]; then
    chmod -R go-w "$root"
    chmod 755 "$work" "$dest"
    chown -R 65534:65534 "$home"
    run_as=(setpriv --reuid=65534 --regid=65534 --clear-groups)
else
    chmod -R a-w "$root"
fi
before=$(cd "$program" && find . -printf '%p %s %T@\n' | sort)

config=$home/.config/calvoran
start_and_close() {
    local log=$work/run.log
    "${run_as[@]}" env -u CALVORAN_HOME -u XDG_CONFIG_HOME HOME="$home" XDG_RUNTIME_DIR="$home" \
        QT_QPA_PLATFORM=offscreen SDL_AUDIODRIVER=dummy CALVORAN_MESSAGE_LOG="$home/messages.log" \
        "$root/bin/calvoran" >"$log" 2>&1 &
    local pid=$!
    # Start-up writes the volume once the playlist is loaded; then the loop runs.
    for _ in $(seq 1 200); do
        [ -f "$config/Calvoran.ini" ] && break
        sleep 0.1
    done
    sleep 2
    kill -TERM $pid
    wait $pid || { cat "$log"; fail "player ended with an error"; }
}

start_and_close
[ -f "$config/Calvoran.ini" ] || fail "settings not in $config"
[ -f "$config/playlist.m3u" ] || fail "playlist not in $config"
# The demo entries name files of the installed prefix that this DESTDIR copy lacks: they stay.
entries=$(grep -c "^$prefix/lib/calvoran/Demo/" "$config/playlist.m3u" || true)
[ "$entries" -ge 4 ] || fail "the playlist lost its entries: $(cat "$config/playlist.m3u")"

# A restart reads the user's files, not the program folder's.
sed -i 's/^Volume=.*/Volume=23/' "$config/Calvoran.ini"
printf '#EXTM3U\r\n#EXTINF:007,1. Mine - Kept\r\n/nowhere/kept.mp3\r\n' >"$config/playlist.m3u"
start_and_close
grep -q '^Volume=23' "$config/Calvoran.ini" || fail "volume not kept: $(cat "$config/Calvoran.ini")"
grep -q '^#EXTINF:007,1. Mine - Kept' "$config/playlist.m3u" || fail "user playlist not read back"
[ ! -s "$home/messages.log" ] || fail "unexpected messages: $(cat "$home/messages.log")"

# A list that cannot be written while the session ends: no box holds up the close; the next start
# names the file.
chmod 555 "$config"
rm -f "$home/messages.log"
start_and_close
grep -q "could not write .*playlist.m3u" "$work/run.log" || fail "no word on standard error: $(cat "$work/run.log")"
! grep -q "playlist.m3u" "$home/messages.log" 2>/dev/null || fail "a box during the close: $(cat "$home/messages.log")"
chmod 755 "$config"
start_and_close
grep -q "could not be written when the player last closed" "$home/messages.log" || fail "no message at the next start"
grep -q "playlist.m3u" "$home/messages.log" || fail "the message does not name the file"

after=$(cd "$program" && find . -printf '%p %s %T@\n' | sort)
[ "$before" = "$after" ] || fail "the program folder changed"
echo "install_test: ok"
