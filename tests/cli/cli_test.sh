#!/usr/bin/env bash
# korvanta-cli end to end: the JSON listing of the bundled sample, a byte-exact convert, and
# the warning and error conventions.
set -u
cli=$1
src=$2
make_sample=$3
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }

sample=$src/res/samples/blocks.gif
expected='{"file": "'$sample'", "blocks": [{"index": 0, "kind": "header", "width": 64, "height": 48, "global_table": true, "sorted": false, "color_resolution": 7, "table_bits": 1, "background": 3, "aspect": 0, "palette_size": 4}, {"index": 1, "kind": "loop", "loop_count": 0}, {"index": 2, "kind": "control", "disposal": 3, "user_input": false, "transparent": true, "delay": 10, "transparent_index": 5}, {"index": 3, "kind": "comment", "text_hex": "68656c6c6f"}, {"index": 4, "kind": "text", "grid_left": 1, "grid_top": 2, "grid_width": 30, "grid_height": 16, "cell_width": 8, "cell_height": 16, "foreground": 1, "background": 0, "text_hex": "6869"}, {"index": 5, "kind": "application", "identifier_hex": "474946434f4e6e62", "auth_code_hex": "312e30", "data_hex": "01020304"}], "warnings": []}'
have=$("$cli" info --json "$sample") || fail "info --json exited $?"
[ "$have" = "$expected" ] || fail "info --json: have $have"

[ "$("$cli" info "$sample" | wc -l)" -eq 6 ] || fail "text form is not one line a block"

"$cli" convert "$sample" "$tmp/out.gif" || fail "convert exited $?"
cmp -s "$sample" "$tmp/out.gif" || fail "convert did not write the file back byte for byte"

head -c -1 "$sample" > "$tmp/cut.gif"
"$cli" info --json "$tmp/cut.gif" > "$tmp/cut.json" 2> "$tmp/cut.err" || fail "missing trailer exited $?"
grep -q '"warnings": \["' "$tmp/cut.json" || fail "missing trailer: no warning in the JSON"
grep -q "^korvanta-cli: $tmp/cut.gif: warning: " "$tmp/cut.err" || fail "missing trailer: no warning on stderr"

# An image whose data ends at once: it opens with index-0 pixels and a warning naming block 1.
printf 'GIF89a\004\000\001\000\000\000\000\054\000\000\000\000\004\000\001\000\000\002\001\005\000\073' > "$tmp/short.gif"
"$cli" info --json "$tmp/short.gif" > "$tmp/short.json" 2> "$tmp/short.err" || fail "short image data exited $?"
grep -q '"warnings": \["ブロック 1 (イメージ): ' "$tmp/short.json" || fail "short image data: no warning in the JSON: $(cat "$tmp/short.json")"
grep -q "^korvanta-cli: $tmp/short.gif: warning: ブロック 1 (イメージ): " "$tmp/short.err" || fail "short image data: no warning on stderr"
"$cli" info "$tmp/short.gif" 2>&1 >/dev/null | grep -q 'warning: ブロック 1' || fail "short image data: no warning in the text form"

printf 'GIF89a\001\000\001\000\000\000\000\041\002\000\073' > "$tmp/bad.gif"
"$cli" info "$tmp/bad.gif" 2> "$tmp/bad.err" && fail "a bad file exited 0"
grep -q "^korvanta-cli: $tmp/bad.gif: ." "$tmp/bad.err" || fail "bad file: message is $(cat "$tmp/bad.err")"

"$cli" info "$tmp/missing.gif" 2>/dev/null; [ $? -eq 1 ] || fail "a missing file did not exit 1"
"$cli" convert "$sample" "$tmp/no/such/dir/out.gif" 2>/dev/null && fail "convert into a missing folder exited 0"
"$cli" --help | grep -q convert || fail "--help does not describe convert"
"$cli" frobnicate 2>/dev/null; [ $? -eq 2 ] || fail "an unknown command did not exit 2"

# The bundled animation is what the sample maker makes, and every image survives a convert.
"$make_sample" "$tmp/sample.gif" || fail "the sample maker exited $?"
cmp -s "$tmp/sample.gif" "$src/res/samples/sample.gif" || fail "res/samples/sample.gif is not what korvanta-make-sample makes"
"$cli" info --json "$src/res/samples/sample.gif" | grep -q '"interlace": true' || fail "the sample has no interlaced image"
"$cli" convert "$src/res/samples/sample.gif" "$tmp/sample2.gif" && cmp -s "$tmp/sample2.gif" "$src/res/samples/sample.gif" ||
  fail "the sample does not convert back byte for byte"

[ $failures -eq 0 ] && echo "all korvanta-cli checks passed"
exit $((failures > 0))
