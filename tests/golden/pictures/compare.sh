#!/usr/bin/env bash
# The driving window's golden pictures: chosen moments of the demo's limited express with the
# autopilot driving its cab-signal train_70100, and the express's timetable card, drawn by `ostrel-sim run --snapshot` and
# compared pixel by pixel with tests/golden/pictures/ (a pixel counts as different when a colour
# differs by more than 6 %; a few hundred may, as fonts and video decoders round differently).
# Usage: compare.sh OSTREL_SIM DEMO_GENERATOR WORK_DIR DEMO_DIR [--rebaseline]
set -euo pipefail
sim="$1"
generator="$2"
work="$3"
demo="$4"
mode="${5:-check}"
golden="$(cd "$(dirname "$0")" && pwd)"
for tool in compare identify; do
    command -v "$tool" >/dev/null || { echo "pictures: $tool is missing (scripts/setup installs it)"; exit 1; }
done
mkdir -p "$work"
[ -f "$demo/ostrel.dat" ] || "$generator" "$demo" 2>/dev/null
out="$work/pictures"
rm -rf "$out"
mkdir -p "$out"
run=(run --program-dir "$demo" --line line_ltd.dat --vehicle train_70100.dat --every 1000)

# Before the start: the line's opening picture over the standing train's panel.
printf '1000 start\n' >"$work/later-start.txt"
"$sim" "${run[@]}" --script "$work/later-start.txt" --ms 600 \
    --snapshot 500:"$out/standing.png" >/dev/null 2>"$work/sim.log"
# The timetable card (F1) at the express's second half: its second page, opaque over the
# labels beside the cab view.
printf '500 start\n1000 key F1\n' >"$work/card.txt"
"$sim" run --program-dir "$demo" --line line_exp.dat --vehicle train_7200.dat --start 12 \
    --every 1000 --script "$work/card.txt" --ms 4000 \
    --snapshot 3500:"$out/timetable.png" >/dev/null 2>>"$work/sim.log"
# Under way with the autopilot; and the report's chart of its first 650 s.
"$sim" "${run[@]}" --autopilot --ms 650000 \
    --snapshot 89000:"$out/gradient.png" \
    --snapshot 100000:"$out/notice.png" \
    --snapshot 483000:"$out/tunnel.png" \
    --snapshot 620000:"$out/red-signal.png" \
    --snapshot 640000:"$out/sub-movie.png" \
    --report-png "$out/report.png" >/dev/null 2>>"$work/sim.log"

if [ "$mode" = "--rebaseline" ]; then
    cp "$out"/*.png "$golden"/
    echo "pictures: rebaselined $(ls "$out" | wc -l) pictures in $golden"
    exit 0
fi
failed=0
for want in "$golden"/*.png; do
    name="$(basename "$want")"
    got="$out/$name"
    if [ ! -f "$got" ]; then
        echo "pictures: $name was not drawn"; failed=1; continue
    fi
    if [ "$(identify -format '%wx%h' "$got")" != "743x560" ]; then
        echo "pictures: $name is $(identify -format '%wx%h' "$got"), not 743x560"; failed=1; continue
    fi
    differing="$(compare -metric AE -fuzz 6% "$want" "$got" "$work/diff-$name" 2>&1 >/dev/null || true)"
    differing="${differing%% *}"
    if ! [[ "$differing" =~ ^[0-9]+$ ]] || [ "$differing" -gt 400 ]; then
        echo "pictures: $name differs in $differing pixels (see $work/diff-$name)"; failed=1
    else
        echo "pictures: $name matches ($differing pixels differ)"
    fi
done
exit "$failed"
