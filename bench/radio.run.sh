#!/usr/bin/env bash
# Internet radio: CPU of 60 s of a 128 kbit/s loopback station as a ratio to the same audio played from
# a local file (<= 1.3 wanted), time from the open to the first audio (< 300 ms wanted), and the memory a
# station takes beyond a local file (< 4 MiB wanted).
set -u
build=${1:-build-bench}
tool="$build/bench/radiobench"
[ -x "$tool" ] || { echo "radiobench not built (configure with CALVORAN_BENCH=ON CALVORAN_TESTS=ON)"; exit 1; }
seconds=${RADIO_BENCH_SECONDS:-60}
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
"$tool" fixtures "$work" || exit 1
read -r lcpu lmem _ < <("$tool" local "$work/station.mp3" "$seconds") || exit 1
read -r scpu smem sopen < <("$tool" station "$work/station.mp3" "$seconds") || exit 1
ratio=$(echo "$scpu $lcpu" | awk '{printf "%.2f", ($2 > 0) ? $1/$2 : 99}')
extra=$(( smem - lmem ))
printf "station  %.3f CPU s  local %.3f CPU s  ratio %s (station / local, %s s; target <= 1.3)\n" "$scpu" "$lcpu" "$ratio" "$seconds"
printf "open     %.1f ms from BASS_StreamCreateURL to first audio on loopback (target < 300)\n" "$sopen"
printf "memory   %d KiB more than a local file (target < 4096)\n" "$extra"
status=0
awk -v r="$ratio" 'BEGIN{exit !(r > 1.3)}' && status=1
awk -v o="$sopen" 'BEGIN{exit !(o >= 300)}' && status=1
[ "$extra" -ge 4096 ] && status=1
exit $status
