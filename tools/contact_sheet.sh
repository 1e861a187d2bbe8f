#!/bin/sh
# Builds docs/artwork.png: every picture of src/ui/art enlarged 4x with
# nearest-neighbour scaling, the sprites also on a strip of the race screen.
set -e
cd "$(dirname "$0")/.."
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
art=src/ui/art
for f in "$art"/*.xpm; do
  n=$(basename "$f" .xpm)
  convert "$f" -background '#FFFFFF' -alpha remove -filter point -resize 400% "$tmp/$n.png"
done
sprites=""
for r in 0 1 2 3 4; do
  for p in a b goal; do sprites="$sprites $tmp/runner${r}_$p.png"; done
done
others=""
for n in track cloud button_runner button_retry button_ranking button_help button_version \
         button_exit button_back button_ok portrait0 portrait1 portrait2 portrait3 portrait4 icon; do
  others="$others $tmp/$n.png"
done
montage $sprites -tile 6x -geometry +6+6 -background '#FF8080' "$tmp/sprites.png"
montage $others -tile 8x -geometry +6+6 -background '#FF8080' "$tmp/others.png"
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
convert "$tmp/sprites.png" "$tmp/others.png" "$tmp/race.png" -background '#FF8080' -gravity west \
  -append +repage docs/artwork.png
