#!/usr/bin/env bash
# The desktop program's sound end to end: the real `ostrel` under Xvfb with OpenAL Soft writing
# its mix into a wave file, the autopilot driving the demo's limited express for 45 s. The mix
# must sound, and its zero-crossing rate (a rough dominant frequency) must rise as the running
# sounds follow the train's speed. Then the same without the OpenAL library: silent, no failure.
# Usage: sound.sh OSTREL WORK_DIR DEMO_DIR
set -euo pipefail
ostrel="$1"
work="$2"
demo="$3"
for tool in Xvfb ffmpeg; do
    command -v "$tool" >/dev/null || { echo "sound: $tool is missing (scripts/setup installs it)"; exit 1; }
done
rm -rf "$work"
mkdir -p "$work/config"
printf '[general]\ndrivers=wave\n[wave]\nfile=%s\n' "$work/mix.wav" >"$work/alsoft.conf"
display=""
for n in $(seq 151 180); do
    if [ ! -e "/tmp/.X11-unix/X$n" ] && [ ! -e "/tmp/.X$n-lock" ]; then display=":$n"; break; fi
done
Xvfb "$display" -screen 0 1280x1024x24 -nolisten tcp >"$work/xvfb.log" 2>&1 &
xvfb=$!
trap 'kill $xvfb 2>/dev/null || true' EXIT
export DISPLAY="$display"
sleep 1
ALSOFT_CONF="$work/alsoft.conf" XDG_CONFIG_HOME="$work/config" \
    timeout 90 "$ostrel" "$demo" --autopilot --quit-after 45 >"$work/ostrel.log" 2>&1 || true
[ -s "$work/mix.wav" ] || { echo "sound: no mix was written"; exit 1; }
# RMS level (dB) of a stretch of the mix, and the zero-crossing rate of its left channel.
stats() {  # from length
    ffmpeg -hide_banner -ss "$1" -t "$2" -i "$work/mix.wav" -af astats -f null - 2>&1 |
        awk -F': ' '/Overall/ { o = 1 } o && /RMS level dB/ { r = $2 } !o && !z && /Zero crossings rate/ { z = $2 } END { print r, z }'
}
read -r early_db early_zc < <(stats 10 4)
read -r late_db late_zc < <(stats 38 5)
echo "sound: 10-14 s: ${early_db} dB, zero crossings ${early_zc}; 38-43 s: ${late_db} dB, zero crossings ${late_zc}"
awk -v a="$early_db" -v b="$late_db" 'BEGIN { exit !(a > -50 && b > -50) }' ||
    { echo "sound: the mix is silent"; exit 1; }
awk -v a="$early_zc" -v b="$late_zc" 'BEGIN { exit !(b > a * 1.3) }' ||
    { echo "sound: the running sound does not rise with the speed"; exit 1; }
echo "sound: the mix sounds and rises with the speed"

# Without the OpenAL library the program drives silently and ends as it should.
rm -f "$work/mix.wav"
status=0
OSTREL_OPENAL_LIBRARY=/nonexistent/libopenal.so.1 ALSOFT_CONF="$work/alsoft.conf" \
    XDG_CONFIG_HOME="$work/config" timeout 60 "$ostrel" "$demo" --autopilot --quit-after 6 \
    >"$work/silent.log" 2>&1 || status=$?
[ "$status" -eq 0 ] || { echo "sound: without OpenAL the program ended with $status"; exit 1; }
[ ! -e "$work/mix.wav" ] || { echo "sound: without OpenAL something was still played"; exit 1; }
echo "sound: without OpenAL the program runs silently"
