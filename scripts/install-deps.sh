#!/usr/bin/env bash
# Installs every Debian package the project needs to build, run, test, benchmark and fuzz.
# Idempotent: asks apt only for what is missing, and does nothing when all is present.
set -euo pipefail

PACKAGES=(
  # build
  build-essential cmake ninja-build pkg-config git ccache
  qt6-base-dev qt6-base-dev-tools qt6-qpa-plugins qt6-image-formats-plugins libqt6opengl6-dev
  libgl-dev libglx-dev libopengl-dev
  libsdl2-dev libpulse-dev libmpg123-dev libvorbis-dev libogg-dev libsndfile1-dev libopusfile-dev
  libopenmpt-dev libsamplerate0-dev zlib1g-dev libcurl4-openssl-dev libassimp-dev
  fonts-dejavu-core
  # metric twins of the fonts the windows were laid out for (Arial, Courier New; Tahoma, MS Sans Serif)
  fonts-liberation2 fonts-wine
  # https stations: the system CA store libcurl checks servers against
  ca-certificates
  # tests: framework, display, reference decoders and encoders, tag tools
  libgtest-dev libgmock-dev libbenchmark-dev
  # the start-up benchmark watches for the first painted pixels itself
  libxcb1-dev
  xvfb xauth xdotool x11-utils imagemagick
  # a private sound server with a null sink for the sound-server output test
  pulseaudio
  desktop-file-utils appstream
  libgl1-mesa-dri libglx-mesa0
  mpg123 vorbis-tools openmpt123 sox libsox-fmt-all lame twolame flac opus-tools
  # media-key interface checks: a session bus and a client
  dbus dbus-bin dbus-daemon playerctl libglib2.0-bin
  python3 python3-mutagen eyed3 libtag1-dev
  # fuzzing and sanitizers
  clang libclang-rt-14-dev
)

missing=()
for p in "${PACKAGES[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed'; then
    missing+=("$p")
  fi
done

if [ ${#missing[@]} -eq 0 ]; then
  exit 0
fi

if [ "$(id -u)" -ne 0 ]; then
  echo "install-deps: missing packages: ${missing[*]}" >&2
  echo "install-deps: run as root (or install them with sudo apt-get install)" >&2
  exit 1
fi

echo "install-deps: installing ${missing[*]}"
export DEBIAN_FRONTEND=noninteractive
apt-get update -qq
apt-get install -y -qq --no-install-recommends "${missing[@]}"
