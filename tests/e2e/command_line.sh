#!/usr/bin/env bash
# The real `ostrel` on a terminal without a display: "--help" answers, a mistyped option and a
# missing display each say so in one line and end with an error code, never with an abort.
# Usage: command_line.sh OSTREL
set -uo pipefail
ostrel="$1"
run() { env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM "$ostrel" "$@"; }
fail() { echo "command-line: $*"; exit 1; }

out=$(run --help 2>&1); code=$?
[ "$code" -eq 0 ] || fail "--help ended with $code: $out"
grep -q -- "--autopilot" <<<"$out" || fail "--help does not list the options: $out"
grep -q "Usage: ostrel" <<<"$out" || fail "--help does not name the program: $out"

out=$(run --no-such-option 2>&1); code=$?
[ "$code" -eq 2 ] || fail "a wrong option ended with $code: $out"
[ "$(wc -l <<<"$out")" -eq 1 ] || fail "a wrong option said more than one line: $out"

out=$(run /tmp 2>&1); code=$?
[ "$code" -eq 1 ] || fail "without a display it ended with $code: $out"
grep -q "needs a display" <<<"$out" || fail "without a display it did not say so: $out"
# A data pack installs without a display; the program says where and how to drive it.
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
mkdir -p "$work/pack/路線" && printf 'x' >"$work/pack/路線/ostrel.dat"
bsdtar -a -cf "$work/line.zip" -C "$work/pack" . || fail "bsdtar could not write a zip"
out=$(XDG_DATA_HOME="$work/data" run --install "$work/line.zip" 2>&1); code=$?
[ "$code" -eq 0 ] || fail "--install ended with $code: $out"
[ -f "$work/data/Ostrel/ostrel/packs/line/ostrel.dat" ] || fail "--install put nothing in place: $out"
grep -q "start it with: ostrel" <<<"$out" || fail "--install did not say how to start: $out"
# An archive named where a directory would be, as a file manager opens it, is installed too.
out=$(XDG_DATA_HOME="$work/data" run "$work/line.zip" 2>&1); code=$?
[ "$code" -eq 0 ] && [ -f "$work/data/Ostrel/ostrel/packs/line-2/ostrel.dat" ] ||
    fail "an archive named as the directory was not installed ($code): $out"
out=$(XDG_DATA_HOME="$work/data" run --install "$work/none.zip" 2>&1); code=$?
[ "$code" -eq 1 ] || fail "--install of a missing file ended with $code: $out"
echo "command-line: ok"
