#!/usr/bin/env bash
# CPU per second of real-time playback of one 60 s, 192 kbit/s MP3 on the private null sink:
# our engine (vireo-probe: flat equalizer, progress ticking with the spectrum, as the main window
# runs it), beside ffmpeg's decode floor and, when it is installed, `audacious --headless`.
# Each player's threads are summed from the scheduler's own accounting (nanoseconds) over the
# same window of playback, past start-up.
#
#   cd build && bash ../scripts/with-services.sh bash ../bench/audio/compare-players.sh
set -euo pipefail
build=$(pwd)
probe="$build/tools/vireo-probe/vireo-probe"
[ -x "$probe" ] || { echo "build vireo-probe first (cmake --build . --target vireo-probe)"; exit 1; }
[ -n "${PULSE_SERVER:-}" ] || { echo "run under scripts/with-services.sh"; exit 1; }
work=$(mktemp -d /tmp/vireo-compare.XXXXXX)
trap 'rm -rf "$work"' EXIT
from=${FROM_S:-4}     # seconds of start-up left out
span=${SPAN_S:-40}    # seconds measured

mp3="$work/music-60s.mp3"
ffmpeg -hide_banner -loglevel error -y \
  -f lavfi -i "aevalsrc=0.2*sin(2*PI*220*t)+0.15*sin(2*PI*277*t)+0.1*sin(2*PI*330*t)|0.2*sin(2*PI*220*t)+0.1*sin(2*PI*330*t)+0.12*sin(2*PI*440*t):s=44100:d=60" \
  -f lavfi -i "anoisesrc=a=0.05:d=60:c=pink" \
  -filter_complex "[1]aformat=channel_layouts=stereo[n];[0][n]amix=inputs=2:normalize=0" \
  -c:a libmp3lame -b:a 192k "$mp3"

# Nanoseconds of CPU of every thread of a process and its children so far.
cpu_ns() {
  local total=0 pid t
  for pid in "$@"; do
    for t in /proc/"$pid"/task/*/schedstat; do
      [ -r "$t" ] && total=$((total + $(cut -d' ' -f1 "$t" 2>/dev/null || echo 0)))
    done
  done
  echo "$total"
}
# A process and all its descendants.
tree() {
  local p
  echo "$1"
  for p in $(pgrep -P "$1" 2>/dev/null || true); do tree "$p"; done
}

# Starts a player, measures span seconds from `from` on, ends it; prints ms of CPU per second.
measure() {
  "$@" >"$work/player.log" 2>&1 &
  local pid=$!
  sleep "$from"
  local a; a=$(cpu_ns $(tree "$pid"))
  sleep "$span"
  local b; b=$(cpu_ns $(tree "$pid"))
  # The whole tree: a player started through dbus-run-session would outlive its parent.
  kill $(tree "$pid") 2>/dev/null || true
  wait "$pid" 2>/dev/null || true
  awk -v a="$a" -v b="$b" -v s="$span" 'BEGIN { printf "%6.2f", (b - a) / 1e6 / s }'
}

# The decode floor: ffmpeg decoding the whole file as fast as it can, best of three; its own
# start-up is part of it (about as long as the decode here), so it is a generous floor.
floor=1e9
for _ in 1 2 3; do
  s=$( { /usr/bin/env time -f "%e %U %S" ffmpeg -hide_banner -loglevel error -i "$mp3" -f null - ; } 2>&1 | tail -1)
  ms=$(echo "$s" | awk '{ printf "%.2f", ($2 + $3) * 1000 / 60 }')
  floor=$(awk -v a="$floor" -v b="$ms" 'BEGIN { print (b < a) ? b : a }')
done

echo "CPU per second of playback, 60 s MP3 at 192 kbit/s, null sink, ${span} s measured from ${from} s"
printf "  ffmpeg -i FILE -f null - (decode floor)   %6.2f ms/s\n" "$floor"
printf "  vireo engine, flat, progress + spectrum   %s ms/s\n" "$(measure "$probe" --volume 80 "$mp3")"
if command -v audacious >/dev/null; then
  home="$work/aud-home"; mkdir -p "$home"
  printf "  audacious --headless                      %s ms/s\n" \
    "$(HOME="$home" XDG_CONFIG_HOME="$home" measure dbus-run-session -- audacious --headless -p "$mp3")"
else
  echo "  audacious: not installed (scripts/setup.sh installs it)"
fi
