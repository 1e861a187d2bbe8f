#!/bin/sh
# Builds docs/artwork.png: every picture of src/ui/art enlarged 4x with
# nearest-neighbour scaling (see-through pixels on white), then the sprites
# on the stretched track strip as the race screen shows them, at 2x.
set -e
cd "$(dirname "$0")/.."
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
art=src/ui/art
font=/usr/share/fonts/truetype/dejavu/DejaVuSans.ttf
for f in "$art"/*.xpm; do
  n=$(basename "$f" .xpm)
  convert "$f" -background '#FFFFFF' -alpha remove -filter point -resize 400% "$tmp/$n.png"
done
# One column per runner: frame A, frame B, goal pose, portrait.
tiles=""
for p in a b goal; do
  for r in 0 1 2 3 4; do tiles="$tiles $tmp/runner${r}_$p.png"; done
done
for r in 0 1 2 3 4; do tiles="$tiles $tmp/portrait$r.png"; done
montage -font "$font" -pointsize 16 -label "%t" $tiles -tile 5x -geometry +8+4 -background '#FF8080' "$tmp/sprites.png"
montage -font "$font" -pointsize 16 -label "%t" "$tmp/track.png" -geometry +8+4 -background '#FF8080' "$tmp/track_t.png"
others=""
for n in cloud button_runner button_retry button_ranking button_help button_version \
         button_exit button_back button_ok icon; do
  others="$others $tmp/$n.png"
done
montage -font "$font" -pointsize 16 -label "%t" $others -tile 5x -geometry +8+4 -background '#FF8080' "$tmp/others.png"
# The race track at 2x: the stretched strip with every runner's frames and goal pose on it.
convert "$art/track.xpm" -filter point -resize '633x105!' "$tmp/strip.png"
for r in 0 1 2 3 4; do
  convert "$tmp/strip.png" \
    "$art/runner${r}_a.xpm" -geometry +24+0 -composite \
    "$art/runner${r}_b.xpm" -geometry +150+0 -composite \
    "$art/runner${r}_goal.xpm" -geometry +504+0 -composite \
    "$art/cloud.xpm" -geometry +300+10 -composite \
    -crop 599x105+0+0 +repage -filter point -resize 200% "$tmp/race$r.png"
done
convert "$tmp"/race[0-4].png -append "$tmp/race.png"
mkdir -p docs
convert \( "$tmp/sprites.png" "$tmp/track_t.png" -background '#FF8080' +append \) \
  "$tmp/others.png" "$tmp/race.png" -background '#FF8080' -gravity west -append +repage -depth 8 docs/artwork.png
