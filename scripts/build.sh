#!/usr/bin/env bash
# Sets up the machine (once) and builds everything into build/ with two jobs.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
bash "$root/scripts/setup.sh"
build="${VIREO_BUILD_DIR:-$root/build}"
# ccache: hash paths relative to the checkout so another clone or worktree reuses the objects.
export CCACHE_BASEDIR="$root" CCACHE_NOHASHDIR=1
cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE="${VIREO_BUILD_TYPE:-RelWithDebInfo}" \
  -DVIREO_WERROR=ON >/dev/null
cmake --build "$build" -j "${VIREO_JOBS:-2}"
