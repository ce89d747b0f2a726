#!/usr/bin/env bash
# Fails when a module includes a header of a module it must not depend on: dependencies point
# from the windows down to base (docs/ARCHITECTURE.md draws the graph). Run by the test run.
#   bash scripts/check-layers.sh [src folder]
set -uo pipefail
src=${1:-$(dirname "$0")/../src}
declare -A allowed=(
  [base]=""
  [net]="base"
  [playlist]="base"
  [store]="base"
  [audio]="base net"
  [lyrics]="base net"
  [library]="base net playlist"
  [ddvcl]="base lyrics playlist"
  [skin]="base ddvcl store playlist lyrics"
  [app]="base net store playlist audio lyrics library skin ddvcl"
)
bad=0
for module in "${!allowed[@]}"; do
  [ -d "$src/$module" ] || continue
  while IFS= read -r line; do
    file=${line%%:*}
    used=$(sed -E 's/.*#include "([a-z]+)\/.*/\1/' <<<"${line#*:}")
    [ "$used" = "$module" ] && continue
    [ -n "${allowed[$used]+x}" ] || continue  # not one of our modules
    if [[ " ${allowed[$module]} " != *" $used "* ]]; then
      echo "layering: $file includes $used/ (the $module module may use: ${allowed[$module]:-nothing})"
      bad=1
    fi
  done < <(grep -rHE '^#include "[a-z]+/' "$src/$module" --include='*.h' --include='*.cpp' | sed -E 's/:([0-9]+:)?/:/')
done
[ $bad -eq 0 ] && echo "layering: every include points down"
exit $bad
