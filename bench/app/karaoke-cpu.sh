#!/usr/bin/env bash
# The desktop lyrics' share of the player's CPU, as a user meets it: the real player plays a 70 s
# MP3 with its desktop lyrics shown (as at every start), once with a word-timed lyric beside the
# track (karaoke), once with the same lines without word tags (plain) and once without a lyric
# (none: the desktop lyrics stand on one line and draw nothing). For each, the CPU time of the
# player's UI thread, where every window and its frames run, from 5 s to 55 s of playback (from
# the kernel's per-thread run time in nanoseconds), and the X server's over the same time. The
# desktop lyrics' share is "karaoke - none" (and "plain - none"), per second of playback; the
# audio threads, which do the same work in every mode, are left out. Runs alternate between the
# modes, and medians are printed.
# Run from the build folder inside the test services (its display has no compositing manager),
# optionally with a number of runs of each mode:
#   bash ../scripts/with-services.sh bash ../bench/app/karaoke-cpu.sh [RUNS]
set -euo pipefail
runs=${1:-3}
build=$(pwd)
[ -x "$build/bin/vireo" ] || { echo "karaoke-cpu: build the target vireo first" >&2; exit 2; }
work=$(mktemp -d /tmp/vireo-karaoke.XXXXXX)
player=""
trap '[ -n "$player" ] && kill "$player" 2>/dev/null; rm -rf "$work"' EXIT
mkdir -p "$work/none" "$work/plain" "$work/karaoke"
ffmpeg -hide_banner -loglevel error -f lavfi -i "sine=frequency=440:duration=70" -ac 2 -b:a 192k \
  -metadata title="Seventy" -metadata artist="Bench" "$work/none/seventy.mp3"
cp "$work/none/seventy.mp3" "$work/plain/"
cp "$work/none/seventy.mp3" "$work/karaoke/"
# A line every four seconds, five words of 0.8 s each: the fill crosses the line in four seconds.
# The words come from thirty of four characters each, so that the 18 lines use each character
# about three times, as the lines of a song do (its glyphs are drawn once, then reused).
words=("春夏秋冬" "日月星辰" "山河湖海" "风雨雷电" "花草树木" "鸟兽虫鱼" "东南西北" "前后左右"
  "上下高低" "远近大小" "多少长短" "轻重快慢" "新旧明暗" "冷暖黑白" "红黄蓝绿" "青紫金银"
  "铜铁天地" "人心爱恨" "情仇喜怒" "哀乐生死" "来去走跑" "飞游歌舞" "诗画琴棋" "书酒茶饭"
  "衣帽鞋城" "市乡村街" "道门窗桥" "路灯火光" "影声音梦" "想回忆故")
for s in $(seq 0 4 68); do
  plain=$(printf '[%02d:%02d.00]第%d行 ' $((s / 60)) $((s % 60)) $((s / 4 + 1)))
  karaoke=$plain
  for k in 0 1 2 3 4; do
    ms=$((s * 1000 + k * 800))
    tag=$(printf '<%02d:%02d.%02d>' $((ms / 60000)) $((ms / 1000 % 60)) $((ms % 1000 / 10)))
    word=${words[$(((s / 4 * 5 + k) % ${#words[@]}))]}
    plain+="$word "
    karaoke+="$tag$word "
  done
  ms=$((s * 1000 + 4000))
  karaoke+=$(printf '<%02d:%02d.%02d>' $((ms / 60000)) $((ms / 1000 % 60)) $((ms % 1000 / 10)))
  echo "$plain" >>"$work/plain/seventy.lrc"
  echo "$karaoke" >>"$work/karaoke/seventy.lrc"
done

# Nanoseconds a thread has run (the first field of its schedstat).
run_ns() { awk '{print $1}' "/proc/$1/task/$2/schedstat"; }
# The X server of this display (others may run beside it).
xserver=$(pgrep -n -f "^Xvfb ${DISPLAY:-none} " || true)

measure() {  # mode -> "ui-ms/s x-ms/s"
  local mode=$1 home="$work/home-$1"
  rm -rf "$home"; mkdir -p "$home/run"; chmod 700 "$home/run"
  HOME="$home" XDG_CONFIG_HOME="$home/.config" XDG_DATA_HOME="$home/.local/share" \
    XDG_CACHE_HOME="$home/.cache" XDG_RUNTIME_DIR="$home/run" \
    "$build/bin/vireo" "$work/$mode/seventy.mp3" >/dev/null 2>&1 &
  player=$!
  xdotool search --sync --onlyvisible --class '^Vireo 桌面歌词$' >/dev/null
  xdotool mousemove 0 0
  sleep 5
  local a xa b xb
  a=$(run_ns "$player" "$player"); xa=0
  [ -n "$xserver" ] && xa=$(awk '{print $1}' "/proc/$xserver/schedstat")
  sleep 50
  b=$(run_ns "$player" "$player"); xb=0
  [ -n "$xserver" ] && xb=$(awk '{print $1}' "/proc/$xserver/schedstat")
  kill "$player"
  for _ in $(seq 100); do kill -0 "$player" 2>/dev/null || break; sleep 0.1; done
  player=""
  printf '%.3f %.3f\n' "$(echo "($b - $a) / 1000000 / 50" | bc -l)" \
    "$(echo "($xb - $xa) / 1000000 / 50" | bc -l)"
}

median() { sort -g | awk '{v[NR] = $1} END {print v[int((NR + 1) / 2)]}'; }

modes=${MODES:-none plain karaoke}
for run in $(seq "$runs"); do
  for mode in $modes; do
    read -r ui x < <(measure "$mode")
    printf 'run %d %-8s UI thread %7.3f ms/s  X server %7.3f ms/s\n' "$run" "$mode" "$ui" "$x"
    echo "$ui" >>"$work/$mode.ui"
    echo "$x" >>"$work/$mode.x"
  done
done
for mode in $modes; do
  printf '%-8s UI thread %7.3f ms/s  X server %7.3f ms/s\n' "$mode" \
    "$(median <"$work/$mode.ui")" "$(median <"$work/$mode.x")"
done
for mode in plain karaoke; do
  [ -f "$work/$mode.ui" ] && [ -f "$work/none.ui" ] || continue
  printf 'desktop lyrics, %-8s %7.3f ms/s of the player (UI thread), %7.3f ms/s of the X server\n' \
    "$mode" "$(echo "$(median <"$work/$mode.ui") - $(median <"$work/none.ui")" | bc -l)" \
    "$(echo "$(median <"$work/$mode.x") - $(median <"$work/none.x")" | bc -l)"
done
[ "$runs" -eq 1 ] || echo "(medians of $runs runs)"
