#!/usr/bin/env bash
# Fails when a C++ file of the project differs from what clang-format makes of it (.clang-format).
set -euo pipefail
cd "$(dirname "$0")/.."
find platform imaging codec model player ui cli tests bench fuzz -name '*.cpp' -o -name '*.h' |
  xargs clang-format --dry-run -Werror
