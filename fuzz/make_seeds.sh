#!/usr/bin/env bash
# make_seeds.sh OUTDIR [CLIP_SEED_TOOL]: the seed corpora of the fuzz targets, one folder per
# target under OUTDIR. GIF and BMP files made with ImageMagick and gifsicle in many of the forms
# those tools write, the project's own sample files, palette files, and, when the public test
# corpora sit beside the project (../shared/corpus), their small files. CLIP_SEED_TOOL
# (korvanta-fuzz-clip-seeds) turns the GIF seeds into the clipboard items the editor copies.
set -euo pipefail
out=${1:?usage: make_seeds.sh OUTDIR [CLIP_SEED_TOOL]}
clip_tool=${2:-}
root=$(cd "$(dirname "$0")/.." && pwd)
corpus=$root/../shared/corpus
# Seeds larger than this slow every mutation down and add nothing the small ones lack.
max_seed=32768

mkdir -p "$out"/{gif_doc,bmp,clip_item,clip_bitmap,palette_file}
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
g=$out/gif_doc

# ImageMagick: depths, tables, transparency, interlace, disposal, loops, comments.
convert -size 8x8 pattern:checkerboard -colors 2 "$g/im-mono.gif"
convert rose: "$g/im-rose.gif"
convert rose: -colors 16 -interlace GIF "$g/im-rose16-interlaced.gif"
convert netscape: -resize 48x48 "$g/im-netscape.gif"
convert -size 40x30 gradient:red-blue -colors 64 -comment "made by ImageMagick" "$g/im-gradient.gif"
convert -size 20x20 xc:none -fill red -draw 'circle 10,10 10,3' "$g/im-transparent.gif"
convert -delay 10 -size 16x16 xc:red xc:lime xc:blue -loop 0 "$g/im-anim-loop.gif"
convert -delay 5 -size 16x12 xc:yellow xc:navy -loop 3 "$g/im-anim-loop3.gif"
for dispose in None Background Previous; do
  convert -dispose "$dispose" -delay 20 -size 24x24 xc:white \
    \( -size 8x8 xc:red -repage +2+2 \) \( -size 8x8 xc:none -fill blue -draw 'point 3,3' -repage +10+6 \) \
    -loop 0 "$g/im-dispose-$dispose.gif"
done
# Frames of their own colours get local tables.
convert -delay 8 \( -size 20x20 gradient:red-yellow -colors 32 \) \( -size 20x20 gradient:blue-cyan -colors 32 \) \
  -loop 0 "$g/im-local-tables.gif"
convert -size 30x20 plasma:fractal -seed 7 -colors 256 "$g/im-plasma256.gif" 2>/dev/null ||
  convert -size 30x20 gradient:black-white -colors 256 "$g/im-plasma256.gif"

# gifsicle: optimised frames smaller than the screen, interlace, loop counts, comments, screens
# larger than the frames, disposal and delays set after the fact.
gifsicle -O3 "$g/im-anim-loop.gif" -o "$g/gs-optimised.gif"
gifsicle --interlace "$g/im-rose.gif" -o "$g/gs-rose-interlaced.gif"
gifsicle --loopcount=7 --comment "gifsicle comment" "$g/im-anim-loop3.gif" -o "$g/gs-loop7.gif"
gifsicle --no-loopcount "$g/im-anim-loop.gif" -o "$g/gs-no-loop.gif"
gifsicle --logical-screen 64x48 "$g/im-transparent.gif" -o "$g/gs-large-screen.gif"
gifsicle --disposal previous --delay 3 "$g/im-local-tables.gif" -o "$g/gs-dispose-previous.gif"
gifsicle --colors 4 "$g/im-rose.gif" -o "$g/gs-rose4.gif"
gifsicle --crop 10,5+30x20 "$g/im-rose.gif" -o "$g/gs-cropped.gif"
gifsicle --merge "$g/gs-rose4.gif" "$g/im-mono.gif" --loopcount=forever -o "$g/gs-merged.gif"

