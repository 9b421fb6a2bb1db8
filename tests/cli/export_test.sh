#!/usr/bin/env bash
# korvanta-cli export-bmp and palette end to end: images exported at 1, 4 and 8 bits read back
# through ImageMagick to the pixels of the GIF they came from; palette files are 782 bytes and
# load back to the colours they were written from.
set -u
cli=$1
src=$2
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }

if ! convert -version 2>/dev/null | grep -q ImageMagick; then
  echo "ImageMagick is not installed (scripts/setup.sh installs it); skipping"
  exit 77
fi

# Bytes from offset $2, $3 of them, of file $1 as one hex string.
hex() { od -An -v -tx1 -j "$2" -N "$3" "$1" | tr -d ' \n'; }
# The pixels of a picture as 8-bit RGB, hashed.
pixels() { convert "$1" -depth 8 rgb:- | md5sum | cut -d' ' -f1; }
first_image() { "$cli" info "$1" | awk '$2 == "image" { print $1; exit }'; }

# Global tables of 2, 16 and 256 entries give 1-, 4- and 8-bit files.
convert -size 13x7 pattern:checkerboard -colors 2 -type palette "$tmp/two.gif"
convert -size 13x5 -seed 3 plasma:fractal +dither -colors 16 "$tmp/sixteen.gif"
convert -size 37x11 -seed 3 plasma:fractal +dither -colors 200 "$tmp/many.gif"
for case in two:1 sixteen:4 many:8; do
  name=${case%:*}
  bits=${case#*:}
  gif=$tmp/$name.gif
  index=$(first_image "$gif")
  [ -n "$index" ] || { fail "$name: ImageMagick wrote no image block"; continue; }
  "$cli" export-bmp "$gif" "$index" "$tmp/$name.bmp" || { fail "$name: export-bmp exited $?"; continue; }
  have=$(od -An -tu2 -j28 -N2 "$tmp/$name.bmp" | tr -d ' ')
  [ "$have" = "$bits" ] || fail "$name: have $have bits per pixel, want $bits"
  [ "$(pixels "$tmp/$name.bmp")" = "$(pixels "$gif")" ] || fail "$name: the BMP's pixels differ from the GIF's"
done
[ "$(convert "$tmp/many.bmp" -format %k info:)" -gt 16 ] || fail "many: the 8-bit picture has too few colours to tell"

# The bundled animation's first image: a 16-entry global table, so 4 bits.
sample=$src/res/samples/sample.gif
"$cli" export-bmp "$sample" "$(first_image "$sample")" "$tmp/sample.bmp" || fail "sample: export-bmp exited $?"
[ "$(pixels "$tmp/sample.bmp")" = "$(pixels "$sample[0]")" ] || fail "sample: the BMP's pixels differ from frame 0"

# Wrong blocks and indices.
"$cli" export-bmp "$sample" 0 "$tmp/header.bmp" 2> "$tmp/err" && fail "export-bmp of the header exited 0"
grep -q "^korvanta-cli: $sample: " "$tmp/err" || fail "export-bmp of the header: message is $(cat "$tmp/err")"
"$cli" export-bmp "$sample" 999 "$tmp/x.bmp" 2>/dev/null; [ $? -eq 1 ] || fail "an index past the end did not exit 1"
"$cli" export-bmp "$sample" two "$tmp/x.bmp" 2>/dev/null; [ $? -eq 2 ] || fail "a non-number index did not exit 2"
[ -e "$tmp/header.bmp" ] || [ -e "$tmp/x.bmp" ] && fail "a refused export left a file"

# Palette files: 782 bytes, the source's table first, the last entry repeated, and a file read
# back writes the same palette again.
for case in sixteen:16 many:256; do
  name=${case%:*}
  entries=${case#*:}
  "$cli" palette "$tmp/$name.gif" "$tmp/$name.kvp" || { fail "$name: palette exited $?"; continue; }
  [ "$(wc -c < "$tmp/$name.kvp")" -eq 782 ] || fail "$name: the palette file is not 782 bytes"
  [ "$(hex "$tmp/$name.kvp" 0 13)" = "4749463839614001f000f70000" ] || fail "$name: header is $(hex "$tmp/$name.kvp" 0 13)"
  [ "$(hex "$tmp/$name.kvp" 13 $((3 * entries)))" = "$(hex "$tmp/$name.gif" 13 $((3 * entries)))" ] ||
    fail "$name: the palette file's colours differ from the GIF's table"
  if [ "$entries" -lt 256 ]; then
    last=$(hex "$tmp/$name.kvp" $((13 + 3 * (entries - 1))) 3)
    rest=$(hex "$tmp/$name.kvp" $((13 + 3 * entries)) $((3 * (256 - entries))))
    [ "$rest" = "$(printf "$last%.0s" $(seq $((256 - entries))))" ] ||
      fail "$name: entries past the table do not repeat the last one"
  fi
  [ "$(hex "$tmp/$name.kvp" 781 1)" = "3b" ] || fail "$name: no trailer"
  "$cli" palette "$tmp/$name.kvp" "$tmp/$name-again.kvp" || fail "$name: reading the palette file back exited $?"
  cmp -s "$tmp/$name.kvp" "$tmp/$name-again.kvp" || fail "$name: the palette file does not load back to the same colours"
done
"$cli" info "$tmp/sixteen.kvp" | grep -q 'palette_size=256' || fail "a palette file does not hold 256 entries"
printf 'GIF89a\001\000\001\000\000\000\000\041\002\000\073' > "$tmp/bad.gif"
"$cli" palette "$tmp/bad.gif" "$tmp/bad.kvp" 2>/dev/null && fail "palette from a file the reader rejects exited 0"
[ -e "$tmp/bad.kvp" ] && fail "a refused palette left a file"

[ $failures -eq 0 ] && echo "all korvanta-cli export checks passed"
exit $((failures > 0))
