#!/usr/bin/env bash
# Bytes read to open a 240 s file and learn its length, per open, over 200 distinct copies.
# Budgets: 256 KiB with an Info/Xing/VBRI header and for Ogg, 1 MiB for an MP3 without a header.
set -u
build=${1:-build-bench}
exe="$build/bench/bench_open"
[ -x "$exe" ] || { echo "open: $exe not built"; exit 1; }
SDL_AUDIODRIVER=dummy "$exe"
