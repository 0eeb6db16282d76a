#!/usr/bin/env bash
# Takes the screenshots of the plug-in page and the plug-ins window running a shipped plug-in, through
# the on-screen test that starts it while music plays (it brings its own Xvfb).
# Usage: docs/make-plugins-screenshots.sh <build folder>
set -euo pipefail
build=$(readlink -f "${1:-build}")
out=$(cd "$(dirname "$0")" && pwd)
cmake --build "$build" --target test_e2e_plugins
CALVORAN_SHOTS="$out" CALVORAN_EXE="$build/bin/calvoran" CALVORAN_STAGE="$build/bin" "$build/tests/test_e2e_plugins"
