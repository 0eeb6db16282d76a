#!/usr/bin/env bash
# Runs every fuzz target in the build folder for FUZZ_SECONDS (default 60) each, from its seed corpus
# (fuzz/corpus/<target>/ when present). Fails when any target crashes, leaks or times out; the input
# that did it is kept in <build>/fuzz-work/<target>-crashes/.
set -u -o pipefail
build=${1:-build-fuzz}
seconds=${FUZZ_SECONDS:-60}
here=$(cd "$(dirname "$0")" && pwd)
status=0
ran=0
for target in "$build"/fuzz/*; do
    # CMake keeps its own folders and files beside the targets.
    [ -f "$target" ] && [ -x "$target" ] || continue
    name=$(basename "$target")
    work="$build/fuzz-work/$name"
    mkdir -p "$work"
    seeds=()
    [ -d "$here/corpus/$name" ] && seeds=("$here/corpus/$name")
    echo "== $name ($seconds s)"
    log="$build/fuzz-work/$name.log"
    crashes="$build/fuzz-work/$name-crashes"
    mkdir -p "$crashes"
    if "$target" -max_total_time="$seconds" -timeout=20 -rss_limit_mb=2560 -print_final_stats=1 \
        -artifact_prefix="$crashes/" "$work" "${seeds[@]}" >"$log" 2>&1; then
        grep -E '^(stat::number_of_executed_units|stat::peak_rss_mb)' "$log" | tr '\n' ' '
        echo
    else
        echo "FAILED: $name (exit $?); log: $log"
        grep -E 'ERROR|SUMMARY|Test unit written' "$log" | head -5
        status=1
    fi
    ran=$((ran + 1))
done
if [ "$ran" -eq 0 ]; then
    echo "no fuzz targets in $build/fuzz" >&2
    exit 1
fi
exit $status
