#!/usr/bin/env bash
# korvanta-cli frames on the bundled sample animation: the timeline of one and of two passes,
# the pictures written, the dithered display picture, and the usage and error conventions.
set -u
cli=$1
src=$2
ppmdiff=$3
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }

sample=$src/res/samples/sample.gif
# Blocks: 0 header, 1 loop (endless), 2 comment, 3 control (delay 50), 4 image; then five
# control blocks (delay 12) each before an image at 6, 8, 10, 12 (interlaced), 14, 16.
one_pass='frame=0 block=4 delay=50 build=0
frame=1 block=6 delay=12 build=0
frame=2 block=8 delay=12 build=0
frame=3 block=10 delay=12 build=0
frame=4 block=12 delay=12 build=150
frame=5 block=14 delay=12 build=0
frame=6 block=16 delay=12 build=0'

have=$("$cli" frames "$sample" "$tmp/one") || fail "frames exited $?"
[ "$have" = "$one_pass" ] || fail "one pass: have
$have"
[ "$(find "$tmp/one" -name 'frame-*.ppm' | wc -l)" -eq 7 ] || fail "one pass did not write 7 pictures"
[ "$(head -c 13 "$tmp/one/frame-0006.ppm" | tr '\n' ' ')" = "P6 96 64 255 " ] || fail "frame-0006.ppm header: $(head -c 13 "$tmp/one/frame-0006.ppm")"
[ "$(stat -c %s "$tmp/one/frame-0000.ppm")" -eq $((13 + 96 * 64 * 3)) ] || fail "frame-0000.ppm is not 96 x 64 RGB"
"$ppmdiff" "$tmp/one/frame-0000.ppm" "$tmp/one/frame-0001.ppm" > /dev/null && fail "the first two frames are the same picture"

# The second pass resumes after the loop block (comment, control, image 4): same pictures
# only where the canvas carried over the same way, same timeline.
have=$("$cli" frames "$sample" "$tmp/two" --passes 2) || fail "--passes 2 exited $?"
[ "$(echo "$have" | wc -l)" -eq 14 ] || fail "--passes 2 gave $(echo "$have" | wc -l) frames"
[ "$(echo "$have" | sed -n 8p)" = "frame=7 block=4 delay=50 build=0" ] || fail "second pass starts with $(echo "$have" | sed -n 8p)"
[ "$(echo "$have" | sed -n '8,14p' | sed 's/^frame=[0-9]* //')" = "$(echo "$one_pass" | sed 's/^frame=[0-9]* //')" ] ||
  fail "the second pass has another timeline"
"$ppmdiff" "$tmp/two/frame-0006.ppm" "$tmp/one/frame-0006.ppm" > /dev/null || fail "--passes 2 changed the first pass"

# The display picture: the same frames on the 236-colour palette.
have=$("$cli" frames "$sample" "$tmp/dither" --display-dither) || fail "--display-dither exited $?"
[ "$have" = "$one_pass" ] || fail "--display-dither changed the timeline"
out=$("$ppmdiff" "$tmp/dither/frame-0000.ppm" "$tmp/one/frame-0000.ppm")
case $out in
  "size:"*) fail "the display picture has another size: $out" ;;
  "") fail "the display picture is the canvas itself" ;;
esac

# Usage errors exit 2, files that cannot be read or written 1.
"$cli" frames "$sample" 2> /dev/null; [ $? -eq 2 ] || fail "frames without OUTDIR did not exit 2"
"$cli" frames "$sample" "$tmp/x" --passes 0 2> /dev/null; [ $? -eq 2 ] || fail "--passes 0 did not exit 2"
"$cli" frames "$sample" "$tmp/x" --passes 2x 2> /dev/null; [ $? -eq 2 ] || fail "--passes 2x did not exit 2"
"$cli" frames "$sample" "$tmp/x" --passes 2> /dev/null; [ $? -eq 2 ] || fail "--passes without a number did not exit 2"
"$cli" frames "$sample" "$tmp/x" --fast 2> /dev/null; [ $? -eq 2 ] || fail "an unknown option did not exit 2"
"$cli" frames "$tmp/missing.gif" "$tmp/x" 2> "$tmp/err"; [ $? -eq 1 ] || fail "a missing file did not exit 1"
grep -q "^korvanta-cli: $tmp/missing.gif: ." "$tmp/err" || fail "missing file: message is $(cat "$tmp/err")"
touch "$tmp/file"
"$cli" frames "$sample" "$tmp/file" > /dev/null 2> "$tmp/err"; [ $? -eq 1 ] || fail "OUTDIR being a file did not exit 1"
"$cli" --help | grep -q "frames IN OUTDIR" || fail "--help does not describe frames"

[ $failures -eq 0 ] && echo "all korvanta-cli frames checks passed"
exit $((failures > 0))
