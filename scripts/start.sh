#!/usr/bin/env bash
# Sets up the machine, builds the program and runs it on the bundled sample file.
set -euo pipefail
cd "$(dirname "$0")/.."

./scripts/setup.sh
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build -j"$(nproc)" --target korvanta-cli
./build/cli/korvanta-cli info res/samples/sample.gif "$@"
