#!/usr/bin/env bash
# Runs every fuzz target in the build folder for FUZZ_SECONDS (default 60) each, from its seed corpus
# (fuzz/corpus/<target>/ when present).
set -u
build=${1:-build-fuzz}
seconds=${FUZZ_SECONDS:-60}
here=$(cd "$(dirname "$0")" && pwd)
status=0
for target in "$build"/fuzz/*; do
    [ -x "$target" ] || continue
    name=$(basename "$target")
    work="$build/fuzz-work/$name"
    mkdir -p "$work"
    seeds=()
    [ -d "$here/corpus/$name" ] && seeds=("$here/corpus/$name")
    echo "== $name ($seconds s)"
    "$target" -max_total_time="$seconds" -artifact_prefix="$work/" "$work" "${seeds[@]}" 2>&1 | tail -3 || status=1
done
exit $status
