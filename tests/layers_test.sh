#!/usr/bin/env bash
# The core's layers point one way: each folder includes only itself and the folders below it
# (docs/architecture.md), and none of them includes Qt.
set -u
src=$1
failures=0
allowed() {
  case $1 in
    platform) echo "platform" ;;
    imaging) echo "platform imaging" ;;
    codec) echo "platform codec" ;;
    model) echo "platform imaging codec model" ;;
    player) echo "platform imaging codec model player" ;;
  esac
}
for layer in platform imaging codec model player; do
  while IFS= read -r line; do
    file=${line%%:*}
    included=$(sed -E 's/.*#include "([a-z_]+)\/.*/\1/' <<<"$line")
    if [[ " $(allowed "$layer") " != *" $included "* ]]; then
      echo "FAIL: $file includes $included/"
      failures=$((failures + 1))
    fi
  done < <(cd "$src" && grep -rHE '^#include "[a-z_]+/' "$layer")
  if (cd "$src" && grep -rlE '^#include <Q' "$layer"); then
    echo "FAIL: the files above include Qt"
    failures=$((failures + 1))
  fi
done
[ $failures -eq 0 ] && echo "every layer includes only the layers below it"
exit $((failures > 0))
