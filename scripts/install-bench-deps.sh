#!/usr/bin/env bash
# What `make bench` needs beyond scripts/install-deps.sh: a sound server with a null sink for the playback
# CPU benchmark, and the players it is measured beside. Idempotent, like install-deps.sh.
set -euo pipefail

PACKAGES=(pulseaudio pulseaudio-utils bc audacious qmmp)

missing=()
for p in "${PACKAGES[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed'; then
    missing+=("$p")
  fi
done
[ ${#missing[@]} -eq 0 ] && exit 0
if [ "$(id -u)" -ne 0 ]; then
  echo "install-bench-deps: missing packages: ${missing[*]}" >&2
  echo "install-bench-deps: run as root (or install them with sudo apt-get install)" >&2
  exit 1
fi
echo "install-bench-deps: installing ${missing[*]}"
export DEBIAN_FRONTEND=noninteractive
apt-get update -qq
apt-get install -y -qq --no-install-recommends "${missing[@]}"
