#!/usr/bin/env bash
# Builds a fuzz target of tests/fuzz with clang's libFuzzer, AddressSanitizer and
# UndefinedBehaviorSanitizer, and runs it for the given time.
#
#   scripts/fuzz.sh TARGET SECONDS      e.g. scripts/fuzz.sh lrc 60
#   scripts/fuzz.sh all SECONDS         every target in turn, SECONDS each
#   scripts/fuzz.sh list                the targets
#
# The seeds come from tests/fuzz/corpus/TARGET; what the run adds goes to
# build-fuzz/corpus/TARGET (not into the repository), and inputs that fail are written to
# build-fuzz/artifacts/TARGET/ (add the useful ones to the seed corpus as regression cases).
# clang and libclang-rt-14-dev are installed through apt when missing; the normal build does not
# need them. The machine is shared: the build uses two jobs and each run one process.
set -euo pipefail

root=$(cd "$(dirname "$0")/.." && pwd)
build="$root/build-fuzz"
# The list may run over several lines: "set(fuzz_targets a b" ... "c d)".
targets=$(sed -n '/^set(fuzz_targets /,/)/p' "$root/tests/fuzz/CMakeLists.txt" |
  sed 's/^set(fuzz_targets //; s/)$//' | tr -s ' \n' ' ' | sed 's/^ //; s/ $//')

noisy_targets="service"

usage() {
  echo "usage: $0 TARGET SECONDS | all SECONDS | list" >&2
  echo "targets: $targets" >&2
  exit 2
}

[[ $# -ge 1 ]] || usage
if [[ $1 == list ]]; then
  echo "$targets"
  exit 0
fi
[[ $# -eq 2 && $2 =~ ^[0-9]+$ ]] || usage
target=$1
seconds=$2
if [[ $target != all && " $targets " != *" $target "* ]]; then
  echo "unknown target: $target" >&2
  usage
fi

have_toolchain() {
  command -v clang++ >/dev/null &&
    compgen -G "/usr/lib/llvm-*/lib/clang/*/lib/linux/libclang_rt.fuzzer-x86_64.a" >/dev/null
}
if ! have_toolchain; then
  echo "installing clang and its fuzzer runtime ..." >&2
  for attempt in 1 2 3 4 5; do
    if DEBIAN_FRONTEND=noninteractive apt-get install -y -q clang libclang-rt-14-dev; then break; fi
    echo "apt is busy (attempt $attempt); retrying in 60 s" >&2
    sleep 60
  done
  have_toolchain || { echo "clang with libFuzzer is not available" >&2; exit 1; }
fi

sanitize="-fsanitize=address,undefined -fno-sanitize-recover=undefined -fno-omit-frame-pointer"
export CCACHE_BASEDIR="$root" CCACHE_NOHASHDIR=1
cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++ \
  -DVIREO_FUZZ=ON -DVIREO_BUILD_BENCH=OFF \
  -DCMAKE_C_FLAGS="$sanitize -fsanitize=fuzzer-no-link" \
  -DCMAKE_CXX_FLAGS="$sanitize -fsanitize=fuzzer-no-link" \
  -DCMAKE_EXE_LINKER_FLAGS="$sanitize" >/dev/null

run_one() {
  local t=$1
  cmake --build "$build" -j2 --target "fuzz_$t"
  local work="$build/corpus/$t" artifacts="$build/artifacts/$t/"
  mkdir -p "$work" "$artifacts"
  echo "== fuzz_$t for $seconds s" >&2
  # A target whose code logs every input (the service logs each request) has its stderr
  # silenced; libFuzzer and the sanitizers keep reporting on a stream of their own.
  local quiet=()
  [[ " $noisy_targets " == *" $t "* ]] && quiet=(-close_fd_mask=2)
  # Leaks are Qt's and libxml2's process-wide caches, not findings; every other report stops
  # the run with the input saved.
  ASAN_OPTIONS="detect_leaks=0:abort_on_error=1" \
  UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1" \
    "$build/tests/fuzz/fuzz_$t" -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2560 \
    -malloc_limit_mb=1024 "${quiet[@]}" \
    -max_len=65536 -print_final_stats=1 -artifact_prefix="$artifacts" \
    "$work" "$root/tests/fuzz/corpus/$t"
}

if [[ $target == all ]]; then
  for t in $targets; do run_one "$t"; done
else
  run_one "$target"
fi
