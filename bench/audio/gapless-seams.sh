#!/usr/bin/env bash
# The seam between two tracks, per format: one continuous 441 Hz tone cut on a crest into two
# files (1.0006 s and 1 s), played one after the other while the null sink's monitor is
# recorded. Printed per format and player: the milliseconds of silence inside the tone (1 ms
# windows whose peak is below a third of the tone's) and the largest step between two
# neighbouring samples against the tone's own (1029 at this level). Our engine (vireo-probe with
# both names, the second prepared while the first plays) beside `audacious --headless` on the
# same files, when it is installed (the project's set-up does not install another player:
# `sudo apt-get install audacious` to compare). The CPU cost of preparing the next track (open and first
# block) is bench_audio_next (PrepareNext/FORMAT).
#
#   cd build && bash ../scripts/with-services.sh bash ../bench/audio/gapless-seams.sh
set -euo pipefail
build=$(pwd)
probe="$build/tools/vireo-probe/vireo-probe"
[ -x "$probe" ] || { echo "build vireo-probe first (cmake --build . --target vireo-probe)"; exit 1; }
[ -n "${PULSE_SERVER:-}" ] || { echo "run under scripts/with-services.sh"; exit 1; }
# The probe lives in its own folder; the decoder module beside the player.
export VIREO_MODULE_DIR=${VIREO_MODULE_DIR:-$build/bin}
work=$(mktemp -d /tmp/vireo-seams.XXXXXX)
trap 'rm -rf "$work"' EXIT

half() {  # half EXT FRAMES PHASE_FRAMES OUT CODEC...
  local ext=$1 frames=$2 phase=$3 out=$4
  shift 4
  ffmpeg -hide_banner -loglevel error -y -f lavfi \
    -i "aevalsrc=0.5*sin(2*PI*441*(t+$phase/44100))|0.5*sin(2*PI*441*(t+$phase/44100)):s=44100:d=3" \
    -af "atrim=end_sample=$frames" "$@" "$out"
}

# Records the monitor while the command runs; the recording goes to $work/rec.raw.
record() {
  parec --device=null.monitor --format=s16le --rate=44100 --channels=2 --latency-msec=20 \
    >"$work/rec.raw" &
  local rec=$!
  # The monitor runs late for about its first second: the first track is played once it settled.
  sleep 1.5
  "$@" >"$work/player.log" 2>&1 || true
  sleep 0.3
  kill "$rec" 2>/dev/null || true
  wait "$rec" 2>/dev/null || true
}

inspect() {
  python3 - "$work/rec.raw" <<'PY'
import struct, sys
raw = open(sys.argv[1], 'rb').read()
n = len(raw) // 4
left = struct.unpack('<%dh' % (n * 2), raw[:n * 4])[0::2]
level = 0.5 * 32767
idx = [i for i, v in enumerate(left) if abs(v) > level / 10]
if not idx:
    print('   no tone recorded')
    sys.exit()
first, last = idx[0] + 441, idx[-1] - 441
quiet = sum(1 for at in range(first, last - 44, 44)
            if max(abs(v) for v in left[at:at + 44]) < level / 3)
step = max(abs(left[i + 1] - left[i]) for i in range(first, last - 1))
print('%5d ms silent, largest step %5d, tone %.3f s' % (quiet, step, (idx[-1] - idx[0]) / 44100))
PY
}

printf '%-13s %-10s %s\n' case player seam
# case:extension:codec options. m4a-itunes carries iTunes gapless data (priming, padding,
# sample count) as other encoders write it, m4a-editlist only the edit list FFmpeg writes;
# wav-48000 changes the sample rate between the tracks (the second half at 48000 Hz);
# mp3-stream plays the second MP3 half from a loopback HTTP server.
for entry in "wav:wav:" "flac:flac:" "mp3:mp3:-c:a libmp3lame -b:a 192k" "ogg:ogg:-c:a libvorbis" \
            "opus:opus:-c:a libopus" "m4a-itunes:m4a:-c:a aac" "m4a-editlist:m4a:-c:a aac" \
            "wav-48000:wav:"; do
  name=${entry%%:*}
  rest=${entry#*:}
  ext=${rest%%:*}
  codec=${rest#*:}
  for part in a b; do
    frames=44125 phase=0
    [ $part = b ] && frames=44100 phase=44125
    extra=()
    if [ "$name" = m4a-itunes ]; then
      extra=(-metadata "iTunSMPB= 00000000 00000400 00000000 $(printf '%016X' $frames) 00000000 00000000"
             -movflags use_metadata_tags)
    fi
    [ "$name" = wav-48000 ] && [ $part = b ] && extra=(-ar 48000)
    # shellcheck disable=SC2086
    half "$ext" $frames $phase "$work/$part.$ext" $codec "${extra[@]}"
  done
  record "$probe" --volume 100 --no-progress "$work/a.$ext" "$work/b.$ext"
  printf '%-13s %-10s %s\n' "$name" vireo "$(inspect)"
  if [ "$name" = mp3 ]; then
    # The second half as a network stream from a loopback server (an MP3 download).
    (cd "$work" && exec python3 -m http.server 8765 --bind 127.0.0.1) >/dev/null 2>&1 &
    server=$!
    for _ in $(seq 50); do curl -s -o /dev/null http://127.0.0.1:8765/ && break; sleep 0.1; done
    record "$probe" --volume 100 --no-progress "$work/a.$ext" "http://127.0.0.1:8765/b.$ext"
    printf '%-13s %-10s %s\n' "mp3-stream" vireo "$(inspect)"
    kill "$server"
  fi
  if command -v audacious >/dev/null; then
    record timeout 20 dbus-run-session -- audacious --headless -q "$work/a.$ext" "$work/b.$ext"
    printf '%-13s %-10s %s\n' "$name" audacious "$(inspect)"
  fi
done
