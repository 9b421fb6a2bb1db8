#!/usr/bin/env bash
# Sets up the machine, builds the editor and starts it on the bundled sample animation.
set -euo pipefail
cd "$(dirname "$0")/.."

./scripts/setup.sh
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build -j"$(nproc)" --target korvanta

if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ]; then
  echo "korvanta: no display here; run it on a virtual one: xvfb-run -a ./build/ui/korvanta res/samples/sample.gif" >&2
  exit 1
fi
exec ./build/ui/korvanta res/samples/sample.gif "$@"
