#!/usr/bin/env bash
# The real player against the engine probe on the same 60 s MP3, side by side from one run:
# CPU milliseconds per second of playback (measured from 5 s to 35 s), peak resident memory, and
# for the player the time from its start to its main window being mapped.
# Run from the build folder inside the test services:
#   bash ../scripts/with-services.sh bash ../bench/app/player-bench.sh
set -euo pipefail
build=$(pwd)
work=$(mktemp -d /tmp/vireo-bench.XXXXXX)
trap 'rm -rf "$work"' EXIT
track="$work/sixty.mp3"
ffmpeg -hide_banner -loglevel error -f lavfi -i "sine=frequency=440:duration=60" -ac 2 -b:a 192k "$track"
tick=$(getconf CLK_TCK)

cpu_ticks() { awk '{print $14 + $15}' "/proc/$1/stat"; }
peak_kib() { awk '/VmHWM/ {print $2}' "/proc/$1/status"; }

measure() {  # pid name
  local pid=$1 name=$2
  sleep 5
  local a; a=$(cpu_ticks "$pid")
  sleep 30
  local b; b=$(cpu_ticks "$pid")
  local peak; peak=$(peak_kib "$pid")
  printf '%-14s %8.2f ms/s  peak %6.1f MiB' "$name" \
    "$(echo "($b - $a) * 1000 / $tick / 30" | bc -l)" "$(echo "$peak / 1024" | bc -l)"
}

# The player, with a private home so nothing of a user's is touched.
home="$work/home"; mkdir -p "$home/run"; chmod 700 "$home/run"
export HOME="$home" XDG_CONFIG_HOME="$home/.config" XDG_DATA_HOME="$home/.local/share" \
  XDG_CACHE_HOME="$home/.cache" XDG_RUNTIME_DIR="$home/run"
start=$(date +%s%N)
"$build/bin/vireo" "$track" >/dev/null 2>&1 &
player=$!
xdotool search --sync --onlyvisible --classname '^vireo$' >/dev/null
mapped=$(( ($(date +%s%N) - start) / 1000000 ))
line=$(measure "$player" "vireo")
kill "$player"; wait "$player" 2>/dev/null || true
echo "$line  window mapped after $mapped ms"

"$build/tools/vireo-probe/vireo-probe" "$track" >/dev/null 2>&1 &
probe=$!
measure "$probe" "vireo-probe"; echo
kill "$probe"; wait "$probe" 2>/dev/null || true
