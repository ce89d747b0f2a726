#!/usr/bin/env bash
# Sets up the machine, builds, and plays Vireo's bundled demo tune through the audio engine's
# probe, which prints each engine event (until the player window exists, this is the demo).
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
bash "$root/scripts/build.sh"
build="${VIREO_BUILD_DIR:-$root/build}"
probe=("$build/tools/vireo-probe/vireo-probe" --tags --volume 80 "$root/data/demo/vireo-demo.mp3")
if pactl info >/dev/null 2>&1; then
  echo "Playing the demo tune on this desktop's sound server:"
  "${probe[@]}"
else
  echo "No sound server here; playing the demo tune into a private silent one:"
  bash "$root/scripts/with-services.sh" "${probe[@]}"
fi
