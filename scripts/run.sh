#!/usr/bin/env bash
# Sets up the machine, builds, and starts Vireo with its bundled demo.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
bash "$root/scripts/build.sh"
build="${VIREO_BUILD_DIR:-$root/build}"
echo "The player window is not built yet; showing the text helpers it talks to its service with:"
for t in "周杰伦 晴天" "a b" "What? Live: 2004"; do
  printf '  %-20s encode -> %-40s lyric file -> %s\n' "$t" "$("$build/tools/vireo-text/vireo-text" encode "$t")" \
    "$("$build/tools/vireo-text/vireo-text" filename "$t")"
done
