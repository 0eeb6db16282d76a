#!/usr/bin/env bash
# playlist.m3u written at close: 10,000 entries, 1,000 distinct files. Budget: under 2 s, under 300 MB read.
set -u
build=${1:-build-bench}
exe="$build/bench/bench_close"
[ -x "$exe" ] || { echo "close: $exe not built"; exit 1; }
QT_QPA_PLATFORM=offscreen SDL_AUDIODRIVER=dummy "$exe"
