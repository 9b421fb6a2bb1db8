#!/usr/bin/env bash
# korvanta-cli frames against ImageMagick's and gifsicle's own coalesced frames, on animations
# those two tools make, every image with its own control block: disposal 0 to 3, transparency,
# offsets, images reaching past the logical screen, local and global tables, interlacing. Each
# frame must be the same picture in all three, and the timeline must follow the player's rules
# (delay of the image's control block; 150 hundredths of build-up for an interlaced image).
#
# Where the player's rules and the tools' differ, and how the comparison deals with it:
# - The screen before the first image, and an area erased by disposal 2, hold the background
#   colour for the player (the global table's background entry; black without a global table).
#   Both tools leave such areas transparent, for the viewer to show its own background. Their
#   frames are flattened onto the file's background colour before comparing, after which the
#   two rules give the same pictures.
# - gifsicle enlarges the logical screen to hold images that reach past it; the player and
#   ImageMagick clip them to the screen. gifsicle's frames are cropped to the logical screen.
# - Interlaced images build up on screen over 1.5 s before their delay starts; the tools show
#   only the complete image, and their delay is the whole time it stays. Only the completed
#   frames are compared; the delays agree, the build-up is the player's own.
# Differences the test animations avoid, because the tools cannot write such files or do not
# play at all (the tools compose frames, they keep no clock and no pass count):
# - An image without a control block of its own stays 1 s in the player (0 for the tools) and
#   keeps the transparent index and disposal of the last control block played; for the tools it
#   is opaque and not disposed of.
# - The user input flag raises a delay below 100 to 100 in the player; the tools ignore it.
# - When the animation loops, the player does not clear the screen between passes (a disposal
#   pending from the last image of a pass is carried out before the first image of the next);
#   viewers that loop start each pass from a cleared screen.
# - Disposal methods 4 to 7 are treated as 0 by the player.
set -u
cli=$(realpath "$1")
ppmdiff=$(realpath "$2")
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }

# ImageMagick 7 runs its tools through magick; Debian's ImageMagick 6 installs them under
# versioned names as well as the plain ones.
if command -v magick > /dev/null 2>&1; then
  convert=(magick) identify=(magick identify)
elif command -v convert-im6.q16 > /dev/null 2>&1; then
  convert=(convert-im6.q16) identify=(identify-im6.q16)
else
  convert=(convert) identify=(identify)
fi
if ! command -v "${convert[0]}" > /dev/null 2>&1 || ! command -v gifsicle > /dev/null 2>&1; then
  echo "SKIP: ImageMagick and gifsicle are needed (scripts/setup.sh installs them)"
  exit 77
fi

# The logical screen of a GIF file, "W H".
screen() {
  local b
  read -r -a b < <(od -An -tu1 -j6 -N4 "$1")
  echo "$((b[0] + 256 * b[1])) $((b[2] + 256 * b[3]))"
}

# The colour the player clears to: the global table's background entry, else black.
background() {
  local packed index r g b
  read -r packed index < <(od -An -tu1 -j10 -N2 "$1")
  if [ $((packed & 128)) -eq 0 ]; then
    echo "rgb(0,0,0)"
    return
  fi
  read -r r g b < <(od -An -tu1 -j$((13 + 3 * index)) -N3 "$1")
  echo "rgb($r,$g,$b)"
}

# The pieces the animations are made of.
cd "$tmp" || exit 1
"${convert[@]}" -size 40x30 xc:'#336699' -fill '#ffcc00' -draw 'rectangle 5,5 20,15' base.gif
"${convert[@]}" -size 12x10 xc:red -fill blue -draw 'rectangle 2,2 6,6' -transparent blue sprite.gif
"${convert[@]}" -size 16x16 pattern:checkerboard -colors 4 checker.gif
"${convert[@]}" -size 20x17 gradient:green-yellow -colors 16 ramp.gif
"${convert[@]}" -size 10x10 xc:white -fill black -draw 'circle 5,5 5,1' -transparent white ring.gif

# ImageMagick: disposal none, background, previous; transparency; local tables; the last
# sprite reaches past the bottom right corner.
im_frames=(-dispose none -delay 30 base.gif
  -dispose background -delay 15 -page +3+4 sprite.gif
  -dispose previous -delay 7 -page +20+12 checker.gif
  -dispose none -delay 0 -page +30+22 sprite.gif
  -dispose background -delay 12 -page +8+2 ramp.gif
  -dispose none -delay 250 -page +14+9 ring.gif)
"${convert[@]}" "${im_frames[@]}" im-mixed.gif
"${convert[@]}" -interlace GIF "${im_frames[@]}" im-interlaced.gif

