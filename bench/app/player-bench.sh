#!/usr/bin/env bash
# The real player against the engine probe on the same 60 s MP3 (with a lyric beside it), side by
# side: CPU milliseconds per second of playback (measured from 5 s to 35 s), peak resident memory,
# and for the player the time from its start to its main window being mapped (taken from the X
# server's map event by vireo-mapwatch, not by polling). The player runs as a user sees it most:
# the main window and the window lyrics showing (the lyrics are switched from the desktop lyrics'
# toolbar, as a user does; the switch is done before the CPU is measured).
# Run from the build folder inside the test services, optionally with a number of runs (the
# median of each figure is printed after them):
#   bash ../scripts/with-services.sh bash ../bench/app/player-bench.sh [RUNS]
set -euo pipefail
runs=${1:-1}
build=$(pwd)
watch="$build/bench/app/vireo-mapwatch"
[ -x "$watch" ] || { echo "player-bench: build the target vireo-mapwatch first" >&2; exit 2; }
work=$(mktemp -d /tmp/vireo-bench.XXXXXX)
trap 'rm -rf "$work"' EXIT
track="$work/sixty.mp3"
ffmpeg -hide_banner -loglevel error -f lavfi -i "sine=frequency=440:duration=60" -ac 2 -b:a 192k \
  -metadata title="Sixty" -metadata artist="Bench" "$track"
# A line every two seconds, so the lyric view scrolls all through the measurement.
for s in $(seq 0 2 58); do
  printf '[%02d:%02d.00]第 %d 行 歌词滚动 维雀 分享音乐 分享快乐\n' $((s / 60)) $((s % 60)) $((s / 2 + 1))
done >"$work/sixty.lrc"
tick=$(getconf CLK_TCK)

cpu_ticks() { awk '{print $14 + $15}' "/proc/$1/stat"; }
peak_kib() { awk '/VmHWM/ {print $2}' "/proc/$1/status"; }

measure() {  # pid -> "ms/s MiB"
  local pid=$1
  sleep 5
  local a; a=$(cpu_ticks "$pid")
  sleep 30
  local b; b=$(cpu_ticks "$pid")
  local peak; peak=$(peak_kib "$pid")
  printf '%.2f %.1f\n' "$(echo "($b - $a) * 1000 / $tick / 30" | bc -l)" "$(echo "$peak / 1024" | bc -l)"
}

# The desktop lyrics show at start; a user hovers their text, and the toolbar that comes up
# switches to the window lyrics. The pointer looks for a glyph along the text's middle line.
to_window_lyrics() {
  local lyrics bar X Y WIDTH HEIGHT SCREEN WINDOW
  lyrics=$(xdotool search --sync --onlyvisible --class '^Vireo 桌面歌词$' | head -n1)
  eval "$(xdotool getwindowgeometry --shell "$lyrics")"
  local cx=$((X + WIDTH / 2)) cy=$((Y + HEIGHT / 2)) dx
  bar=""
  for dx in $(seq 0 3 300); do
    for x in $((cx + dx)) $((cx - dx)); do
      xdotool mousemove "$x" "$cy"
      bar=$(xdotool search --onlyvisible --class '^Vireo 桌面歌词操作$' 2>/dev/null | head -n1) || true
      [ -n "$bar" ] && break 2
    done
  done
  [ -n "$bar" ] || { echo "player-bench: the desktop lyrics' toolbar never came up" >&2; return 1; }
  eval "$(xdotool getwindowgeometry --shell "$bar")"
  # The switch button: 208 + (width - 310) from the left, 5..28 from the top (49 x 23).
  xdotool mousemove $((X + 208 + WIDTH - 310 + 24)) $((Y + 16)) click 1
  xdotool search --sync --onlyvisible --class '^Vireo LRC$' >/dev/null
  # The pointer leaves the player's windows alone for the measurement.
  xdotool mousemove 0 0
}

median() { sort -g | awk '{v[NR] = $1} END {print v[int((NR + 1) / 2)]}'; }

home="$work/home"
results="$work/results"
: >"$results"
for run in $(seq "$runs"); do
  # The player, with a private home so nothing of a user's is touched, fresh for every run.
  rm -rf "$home"; mkdir -p "$home/run"; chmod 700 "$home/run"
  read -r player mapped < <(HOME="$home" XDG_CONFIG_HOME="$home/.config" \
    XDG_DATA_HOME="$home/.local/share" XDG_CACHE_HOME="$home/.cache" XDG_RUNTIME_DIR="$home/run" \
    "$watch" Vireo 20000 -- "$build/bin/vireo" "$track" 2>/dev/null)
  [ "$mapped" -ge 0 ] || { echo "player-bench: the main window was never mapped" >&2; exit 1; }
  to_window_lyrics
  read -r cpu peak < <(measure "$player")
  # The player is no child of this shell (the watcher started it): wait for it to go.
  kill "$player"
  for _ in $(seq 100); do kill -0 "$player" 2>/dev/null || break; sleep 0.1; done
  "$build/tools/vireo-probe/vireo-probe" "$track" >/dev/null 2>&1 &
  probe=$!
  read -r pcpu ppeak < <(measure "$probe")
  kill "$probe"; wait "$probe" 2>/dev/null || true
  printf 'run %d: vireo %6.2f ms/s  peak %6.1f MiB  main window mapped after %d ms | vireo-probe %6.2f ms/s  peak %6.1f MiB\n' \
    "$run" "$cpu" "$peak" "$mapped" "$pcpu" "$ppeak"
  echo "$cpu $peak $mapped $pcpu $ppeak" >>"$results"
done
col() { awk -v c="$1" '{print $c}' "$results" | median; }
printf 'vireo          %8.2f ms/s  peak %6.1f MiB  main window mapped after %d ms\n' \
  "$(col 1)" "$(col 2)" "$(col 3)"
printf 'vireo-probe    %8.2f ms/s  peak %6.1f MiB\n' "$(col 4)" "$(col 5)"
[ "$runs" -eq 1 ] || echo "(medians of $runs runs)"
