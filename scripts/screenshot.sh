#!/usr/bin/env bash
# Makes the pictures in docs/screenshots/ again: the editor on the bundled sample under a virtual
# X server, as the screen shows it.
set -euo pipefail
cd "$(dirname "$0")/.."

./scripts/setup.sh
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build -j"$(nproc)" --target korvanta-screenshots
mkdir -p docs/screenshots
XDG_CONFIG_HOME=$(mktemp -d) QT_QPA_PLATFORM=xcb \
  xvfb-run -a -s "-screen 0 1280x800x24" ./build/tests/ui/korvanta-screenshots res/samples/sample.gif docs/screenshots
ls docs/screenshots
