#!/usr/bin/env bash
# Regenerates both bundled skins (every PNG and skin.xml of skins/Default and
# skins/Light) from the sources in this folder, then composes the previews into
# build/skin-preview/. Needs python3, rsvg-convert (librsvg2-bin), ImageMagick's
# convert and the WenQuanYi Micro Hei font (all installed by scripts/setup.sh).
#
#   bash skins/src/generate.sh            # skins and previews
#   bash skins/src/generate.sh --no-preview
set -euo pipefail
export PYTHONDONTWRITEBYTECODE=1

here="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)"
repo="$(cd "$here/../.." && pwd)"
preview=1
[ "${1:-}" = "--no-preview" ] && preview=0

for tool in python3 rsvg-convert convert; do
  command -v "$tool" >/dev/null || { echo "generate.sh: $tool is missing (run scripts/setup.sh)" >&2; exit 1; }
done

for skin in Default Light; do
  python3 "$here/generate.py" "$skin" "$repo/skins/$skin"
  python3 "$here/check.py" "$repo/skins/$skin"
  echo "skins/$skin: $(ls "$repo/skins/$skin" | wc -l) files"
  if [ "$preview" = 1 ]; then
    python3 "$here/preview.py" "$repo/skins/$skin" "$repo/build/skin-preview"
  fi
done
[ "$preview" = 1 ] && echo "previews: $repo/build/skin-preview/"
exit 0
