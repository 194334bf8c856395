#!/usr/bin/env bash
# Installs what the viewer needs, builds the viewer alone, and opens it on the
# example mesh, or on the mesh given as the first argument (a relative path is
# taken from the folder this script was called from).
set -euo pipefail
if [ $# -ge 1 ] && [ -n "$1" ] && [ "${1#/}" = "$1" ]; then
  set -- "$PWD/$1" "${@:2}"
fi
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh viewer
bash scripts/build.sh morvik
exec build/app/morvik "$@"
