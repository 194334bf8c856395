#!/usr/bin/env bash
# Installs what is missing, builds everything, and runs every test. GL tests
# need a display: without one the suite runs inside a virtual X server (Xvfb).
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh
bash scripts/build.sh
cd build
run=(ctest --output-on-failure --no-tests=error -j "$(nproc)")
if [ -z "${DISPLAY:-}" ]; then
  # Mesa's software rasteriser gives an OpenGL 4.5 core context there.
  export LIBGL_ALWAYS_SOFTWARE=1
  run=(xvfb-run -a -s "-screen 0 1280x1024x24" "${run[@]}")
fi
"${run[@]}"
