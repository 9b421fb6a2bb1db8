#!/bin/sh
# Remakes the application icon's PNG files under hicolor/ (they are committed, so a build never
# needs these tools). 48 pixels and up are rendered from korvanta.svg with rsvg-convert (Debian
# package librsvg2-bin). 16 to 32 pixels are pixel art of their own in korvanta-N.xpm, because
# the drawing scaled that small turns to mush; ImageMagick's convert (Debian package imagemagick)
# turns them into PNG. Run it again after changing any of the sources.
set -eu
cd "$(dirname "$0")"

for tool in rsvg-convert convert; do
    if ! command -v "$tool" >/dev/null 2>&1; then
        echo "make-icons.sh: $tool not found (apt-get install librsvg2-bin imagemagick)" >&2
        exit 1
    fi
done

for n in 48 64 128 256; do
    mkdir -p "hicolor/${n}x${n}/apps"
    rsvg-convert -w "$n" -h "$n" -f png -o "hicolor/${n}x${n}/apps/korvanta.png" korvanta.svg
done

# Without the date chunks the output only changes when the picture does.
for n in 16 22 24 32; do
    mkdir -p "hicolor/${n}x${n}/apps"
    convert "korvanta-$n.xpm" -strip -define png:exclude-chunks=date,time \
        "PNG32:hicolor/${n}x${n}/apps/korvanta.png"
done
