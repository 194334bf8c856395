#!/usr/bin/env bash
# Configures and builds Morvik in build/ (RelWithDebInfo).
#   build.sh [-DOPTION=VALUE ...] [target ...]
# Arguments that start with "-" go to CMake's configure step; the others name
# the targets to build (all of them when none is named).
set -euo pipefail
cd "$(dirname "$0")/.."
options=()
targets=()
for arg in "$@"; do
  case "$arg" in
    -*) options+=("$arg") ;;
    *) targets+=(--target "$arg") ;;
  esac
done
cmake -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo "${options[@]}"
cmake --build build -j "$(nproc)" "${targets[@]}"
