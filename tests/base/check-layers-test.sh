#!/usr/bin/env bash
# The layering check fails where it must: an include that points up (written by module name or
# as a relative path), a module the page does not draw, and CMake linking other modules than the
# page draws; a tree that keeps the rules passes.
set -uo pipefail
check="$1"
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT

tree() {  # a small repository: base <- audio <- app
  rm -rf "$tmp/r" && mkdir -p "$tmp/r/docs" "$tmp/r/src/base" "$tmp/r/src/audio" "$tmp/r/src/app"
  printf '## Modules and their real dependency graph\n\n```\napp ──> audio, base  (widgets)\naudio ──> base\nbase                (QtCore)\ntools/m3g ──> audio\n```\n' > "$tmp/r/docs/ARCHITECTURE.md"
  echo 'vireo_module(base SOURCES B.cpp DEPS Qt6::Core)' > "$tmp/r/src/base/CMakeLists.txt"
  echo 'vireo_module(audio SOURCES A.cpp DEPS vireo_base)' > "$tmp/r/src/audio/CMakeLists.txt"
  echo 'vireo_module(app SOURCES W.cpp DEPS vireo_audio vireo_base)' > "$tmp/r/src/app/CMakeLists.txt"
  echo '#include "base/B.h"' > "$tmp/r/src/audio/A.cpp"
  echo '#include "audio/A.h"' > "$tmp/r/src/app/W.cpp"
  echo '#include <QString>' > "$tmp/r/src/base/B.cpp"
}

expect() {  # expect <exit code> <text in the output> <what>
  out=$(python3 "$check" "$tmp/r" 2>&1); code=$?
  if [ "$code" != "$1" ] || ! grep -qF -- "$2" <<<"$out"; then
    echo "FAILED: $3 (exit $code)"; echo "$out"; exit 1
  fi
  echo "ok: $3"
}

tree; expect 0 "every include points down" "a tree that keeps the rules"
tree; echo '#include "app/W.h"' >> "$tmp/r/src/base/B.cpp"
expect 1 "src/base/B.cpp:2 includes app/W.h" "an include by module name that points up"
tree; echo '#include "../app/W.h"' >> "$tmp/r/src/audio/A.cpp"
expect 1 "src/audio/A.cpp:2 includes ../app/W.h" "a relative include that points up"
tree; mkdir -p "$tmp/r/src/extra"; echo '#include "app/W.h"' > "$tmp/r/src/extra/E.cpp"
expect 1 "src/extra is a module the page's graph does not draw" "a module missing from the page"
tree; echo 'vireo_module(audio SOURCES A.cpp DEPS vireo_base vireo_app)' > "$tmp/r/src/audio/CMakeLists.txt"
expect 1 "src/audio/CMakeLists.txt links ['app', 'base']" "CMake linking what the page does not draw"
tree; echo '#include "../base/B.h"' >> "$tmp/r/src/app/W.cpp"
expect 0 "every include points down" "a relative include that points down"
