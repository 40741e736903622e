#!/usr/bin/env bash
# End to end: the real `ostrel` under Xvfb on the demo program directory, worked as a user
# would with xdotool: through the slide show and the title, the limited express with
# train_70100, Start, notches up for 20 s, save to slot 1, brake to a stop (a minute in all),
# close (the report of the drive so far opens and is closed; the drive's recording is replayed
# headless with OSTREL_SIM and must give the window's report to the byte), drive again and
# restore slot 1. With OSTREL_E2E_LANG=en the program speaks English (its report is named so).
# Checks the settings file and screenshots of the window (it exists at its size and is not
# blank). Usage: drive.sh OSTREL DEMO_GENERATOR WORK_DIR [DEMO_DIR]; the demo directory is
# written when it does not hold one yet.
set -euo pipefail
ostrel="$1"
generator="$2"
work="$3"
demo="${4:-$work/demo}"
lang="${OSTREL_E2E_LANG:-ja}"
for tool in Xvfb xdotool import identify; do
    command -v "$tool" >/dev/null || { echo "e2e: $tool is missing (scripts/setup installs it)"; exit 1; }
done
mkdir -p "$work"
if [ ! -f "$demo/ostrel.dat" ]; then
    "$generator" "$demo" 2>/dev/null
fi
config="$work/config"
rm -rf "$config" "$work/shots"
mkdir -p "$config" "$work/shots"

# A display of our own.
display=""
for n in $(seq 91 120); do
    if [ ! -e "/tmp/.X11-unix/X$n" ] && [ ! -e "/tmp/.X$n-lock" ]; then display=":$n"; break; fi
done
[ -n "$display" ] || { echo "e2e: no free display"; exit 1; }
Xvfb "$display" -screen 0 1280x1024x24 -nolisten tcp >"$work/xvfb.log" 2>&1 &
xvfb=$!
app=""
cleanup() {
    [ -n "$app" ] && kill "$app" 2>/dev/null || true
    kill "$xvfb" 2>/dev/null || true
}
trap cleanup EXIT
export DISPLAY="$display"
for _ in $(seq 50); do xdotool getmouselocation >/dev/null 2>&1 && break; sleep 0.1; done

fail() {
    echo "e2e: $*"
    import -window root "$work/shots/failure.png" 2>/dev/null || true
    exit 1
}
# The first window whose name matches, waiting up to 20 s.
wait_window() {
    local id=""
    for _ in $(seq 200); do
        id=$(xdotool search --onlyvisible --name "$1" 2>/dev/null | head -1 || true)
        [ -n "$id" ] && { echo "$id"; return 0; }
        sleep 0.1
    done
    return 1
}
click() {  # window x y
    xdotool mousemove --window "$1" "$2" "$3" click 1
    sleep 0.4
}
keys() {  # window keys...
    local w="$1"
    shift
    xdotool windowfocus --sync "$w" 2>/dev/null || true
    xdotool key --delay 80 "$@"
    sleep 0.4
}
# Not blank: the picture has some variety in it.
not_blank() {
    local sd
    sd=$(identify -format "%[fx:standard_deviation]" "$1")
    awk -v sd="$sd" 'BEGIN { exit !(sd > 0.02) }'
}
save_menu() {  # window key-in-the-save-menu
    # "Controller" has the only C; from its menu the right arrow opens "Save".
    keys "$1" alt+c Right "$2" Return
}

rm -rf "$work/data"
XDG_CONFIG_HOME="$config" XDG_DATA_HOME="$work/data" "$ostrel" "$demo" --lang "$lang" \
    >"$work/ostrel.log" 2>&1 &
app=$!

title=$(wait_window '^Ostrel$') || fail "the title window did not appear"
sleep 1
click "$title" 400 300  # the opening movie gives way to the slide show (when it still plays;
click "$title" 400 300  # otherwise the slide show to the title picture),
click "$title" 400 300  # and the title picture to the menu (else a click on the menu: nothing)
sleep 1.2               # the line images appear one by one
import -window "$title" "$work/shots/title.png"
click "$title" 100 255  # the limited express
click "$title" 190 475  # train_70100

