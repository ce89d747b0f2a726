#!/usr/bin/env bash
# Sets up the machine, builds, and runs every test with its services; fails when a test fails.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
bash "$root/scripts/build.sh"
build="${VIREO_BUILD_DIR:-$root/build}"
cd "$build"
bash "$root/scripts/with-services.sh" ctest --output-on-failure -j "${VIREO_JOBS:-2}" "$@"
