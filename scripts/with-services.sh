#!/usr/bin/env bash
# Runs a command with the real services the tests talk to: a private PulseAudio daemon with a
# null sink (PULSE_SERVER) and an Xvfb display with openbox (DISPLAY). Both end with the command.
set -uo pipefail
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
