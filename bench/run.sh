#!/usr/bin/env bash
# Runs every benchmark script (bench/*.run.sh) against the given build folder.
set -u
build=${1:-build-bench}
here=$(cd "$(dirname "$0")" && pwd)
status=0
for script in "$here"/*.run.sh; do
    [ -e "$script" ] || continue
    echo "== $(basename "$script" .run.sh)"
    bash "$script" "$build" || status=1
done
exit $status
