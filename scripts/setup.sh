#!/usr/bin/env bash
# Installs every Debian package that building, testing and running Vireo needs.
# Safe to run again: packages already present are skipped, nothing is asked.
set -euo pipefail

PACKAGES=(
  # toolchain
  build-essential cmake ninja-build pkg-config git ccache
  # Qt 6 with WebEngine and the platform plug-ins (xcb, offscreen)
  qt6-base-dev qt6-base-dev-tools qt6-qpa-plugins qt6-webengine-dev qt6-webengine-dev-tools
  libqt6opengl6-dev libgl-dev libegl-dev libxkbcommon-dev
  # audio: decoding, output, tags, loudness, FFT
  libavformat-dev libavcodec-dev libavutil-dev libswresample-dev libmpg123-dev
  libpulse-dev libtag1-dev libebur128-dev libfftw3-dev libvorbis-dev
  # network, files, images
  libcurl4-openssl-dev libxml2-dev libpng-dev zlib1g-dev libsodium-dev
  # X11 input shapes of the desktop lyrics
  libx11-dev libxext-dev
  # tests and benchmarks
  libgtest-dev libgmock-dev googletest libbenchmark-dev libcpp-httplib-dev
  # real components the tests drive
  xvfb xauth openbox xcompmgr xdotool x11-utils imagemagick trayer dbus playerctl
  # the tests' private network (loopback only): unshare and ip
  util-linux iproute2
  # translations (lupdate, lrelease) and the install's checks: the package, its entry and data
  qt6-tools-dev qt6-l10n-tools qt6-translations-l10n dpkg-dev desktop-file-utils appstream lintian
  # the skins' art and the icon are rendered from SVG
  librsvg2-bin python3
  pulseaudio pulseaudio-utils ffmpeg fonts-wqy-microhei
)

missing=()
for p in "${PACKAGES[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed'; then
    missing+=("$p")
  fi
done

if [ ${#missing[@]} -eq 0 ]; then
  echo "setup: all ${#PACKAGES[@]} packages are installed"
  exit 0
fi

SUDO=""
if [ "$(id -u)" -ne 0 ]; then
  command -v sudo >/dev/null || { echo "setup: need root or sudo to install: ${missing[*]}" >&2; exit 1; }
  SUDO="sudo"
fi

echo "setup: installing ${#missing[@]} packages: ${missing[*]}"
export DEBIAN_FRONTEND=noninteractive
$SUDO apt-get update -qq || echo "setup: apt-get update failed, trying the lists we have" >&2
if ! $SUDO apt-get install -y -qq --no-install-recommends "${missing[@]}" >/tmp/vireo-setup-apt.log 2>&1; then
  # Install one by one so the message can name exactly what failed.
  failed=()
  for p in "${missing[@]}"; do
    $SUDO apt-get install -y -qq --no-install-recommends "$p" >>/tmp/vireo-setup-apt.log 2>&1 || failed+=("$p")
  done
  if [ ${#failed[@]} -gt 0 ]; then
    echo "setup: could not install: ${failed[*]} (see /tmp/vireo-setup-apt.log)" >&2
    exit 1
  fi
fi
echo "setup: done"
