#!/usr/bin/env bash
# Audio core: decode throughput per format as a ratio to the command-line decoder (>= 0.9 wanted),
# CPU seconds per minute of MP3 playback on the dummy driver (< 0.5 wanted), peak memory of one stream.
set -u
build=${1:-build-bench}
tool="$build/bench/bassbench"
[ -x "$tool" ] || { echo "bassbench not built (configure with CALVORAN_BENCH=ON CALVORAN_TESTS=ON)"; exit 1; }
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
"$tool" fixtures "$work" || exit 1

# Best of five CPU times (user + system) of a command: steadier than wall time on a shared machine.
cpu() {
    python3 -c 'import resource, subprocess, sys
r = subprocess.run(sys.argv[1:], stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
u = resource.getrusage(resource.RUSAGE_CHILDREN)
print("%.4f" % (u.ru_utime + u.ru_stime) if r.returncode == 0 else "fail")' "$@"
}
best() {
    local best=999999 t
    for _ in 1 2 3 4 5; do
        t=$(cpu "$@")
        [ "$t" = fail ] && return 1
        best=$(echo "$t $best" | awk '{print ($1<$2)?$1:$2}')
    done
    echo "$best"
}
ours() { best "$tool" decode "$@"; }

status=0
report() { # name ours peer
    local ratio
    ratio=$(echo "$2 $3" | awk '{printf "%.2f", $2/$1}')
    printf "%-8s ours %.3f s  %-10s %.3f s  ratio %s (peer CPU time / our CPU time, 240 s of audio)\n" "$1" "$2" "$4" "$3" "$ratio"
    awk -v r="$ratio" 'BEGIN{exit !(r < 0.9)}' && status=1
}

report mp3 "$(ours "$work/bench.mp3")" "$(best mpg123 -q -s "$work/bench.mp3")" mpg123
report ogg "$(ours "$work/bench.ogg")" "$(best oggdec -Q -R -o - "$work/bench.ogg")" oggdec
report wav "$(ours "$work/bench.wav")" "$(best sox "$work/bench.wav" -t raw -)" sox
report xm "$(ours "$work/bench.xm" module)" \
    "$(best openmpt123 --quiet --batch --no-float --samplerate 48000 --force -o "$work/out.wav" -- "$work/bench.xm")" openmpt123

read -r cpu memory < <("$tool" play "$work/bench.mp3" 10)
printf "play     %.3f CPU s per minute of MP3 playback (dummy driver; target < 0.5)\n" "$cpu"
printf "memory   %d KiB peak growth for one playing MP3 stream\n" "$memory"
awk -v c="$cpu" 'BEGIN{exit !(c >= 0.5)}' && status=1
exit $status
