#!/usr/bin/env bash
# Installs the Debian packages Morvik needs. Idempotent: only missing packages
# are installed.
#   install-deps.sh viewer   what building and running the viewer needs
#   install-deps.sh          that, and what the tests, benchmarks and fuzzing need
set -euo pipefail

viewer_packages=(
  build-essential cmake pkg-config
  libglfw3-dev libglew-dev libglm-dev libeigen3-dev libimgui-dev libstb-dev
  libsuitesparse-dev libopenblas0-serial
  zenity libgl1-mesa-dri
)
# GoogleTest; clang and its runtime for the fuzz target; a virtual X server
# for the GL tests; xdotool and ImageMagick to drive and screenshot the viewer;
# xz for the real vessel surfaces the real-data test reads where they are at hand.
test_packages=(
  libgtest-dev xz-utils
  clang libclang-rt-14-dev
  xvfb xauth mesa-utils
  xdotool imagemagick
)

case "${1:-all}" in
  viewer) packages=("${viewer_packages[@]}") what="the viewer" ;;
  all) packages=("${viewer_packages[@]}" "${test_packages[@]}") what="the viewer and its tests" ;;
  *)
    echo "usage: $0 [viewer]" >&2
    exit 2
    ;;
esac

missing=()
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
    missing+=("$p")
  fi
done

if [ ${#missing[@]} -eq 0 ]; then
  echo "All packages for $what are installed."
  exit 0
fi

echo "Installing: ${missing[*]}"
if [ "$(id -u)" -eq 0 ]; then
  apt_get=(apt-get)
elif command -v sudo >/dev/null 2>&1; then
  apt_get=(sudo apt-get)
else
  echo "Morvik needs these Debian packages: ${missing[*]}" >&2
  echo "Install them as root (apt-get install ${missing[*]}) and run this again." >&2
  exit 1
fi

export DEBIAN_FRONTEND=noninteractive
"${apt_get[@]}" update -q
"${apt_get[@]}" install -y -q --no-install-recommends "${missing[@]}"