# gifsicle: a first image that leaves most of the screen to the background (a table entry
# other than 0), disposal previous over interlaced images, "as is", background; transparency
# and offsets. Every frame has a delay, so every image gets its control block.
gifsicle --no-warnings -O0 -B '#336699' \
  -d 20 --disposal none -p 6,5 sprite.gif \
  -d 9 --disposal previous -i -p 2,14 checker.gif \
  -d 5 --disposal previous -p 10,6 ramp.gif \
  -d 3 --disposal asis --no-interlace -p 30,20 sprite.gif \
  -d 11 --disposal background -p 20,3 base.gif \
  -d 4 --disposal none -p 16,0 ring.gif > gifsicle-mixed.gif
# Images reaching past the right and bottom edges. gifsicle always makes the screen hold every
# image, so the screen of its file is set to 40 x 30 afterwards.
gifsicle --no-warnings -O0 -B '#999999' -d 6 --disposal background -p 0,0 base.gif \
  -d 8 --disposal previous -p 30,20 checker.gif -d 10 --disposal none -p 4,25 ring.gif > gifsicle-clipped.gif
printf '\x28\x00\x1e\x00' | dd of=gifsicle-clipped.gif bs=1 seek=6 conv=notrunc status=none

check() {
  local name=$1 gif=$1.gif w h bg n frames
  read -r w h < <(screen "$gif")
  bg=$(background "$gif")
  mkdir -p "$name/k" "$name/gs"
  if ! "$cli" frames "$gif" "$name/k" > "$name/timeline"; then
    fail "$name: frames exited with an error"
    return
  fi
  # The background is given before reading too: where a first image without transparency
  # leaves the screen uncovered, ImageMagick fills it with its background setting.
  "${convert[@]}" -background "$bg" "$gif" -coalesce -background "$bg" -alpha remove -alpha off +adjoin \
    "$name/im-%04d.ppm"
  # gifsicle unoptimizes only animations whose images share one colour table; ImageMagick's
  # local tables are merged first (fewer than 256 colours in all: no colour changes).
  if gifsicle --unoptimize "$gif" 2>&1 > /dev/null | grep -q "too complex"; then
    gifsicle --no-warnings --colors 256 "$gif" > "$name/merged.gif"
    gifsicle --no-warnings --unoptimize --explode "$name/merged.gif" -o "$name/gs/f"
  else
    gifsicle --no-warnings --unoptimize --explode "$gif" -o "$name/gs/f"
  fi
  "${convert[@]}" "$name"/gs/f.* -background "$bg" -alpha remove -alpha off -crop "${w}x${h}+0+0" +repage \
    +adjoin "$name/gs-%04d.ppm"

  frames=$(wc -l < "$name/timeline")
  [ "$frames" -gt 1 ] || fail "$name: only $frames frames"
  [ "$(find "$name" -maxdepth 1 -name 'im-*.ppm' | wc -l)" -eq "$frames" ] || fail "$name: ImageMagick has another frame count"
  [ "$(find "$name" -maxdepth 1 -name 'gs-*.ppm' | wc -l)" -eq "$frames" ] || fail "$name: gifsicle has another frame count"
  for ((n = 0; n < frames; n++)); do
    local f
    f=$(printf %04d $n)
    out=$("$ppmdiff" "$name/k/frame-$f.ppm" "$name/im-$f.ppm") || fail "$name frame $n against ImageMagick: $out"
    out=$("$ppmdiff" "$name/k/frame-$f.ppm" "$name/gs-$f.ppm") || fail "$name frame $n against gifsicle: $out"
  done

  # The timeline: ImageMagick's delay of each frame, and build-up exactly for the interlaced.
  mapfile -t delays < <("${identify[@]}" -format '%T\n' "$gif")
  mapfile -t interlaced < <("$cli" info "$gif" | awk '$2 == "image" { print $1, ($0 ~ /interlace=yes/) ? 150 : 0 }')
  n=0
  while read -r frame block delay build; do
    [ "$frame" = "frame=$n" ] || fail "$name: line $n is $frame"
    [ "$delay" = "delay=${delays[$n]}" ] || fail "$name frame $n: $delay, ImageMagick says ${delays[$n]}"
    local want=
    for entry in "${interlaced[@]}"; do
      [ "block=${entry% *}" = "$block" ] && want="build=${entry#* }"
    done
    [ "$build" = "$want" ] || fail "$name frame $n ($block): $build, want $want"
    n=$((n + 1))
  done < "$name/timeline"
  echo "$name: $frames frames compared"
}

for name in im-mixed im-interlaced gifsicle-mixed gifsicle-clipped; do
  check "$name"
done

[ $failures -eq 0 ] && echo "every frame agrees with ImageMagick and gifsicle"
exit $((failures > 0))
