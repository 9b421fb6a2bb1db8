#!/usr/bin/env bash
# Runs a widget test on a virtual X server, as the program runs on a desktop; skipped (77) where
# Xvfb or xclip is missing.
set -euo pipefail
test_binary=$1
command -v xvfb-run >/dev/null && command -v xclip >/dev/null || { echo "xvfb-run or xclip missing"; exit 77; }
export QT_QPA_PLATFORM=xcb
exec xvfb-run -a -s "-screen 0 1280x1024x24" "$test_binary"
