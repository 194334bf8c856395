#!/usr/bin/env bash
# Installs what is missing, builds, and opens the viewer on the example mesh
# (or on the mesh given as the first argument).
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh
bash scripts/build.sh
exec build/app/morvik "$@"