# The project's own files.
cp "$root"/res/samples/*.gif "$g/"

# Public test corpora, when present: their small files.
if [ -d "$corpus" ]; then
  find "$corpus" -type f \( -iname '*.gif' -o -path '*/ns-afl-gif/*' -o -path '*/crashtest/*' -o -path '*/stall/*' \) \
    -size -"$max_seed"c -print0 | while IFS= read -r -d '' f; do
    cp "$f" "$g/corpus-$(echo "$f" | md5sum | cut -c1-12)"
  done
  find "$corpus/bmpsuite" -type f -iname '*.bmp' -size -"$max_seed"c -print0 2>/dev/null |
    while IFS= read -r -d '' f; do cp "$f" "$out/bmp/corpus-$(basename "$f")"; done
fi

# BMP files: 1, 4, 8 and 24 bits, plain and with a longer information header.
b=$out/bmp
convert -size 8x8 pattern:checkerboard -type Palette -colors 2 BMP3:"$b/im-1bit.bmp"
convert rose: -resize 24x16 -colors 16 -type Palette BMP3:"$b/im-4bit.bmp"
convert rose: -resize 24x16 -colors 200 -type Palette BMP3:"$b/im-8bit.bmp"
convert rose: -resize 12x8 -type TrueColor BMP3:"$b/im-24bit.bmp"
convert rose: -resize 20x10 -colors 100 -type Palette BMP:"$b/im-8bit-v5.bmp"
convert -size 5x3 xc:red -type Palette BMP3:"$b/im-odd-width.bmp"

# Palette files: the 782-byte form, a short table, and GIF files as palette sources.
p=$out/palette_file
{
  printf 'GIF89a\x00\x00\x00\x00\xf7\x00\x00'
  for i in $(seq 0 255); do
    # shellcheck disable=SC2059  # the format is the escape of one entry's three bytes
    printf "\\x$(printf %02x "$i")\\x$(printf %02x $((255 - i)))\\x$(printf %02x $(((i * 7) & 255)))"
  done
  printf ';'
} >"$p/palette.kvp"
printf 'GIF89a\x00\x00\x00\x00\x81\x00\x00\xff\x00\x00\x00\xff\x00\x00\x00\xff\xff\xff\xff;' >"$p/four.kvp"
cp "$g"/im-*.gif "$g"/gs-*.gif "$root"/res/samples/*.gif "$p/"

# Clipboard items as the editor copies them, from the GIF seeds made here.
if [ -n "$clip_tool" ]; then
  "$clip_tool" "$work/clip" "$g"/im-*.gif "$g"/gs-*.gif "$root"/res/samples/*.gif >/dev/null
  cp "$work"/clip/clip_item/* "$out/clip_item/"
  cp "$work"/clip/clip_bitmap/* "$out/clip_bitmap/"
fi
# A bitmap with a core header, and one stored top row first, which the editor never writes.
printf '\x0c\x00\x00\x00\x02\x00\x02\x00\x01\x00\x08\x00\x00\x00\x00\xff\xff\xff\x00\x01\x00\x00\x01\x00\x00\x00' \
  >"$out/clip_bitmap/core-header"
{
  printf '\x28\x00\x00\x00\x03\x00\x00\x00\xfe\xff\xff\xff\x01\x00\x04\x00'
  printf '\x00\x00\x00\x00\x08\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00\x02\x00\x00\x00\x00\x00\x00\x00'
  printf '\x00\x00\xff\x00\xff\x00\x00\x00\x01\x10\x00\x00\x10\x01\x00\x00'
} >"$out/clip_bitmap/top-down-4bit"

find "$out" -type f -size +"$max_seed"c -delete
for d in "$out"/*/; do echo "$(find "$d" -type f | wc -l) seeds in $d"; done
