#!/bin/sh
# Renders every picture in assets/pictures/ to a preview folder and builds a
# mock-up of the game window from them.  Usage: tools/preview_pictures.sh [outdir]
set -e
ROOT=$(cd "$(dirname "$0")/.." && pwd)
OUT=${1:-/tmp/preview}
mkdir -p "$OUT"
for f in "$ROOT"/assets/pictures/*.svg; do
  n=$(basename "$f" .svg)
  rsvg-convert -o "$OUT/$n.png" "$f"
  convert "$OUT/$n.png" -background '#7f7f7f' -alpha remove -filter point -resize 400% "$OUT/${n}_x4.png"
done
cd "$OUT"
# window mock-up: background, board, stones, score panel, balloon, status line
convert main_bg.png -crop 478x360+0+0 +repage \
  -fill '#B3D8FF' -stroke '#7FA8D8' -draw "roundrectangle 184,24 456,296 6,6" \
  -fill '#3C9A55' -stroke none -draw "rectangle 192,32 447,287" \
  -stroke '#1E5E30' -draw "path 'M 224,32 V 288 M 256,32 V 288 M 288,32 V 288 M 320,32 V 288 M 352,32 V 288 M 384,32 V 288 M 416,32 V 288 M 192,64 H 448 M 192,96 H 448 M 192,128 H 448 M 192,160 H 448 M 192,192 H 448 M 192,224 H 448 M 192,256 H 448'" \
  -fill '#FFFFFFC0' -stroke '#999999' -draw "roundrectangle 10,25 171,121 8,8" \
  -fill '#E8B0C8' -stroke none -draw "rectangle 20,230 150,355" \
  mock0.png
composite -geometry +288+128 stone_white.png mock0.png mock0.png
composite -geometry +320+160 stone_white.png mock0.png mock0.png
composite -geometry +320+128 stone_black.png mock0.png mock0.png
composite -geometry +288+160 stone_black.png mock0.png mock0.png
composite -geometry +352+160 stone_black.png mock0.png mock0.png
composite -geometry +16+145 balloon.png mock0.png mock0.png
convert mock0.png -font IPAPGothic -pointsize 15 -fill black -annotate +28+38 'あなたの番です。' \
  -fill white -annotate +210+340 '黒の番です。' mock.png
convert mock.png -fill '#FFFFFFE0' -stroke '#6688AA' -draw "roundrectangle 232,140 408,184 6,6" mock_banner.png
composite -geometry +240+145 banner_win.png mock_banner.png mock_banner.png
convert main_bg.png -crop 478x360+0+0 +repage mock_jya.png
composite -geometry +184+20 jya_panel.png mock_jya.png mock_jya.png
composite -geometry +344+124 jya_cpu_1.png mock_jya.png mock_jya.png
composite -geometry +344+82 stone_black.png mock_jya.png mock_jya.png
composite -geometry +210+188 jya_user_0.png mock_jya.png mock_jya.png
composite -geometry +290+188 jya_user_1.png mock_jya.png mock_jya.png
composite -geometry +370+188 jya_user_2.png mock_jya.png mock_jya.png
composite -geometry +290+330 tit_button.png mock_jya.png mock_jya.png
echo "previews in $OUT"