drive=$(wait_window '^Ostrel$|特急') || fail "the driving window did not appear"
for _ in $(seq 50); do
    w=$(xdotool getwindowgeometry "$drive" | sed -n 's/.*Geometry: \([0-9]*\)x.*/\1/p')
    [ "$w" = 743 ] && break
    sleep 0.1
    drive=$(wait_window '^Ostrel$|特急') || true
done
[ "$w" = 743 ] || fail "the driving window is $w pixels wide, not 743"
# A click on the cab view starts the drive, once the window has stood longer than a double
# click (a quicker one is taken for the second click on the train).
sleep 0.6
click "$drive" 300 200
# Off the emergency brake and up through the power notches, held for 20 s.
keys "$drive" z z z z z z z z z z z z z
sleep 20
import -window "$drive" "$work/shots/driving.png"
not_blank "$work/shots/driving.png" || fail "the driving window is blank"
save_menu "$drive" s
box=$(wait_window '^Ostrel$') || fail "no message after saving"
import -window "$box" "$work/shots/saved.png"
keys "$box" Return  # the message "運転状態を保存しました"
conf="$config/Ostrel/vantor.conf"
[ -f "$conf" ] || fail "no settings file at $conf"
# QSettings quotes a text with commas in it.
grep -q '^Save1="\?line_ltd.dat,' "$conf" || fail "slot 1 was not saved: $(cat "$conf")"
grep -q '^Save1Title=' "$conf" || fail "slot 1 has no caption"

# Brake for a while, then close through the back image: the report of the drive so far opens,
# Escape closes it, and the title comes back.
keys "$drive" a a a a a a
sleep 8
keys "$drive" a a a a
sleep 22
click "$drive" 727 561
report_name='^運転の記録'
[ "$lang" = en ] && report_name='^Drive report'
report=$(wait_window "$report_name") || fail "no report after the drive (named $report_name)"
sleep 0.5
import -window "$report" "$work/shots/report.png"
not_blank "$work/shots/report.png" || fail "the report is blank"
keys "$report" Escape
sleep 0.5
xdotool search --onlyvisible --name "$report_name" >/dev/null 2>&1 && fail "the report did not close"
xdotool search --onlyvisible --name '特急' >/dev/null 2>&1 && fail "the driving window did not close"
grep -q '^Kanko=0' "$conf" || fail "the options were not written at close"

# The drive's recording and its report, written at close; the recording replayed headless
# gives the same report, stations, stopping errors and final position included.
recording=$(find "$work/data" -path "*/drives/*.ostrel-script" | head -1)
[ -n "$recording" ] || fail "no recording of the drive in $work/data"
window_report="${recording%.ostrel-script}.report.json"
[ -f "$window_report" ] || fail "no report beside the recording"
if [ -n "${OSTREL_SIM:-}" ]; then
    "$OSTREL_SIM" run --script "$recording" --report "$work/replayed.json" >/dev/null ||
        fail "the recording did not replay"
    cmp -s "$window_report" "$work/replayed.json" ||
        fail "the replay differs from the window's drive: $(diff "$window_report" "$work/replayed.json" | head -20)"
fi

title=$(wait_window '^Ostrel$') || fail "the title window did not come back"
click "$title" 100 255
click "$title" 190 475
drive=$(wait_window '^Ostrel$|特急') || fail "the second driving window did not appear"
sleep 1
save_menu "$drive" l
sleep 1
import -window "$drive" "$work/shots/restored.png"
not_blank "$work/shots/restored.png" || fail "the restored driving window is blank"
kill -0 "$app" 2>/dev/null || fail "ostrel ended"
echo "e2e: ok ($work/shots)"
