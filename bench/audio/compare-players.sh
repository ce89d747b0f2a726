#!/usr/bin/env bash
# CPU per second of real-time playback of one 60 s, 192 kbit/s MP3 on the private null sink:
# our engine (vireo-probe: flat equalizer, the progress tick running, without and with the
# spectrum), beside ffmpeg's decode floor and, when it is installed, `audacious --headless`.
# Each player's threads are summed from the scheduler's own accounting (nanoseconds) over the
# same window of playback, past start-up. RUNS rounds (default 3), medians printed.
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

# The players take turns, round after round, so a busy moment of the host falls on all of them
# alike; each row is the median of its rounds. On a virtual machine the host's load moves these
# figures by a millisecond or more from one round to the next.
runs=${RUNS:-3}
median() { sort -g | awk '{ v[NR] = $1 } END { print v[int((NR + 1) / 2)] }'; }
: >"$work/plain"; : >"$work/spectrum"; : >"$work/audacious"
home="$work/aud-home"; mkdir -p "$home"
for _ in $(seq "$runs"); do
  measure "$probe" --volume 80 --no-spectrum "$mp3" >>"$work/plain"; echo >>"$work/plain"
  measure "$probe" --volume 80 "$mp3" >>"$work/spectrum"; echo >>"$work/spectrum"
  if command -v audacious >/dev/null; then
    HOME="$home" XDG_CONFIG_HOME="$home" measure dbus-run-session -- audacious --headless -p "$mp3" \
      >>"$work/audacious"
    echo >>"$work/audacious"
  fi
done
row() { printf "  %-44s %6.2f ms/s   (rounds: %s)\n" "$1" "$(median <"$2")" "$(tr -s ' \n' ' ' <"$2")"; }

echo "CPU per second of playback, 60 s MP3 at 192 kbit/s, null sink, ${span} s measured from ${from} s"
printf "  %-44s %6.2f ms/s\n" "ffmpeg -i FILE -f null - (decode floor)" "$floor"
# The engine as a player without a spectrum on show runs it: the 50 ms progress tick, no analysis.
row "vireo engine, flat, progress" "$work/plain"
# The same with the spectrum and wave computed at every tick, as the main window asks for them.
row "vireo engine, flat, progress + spectrum" "$work/spectrum"
if command -v audacious >/dev/null; then
  row "audacious --headless" "$work/audacious"
else
  echo "  audacious: not installed (install it to compare: sudo apt-get install audacious)"
fi
