#!/usr/bin/env bash
# Makes the animated GIFs of tests/images/data with ImageMagick, and beside
# each one its frames as a viewer composes them (<name>-<n>.png, through
# -coalesce), which the tests take as the truth. Review the diff before
# committing it.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
data="$root/tests/images/data"
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
cd "$work"

# A colourful background with a moving disc, optimised: later frames keep
# only the changed rectangle, unchanged pixels transparent.
for i in 0 1 2 3 4; do
  convert -size 64x48 gradient:'#e03010-#1050f0' \
    \( -size 48x64 gradient:'#000000-#00c000' -rotate 90 \) -compose plus -composite \
    -fill '#ffe060' -draw "circle $((10 + i * 10)),24 $((16 + i * 10)),24" \
    -fill white -draw "rectangle 2,2 8,8" "f$i.png"
done
convert -delay 12 f?.png -loop 0 -layers Optimize "$data/optimised.gif"

# Sprites at offsets with their own small tables, each disposal method, a
# hole in some sprites, a different delay on every frame, two loops.
convert -size 40x30 gradient:'#204080-#80c040' bg.png
convert -size 10x8 xc:'#ff0000' -fill '#ffff00' -draw "rectangle 3,2 6,5" s1.png
convert -size 12x10 xc:none -fill '#00ffff' -draw "circle 6,5 9,5" s2.png
convert -delay 10 -dispose none bg.png \
  -delay 50 -dispose previous -page +5+5 s1.png \
  -delay 200 -dispose background -page +20+10 s2.png \
  -delay 7 -dispose none -page +25+15 s1.png \
  -delay 33 -page +2+18 s2.png -loop 2 "$data/disposals.gif"

# Full frames whose colours differ: the later ones carry local tables.
convert -size 32x24 gradient:'#ff8000-#800000' w.png
convert -size 32x24 gradient:'#00ffff-#000080' c.png
convert -size 32x24 xc:white -fill '#808080' -draw "rectangle 8,8 20,16" g.png
convert -delay 25 w.png c.png g.png -loop 0 "$data/local-tables.gif"

for name in optimised disposals local-tables; do
  rm -f "$data/$name"-*.png
  convert "$data/$name.gif" -coalesce "PNG32:$data/$name-%d.png"
done
git -C "$root" status --short tests/images/data
