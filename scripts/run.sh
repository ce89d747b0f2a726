#!/usr/bin/env bash
# Sets up the machine, builds, and starts the player playing the bundled demo tune with its
# lyric. On a desktop it opens there; on a machine without a display it runs the player for a
# few seconds under a private X server and sound server, saves a screenshot and says where.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
bash "$root/scripts/build.sh"
build="${VIREO_BUILD_DIR:-$root/build}"
vireo="$build/bin/vireo"
# The demo plays from a copy: the lyric's offset buttons write into the lyric beside the track,
# and the checkout's own file must stay as it is.
demo_dir="${XDG_CACHE_HOME:-$HOME/.cache}/vireo/demo"
mkdir -p "$demo_dir"
cp "$root/data/demo/vireo-demo.mp3" "$root/data/demo/vireo-demo.lrc" "$demo_dir/"
demo="$demo_dir/vireo-demo.mp3"

if [ -n "${DISPLAY:-}" ] && xdpyinfo >/dev/null 2>&1; then
  echo "Starting Vireo with the demo tune on this desktop."
  exec "$vireo" "$demo"
fi

shot="$build/vireo-demo.png"
echo "No display here: running Vireo for 8 seconds under Xvfb; the screenshot goes to $shot"
home=$(mktemp -d /tmp/vireo-demo-home.XXXXXX)
mkdir -p "$home/run" && chmod 700 "$home/run"
# A private home, so the demo never touches a real user's settings, playlist or running player.
HOME="$home" XDG_CONFIG_HOME="$home/.config" XDG_DATA_HOME="$home/.local/share" \
XDG_CACHE_HOME="$home/.cache" XDG_RUNTIME_DIR="$home/run" \
  bash "$root/scripts/with-services.sh" bash -c '
  "$1" "$2" & pid=$!
  sleep 8
  import -window root "$3" 2>/dev/null || xwd -root -silent | convert xwd:- "$3"
  kill $pid 2>/dev/null; wait $pid 2>/dev/null || true
' _ "$vireo" "$demo" "$shot"
rm -rf "$home"
echo "Screenshot saved: $shot"
