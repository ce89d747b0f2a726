#!/usr/bin/env bash
# Runs a command with the real services the tests talk to: a private PulseAudio daemon with a
# null sink (PULSE_SERVER) and an Xvfb display with openbox (DISPLAY). Both end with the command.
#
# Everything runs in a network namespace of its own that has only loopback, so an online
# address a test forgot to point at its own server fails at once instead of leaving the machine.
set -uo pipefail
if [[ -z ${VIREO_PRIVATE_NET:-} ]]; then
  for how in "--net" "--net --map-root-user"; do
    # shellcheck disable=SC2086
    if unshare $how true 2>/dev/null; then
      export VIREO_PRIVATE_NET=1
      # shellcheck disable=SC2086
      exec unshare $how bash "$0" "$@"
    fi
  done
  echo "with-services: no private network could be made (unshare refused); the tests share" \
    "this machine's network" >&2
  export VIREO_PRIVATE_NET=shared
elif [[ $VIREO_PRIVATE_NET == 1 ]]; then
  ip link set lo up || { echo "with-services: cannot bring loopback up" >&2; exit 1; }
fi
work=$(mktemp -d /tmp/vireo-services.XXXXXX)
pids=()
cleanup() {
  for p in "${pids[@]}"; do kill "$p" 2>/dev/null; done
  wait 2>/dev/null
  rm -rf "$work"
}
trap cleanup EXIT

# PulseAudio, with its own home and runtime folder so it never meets a desktop's daemon.
mkdir -p "$work/home" "$work/run"
chmod 700 "$work/run"
export VIREO_PULSE_HOME="$work/home"
( export HOME="$work/home" XDG_RUNTIME_DIR="$work/run"
  exec pulseaudio --daemonize=no --exit-idle-time=-1 --disallow-exit -n \
    --load=module-null-sink --load=module-native-protocol-unix >"$work/pulse.log" 2>&1 ) &
pids+=($!)
export PULSE_SERVER="unix:$work/run/pulse/native"
for _ in $(seq 100); do [ -S "$work/run/pulse/native" ] && break; sleep 0.1; done
[ -S "$work/run/pulse/native" ] || { echo "with-services: PulseAudio did not start:"; cat "$work/pulse.log"; }

# Xvfb on the first free display, with a window manager as users have one.
for n in $(seq 90 120); do [ -e "/tmp/.X11-unix/X$n" ] || [ -e "/tmp/.X$n-lock" ] || break; done
Xvfb ":$n" -screen 0 1280x1024x24 -nolisten tcp >"$work/xvfb.log" 2>&1 &
pids+=($!)
export DISPLAY=":$n"
for _ in $(seq 100); do [ -e "/tmp/.X11-unix/X$n" ] && break; sleep 0.1; done
openbox >"$work/openbox.log" 2>&1 &
pids+=($!)

"$@"
